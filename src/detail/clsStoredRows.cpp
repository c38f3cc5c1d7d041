#include "detail/clsStoredRows.h"

#include "data/clsAdoConnectJet.h"
#include "detail/clsSegmentRows.h"
#include "detail/clsSegmentWriter.h"
#include "platform/Connection.h"

#include <QHash>

#include <cstring>

namespace {
quint64 mixed(quint64 h, quint64 word)
{
    // splitmix64's finaliser: every bit of the word reaches every bit of the sum.
    quint64 x = h ^ word;
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// A value as the table gives it back: numbers by value whatever their kind,
// texts by their letters, Null and Empty alike.
quint64 valueWord(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Empty:
    case Value::Kind::Null: return 0;
    case Value::Kind::Text: return mixed(2, quint64(qHash(v.asText(), 0)));
    default: {
        double d = v.toDouble();
        if (d == 0)
            d = 0;  // -0 is 0
        quint64 bits = 0;
        std::memcpy(&bits, &d, sizeof bits);
        return mixed(1, bits);
    }
    }
}

qint64 dataVersion(clsAdoConnectJet& db)
{
    return qint64(db.Connection()->ExecuteScalar(QStringLiteral("PRAGMA data_version")).toDouble());
}
}  // namespace

quint64 clsStoredRows::Checksum_pq(const Recordset& rows, int viewRow)
{
    quint64 h = mixed(0, valueWord(rows.valueAt(viewRow, clsSegmentRows::colSegmentDetailID)));
    for (const auto& c : clsSegmentWriter::StoredColumns())
        h = mixed(h, valueWord(rows.valueAt(viewRow, c.column)));
    return h;
}

void clsStoredRows::Begin_p(clsAdoConnectJet& db)
{
    Clear_p();
    m_version = dataVersion(db);
}

void clsStoredRows::Clear_p()
{
    m_version = -1;
    m_byBookmark.clear();
}

void clsStoredRows::keep_m(qint32 bookmark, quint64 checksum)
{
    if (bookmark < 0)
        return;
    if (size_t(bookmark) >= m_byBookmark.size())
        m_byBookmark.resize(size_t(bookmark) + 1);
    m_byBookmark[size_t(bookmark)] = checksum;
}

void clsStoredRows::Take_p(const Recordset& rows)
{
    std::unique_ptr<Recordset> all = rows.Clone();
    const int n = all->RecordCount();
    m_byBookmark.reserve(size_t(n) + 1);
    for (int r = 0; r < n; ++r)
        keep_m(all->bookmarkAt(r), Checksum_pq(*all, r));
    all->Close();
}

bool clsStoredRows::Unchanged_pf(clsAdoConnectJet& db, const Value& segmentID)
{
    m_checkedVersion = dataVersion(db);
    if (segmentID.isNullOrEmpty() || m_checkedVersion == m_version)
        return true;
    // Another connection wrote something since: this segment's rows, perhaps.
    qint64 count = 0;
    quint64 sum = 0;
    for (const std::optional<quint64>& kept : m_byBookmark)
        if (kept) {
            ++count;
            sum += *kept;
        }
    std::unique_ptr<Recordset> now = clsSegmentRows::Retrieve_prs(db, segmentID);
    quint64 sumNow = 0;
    for (int r = 0; r < now->RecordCount(); ++r)
        sumNow += Checksum_pq(*now, r);
    const bool same = now->RecordCount() == count && sumNow == sum;
    now->Close();
    return same;
}

void clsStoredRows::Saved_p(const Written& written)
{
    if (written.everyRow)
        m_byBookmark.clear();
    for (qint32 bookmark : written.gone)
        if (bookmark >= 0 && size_t(bookmark) < m_byBookmark.size())
            m_byBookmark[size_t(bookmark)].reset();
    for (const auto& [bookmark, checksum] : written.stored)
        keep_m(bookmark, checksum);
    m_version = m_checkedVersion;
}

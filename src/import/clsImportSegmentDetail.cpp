#include "import/clsImportSegmentDetail.h"

#include "app/modlib.h"
#include "data/clsAdoConnectJet.h"
#include "import/ImportSql.h"
#include "import/clsImportSegment.h"
#include "platform/AppError.h"

void clsImportSegmentDetail::Segment(clsImportSegment* segment)
{
    m_segment = segment;
    DatabaseConnection = segment ? segment->DatabaseConnection : nullptr;
}

void clsImportSegmentDetail::SegmentDetailLabel(const QString& v) { m_label = TrimSpaces_gs(v); }

clsAdoConnectJet& clsImportSegmentDetail::connection() const
{
    if (!DatabaseConnection || !m_segment)
        throw AppError(ImportSql::ObjectNotSet, QStringLiteral("Object variable or With block variable not set"),
                       QStringLiteral("clsImportSegmentDetail"));
    return *DatabaseConnection;
}

QString clsImportSegmentDetail::UpdateSetClause_mf(double cumTime, double rate, Value& value)
{
    if (cumTime != 0) {
        value = Value(cumTime);
        return QStringLiteral("SET dCumTime = ? ");
    }
    value = Value(rate);
    return QStringLiteral("SET dRate = ? ");
}

bool clsImportSegmentDetail::Save_pf()
{
    clsAdoConnectJet& conn = connection();
    const qint32 segmentId = m_segment->SegmentID();
    const Value existing =
        ImportSql::scalar(conn,
                          QStringLiteral("Select lSegmentDetailID from tblImportSegmentDetail Where lSegmentID = ? "
                                         "And sSegmentDetailLabel = ?"),
                          {Value(int(segmentId)), Value(m_label)});

    if (!existing.isNullOrEmpty()) {
        Value setValue;
        const QString clause = UpdateSetClause_mf(m_cumTime, m_rate, setValue);
        return conn.SQLExecute_pl(QStringLiteral("Update tblImportSegmentDetail ") + clause
                                      + QStringLiteral("Where lSegmentDetailID = ?"),
                                  {setValue, Value(int(existing.toLong()))})
            != 0;
    }
    return conn.SQLExecute_pl(QStringLiteral("Insert Into tblImportSegmentDetail(lSegmentID, sSegmentDetailLabel,"
                                             "lOrdinalPosition,dCumTime, dRate) Values(?, ?, ?, ?, ?)"),
                              {Value(int(m_segment->SegmentID())), Value(m_label), Value(int(m_ordinalPosition)),
                               Value(m_cumTime), Value(m_rate)})
        != 0;
}

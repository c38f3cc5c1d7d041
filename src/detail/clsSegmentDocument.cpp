#include "detail/clsSegmentDocument.h"

#include "app/clsStrings.h"
#include "data/clsAdoConnectJet.h"
#include "detail/clsSegmentRows.h"
#include "detail/clsSegmentWriter.h"
#include "platform/AppError.h"
#include "platform/BusyCursor.h"
#include "platform/Recordset.h"

#include <QLocale>

using Col = clsSegmentRows::Column;

clsSegmentDocument::clsSegmentDocument(clsAdoConnectJet& db, const clsStrings& settings, QObject* parent)
    : QObject(parent), m_db(db), m_settings(settings), m_sortColumn(Col::colCumTime)
{
    m_segment.DatabaseConnection = &db;
    // Places shown for a unit that has no row of its own.
    bool ok = false;
    const double digits = QLocale::c().toDouble(settings.SysStringFromID_pf(230, QStringLiteral("4")).trimmed(), &ok);
    if (ok)
        m_defaultDigits = digits;
}

clsSegmentDocument::~clsSegmentDocument() = default;

qint32 clsSegmentDocument::segmentID() const
{
    const Value id = m_segment.lSegmentID();
    return m_loaded && !id.isNullOrEmpty() ? id.toLong() : 0;
}

void clsSegmentDocument::setDirty(bool dirty)
{
    if (dirty == m_dirty)
        return;
    m_dirty = dirty;
    emit dirtyChanged(dirty);
}

// ---- loading ----------------------------------------------------------------------------

bool clsSegmentDocument::retrieve(qint32 segmentID)
{
    m_segment.Clear_pf();
    if (!m_segment.Retrieve_pf(Value(segmentID)))
        return false;
    defaultUnits(false);
    defaultReferences();
    m_loaded = true;
    m_stored.Begin_p(m_db);
    std::unique_ptr<Recordset> rows = clsSegmentRows::Retrieve_prs(m_db, m_segment.lSegmentID());
    m_stored.Take_p(*rows);
    showInTimeOrder_m(std::move(rows));
    setDirty(false);
    return true;
}

void clsSegmentDocument::newSegment(const QDate& today, const QTime& now)
{
    m_segment.Clear_pf();
    m_segment.sSegmentLabel(Value(nextLabel(today)));
    m_segment.dtSegmentDate(Value(today));
    m_segment.dtImportDate(Value(today));
    m_segment.dtSegmentTime(Value(QTime::fromMSecsSinceStartOfDay(now.msecsSinceStartOfDay() / 1000 * 1000)));
    defaultUnits(true);
    m_stored.Clear_p();
    std::unique_ptr<Recordset> rows = clsSegmentRows::Retrieve_prs(m_db, m_segment.lSegmentID());
    clsSegmentRows::AppendFirstRow_p(*rows, m_segment.lSegmentID());
    showInTimeOrder_m(std::move(rows));
    m_loaded = true;
}

QString clsSegmentDocument::nextLabel(const QDate& day) const
{
    std::unique_ptr<Recordset> rs;
    m_db.SQLOpenRecordset_pl(
        rs,
        QStringLiteral("SELECT max(CAST(sSegmentLabel AS INTEGER)) from tblSegment WHERE dtSegmentDate = ")
            + m_db.SQLString_ps(Value(day), clsAdoConnectJet::adDBDate)
            + QStringLiteral(" AND sSegmentLabel <> '' AND sSegmentLabel NOT GLOB '*[^0-9]*'"),
        clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
    const Value largest = rs->IsEOF() ? Value::null() : rs->Fields(0).Value();
    rs->Close();
    const double next = (largest.isNullOrEmpty() ? 0.0 : largest.toDouble()) + 1.0;
    return QString::number(next, 'f', 0);
}

void clsSegmentDocument::defaultUnits(bool always)
{
    const struct {
        qint32 setting;
        Value (clsBrSegment::*get)() const;
        void (clsBrSegment::*set)(const Value&);
    } units[] = {{200, &clsBrSegment::lRateTypeID, &clsBrSegment::lRateTypeID},
                 {210, &clsBrSegment::lSpeedTypeID, &clsBrSegment::lSpeedTypeID},
                 {220, &clsBrSegment::lDistanceTypeID, &clsBrSegment::lDistanceTypeID}};
    for (const auto& u : units) {
        const Value id = (m_segment.*u.get)();
        if (always || id.isNull() || id.toLong() == 0)
            (m_segment.*u.set)(Value(m_settings.SysStringFromID_pf(u.setting, QStringLiteral("1"))));
    }
}

void clsSegmentDocument::defaultReferences()
{
    for (const char* name : {"lSegmentTypeID", "lCategoryID", "lEventID"}) {
        const QString field = QString::fromLatin1(name);
        const Value id = m_segment.Fields(field);
        if (id.isNull() || id.toLong() == 0)
            m_segment.Fields(field, Value(1));
    }
}

void clsSegmentDocument::clear()
{
    replaceRows_m(nullptr);
    m_stored.Clear_p();
    m_segment.Clear_pf();
    m_loaded = false;
}

void clsSegmentDocument::showInTimeOrder_m(std::unique_ptr<Recordset> rows)
{
    replaceRows_m(std::move(rows));
    // Ordering by time works out the derived columns, once.
    m_sortColumn = Col::colCumTime;
    sort(QStringLiteral("ASC"));
    emit headersChanged();
}

void clsSegmentDocument::replaceRows_m(std::unique_ptr<Recordset> rows)
{
    std::swap(m_rows, rows);
    emit rowsReplaced();
    // The grid has let go of the old rows by now.
    if (rows) {
        try {
            rows->Close();
        } catch (const AppError&) {
        }
    }
}

// ---- units and the derived columns ---------------------------------------------------------

DetailCalculation::Units clsSegmentDocument::units() const
{
    return clsSegmentUnits(m_db).Factors_p(m_segment.lRateTypeID(), m_segment.lSpeedTypeID(),
                                           m_segment.lDistanceTypeID(), m_defaultDigits);
}

clsSegmentUnits::Headers clsSegmentDocument::headers() const
{
    return clsSegmentUnits(m_db).GridHeaders_p(m_segment.lRateTypeID(), m_segment.lSpeedTypeID(),
                                               m_segment.lDistanceTypeID());
}

void clsSegmentDocument::recalculate()
{
    if (!m_rows)
        return;
    emit rowsAboutToChange();
    workOut_m();
    emit rowsChanged();
}

void clsSegmentDocument::workOut_m()
{
    BusyCursor busy;
    clsSegmentRows::Recalculate_p(*m_rows, units());
}

void clsSegmentDocument::setRateType(qint32 rateTypeID)
{
    m_segment.lRateTypeID(Value(rateTypeID));
    recalculate();
    emit headersChanged();
    setDirty(true);
}

void clsSegmentDocument::setSpeedType(qint32 speedTypeID)
{
    m_segment.lSpeedTypeID(Value(speedTypeID));
    recalculate();
    emit headersChanged();
    setDirty(true);
}

void clsSegmentDocument::setDistanceType(qint32 distanceTypeID)
{
    m_segment.lDistanceTypeID(Value(distanceTypeID));
    emit headersChanged();
    setDirty(true);
}

QString clsSegmentDocument::SortText_ps(const QString& field, int column, const QString& order)
{
    const bool ascending = order.compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0;
    QString text = field + QLatin1Char(' ') + (ascending ? QString() : QStringLiteral("DESC"));
    if (column == Col::colLap || column == Col::colRateDisplay || column == Col::colDips || column == Col::colSpeed)
        text += QStringLiteral(" NULLS LAST");
    return text;
}

void clsSegmentDocument::sort(const QString& order)
{
    if (!m_rows || m_sortColumn < 0)
        return;
    emit rowsAboutToChange();
    m_rows->Sort(SortText_ps(m_rows->Fields(m_sortColumn).Name(), m_sortColumn, order));
    if (m_sortColumn == Col::colCumTime || m_sortColumn == Col::colCumTimeDisplay)
        workOut_m();
    emit rowsChanged();
}

// ---- saving --------------------------------------------------------------------------------

bool clsSegmentDocument::save(const QString& failureText, const QString& goneText)
{
    if (!m_rows)
        throw AppError(91, QStringLiteral("Object variable or With block variable not set"),
                       QStringLiteral("frmSegmentDetail.Save_mf"));
    const bool changedElsewhere = clsSegmentWriter(m_db, failureText, goneText).Save_p(m_segment, *m_rows, m_stored);
    setDirty(false);
    return changedElsewhere;
}

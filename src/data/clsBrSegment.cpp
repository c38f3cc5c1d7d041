#include "data/clsBrSegment.h"

#include "app/clsMessageHandler.h"
#include "app/modapp.h"
#include "app/modlib.h"
#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/Connection.h"
#include "platform/MessagePresenter.h"
#include "platform/Recordset.h"

#include <cmath>

namespace {
const QString Table = QStringLiteral("tblSegment");

const char* const Names[] = {"lSegmentID",    "lSegmentTypeID",  "lEventID",      "lCategoryID",  "lRateTypeID",
                             "lSpeedTypeID",  "lDistanceTypeID", "sSegmentLabel", "dtImportDate", "dtSegmentDate",
                             "dtSegmentTime", "fReviewed",       "mNotes"};

const QString NoRecordsText = QStringLiteral("No records could be found matching the given criteria.");
const QString MoreThanOneText = QStringLiteral("More than one record was returned.");
const QString RetrieveNewText = QStringLiteral("Unable to retrieve new record for update.");
const QString UpdateLostText = QStringLiteral(
    "Unable to save changes.  Your changes have not been applied and have been lost.  Perhaps another "
    "user has modified the record while you were editing it.  Reverting to the most recently saved record.");
const QString DeleteFailedText = QStringLiteral("Unable to delete record.");

Value toDateValue(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Date:
    case Value::Kind::Time:
    case Value::Kind::DateTime: return v;
    case Value::Kind::Text: {
        const QString t = v.asText().trimmed();
        const QDateTime dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (dt.isValid())
            return Value(dt);
        // A date first, then a time of day; each raises 13 when it is neither.
        try {
            return Value(v.toDate());
        } catch (const AppError&) {
        }
        return Value(v.toTime());
    }
    default: {
        // A number counts days from 30 December 1899, the fraction being the time.
        const double d = v.toDouble();
        const QDate day = QDate(1899, 12, 30).addDays(qint64(std::floor(d)));
        const double frac = d - std::floor(d);
        if (frac == 0)
            return Value(day);
        return Value(QDateTime(day, QTime(0, 0).addMSecs(int(std::llround(frac * 86400000.0)) % 86400000)));
    }
    }
}
}  // namespace

// ---- values -----------------------------------------------------------------

Value clsBrSegment::convert(int column, const Value& v)
{
    if (v.isNull())
        return v;
    try {
        switch (column) {
        case Label: return Value(TrimSpaces_gs(v.asText().left(LabelLength)));
        case ImportDate:
        case SegmentDate:
        case SegmentTime: return toDateValue(v);
        case Reviewed: return Value(v.toBool());
        case Notes: return v;
        default: return Value(v.toLong());
        }
    } catch (const AppError&) {
        throw AppError(ErrNo::InvalidPropertyValue, {}, QStringLiteral("clsBrSegment.") + QLatin1String(Names[column]));
    }
}

void clsBrSegment::setColumn(int column, const Value& v) { m_values[column] = convert(column, v); }

void clsBrSegment::lSegmentID(const Value& v) { setColumn(Key, v); }
void clsBrSegment::lSegmentTypeID(const Value& v) { setColumn(SegmentType, v); }
void clsBrSegment::lEventID(const Value& v) { setColumn(Event, v); }
void clsBrSegment::lCategoryID(const Value& v) { setColumn(Category, v); }
void clsBrSegment::lRateTypeID(const Value& v) { setColumn(RateType, v); }
void clsBrSegment::lSpeedTypeID(const Value& v) { setColumn(SpeedType, v); }
void clsBrSegment::lDistanceTypeID(const Value& v) { setColumn(DistanceType, v); }
void clsBrSegment::sSegmentLabel(const Value& v) { setColumn(Label, v); }
void clsBrSegment::dtImportDate(const Value& v) { setColumn(ImportDate, v); }
void clsBrSegment::dtSegmentDate(const Value& v) { setColumn(SegmentDate, v); }
void clsBrSegment::dtSegmentTime(const Value& v) { setColumn(SegmentTime, v); }
void clsBrSegment::fReviewed(const Value& v) { setColumn(Reviewed, v); }
void clsBrSegment::mNotes(const Value& v) { setColumn(Notes, v); }

QStringList clsBrSegment::FieldNames()
{
    QStringList names;
    for (const char* n : Names)
        names.append(QLatin1String(n));
    return names;
}

int clsBrSegment::columnOf(const QString& name) const
{
    for (int i = 0; i < ColumnCount; ++i)
        if (name.compare(QLatin1String(Names[i]), Qt::CaseInsensitive) == 0)
            return i;
    throw AppError(ErrNo::PropertyNotFound, {}, QStringLiteral("clsBrSegment.Fields"));
}

Value clsBrSegment::Fields(const QString& name) const { return m_values[columnOf(name)]; }

void clsBrSegment::Fields(const QString& name, const Value& v) { setColumn(columnOf(name), v); }

bool clsBrSegment::Clear_pf()
{
    for (Value& v : m_values)
        v = Value::null();
    m_lastSaveInserted = false;
    return true;
}

void clsBrSegment::ForgetKey_p()
{
    m_values[Key] = Value::null();
    m_lastSaveInserted = false;
}

// ---- database -----------------------------------------------------------------

clsAdoConnectJet& clsBrSegment::connection() const
{
    if (!DatabaseConnection)
        throw AppError(91, QStringLiteral("Object variable or With block variable not set"),
                       QStringLiteral("clsBrSegment"));
    return *DatabaseConnection;
}

void clsBrSegment::exclaim(const QString& text)
{
    if (clsMessageHandler* handler = modapp::MessageHandler())
        handler->ShowMessage_gl(text, MessageBoxStyle::Exclamation);
    else
        MessagePresenter::show(text, MessageBoxStyle::Exclamation, AppInfo::title());
}

Value clsBrSegment::bound(int column) const
{
    // Each value as the column stores it: ids as numbers, the dates as their
    // day, the time as its time of day, the flag as -1 or 0, texts as typed.
    const Value& v = m_values[column];
    if (v.isNullOrEmpty())
        return Value::null();
    switch (column) {
    case Label:
    case Notes: return Value(v.asText());
    case ImportDate:
    case SegmentDate: return Value(v.toDate());
    case SegmentTime: return Value(v.toTime());
    case Reviewed: return Value(v.toBool());
    default: return Value(v.toLong());
    }
}

QList<Value> clsBrSegment::boundValues() const
{
    QList<Value> values;
    for (int c = SegmentType; c < ColumnCount; ++c)
        values.append(bound(c));
    return values;
}

bool clsBrSegment::Save_pf()
{
    if (!m_values[Key].isNull())
        return Update_pf();

    clsAdoConnectJet& conn = connection();
    // Bound, never quoted into the statement: typed text is stored as typed.
    conn.SQLExecute_pl(QStringLiteral("INSERT INTO tblSegment ( lSegmentTypeID, lEventID, lCategoryID, "
                                      "lRateTypeID, lSpeedTypeID, lDistanceTypeID, sSegmentLabel, "
                                      "dtImportDate, dtSegmentDate, dtSegmentTime, fReviewed, mNotes ) VALUES "
                                      "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                       boundValues());

    // The row this connection just inserted, whatever else is in the table.
    const qint64 newId = conn.Connection()->LastInsertRowId();
    if (!Retrieve_pf(Value(newId))) {
        exclaim(RetrieveNewText);
        return false;
    }
    m_lastSaveInserted = true;
    return true;
}

bool clsBrSegment::Update_pf()
{
    clsAdoConnectJet& conn = connection();
    QStringList sets;
    for (int c = SegmentType; c < ColumnCount; ++c)
        sets.append(QLatin1String(Names[c]) + QStringLiteral(" = ?"));
    const qint32 n = conn.SQLExecute_pl(QStringLiteral("UPDATE tblSegment SET ") + sets.join(QStringLiteral(", "))
                                            + QStringLiteral(" WHERE lSegmentId = ?"),
                                        boundValues() << bound(Key));
    if (n <= 0)
        exclaim(UpdateLostText);
    if (!Retrieve_pf(m_values[Key])) {
        exclaim(RetrieveNewText);
        return false;
    }
    m_lastSaveInserted = false;
    return true;
}

bool clsBrSegment::Retrieve_pf(const Value& id)
{
    clsAdoConnectJet& conn = connection();
    // An integer, never text pasted into the statement.
    const qint32 key = id.toLong();
    std::unique_ptr<Recordset> rs;
    const qint32 count = conn.SQLOpenRecordset_pl(
        rs,
        QStringLiteral("SELECT lSegmentID, lSegmentTypeID, lEventID, lCategoryID, lRateTypeID, lSpeedTypeID, "
                       "lDistanceTypeID, sSegmentLabel, dtImportDate, dtSegmentDate, dtSegmentTime, fReviewed, "
                       "mNotes FROM tblSegment WHERE lSegmentID = %1")
            .arg(key),
        clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
    if (count == 0) {
        exclaim(NoRecordsText);
        return false;
    }
    if (count > 1) {
        exclaim(MoreThanOneText);
        return false;
    }
    // Through the setters (the label rule holds on load too), into a copy so
    // a value that fails to convert leaves the record as it was.
    std::array<Value, ColumnCount> loaded = m_values;
    for (int i = 0; i < rs->FieldCount(); ++i) {
        const Field f = rs->Fields(i);
        loaded[columnOf(f.Name())] = convert(columnOf(f.Name()), f.Value());
    }
    m_values = loaded;
    return true;
}

bool clsBrSegment::Delete_Pf()
{
    const qint32 n = connection().SQLExecute_pl(QStringLiteral("DELETE FROM ") + Table + QStringLiteral(" WHERE ")
                                                    + QLatin1String(Names[Key]) + QStringLiteral(" = ?"),
                                                {bound(Key)});
    if (n > 0) {
        Clear_pf();
        return true;
    }
    exclaim(DeleteFailedText);
    return false;
}

#pragma once

#include "platform/Value.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

class clsAdoConnectJet;

// One row of tblSegment in memory: loads, inserts, updates and deletes it.
// Every value is Null until set; setters convert (ids to 32-bit integers, the
// label to its first 50 characters trimmed, dates and times to date values,
// the flag to a Boolean) and raise 380 for a value that does not convert.
// The record holds no transaction: its users begin one around Save_pf.
class clsBrSegment {
public:
    // The record-set connection every statement runs on; set by the user.
    clsAdoConnectJet* DatabaseConnection = nullptr;

    static constexpr int LabelLength = 50;

    clsBrSegment() = default;

    Value lSegmentID() const { return m_values[Key]; }
    void lSegmentID(const Value& v);
    Value lSegmentTypeID() const { return m_values[SegmentType]; }
    void lSegmentTypeID(const Value& v);
    Value lEventID() const { return m_values[Event]; }
    void lEventID(const Value& v);
    Value lCategoryID() const { return m_values[Category]; }
    void lCategoryID(const Value& v);
    Value lRateTypeID() const { return m_values[RateType]; }
    void lRateTypeID(const Value& v);
    Value lSpeedTypeID() const { return m_values[SpeedType]; }
    void lSpeedTypeID(const Value& v);
    Value lDistanceTypeID() const { return m_values[DistanceType]; }
    void lDistanceTypeID(const Value& v);
    Value sSegmentLabel() const { return m_values[Label]; }
    void sSegmentLabel(const Value& v);
    Value dtImportDate() const { return m_values[ImportDate]; }
    void dtImportDate(const Value& v);
    Value dtSegmentDate() const { return m_values[SegmentDate]; }
    void dtSegmentDate(const Value& v);
    Value dtSegmentTime() const { return m_values[SegmentTime]; }
    void dtSegmentTime(const Value& v);
    Value fReviewed() const { return m_values[Reviewed]; }
    void fReviewed(const Value& v);
    Value mNotes() const { return m_values[Notes]; }
    void mNotes(const Value& v);

    // The thirteen values by column name, without regard to case; 422 for
    // any other name.
    Value Fields(const QString& name) const;
    void Fields(const QString& name, const Value& v);
    // The column names in table order.
    static QStringList FieldNames();

    bool Save_pf();    // inserts when the key is Null, else updates
    bool Update_pf();  // writes the twelve non-key columns of row lSegmentID
    bool Retrieve_pf(const Value& id);
    bool Delete_Pf();
    bool Clear_pf();  // every value back to Null; the connection stays

    // Whether the last Save_pf inserted the row it now holds.
    bool LastSaveInserted_pf() const { return m_lastSaveInserted; }
    // After the caller rolled back the transaction in which Save_pf inserted,
    // the key names a row that no longer exists: this makes the record new
    // again (values kept) so the next save inserts.
    void ForgetKey_p();

private:
    enum Column {
        Key,
        SegmentType,
        Event,
        Category,
        RateType,
        SpeedType,
        DistanceType,
        Label,
        ImportDate,
        SegmentDate,
        SegmentTime,
        Reviewed,
        Notes,
        ColumnCount
    };

    int columnOf(const QString& name) const;
    void setColumn(int column, const Value& v);
    static Value convert(int column, const Value& v);
    // A value as its statement binds it.
    Value bound(int column) const;
    // The twelve non-key values in table order.
    QList<Value> boundValues() const;
    clsAdoConnectJet& connection() const;
    static void exclaim(const QString& text);

    std::array<Value, ColumnCount> m_values{Value::null(), Value::null(), Value::null(), Value::null(), Value::null(),
                                            Value::null(), Value::null(), Value::null(), Value::null(), Value::null(),
                                            Value::null(), Value::null(), Value::null()};
    bool m_lastSaveInserted = false;
};

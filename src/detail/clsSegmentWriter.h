#pragma once

#include <QString>

class Recordset;
class clsAdoConnectJet;
class clsBrSegment;

// Writes a segment and all its rows in one transaction: the segment row
// through its record, then its rows replaced. Every row of the record set
// is written whatever its filter, sort or current row (deleted rows are
// not), each then carrying the segment's id. Any failure rolls back and
// leaves the record and the rows with the ids they had, so the next save
// starts over cleanly (a new segment is new again); the error is raised.
class clsSegmentWriter {
public:
    // Raised, with goneText as its description, when the segment was deleted
    // since it was loaded: nothing is written then.
    static constexpr qint32 SegmentGone = 4105;

    clsSegmentWriter(clsAdoConnectJet& db, QString failureText, QString goneText = {})
        : m_db(db), m_failureText(std::move(failureText)), m_goneText(std::move(goneText))
    {
    }

    void Save_p(clsBrSegment& segment, Recordset& rows);

private:
    clsAdoConnectJet& m_db;
    // The description of 4100: the record refused its row, or the table a row.
    QString m_failureText;
    QString m_goneText;
};

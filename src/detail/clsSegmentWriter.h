#pragma once

#include "platform/Recordset.h"

#include <QString>

#include <vector>

class clsAdoConnectJet;
class clsBrSegment;
class clsStoredRows;

// Writes a segment and its rows in one transaction: the segment row through
// its record, then the rows that changed since they were read or last saved,
// whatever the record set's filter, sort or current row: a deleted row is
// deleted, an added one inserted (it then carries its key and the segment's
// id), an edited one updated in the stored columns assigned. When the stored
// rows are no longer those read or last saved (another program changed
// them), every row of the record set is written in their place instead.
// Any failure rolls back and leaves the record and the rows with the ids
// they had and every change still pending, so the next save starts over
// cleanly (a new segment is new again); the error is raised.
class clsSegmentWriter {
public:
    // Raised, with goneText as its description, when the segment was deleted
    // since it was loaded: nothing is written then.
    static constexpr qint32 SegmentGone = 4105;

    clsSegmentWriter(clsAdoConnectJet& db, QString failureText, QString goneText = {})
        : m_db(db), m_failureText(std::move(failureText)), m_goneText(std::move(goneText))
    {
    }

    // True when the rows had been changed elsewhere and all were written again.
    bool Save_p(clsBrSegment& segment, Recordset& rows, clsStoredRows& stored);

    // The columns of a row the table stores besides its key and segment, as
    // the table names them.
    struct StoredColumn {
        int column;
        const char* name;
    };
    static const std::vector<StoredColumn>& StoredColumns();

private:
    // A key or id the save gave a row, with what the row held before.
    struct Given {
        qint32 bookmark;
        int column;
        Value before;
    };
    void writeRow_m(const Recordset::PendingRow& row, const Value& id, Recordset& all, std::vector<Given>& given);

    clsAdoConnectJet& m_db;
    // The description of 4100: the record refused its row, or the table a row.
    QString m_failureText;
    QString m_goneText;
};

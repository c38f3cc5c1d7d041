#pragma once

#include "platform/Recordset.h"
#include "platform/Value.h"

#include <QtGlobal>

#include <optional>
#include <vector>

class clsAdoConnectJet;

// What the detail window last read or stored of its segment's rows, so that
// a save can tell inside its transaction, and cheaply, whether another
// program changed them since: the database's data version then (it moves
// only when another connection commits), and one checksum per row (its key
// and stored columns), kept by bookmark so that a save adds what it wrote
// without reading the rows again. Rows read again compare by their count and
// the order-free sum of their checksums.
class clsStoredRows {
public:
    // Before the rows are read: a commit from elsewhere after this is seen.
    void Begin_p(clsAdoConnectJet& db);
    // The rows as read (every row, whatever the view shows) are the stored ones.
    void Take_p(const Recordset& rows);
    // Nothing stored yet (a new segment, or none shown).
    void Clear_p();

    // Inside the save's transaction, before anything is written: whether the
    // segment's stored rows are those taken. Only when another connection
    // has committed since are the rows read to compare.
    bool Unchanged_pf(clsAdoConnectJet& db, const Value& segmentID);

    // What a save wrote, to take once it is committed: the rows written
    // (by bookmark, with their values as now stored), and the rows gone.
    struct Written {
        std::vector<qint32> gone;
        std::vector<std::pair<qint32, quint64>> stored;
        bool everyRow = false;  // all rows were written again: nothing else is stored
    };
    // One row's checksum: its key and stored columns, numbers by value.
    static quint64 Checksum_pq(const Recordset& rows, int viewRow);
    // After the commit: the stored rows are those written, as of the data
    // version the save's check read.
    void Saved_p(const Written& written);

private:
    void keep_m(qint32 bookmark, quint64 checksum);

    qint64 m_version = -1;
    qint64 m_checkedVersion = -1;
    std::vector<std::optional<quint64>> m_byBookmark;  // a row's checksum, or none, by bookmark
};

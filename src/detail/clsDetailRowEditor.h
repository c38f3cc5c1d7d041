#pragma once

#include "platform/Value.h"

#include <QObject>
#include <QString>

#include <optional>
#include <utility>

class DataGrid;
class QTabWidget;
class Recordset;
class clsSegmentDocument;

// What the user does to the rows of a segment detail window: the checks of
// a typed cell, the stored values behind a typed cumulative time or rate,
// added time and rate rows, deleted rows and cleared cells. Every change goes
// to the document's rows through the grid that shows them; the database sees
// it only when the segment is saved.
class clsDetailRowEditor : public QObject {
    Q_OBJECT
public:
    // The rows' grid and the tab control whose first page shows it.
    clsDetailRowEditor(clsSegmentDocument& document, DataGrid* grid, QTabWidget* tabs, QObject* parent);

    // The rate unit a typed rate is read in.
    struct RateUnit {
        qint32 type = 1;  // 1 seconds per cycle: stored as typed
        double factor = 1.0;
    };

    // A typed number as every number a user types is read (the locale's form
    // or ".", never with group signs); nothing for any other text.
    static std::optional<double> Number_p(const QString& text);
    // The text id that refuses a typed cell, 0 when the cell may be stored.
    // A label is made upper case (and trimmed) in place.
    static qint32 CheckCell_pl(int column, QString& text, const QString& rowLabel);
    // The words of that refusal, its limits written as the locale writes them.
    static QString CheckText_ps(qint32 textID);
    // Seconds of a time typed as the digits hhmmss[.hh] (minutes and seconds
    // above 59 count as they are); nothing when negative or beyond 32 bits.
    static std::optional<double> SecondsFromTyped_pd(double typed);
    // Seconds of a typed cumulative time: the digits above, or the time as
    // the cell shows it (hh:mm'ss.hh) or without its hours (mm'ss.hh,
    // mm'ss), in the locale's decimal sign; nothing for any other text.
    static std::optional<double> CumSeconds_pd(const QString& text);
    // The stored rate (seconds per cycle) of a typed one; empty, not a
    // number or 0 under strokes per time store 0.
    static double RateFromTyped_pd(const QString& typed, const RateUnit& unit);
    // The label of a new row of the kind ('T' or 'R'): one above the largest
    // number among all the rows' labels of that kind.
    static QString NextLabel_ps(const Recordset& rows, QChar kind);
    // One above the largest entry order of all the rows, 0 for the first.
    static qint32 NextOrdinal_pl(const Recordset& rows);
    // The stored value behind the current row's typed cumulative time or rate.
    static void ConvertTyped_p(Recordset& rows, int column, const RateUnit& unit);
    // Writes a value into the current row as if typed; an athlete left empty
    // or 0 is the placeholder athlete 1.
    static void StoreTyped_p(Recordset& rows, int column, const Value& typed, const RateUnit& unit);
    // A column Clear may write: shown, not worked out, not the label.
    static bool clearable(const DataGrid* grid, int column);

    RateUnit rateUnit() const;
    // The athletes of the rows may have changed: the checklist follows.
    void notifyAthletes_p() { emit AthletesChanged(); }

    void dbgMain_BeforeColUpdate(int column, const Value& oldValue, bool* cancel);
    void dbgMain_AfterColEdit(int column);
    void dbgMain_AfterUpdate();
    void cmdAddTime_Click();
    void cmdAddRate_Click();
    void deleteRows_p();
    void cmdDeleteRow_Click() { deleteRows_p(); }
    void ClearSelection_p();

signals:
    void AthletesChanged();

protected:
    // The cumulative time's column head says how a time is typed.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addRow_m(QChar kind);

    clsSegmentDocument& m_doc;
    DataGrid* m_grid;
    QTabWidget* m_tabs;
    // The cell whose typed text passed its check, with the value it had.
    std::optional<std::pair<int, Value>> m_edit;
};

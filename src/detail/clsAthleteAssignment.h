#pragma once

#include "platform/Value.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>

class ComboBox;
class DataGrid;
class Recordset;
class clsSegmentDocument;

// The athletes of a segment's rows in the detail window: the athlete column's
// value list (the category's active athletes and the placeholder athlete 1),
// the checklist of the athletes the rows name, whose checked ones filter the
// rows, a typed name not in the list, and the category change that sends rows
// of athletes outside the new category back to the placeholder.
class clsAthleteAssignment : public QObject {
    Q_OBJECT
public:
    static constexpr qint32 Placeholder = 1;

    // The rows' grid (its athlete column), the checklist grid and the category box.
    clsAthleteAssignment(clsSegmentDocument& document, DataGrid* grid, DataGrid* checklist, ComboBox* category);
    ~clsAthleteAssignment() override;

    // The checklist and the value list of a segment being opened; raises
    // what fails, so that the opening says it once.
    void Load_p(const Value& vCategoryID);
    // The active athletes of the category (all of them for Null) and the placeholder.
    void MakeAthleteValueItems_m(const Value& vCategoryID);
    // The stored value of the first item of the column's value list whose
    // display text (lMode 1) or stored value (any other lMode) reads as vValue; -1 when none.
    qint32 inValueItems_pl(qint32 lColIndex, const Value& vValue, qint32 lMode) const;
    // The checklist again from the rows: checked is "has a row the filter shows".
    bool RetrieveRoster_mf();
    void cbolCategoryID_Validate(bool& Cancel);
    // The athletes changed elsewhere: checklist and value list again, filter kept.
    void Requery_p();
    // After the program set an athlete cell: the checklist follows, the segment is changed.
    void AthleteEdited_p();

    // The category the value list was last built for (Null: none).
    Value ListCategory() const { return m_listCategory; }
    Recordset* Roster() const { return m_roster.get(); }
    // The selected item's data, Null without a selection.
    static Value SelectedId(const ComboBox* cbo);

signals:
    // The user wants the typed name added as an athlete of the category (0: none).
    void NewAthleteWanted(const QString& name, qint32 categoryID);

private slots:
    void dbgMain_ValueNotInList(int col, QString* text, bool* retry);
    void dbgMain_FormatText(int col, Value* value);
    void dbgRosterForDetail_BeforeColEdit(int col, int key, bool* cancel);
    void dbgRosterForDetail_AfterUpdate();

private:
    void buildValueList_m(const Value& vCategoryID);
    // False when there are no rows to list.
    bool rebuildChecklist_m();
    // The prompt for a typed name, once the edit has ended.
    void askNewAthlete_m();
    // Names of athletes like the typed text, one a line.
    QString similarNames_m(const QString& typed) const;
    // Rows of the listed athletes, hidden ones too, go to the placeholder; how many moved.
    int moveToPlaceholder_m(const QList<qint32>& ids);

    clsSegmentDocument& m_doc;
    DataGrid* m_grid;
    DataGrid* m_checklist;
    ComboBox* m_category;
    std::unique_ptr<Recordset> m_roster;
    Value m_listCategory;
    // Every athlete's name: rows keep athletes the list no longer offers.
    QHash<qint32, QString> m_names;
    QString m_typedName;
    Value m_typedRow;
    bool m_asking = false;
};

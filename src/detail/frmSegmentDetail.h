#pragma once

#include "app/clsEditField.h"
#include "data/clsBrSegment.h"
#include "detail/clsSegmentHeader.h"
#include "platform/AppError.h"
#include "platform/Value.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ComboBox;
class DataGrid;
class DatePicker;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class Recordset;
class clsAthleteAssignment;
class clsDetailGridCommands;
class clsDetailReferenceFields;
class clsDetailRowEditor;
class clsFamily;
class clsFormRefresher;
class clsSegmentDocument;

// One segment in its own window: the header fields bound to the segment
// record, and the grid of its time and rate rows with the derived columns in
// the segment's units. The segment and its rows are the window's document
// (clsSegmentDocument); the window shows it, and follows its signals.
class frmSegmentDetail : public QWidget {
    Q_OBJECT
public:
    explicit frmSegmentDetail(QWidget* parent = nullptr);
    ~frmSegmentDetail() override;

    // Members other windows call by name.
    Q_INVOKABLE void FormRefresher_po(clsFormRefresher* refresher);
    Q_INVOKABLE void ForceSendRefreshRequest_p();
    Q_INVOKABLE void Form_Activate();
    Q_INVOKABLE bool Retrieve_pf(qint32 segmentID);
    Q_INVOKABLE bool NewRecord_Pf();
    Q_INVOKABLE void Dirty_pf(bool dirty);
    Q_INVOKABLE void SetGridColumns_p(qint32 column, bool visible);
    Q_INVOKABLE void SetSpeedType_p(qint32 speedTypeID);
    Q_INVOKABLE void SetDistanceType_p(qint32 distanceTypeID);
    Q_INVOKABLE void SetRateType_p(qint32 rateTypeID);
    Q_INVOKABLE void SetOrder_P(const QString& order);
    // Row commands of the Edit and File menus.
    Q_INVOKABLE void SelectAllRows_p();
    Q_INVOKABLE void deleteRows_p();
    Q_INVOKABLE void ClearSelection_p();
    Q_INVOKABLE bool FillDown_pf();
    Q_INVOKABLE void Print_P(bool preview = true);
    Q_INVOKABLE void PageSetup_P();
    // The stored segment shown, 0 for one not saved yet.
    Q_INVOKABLE qint32 SegmentID_pl() const;
    // The detail record set, for the find engine.
    Q_INVOKABLE Recordset* DataSource_Po() const;
    // Asked before the program ends: false keeps it running.
    Q_INVOKABLE bool QueryUnload_pf();
    // The reference windows' call-back after their save: 1 category, 2 event,
    // 3 athlete, 6 segment type, with the saved id (Null for none).
    Q_INVOKABLE void setObjectID_p(qint32 lTag, const QVariant& vID);

    // The athletes of the rows and the reference windows (their helpers do the work).
    void NewAthlete_M(const QString& sName, qint32 lCategoryID);
    void MakeAthleteValueItems_m(const Value& vCategoryID = Value());
    qint32 inValueItems_pl(qint32 lColIndex, const Value& vValue, qint32 lMode) const;
    bool RetrieveRoster_mf();
    void cbolCategoryID_Validate(bool& Cancel);

    bool Dirty_pf() const;
    clsDetailRowEditor* rowEditor() const { return m_rowEditor; }
    clsSegmentDocument& document() const { return *m_doc; }
    clsBrSegment& segment();
    qint32 sortColumn() const;
    const std::vector<clsEditField>& editFields() const { return m_header.Fields(); }

    // The neighbour values of the record set's current row among its shown rows.
    static double getCumPrevious_md(Recordset& rows);
    static double getCumNext_md(Recordset& rows);
    static double getDistanceNext_md(Recordset& rows);

    // The first size in twips, and the least the window takes.
    static constexpr int DesignWidth = 9840;
    static constexpr int DesignHeight = 6765;
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    // Controls, named as designed.
    QGroupBox* fraHeader = nullptr;
    QLineEdit* txtsSegmentLabel = nullptr;
    DatePicker* dtpdtSegmentDate = nullptr;
    DatePicker* dtpdtImportDate = nullptr;
    QLineEdit* txtdtSegmentTime = nullptr;
    ComboBox* cbolCategoryID = nullptr;
    ComboBox* cbolEventId = nullptr;
    ComboBox* cbolSegmentTypeID = nullptr;
    QCheckBox* chkfReviewed = nullptr;
    QPushButton* cmdDetailsCategory = nullptr;
    QPushButton* cmdDetailsEvent = nullptr;
    QPushButton* cmdDetailsSegmentType = nullptr;
    QTabWidget* ssTab1 = nullptr;
    DataGrid* dbgMain = nullptr;
    DataGrid* dbgRosterForDetail = nullptr;
    QPlainTextEdit* txtmNotes = nullptr;
    QPushButton* cmdAddRate = nullptr;
    QPushButton* cmdAddTime = nullptr;
    QPushButton* cmdDeleteRow = nullptr;
    QPushButton* cmdPrintGrid = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;

public slots:
    void moFormRefresher_RefreshRequested(qint32 lType, const QVariant& vArg);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void cmdSave_Click();
    void cmdClose_Click();
    void dtpdtImportDate_GotFocus();
    void dtpdtSegmentDate_GotFocus();
    void dbgMain_GotFocus();
    void dbgMain_LostFocus();

private:
    void buildControls_m();
    void connectDocument_m();
    void connectRowCommands_m();
    void Form_Load();
    // The control the key went to is the active one.
    void Form_KeyDown(int keyCode, const QWidget* active);
    bool Form_QueryUnload();
    void Form_Unload();

    bool InitializeGrid_mf();
    bool InitializeCboCategory_mf();
    bool InitializeCboEvent_mf();
    bool InitializeCboSegmentType_mf();
    void fillCombo_m(ComboBox* cbo, const char* sql);
    bool initCombo_mf(const char* proc, ComboBox* cbo, const char* sql);
    void refillKeepingSelection_m(ComboBox* cbo, bool (frmSegmentDetail::*initializer)());
    void InitializeBusinessRule_m();
    void CheckMenuItems_m();
    void SetEditFieldValues_m();
    bool UpdateDisplay_mf();
    // failed, when given, tells a test that could not be made from "no change".
    bool SetObjAndCheckForDirty_mf(bool* failed = nullptr);
    bool SetStatusOfMdiMenus_Pf();
    // Opens a segment through the steps (false: not shown); a failure in any
    // step is said once and leaves the window with nothing to save.
    bool load_mf(const char* proc, const std::function<bool()>& steps);
    void menusAfterLoad_m();

    void RefreshGridHeaders_m();

    bool Validate_mf();
    bool Save_mf();

    void recordActiveControl_m(QWidget* control);
    QString text_m(qint32 id, const QString& defaultText) const;

    clsSegmentDocument* m_doc = nullptr;  // a child of the window
    clsSegmentHeader m_header;
    std::unique_ptr<clsFamily> m_family;
    std::unique_ptr<clsDetailReferenceFields> m_referenceFields;
    std::unique_ptr<clsAthleteAssignment> m_athletes;
    QPointer<clsFormRefresher> moFormRefresher;
    // What failed while the window loaded its lists, said when a segment is opened.
    std::optional<AppError> m_loadFault;
    bool m_resizedOnce = false;
    bool m_unloaded = false;
    QWidget* m_body = nullptr;
    clsDetailRowEditor* m_rowEditor = nullptr;  // a child of the window
    std::unique_ptr<clsDetailGridCommands> m_gridCommands;
};

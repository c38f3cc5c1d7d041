#pragma once

#include "platform/Value.h"

#include <QDate>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class ComboBox;
class DataGrid;
class DatePicker;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class Recordset;
class clsFormRefresher;
class clsSearchSegment;

// The segment list: a search page whose boxes build the search, and a list
// page with one row per matching segment, from which segments are opened,
// created, deleted and exported.
class frmSegmentList : public QWidget {
    Q_OBJECT
public:
    // The save-file question of the export: the chosen path, or nothing when
    // the user cancelled. Tests answer it themselves.
    using SaveFileAsker = std::function<std::optional<QString>(QWidget* parent, const QString& title,
                                                               const QString& filter, const QString& defaultName)>;
    static void setSaveFileAsker(SaveFileAsker asker);

    explicit frmSegmentList(QWidget* parent = nullptr);
    ~frmSegmentList() override;

    // Members other windows call by name.
    Q_INVOKABLE void FormRefresher_po(clsFormRefresher* refresher);
    Q_INVOKABLE void ForceSendRefreshRequest_p();
    Q_INVOKABLE void SelectAllRows_p();
    Q_INVOKABLE void deleteRows_p();
    Q_INVOKABLE void Export_p();
    Q_INVOKABLE void Form_Activate();
    Q_INVOKABLE void SetOrder_P(const QString& order);
    Q_INVOKABLE void Search_p();
    Q_INVOKABLE void SetTab_p(qint32 tab);
    // The review window's hand-off: the import date of a download in both
    // pickers (an invalid date leaves the picker without a value), then Search_p.
    Q_INVOKABLE void ImportDateFrom_p(const QDate& date);
    Q_INVOKABLE void ImportDateTo_p(const QDate& date);

    clsFormRefresher* formRefresher() const;
    Recordset* listRecordset() const { return m_rs.get(); }
    qint32 sortColumn() const { return m_sortColumn; }
    void sortColumn(qint32 column) { m_sortColumn = column; }
    QString sortOrder() const { return m_sortOrder; }

    // Controls, named as designed.
    QTabWidget* ssTab1 = nullptr;
    QGroupBox* fraSearch = nullptr;
    QLineEdit* txtSegmentNumber = nullptr;
    QLineEdit* txtLastName = nullptr;
    QLineEdit* txtEvent = nullptr;
    ComboBox* cboCategory = nullptr;
    ComboBox* cboSegmentType = nullptr;
    ComboBox* cboSegmentStatus = nullptr;
    DatePicker* dtpImportDateFrom = nullptr;
    DatePicker* dtpImportDateTo = nullptr;
    DatePicker* dtpSegmentDateFrom = nullptr;
    DatePicker* dtpSegmentDateTo = nullptr;
    QPushButton* cmdSearch = nullptr;
    QPushButton* cmdClear = nullptr;
    DataGrid* dbgMain = nullptr;
    QPushButton* cmdDetails = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdClose = nullptr;

    // The first size in twips, and the least the window takes.
    static constexpr int DesignWidth = 8448;
    static constexpr int DesignHeight = 6096;
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

public slots:
    void RefreshRequested(qint32 lType, const QVariant& vArg);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void cmdSearch_Click();
    void cmdClear_Click();
    void cmdDetails_Click();
    void cmdNew_Click();
    void cmdDelete_Click();
    void cmdExport_Click();
    void cmdClose_Click();
    void ssTab1_Click(int previousTab);
    void dbgMain_DblClick();
    void dbgMain_MouseUp(int button, int shift, int x, int y);
    void dbgMain_FormatText(int col, Value* value);

private:
    void buildControls_m();
    void Form_Load();
    void InitializeForm_m();
    void RefreshGrid_m();
    bool SetStatusOfMdiMenus_Pf();

    void searchBody_m();
    void deleteBody_m();
    // Builds the criteria of the search page into the query.
    void fillCriteria_m(clsSearchSegment& search);
    // The item data of a combo's item. Typed text: a text
    // equal to an item picks it; any other text means no condition.
    std::optional<qint32> comboCriterion_m(ComboBox* cbo);
    void setDateCriterion_m(clsSearchSegment& search, bool importDates, const Value& from, const Value& to);
    // Swaps in a freshly opened list; the old one stays when opening fails.
    void openList_m(const QString& sql);
    void openSegmentDetail_m(bool newRecord);
    // Brings forward the detail window already showing the segment; false when none does.
    bool activateOpenDetail_m(qint32 segmentID);
    // The segments and their rows, in one transaction.
    void deleteSegments_m(const QString& ids);
    void recordActiveControl_m(QWidget* control);
    QString text_m(qint32 id, const QString& defaultText) const;

    std::unique_ptr<Recordset> m_rs;
    qint32 m_sortColumn = 0;
    QString m_sortOrder;
    QPointer<clsFormRefresher> m_refresher;
    bool m_firstResize = false;
    QPushButton* m_defaultButton = nullptr;
};

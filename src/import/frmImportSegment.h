#pragma once

#include "app/MenuRow.h"
#include "app/clsFormRefresher.h"

#include <QDate>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>

class DataGrid;
class QPushButton;
class Recordset;
class Value;

// The review window of a download: lists the staged segments, all ticked to
// keep; the user unticks some, picks a segment type or category, and saves.
// The save copies every kept segment and its rows into the segment tables in
// one transaction, then opens a segment list at the import date.
class frmImportSegment : public QWidget {
    Q_OBJECT
public:
    // Grid columns, in design order.
    enum GridColumn {
        colSegment,
        colSegmentType,
        colCategory,
        colImportDate,
        colSegmentDate,
        colSegmentTime,
        colNotes,
        colSave,
        GridColumnCount
    };

    explicit frmImportSegment(QWidget* parent = nullptr);
    ~frmImportSegment() override;

    // Opens a new review window for the download of that day: created by its
    // registered kind (or directly), given the form refresher and the date,
    // and shown. The download window calls this when the image is parsed.
    static QWidget* openAfterDownload(const QDate& importDate);

    // This window's menu state: Undo and the sort items on, the View lists on.
    static MenuRow menuRow();

    Q_INVOKABLE void FormRefresher_po(clsFormRefresher* refresher);
    Q_INVOKABLE void Form_Activate();
    // "ASC" in any case sorts ascending, any other text descending, on the
    // field of the grid column last chosen for sorting.
    Q_INVOKABLE void SetOrder_P(const QString& order);
    Q_INVOKABLE QDate ImportDate_pdt() const { return m_importDate; }
    Q_INVOKABLE void ImportDate_pdt(const QDate& importDate);
    // Selects every row of the grid; it does not tick them.
    Q_INVOKABLE void SelectAllRows_p();

    // The first size in twips, and the least the window takes.
    static constexpr int DesignWidth = 8988;
    static constexpr int DesignHeight = 5940;
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    // The grid column the sort pop-up last chose (0 at load) and the last order.
    int sortColumn() const { return m_sortColumn; }
    QString sortOrder() const { return m_sortOrder; }
    // True once the save has committed: this window never saves again.
    bool saved() const { return m_saved; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void cmdSave_Click();
    void cmdSelectAll_Click();
    void cmdUnselectAll_Click();
    void cmdCancel_Click();
    void dbgMain_MouseUp(int button, int shift, int x, int y);
    void dbgMain_GotFocus();
    // Dates and times are taken as the grid shows them (dates also as year-month-day), else refused in words.
    void dbgMain_BeforeColUpdate(int column, const Value& oldValue, bool* cancel);
    void moFormRefresher_RefreshRequested(qint32 refreshType, const QVariant& value);

private:
    void Form_Load();
    void Form_Unload();
    void SetStatusOfMdiMenus_Pf();
    void MakeValueItems_M();
    void buildGrid();
    void setAllTicks(bool keep);
    // Writes every open cell edit and the current row's changes to the table.
    bool flushGridEdits();
    // The save's database part, all or nothing; throws on any failure.
    void saveKeptSegments();
    // After the commit: a segment list preset to the import date, searched.
    void openSegmentList();

    DataGrid* dbgMain = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdSelectAll = nullptr;
    QPushButton* cmdUnselectAll = nullptr;
    QPushButton* cmdCancel = nullptr;

    std::unique_ptr<Recordset> m_rs;
    QPointer<clsFormRefresher> moFormRefresher;
    QDate m_importDate;
    int m_sortColumn = 0;
    QString m_sortOrder = QStringLiteral("ASC");
    bool m_saved = false;
    bool m_shownOnce = false;
    bool m_unloaded = false;
};

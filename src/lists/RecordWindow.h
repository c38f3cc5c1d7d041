#pragma once

#include "platform/Value.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class DataGrid;
class DataGridColumn;
class QGridLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class Recordset;
class clsAdoConnectJet;
class clsFormRefresher;

// A list-and-detail child window over one reference table: the list page
// shows the table's rows in a grid, the detail page edits one row at a time.
// The four reference windows are this window with their own values and boxes.
//
// Members other windows call by name: FormRefresher_po, ForceSendRefreshRequest_p,
// Form_Activate, deleteRows_p, SelectAllRows_p, SetOrder_P, Validate_mf,
// Retrieve_pf, CallBack_Pobj, NewRecord_Pf, DataSource_Po and QueryUnload_pf.
//
// The call-back: a caller set through CallBack_Pobj gets, after each save,
//   setObjectID_p(qint32 tag, QVariant id)
// called by name with the window's ObjectTag and the saved row's id (an
// invalid QVariant for a new record saved unchanged); the window then closes.
// A caller that has closed meanwhile is skipped and the window still closes.
//
// A caller may switch off the list page with ssTab1->setTabEnabled(0, false):
// the user then cannot leave the detail page.
class RecordWindow : public QWidget {
    Q_OBJECT
public:
    // What each window fixes. The refresh type is also its ObjectTag.
    struct Config {
        const char* formName;
        const char* table;
        const char* idColumn;
        const char* listSql;
        qint32 captionId;
        const char* captionDefault;
        qint32 refreshType;
        const char* placeholder;
        int widthTwips;
        int heightTwips;
        bool clearEnabled;  // Edit, Clear on both pages
        bool setsNewButton = true;
        // What one row is to the user ("athlete"), for messages.
        const char* noun = "record";
    };

    // Modes of the detail page.
    enum Mode : qint32 { EditRow = 0, NewRow = 1, ListPage = 2 };

    ~RecordWindow() override;

    Q_INVOKABLE void FormRefresher_po(clsFormRefresher* refresher);
    Q_INVOKABLE void ForceSendRefreshRequest_p();
    Q_INVOKABLE void Form_Activate();
    Q_INVOKABLE void deleteRows_p();
    Q_INVOKABLE void SelectAllRows_p();
    Q_INVOKABLE void SetOrder_P(const QString& order);
    Q_INVOKABLE bool Validate_mf();
    // Shows the row with this id on the detail page; an id the list does not
    // hold leaves the list page as it is.
    Q_INVOKABLE bool Retrieve_pf(qint32 id);
    Q_INVOKABLE void CallBack_Pobj(QObject* caller);
    Q_INVOKABLE void CallBack_Pobj(QWidget* caller);
    Q_INVOKABLE bool NewRecord_Pf();
    Q_INVOKABLE Recordset* DataSource_Po() const;
    // Asked before the program ends: false keeps it running.
    Q_INVOKABLE bool QueryUnload_pf();

    qint32 mode() const { return m_mode; }
    bool dirty() const { return m_dirty; }
    // Empty before any row was shown, Null for a new record, else the row's id.
    Value rememberedId() const { return m_rememberedId; }
    QString sortOrder() const { return m_order; }
    bool unloaded() const { return m_unloaded; }
    const Config& config() const { return m_config; }
    // The design's first size, and the least the window takes.
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    QTabWidget* ssTab1 = nullptr;
    DataGrid* dbgMain = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdClose = nullptr;

public slots:
    void RefreshRequested(qint32 lType, const QVariant& vArg);

protected:
    RecordWindow(const Config& config, QWidget* parent);

    // Each window's constructor builds its boxes and grid columns, then loads.
    void Form_Load();

    // The detail page: a label and a control per row.
    QGridLayout* detailLayout() const { return m_detailLayout; }
    void addDetailRow(const char* labelName, const char* caption, QWidget* field);
    // A named one-line or memo box on its own row, bound to `field` (bindText).
    QLineEdit* addTextRow(int field, const char* boxName, const char* labelName, const char* caption);
    QPlainTextEdit* addMemoRow(int field, const char* boxName, const char* labelName, const char* caption);
    // A text box showing and writing record-set field `field` as text; the
    // box of field 1 gets the focus when the page opens.
    void bindText(int field, QWidget* box);
    // Changes of the control mark the page changed; its focus feeds Edit, Undo.
    void track(QWidget* control);
    void requireField(QWidget* box, const char* name);
    // A list column; width in twips, 0 for a column kept out of sight.
    DataGridColumn* addColumn(const char* field, const char* caption, int widthTwips);
    void setDirty(bool on) { m_dirty = on; }
    // True while the page is being filled or emptied by the window itself.
    bool filling() const { return m_filling; }
    void recordActiveControl(QWidget* control);

    // Hooks. The defaults serve the text boxes bound with bindText.
    virtual void clearDetail();
    virtual void fillDetail();  // from the current row
    virtual void writeDetail(Recordset& row);
    // Writes the page (insert in mode 1, else the remembered row) and returns
    // its id; Null when the row is gone (the user has been told).
    virtual Value writeRecord_m();
    // Runs the delete of the listed ids ("3, 5"); the rows deleted.
    virtual qint32 deleteIds_m(const QString& ids);
    // The line naming the current row in the delete question.
    virtual QString deleteName_m() const;
    // Whether a change signal of the control counts as the user's.
    virtual bool isUserChange(QWidget* control) const;
    virtual bool refreshesOnActivate() const { return true; }

    // The plain row write: AddNew or the row of the remembered id.
    Value writeRow_m();
    void sendRefresh_m();

    Recordset* rs() const { return m_rs.get(); }
    static clsAdoConnectJet& ado();
    // A text of the strings file; a word fills its "|" placeholders.
    QString text_m(qint32 id, const QString& defaultText, const QString& word = {}) const;
    // Text 4120: rows other rows still use.
    QString inUseText_m() const;
    static qint32 showMessage(const QString& text, qint32 style);
    static QString boxText(const QWidget* box);
    static void setBoxText(QWidget* box, const QString& text);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void ssTab1_Click(int index);
    void dbgMain_DblClick();
    void dbgMain_MouseUp(int button, int shift, int x, int y);
    void cmdNew_Click();
    void cmdSave_Click();
    void cmdDelete_Click();
    void cmdClose_Click();

private:
    struct Required {
        QWidget* box;
        QString name;
    };

    void buildControls_m();
    void openDetail_m();
    void setTabSilently_m(int index);
    bool SaveModifiedRecord_mf(qint32 textId);
    bool Save_mf();
    void RefreshGrid_m();
    bool SetStatusOfButtons_mf();
    bool SetStatusOfMdiMenus_Pf();
    void deleteBody_m();
    void Form_Unload();
    QString idCriterion_m(const Value& id) const;

    Config m_config;
    std::unique_ptr<Recordset> m_rs;
    QGridLayout* m_detailLayout = nullptr;
    QList<QPair<int, QWidget*>> m_textBoxes;
    QList<Required> m_required;
    qint32 m_mode = EditRow;
    bool m_dirty = false;
    bool m_filling = false;
    Value m_rememberedId;
    int m_sortField = 0;
    QString m_order = QStringLiteral("ASC");
    int m_shownTab = 0;
    QPointer<QObject> m_caller;
    bool m_hasCaller = false;
    bool m_firstShow = true;
    bool m_closing = false;
    bool m_unloaded = false;
    QPointer<clsFormRefresher> m_refresher;
};

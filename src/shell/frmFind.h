#pragma once

#include "app/MenuRow.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

class ComboBox;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class clsFindAndReplace;

// The small find and replace window over one searched window (the segment
// detail window or a reference window). A modeless tool window of the main
// window, kept above it; it only gathers the user's choices and hands them
// to the engine. The Replace button's caption tells the two styles apart.
class frmFind : public QDialog {
    Q_OBJECT
public:
    explicit frmFind(QWidget* parent = nullptr);
    ~frmFind() override;

    // The window searched by every command of this find window.
    Q_INVOKABLE void FormToSearch_pobj(QWidget* form);
    // 1 replace style, anything else find style.
    Q_INVOKABLE void formStyle_pl(int style);
    // Applies this window's menu state to the main window.
    Q_INVOKABLE void Form_Activate();

    // Upload Watch Data, Find, Replace and the rest are off; the View lists on.
    static MenuRow menuRow();

    QWidget* FormToSearch() const { return m_form.data(); }
    // 0 binary (Match Case ticked), 1 text.
    qint32 compareMode() const { return m_compareMode; }
    // Puts another engine in (tests give a recording one).
    void engine(std::unique_ptr<clsFindAndReplace> engine);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private slots:
    void chkMatchCase_Click();
    void cmdFindFirst_Click();
    void cmdFindNext_Click();
    void cmdReplace_Click();
    void cmdReplaceAll_Click();
    void cmdCancel_Click();

private:
    void Form_Load();
    void Form_Unload();
    void SetStatusOfMdiMenus_Pf();
    // The frame the commands share: the status text while it runs, nothing
    // at all once the searched window is gone.
    void command_m(const char* proc, const std::function<void()>& steps);
    // Hides the window while the engine walks the grid, and shows it again
    // also when the engine fails.
    void search_m(qint32 mode, bool replace);

    QLabel* Label1 = nullptr;
    QLineEdit* txtFindWhat = nullptr;
    QLabel* Label2 = nullptr;
    ComboBox* cboMatchWhat = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtReplaceWith = nullptr;
    QCheckBox* chkMatchCase = nullptr;
    QCheckBox* chkSearchCurrentField = nullptr;
    QPushButton* cmdFindFirst = nullptr;
    QPushButton* cmdFindNext = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdReplaceAll = nullptr;
    QPushButton* cmdCancel = nullptr;

    QPointer<QWidget> m_form;
    std::unique_ptr<clsFindAndReplace> m_engine;
    qint32 m_compareMode = 1;
    bool m_unloaded = false;
};

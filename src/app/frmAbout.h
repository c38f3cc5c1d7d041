#pragma once

#include "app/clsShellExecute.h"

#include <QDialog>

class QLabel;
class QPushButton;

// The About window, shown modally from the main window's Help menu: title,
// version and copyright of this build, our logos, and a click on the
// developers' mark opens our web page.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr qint32 HKeyLocalMachine = static_cast<qint32>(0x80000002u);
    static constexpr const char* WebPage = "https://example.org/splitwerk/";

    explicit frmAbout(QWidget* parent = nullptr);

    // The first size in twips, and the least the window takes.
    static constexpr int DesignWidth = 6900;
    static constexpr int DesignHeight = 3900;
    QSize sizeHint() const override;

    Q_INVOKABLE void StartSysInfo();
    // There is no system information tool to find here: always false, value empty.
    bool GetKeyValue(qint32 keyRoot, const QString& keyName, const QString& subKeyRef, QString& keyValue);

    clsShellExecute& shell() { return m_shell; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void imgDeveloper_Click();

private:
    void Form_Load();

    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* imgDeveloper = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
    clsShellExecute m_shell;
};

#pragma once

#include "app/MenuRow.h"
#include "app/clsFormRefresher.h"
#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "shell/mdiMain.h"

#include <QCloseEvent>

#include <QStringList>
#include <QWidget>

// What the fake windows were asked, in order: "frmX.Member args".
inline QStringList& callLog()
{
    static QStringList log;
    return log;
}

// A child window offering every member the main window calls by name.
class FakeChild : public QWidget {
    Q_OBJECT
public:
    explicit FakeChild(const QString& name) { setObjectName(name); }

    std::function<QString()> onRate;  // what to note about the world when the rate changes
    bool agreesToClose = true;

    Q_INVOKABLE void FormRefresher_po(clsFormRefresher* refresher)
    {
        note("FormRefresher_po",
             QStringLiteral("%1 %2").arg(refresher ? "set" : "null", isVisible() ? "shown" : "hidden"));
    }
    Q_INVOKABLE void Form_Activate() { note("Form_Activate"); }
    Q_INVOKABLE bool QueryUnload_pf()
    {
        note("QueryUnload_pf");
        return agreesToClose;
    }
    Q_INVOKABLE void ClearSelection_p() { note("ClearSelection_p"); }
    Q_INVOKABLE bool FillDown_pf()
    {
        note("FillDown_pf");
        return false;
    }
    Q_INVOKABLE void deleteRows_p() { note("deleteRows_p"); }
    Q_INVOKABLE void SelectAllRows_p() { note("SelectAllRows_p"); }
    Q_INVOKABLE void SetOrder_P(const QString& order) { note("SetOrder_P", order); }
    Q_INVOKABLE void Export_p() { note("Export_p"); }
    Q_INVOKABLE void PageSetup_P() { note("PageSetup_P"); }
    Q_INVOKABLE void Print_P(bool preview) { note("Print_P", preview ? "preview" : "print"); }
    Q_INVOKABLE void SetGridColumns_p(int column, bool visible)
    {
        note("SetGridColumns_p", QStringLiteral("%1 %2").arg(column).arg(visible));
    }
    Q_INVOKABLE void SetDistanceType_p(int id) { note("SetDistanceType_p", QString::number(id)); }
    Q_INVOKABLE void SetSpeedType_p(int id) { note("SetSpeedType_p", QString::number(id)); }
    Q_INVOKABLE void SetRateType_p(int id)
    {
        note("SetRateType_p", QString::number(id) + (onRate ? QLatin1Char(' ') + onRate() : QString()));
    }
    Q_INVOKABLE void SetTab_p(int tab) { note("SetTab_p", QString::number(tab)); }
    Q_INVOKABLE void Search_p() { note("Search_p"); }

private:
    void note(const char* member, const QString& args = {})
    {
        callLog() << objectName() + QLatin1Char('.') + QLatin1String(member)
                + (args.isEmpty() ? QString() : QLatin1Char(' ') + args);
    }
};

// A child that applies its own row when it becomes active and, as the real
// windows do, asks for the application's defaults when it closes.
class RowChild : public QWidget {
    Q_OBJECT
public:
    RowChild(const QString& name, const QStringList& row) : m_row(row) { setObjectName(name); }
    Q_INVOKABLE void Form_Activate()
    {
        if (mdiMain* main = mdiMain::instance())
            main->applyMenuRow(m_row);
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (clsThisApp* app = modapp::ThisApp())
            app->setMenusAndButtonDefaults_g();
        event->accept();
    }

private:
    MenuRow m_row;
};

// A child window that offers nothing by name.
class BareChild : public QWidget {
    Q_OBJECT
public:
    explicit BareChild(const QString& name) { setObjectName(name); }
};

// The find window as the main window sees it.
class FakeFind : public QWidget {
    Q_OBJECT
public:
    FakeFind() { setObjectName(QStringLiteral("frmFind")); }
    Q_INVOKABLE void FormToSearch_pobj(QWidget* form)
    {
        callLog() << QStringLiteral("frmFind.FormToSearch_pobj ")
                + (form ? form->objectName() : QStringLiteral("null"));
    }
    Q_INVOKABLE void formStyle_pl(int style) { callLog() << QStringLiteral("frmFind.formStyle_pl %1").arg(style); }
};

#pragma once

#include "DetailFixture.h"

#include "WindowKinds.h"
#include "app/ChildForms.h"
#include "platform/ComboBox.h"
#include "platform/DataGridDelegate.h"
#include "shell/mdiMain.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

// The detail fixture with athletes in categories (3 is "Under 18" here):
//   2 Ida Hanna (3), 12 Ola Berg (3, 4 Seniors), 21 Dahl without a first name (4),
//   30 Eva Sand inactive (3), 40 Pat O'Brien, 41 Al 50%er, 42 Bo 5000.
// Segment 1 (category 3) has rows of athletes 1 and 2 (R002, T002).
class HeaderFixture : public DetailFixture {
protected:
    void SetUp() override
    {
        DetailFixture::SetUp();
        WindowKinds::registerAll();
        ASSERT_TRUE(folder.execSql(QStringLiteral(R"(
UPDATE tblCategory SET sCategory = 'Under 18' WHERE lCategoryID = 3;
UPDATE tblRoster SET fActive = -1 WHERE lRosterID = 2;
INSERT INTO tblRoster (lRosterID, sLastName, sFirstName, fActive) VALUES
    (12, 'Berg', 'Ola', -1), (21, 'Dahl', NULL, -1), (30, 'Sand', 'Eva', 0),
    (40, 'O''Brien', 'Pat', -1), (41, '50%er', 'Al', -1), (42, '5000', 'Bo', -1);
INSERT INTO tblRoster_Category (lRosterID, lCategoryID) VALUES (2, 3), (12, 3), (12, 4), (21, 4), (30, 3);
)")));
    }

    void TearDown() override
    {
        main.reset();
        DetailFixture::TearDown();
    }

    // The detail window inside a running main window, as the segment list opens it.
    frmSegmentDetail* openInMain(qint32 segmentID)
    {
        main = std::make_unique<mdiMain>();
        main->show();
        shown = new frmSegmentDetail;
        shown->FormRefresher_po(app->FormRefresher_po());
        main->ShowChild(shown);
        EXPECT_TRUE(shown->Retrieve_pf(segmentID));
        return shown;
    }
    QWidget* child(const char* name) const
    {
        for (QMdiSubWindow* sub : main->mdiArea()->subWindowList())
            if (sub->widget() && sub->widget()->objectName() == QLatin1String(name))
                return sub->widget();
        return nullptr;
    }
    static bool minimized(QWidget* w) { return w->parentWidget()->isMinimized(); }

    // The event loop's turn, closed windows gone with it.
    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static void focus(QWidget* w, QEvent::Type type)
    {
        QFocusEvent e(type, Qt::TabFocusReason);
        QApplication::sendEvent(w, &e);
        settle();
    }
    // Typing over the whole text, as a paste does (no completion on the way).
    static void typeOver(ComboBox* cbo, const QString& text)
    {
        focus(cbo, QEvent::FocusIn);
        cbo->lineEdit()->selectAll();
        cbo->lineEdit()->insert(text);
    }
    // The athlete cell of the row with the label typed and committed.
    void typeAthlete(frmSegmentDetail& w, const QString& label, const QString& text)
    {
        for (int i = 0; i < rows().RecordCount(); ++i)
            if (rows().valueAt(i, clsSegmentRows::colLabel).asText() == label)
                w.dbgMain->Bookmark(Value(rows().bookmarkAt(i)));
        w.dbgMain->AllowUpdate(true);  // the row grid's own editing switches it on
        w.dbgMain->Col(clsSegmentRows::colRosterId);
        w.dbgMain->EditActive(true);
        ASSERT_TRUE(w.dbgMain->cellEditor());
        lineEditOfCellEditor(w.dbgMain->cellEditor())->setText(text);
        w.dbgMain->EditActive(false);
    }
    // The checklist as "id+" (checked) and "id-"; the value list as "id=name";
    // the rows shown as "label:athlete".
    static QStringList checklist(frmSegmentDetail& w)
    {
        QStringList out;
        Recordset* r = w.dbgRosterForDetail->DataSource();
        for (int i = 0; i < r->RecordCount(); ++i)
            out << r->valueAt(i, 0).asText() + (r->valueAt(i, 2).toBool() ? "+" : "-");
        return out;
    }
    static QStringList valueList(frmSegmentDetail& w)
    {
        QStringList out;
        const DataGridValueItems& v = w.dbgMain->Columns(clsSegmentRows::colRosterId)->ValueItems();
        for (int i = 0; i < v.Count(); ++i)
            out << v.Item(i).Value().asText() + "=" + v.Item(i).DisplayValue();
        return out;
    }
    QString athletesShown()
    {
        QStringList out;
        for (int i = 0; i < rows().RecordCount(); ++i)
            out << rows().valueAt(i, clsSegmentRows::colLabel).asText() + ":"
                    + rows().valueAt(i, clsSegmentRows::colRosterId).asText();
        return out.join(' ');
    }

    std::unique_ptr<mdiMain> main;
};

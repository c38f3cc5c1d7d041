#include "SearchFixture.h"

#include "app/ChildForms.h"
#include "app/frmProgress.h"
#include "platform/ComboBox.h"
#include "platform/MessagePresenter.h"
#include "shell/mdiMain.h"

#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
using Ids = QList<int>;

// All of the label's text fits inside it, on one line or wrapped.
bool showsWholeText(const QLabel& label)
{
    const QRect room = label.contentsRect();
    const int flags = int(label.alignment()) | (label.wordWrap() ? Qt::TextWordWrap : 0);
    const QRect needed = label.fontMetrics().boundingRect(room, flags, label.text());
    return !room.isEmpty() && needed.width() <= room.width() && needed.height() <= room.height();
}

using SegmentListWindow = SearchFixture;

// The list windows inside a running main window, with the real progress window.
class SegmentListInMain : public SearchFixture {
protected:
    void SetUp() override
    {
        SearchFixture::SetUp();
        ChildForms::registerForm(QStringLiteral("frmProgress"), [] { return new frmProgress; });
        main = std::make_unique<mdiMain>();
        main->resize(1100, 800);
        main->show();
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    }
    void TearDown() override
    {
        main.reset();
        ChildForms::registerForm(QStringLiteral("frmProgress"), [] { return nullptr; });
        SearchFixture::TearDown();
    }
    frmSegmentList* openList()
    {
        auto* list = new frmSegmentList;
        list->FormRefresher_po(app->FormRefresher_po());
        main->ShowChild(list);
        return list;
    }
    static QMdiSubWindow* frame(QWidget* w) { return qobject_cast<QMdiSubWindow*>(w->parentWidget()); }

    std::unique_ptr<mdiMain> main;
};
}  // namespace

TEST_F(SegmentListInMain, ClickIntoASearchBoxSelectsItsWholeTextSoTypingReplacesIt)
{
    frmSegmentList* list = openList();
    for (QLineEdit* box : {list->txtSegmentNumber, list->txtLastName, list->txtEvent, list->cboCategory->lineEdit(),
                           list->cboSegmentType->lineEdit(), list->cboSegmentStatus->lineEdit()}) {
        SCOPED_TRACE(box->parentWidget()->objectName().toStdString() + "/" + box->objectName().toStdString());
        list->cmdClear->setFocus();
        ASSERT_FALSE(box->hasFocus());
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
        QCoreApplication::processEvents();  // the click's own work is done
        EXPECT_TRUE(box->hasFocus());
        EXPECT_EQ(box->selectedText(), QStringLiteral("<ALL>"));
        QTest::keyClicks(box, QStringLiteral("7"));
        EXPECT_EQ(box->text(), QStringLiteral("7"));
    }
}

TEST_F(SegmentListWindow, AllTypedInAnyCaseInAComboSetsNoCondition)
{
    for (ComboBox* cbo : {window->cboCategory, window->cboSegmentType, window->cboSegmentStatus}) {
        SCOPED_TRACE(cbo->objectName().toStdString());
        window->SetTab_p(0);
        window->cmdClear->click();
        cbo->ListIndex(-1);
        cbo->Text(QStringLiteral("<all>"));
        window->Search_p();
        EXPECT_EQ(sortedIds(), (Ids{1, 2, 3, 4, 5, 6}));
        EXPECT_EQ(cbo->Text(), QStringLiteral("<ALL>"));
    }
}

TEST_F(SegmentListWindow, EveryLabelShowsItsWholeTextBesideItsBox)
{
    window->show();
    const QList<QLabel*> labels = window->fraSearch->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 10);
    for (const QLabel* label : labels) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_TRUE(label->text().endsWith(QLatin1Char(':')));
        EXPECT_TRUE(showsWholeText(*label));
        for (const QWidget* other : window->fraSearch->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other == label)
                continue;
            EXPECT_FALSE(label->geometry().intersects(other->geometry())) << other->objectName().toStdString();
        }
    }
}

TEST_F(SegmentListWindow, SaveDialogOffersTextFilesOnceUnderTheDefaultName)
{
    searchAll();
    select({1});
    QStringList filters;
    QString file;
    QTimer poll;  // answers the real dialog as soon as it is up
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            filters = dialog->nameFilters();
            file = dialog->selectedFiles().value(0);
            dialog->reject();
        }
    });
    poll.start(10);
    window->cmdExport->click();
    EXPECT_EQ(filters, QStringList{QStringLiteral("(*.txt)")});
    EXPECT_TRUE(file.endsWith(QStringLiteral("/ZrDataExport")
                              + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".txt")))
        << file.toStdString();
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(SegmentListInMain, NewListWindowsCascadeInsteadOfCoveringEachOther)
{
    QList<QPoint> places;
    for (int i = 0; i < 3; ++i)
        places << frame(openList())->pos();
    const QPoint step = places[1] - places[0];
    EXPECT_GT(step.x(), 0);
    EXPECT_EQ(step.x(), step.y());
    EXPECT_EQ(places[2] - places[1], step);
}

TEST_F(SegmentListInMain, ExportShowsTheWholePathAndReturnsToTheListThatExported)
{
    frmSegmentList* first = openList();
    first->Search_p();
    frmSegmentList* second = openList();
    second->Search_p();
    ASSERT_EQ(main->ActiveForm_mo(), second);
    QTemporaryDir dir;
    QMdiArea* area = main->mdiArea();
    // One path that fits the document area, one far wider than it.
    for (const int length : {50, 600}) {
        SCOPED_TRACE(length);
        QStringList parts;
        for (int i = 0; i < length / 50; ++i)
            parts << QString(49, QLatin1Char('a' + i));
        const QString path = dir.filePath(parts.join(QLatin1Char('/'))) + QStringLiteral(".txt");
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        frmSegmentList::setSaveFileAsker(
            [&](QWidget*, const QString&, const QString&, const QString&) { return std::optional<QString>(path); });
        bool seen = false;
        // The completion message stands while the progress window is still up.
        MessagePresenter::install([&](const QString& text, int, const QString&) {
            frmProgress* progress = nullptr;
            for (frmProgress* candidate : main->findChildren<frmProgress*>())
                if (candidate->isVisible())
                    progress = candidate;
            auto* label = progress ? progress->findChild<QLabel*>(QStringLiteral("lblStatus")) : nullptr;
            if (!label)
                return 1;
            seen = text.contains(path);
            EXPECT_TRUE(showsWholeText(*label)) << label->width() << " " << label->text().toStdString();
            EXPECT_TRUE(QString(label->text()).remove(QLatin1Char('\n')).endsWith(path)) << label->text().toStdString();
            EXPECT_TRUE(progress->rect().contains(QRect(label->mapTo(progress, QPoint()), label->size())))
                << progress->width() << "x" << progress->height() << " label " << label->width() << "x"
                << label->height() << " frame " << frame(progress)->width() << " area " << area->viewport()->width();
            EXPECT_TRUE(area->viewport()->rect().contains(frame(progress)->geometry()));
            return 1;
        });
        second->dbgMain->Bookmark(Value(second->listRecordset()->bookmarkAt(0)));
        second->Export_p();
        EXPECT_TRUE(seen);
        EXPECT_TRUE(QFile::exists(path));
        EXPECT_EQ(main->ActiveForm_mo(), second);
        EXPECT_EQ(area->subWindowList().size(), 2);
    }
}

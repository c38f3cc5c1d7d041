#include "lists/ListsFixture.h"

#include "lists/frmEvent.h"
#include "platform/DatePicker.h"

#include <QApplication>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
QString longTime(int h, int m)
{
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    return QLocale().toString(QTime(h, m), format.remove(QLatin1Char('t')).trimmed());
}
}  // namespace

class EventWindow : public ListsTest {
protected:
    QString stored(const char* column, int id)
    {
        return value(QStringLiteral("SELECT COALESCE(%1, 'NULL') FROM tblEvent WHERE lEventID = %2")
                         .arg(QLatin1String(column))
                         .arg(id));
    }
};

TEST_F(EventWindow, TimeBoxesTakeTimeKeysOnlyAndValidTimesOnLeaving)
{
    frmEvent* w = open<frmEvent>();
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    openRow(w, 2);
    w->txtStartTime->setFocus();
    w->txtStartTime->clear();
    QTest::keyClicks(w->txtStartTime, QStringLiteral("1:3x0 p/m"));
    EXPECT_EQ(w->txtStartTime->text(), QStringLiteral("1:30 pm"));
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Only time-related keystrokes allowed"));
    EXPECT_EQ(boxes.last().style, 48);
    QTest::keyClick(w->txtStartTime, Qt::Key_Backspace);
    QTest::keyClick(w->txtStartTime, 'M');
    QTest::keyClick(w->txtStartTime, Qt::Key_Tab);  // Tab leaves the box; no key refused
    EXPECT_EQ(boxes.count(), 2);
    EXPECT_EQ(w->txtStartTime->text(), longTime(13, 30));

    // Saved from inside the box (Alt+S), then left: the box writes the same
    // time in full, which is nothing to ask about on closing.
    w->txtStartTime->setFocus();
    w->txtStartTime->selectAll();
    QTest::keyClicks(w->txtStartTime, QStringLiteral("9:30"));
    QTest::keyClick(w->windowHandle(), Qt::Key_S, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->dirty(); }));  // the button's click comes a moment later
    EXPECT_EQ(stored("dtStartTime", 2), QStringLiteral("09:30:00"));
    QTest::keyClick(w->txtStartTime, Qt::Key_Tab);
    EXPECT_EQ(w->txtStartTime->text(), longTime(9, 30));
    EXPECT_FALSE(w->dirty());

    w->txtEndTime->setFocus();
    w->txtEndTime->setText(QStringLiteral("25:00"));
    QSignalSpy focusBack(qApp, &QApplication::focusChanged);
    w->txtNotes->setFocus();
    ASSERT_TRUE(focusBack.wait(5000));
    ASSERT_EQ(boxes.count(), 3);
    EXPECT_EQ(boxes.last().text, QStringLiteral("You have not entered a valid time"));
    EXPECT_EQ(boxes.last().style, 64);
    EXPECT_EQ(w->txtEndTime->text(), longTime(17, 0)) << "what the box held when it got the focus";
    EXPECT_TRUE(w->txtEndTime->hasFocus());
}

TEST_F(EventWindow, ANewEventStartsTodayWithoutTimesAndAnEmptiedTimeIsStoredAsNull)
{
    frmEvent* w = open<frmEvent>();
    openRow(w, 2);
    EXPECT_EQ(w->txtStartTime->text(), longTime(8, 30));
    w->cmdNew->click();
    EXPECT_EQ(w->dtpStartDate->Value().toDate(), QDate::currentDate());
    EXPECT_EQ(w->dtpEndDate->Value().toDate(), QDate::currentDate());
    EXPECT_TRUE(w->txtStartTime->text().isEmpty() && w->txtEndTime->text().isEmpty());

    openRow(w, 2);
    w->txtStartTime->clear();
    w->txtEndTime->setText(QStringLiteral("9 pm"));
    w->cmdSave->click();
    EXPECT_EQ(stored("dtStartTime", 2), QStringLiteral("NULL"));
    EXPECT_EQ(stored("dtEndTime", 2), QStringLiteral("21:00:00"));
    w->txtEndTime->setText(QStringLiteral("9:5 pm"));  // one digit of minutes is still the time typed
    w->cmdSave->click();
    EXPECT_EQ(stored("dtEndTime", 2), QStringLiteral("21:05:00"));
    EXPECT_EQ(stored("dtStartDate", 2), QStringLiteral("2024-04-12"));
}

TEST_F(EventWindow, AnEventWithoutDatesKeepsThemNullAndOnlyTwoDatesAreKeptInOrder)
{
    frmEvent* w = open<frmEvent>();
    openRow(w, 2);  // a row with dates before, which must not show through
    openRow(w, 3);
    EXPECT_TRUE(w->dtpStartDate->Value().isNull() && w->dtpEndDate->Value().isNull());
    EXPECT_NE(w->dtpStartDate->date(), QDate(2024, 4, 12));
    w->txtDescription->setText(QStringLiteral("changed"));
    w->cmdSave->click();
    for (const char* column : {"dtStartDate", "dtEndDate", "dtStartTime", "dtEndTime"})
        EXPECT_EQ(stored(column, 3), QStringLiteral("NULL")) << column;
    w->dtpStartDate->Value(Value(QDate(2024, 5, 1)));  // the end date is still unset
    EXPECT_TRUE(w->dtpEndDate->Value().isNull());
    EXPECT_TRUE(w->dirty());

    boxes.answer(7);
    openRow(w, 2);
    w->dtpStartDate->Value(Value(QDate(2024, 4, 20)));
    EXPECT_EQ(w->dtpEndDate->Value().toDate(), QDate(2024, 4, 20));
    w->dtpEndDate->Value(Value(QDate(2024, 4, 1)));
    EXPECT_EQ(w->dtpStartDate->Value().toDate(), QDate(2024, 4, 1));
    EXPECT_TRUE(w->dirty());
}

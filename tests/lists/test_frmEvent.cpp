#include "lists/ListsFixture.h"

#include "lists/frmEvent.h"
#include "platform/DatePicker.h"
#include "platform/LocaleText.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
QString longTime(int h, int m) { return LocaleText::time(QTime(h, m)); }

struct DefaultLocale {
    explicit DefaultLocale(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    ~DefaultLocale() { QLocale::setDefault(QLocale::system()); }
};

// Each locale's own forms, and those of most desktops.
const char* const Locales[] = {"es_ES", "ja_JP", "fi_FI", "da_DK", "ko_KR", "en_US", "de_DE", "C"};
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

// The boxes show the stored times in the user's locale; leaving them without
// typing says nothing, and a save of another change keeps the times exactly.
TEST_F(EventWindow, SavingOnlyANewNameKeepsTheTimesInEveryLocale)
{
    for (const char* locale : Locales) {
        SCOPED_TRACE(locale);
        ASSERT_TRUE(folder.execSql(
            QStringLiteral("UPDATE tblEvent SET dtStartTime = '07:05:09', dtEndTime = '23:59:59' WHERE lEventID = 2")));
        const DefaultLocale guard(locale);
        frmEvent* w = open<frmEvent>();
        openRow(w, 2);
        boxes.clear();
        for (QLineEdit* box : {w->txtStartTime, w->txtEndTime}) {
            for (const QEvent::Type type : {QEvent::FocusIn, QEvent::FocusOut}) {
                QFocusEvent e(type, Qt::TabFocusReason);
                QApplication::sendEvent(box, &e);
            }
        }
        EXPECT_EQ(boxes.count(), 0) << (boxes.count() ? boxes.last().text.toStdString() : std::string());
        w->txtEvent->setText(QStringLiteral("Regatta ") + QLatin1String(locale));
        w->cmdSave->click();
        EXPECT_EQ(stored("sEvent", 2), QStringLiteral("Regatta ") + QLatin1String(locale));
        EXPECT_EQ(stored("dtStartTime", 2), QStringLiteral("07:05:09"));
        EXPECT_EQ(stored("dtEndTime", 2), QStringLiteral("23:59:59"));
    }
}

// A time typed or pasted in the locale's form is stored; one that is no time
// is said in words on Save, nothing is stored and the page keeps the text.
TEST_F(EventWindow, ATypedTimeIsStoredOrRefusedInWordsNeverStoredAsNothing)
{
    const struct {
        const char* locale;
        const char* typed;
        const char* stored;  // nullptr: refused
    } cases[] = {
        {"es_ES", "19:05:09", "19:05:09"}, {"ja_JP", "19時05分09秒", "19:05:09"}, {"fi_FI", "19.05.09", "19:05:09"},
        {"da_DK", "07.05.09", "07:05:09"}, {"ko_KR", "오후 7:05:09", "19:05:09"}, {"en_US", "7:05 pm", "19:05:00"},
        {"de_DE", "7:05", "07:05:00"},     {"C", "2024-02-29", "00:00:00"},       {"es_ES", "25:00", nullptr},
        {"ja_JP", "9時75分", nullptr},     {"fi_FI", "19.05.09.1", nullptr},      {"da_DK", "12", nullptr},
        {"ko_KR", "오후 13:00", nullptr},  {"en_US", "13:00 PM", nullptr},        {"de_DE", "9:30 x", nullptr},
        {"C", "2023-02-29", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.typed);
        const DefaultLocale guard(c.locale);
        frmEvent* w = open<frmEvent>();
        openRow(w, 2);
        boxes.clear();
        const QString typed = QString::fromUtf8(c.typed);
        w->txtEndTime->setText(typed);  // saved from inside the box: no leaving check first
        w->cmdSave->click();
        if (c.stored) {
            EXPECT_EQ(boxes.count(), 0);
            EXPECT_EQ(stored("dtEndTime", 2), QString::fromLatin1(c.stored));
            EXPECT_FALSE(w->dirty());
        } else {
            ASSERT_EQ(boxes.count(), 1);
            EXPECT_EQ(boxes.last().text, QStringLiteral("You have not entered a valid time"));
            EXPECT_EQ(stored("dtEndTime", 2), QStringLiteral("17:00:00"));
            EXPECT_TRUE(w->dirty());
            EXPECT_EQ(w->txtEndTime->text(), typed);
        }
        ASSERT_TRUE(folder.execSql(QStringLiteral("UPDATE tblEvent SET dtEndTime = '17:00:00' WHERE lEventID = 2")));
    }
}

// A date typed over and not left holds the page on Save: one refusal, the
// text kept, nothing of the page stored, as in the segment window.
TEST_F(EventWindow, ARefusedTypedDateStoresNothingOfThePage)
{
    frmEvent* w = open<frmEvent>();
    openRow(w, 2);
    const QString description = stored("sDescription", 2);
    w->txtDescription->setText(QStringLiteral("rough"));
    QDateTimeEdit* date = w->dtpStartDate->editWidget();
    auto* field = date->findChild<QLineEdit*>();
    date->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("31 Feb 2022"));
    boxes.clear();
    w->cmdSave->click();
    QTest::qWait(50);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("31 Feb 2022"))) << boxes.last().text.toStdString();
    EXPECT_EQ(stored("sDescription", 2), description);
    EXPECT_EQ(field->text(), QStringLiteral("31 Feb 2022"));
    EXPECT_TRUE(w->dirty());
}

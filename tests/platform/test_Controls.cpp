#include "platform/AppError.h"
#include "platform/ComboBox.h"
#include "platform/DatePicker.h"
#include "support/ScriptedMessages.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {
class ComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* t : {"Aaa", "Abb", "Acc"})
            cbo.AddItem(QString::fromLatin1(t));
        cbo.show();
        cbo.setFocus();
    }
    ComboBox cbo;
};
}  // namespace

TEST_F(ComboBoxTest, FillingSelectsNothing)
{
    EXPECT_EQ(cbo.ListCount(), 3);
    EXPECT_EQ(cbo.ListIndex(), -1);
    EXPECT_EQ(cbo.Text(), QString());
    EXPECT_EQ(cbo.NewIndex(), 2);
}

TEST_F(ComboBoxTest, TypingLeavesNoItemSelectedAndEnterAddsNothing)
{
    cbo.ListIndex(1);
    ASSERT_EQ(cbo.Text(), QStringLiteral("Abb"));
    QTest::keyClicks(&cbo, QStringLiteral("x"));
    EXPECT_EQ(cbo.ListIndex(), -1);
    EXPECT_EQ(cbo.Text(), QStringLiteral("Abbx"));
    QTest::keyClick(&cbo, Qt::Key_Return);
    EXPECT_EQ(cbo.ListCount(), 3);
    EXPECT_EQ(cbo.ListIndex(), -1);
    EXPECT_EQ(cbo.Text(), QStringLiteral("Abbx"));
    // The arrow keys pick again.
    QTest::keyClick(&cbo, Qt::Key_Down);
    EXPECT_EQ(cbo.ListIndex(), 2);
    EXPECT_EQ(cbo.Text(), QStringLiteral("Acc"));
}

TEST_F(ComboBoxTest, TypedItemTextIsNoPickEvenOnEnter)
{
    cbo.lineEdit()->clear();
    QTest::keyClicks(&cbo, QStringLiteral("Acc"));
    QTest::keyClick(&cbo, Qt::Key_Enter);
    EXPECT_EQ(cbo.ListIndex(), -1);
    EXPECT_EQ(cbo.ListCount(), 3);
}

TEST_F(ComboBoxTest, TextKeepsIndexAndPickingAgainRestoresItemText)
{
    cbo.ListIndex(2);
    cbo.Text(QStringLiteral("zzz"));
    EXPECT_EQ(cbo.ListIndex(), 2);
    EXPECT_EQ(cbo.Text(), QStringLiteral("zzz"));

    QTest::keyClicks(&cbo, QStringLiteral("q"));
    ASSERT_EQ(cbo.ListIndex(), -1);
    QSignalSpy clicks(&cbo, &ComboBox::Click);
    cbo.ListIndex(2);  // the index Qt still holds
    EXPECT_EQ(cbo.ListIndex(), 2);
    EXPECT_EQ(cbo.Text(), QStringLiteral("Acc"));
    EXPECT_EQ(clicks.count(), 1);

    cbo.ListIndex(-1);
    EXPECT_EQ(cbo.Text(), QString());
}

TEST_F(ComboBoxTest, ItemsDataAndSelection)
{
    cbo.AddItem(QStringLiteral("First"), 0);
    EXPECT_EQ(cbo.NewIndex(), 0);
    EXPECT_EQ(cbo.List(0), QStringLiteral("First"));
    EXPECT_EQ(cbo.List(9), QString());
    cbo.ItemData(3, -7);
    EXPECT_EQ(cbo.ItemData(3), -7);
    EXPECT_EQ(cbo.ItemData(0), 0);
    cbo.RemoveItem(0);
    EXPECT_EQ(cbo.List(0), QStringLiteral("Aaa"));
    EXPECT_EQ(cbo.ItemData(2), -7);
    EXPECT_THROW(cbo.RemoveItem(3), AppError);
    EXPECT_THROW(cbo.ListIndex(3), AppError);

    cbo.Text(QStringLiteral("Abcdef"));
    cbo.SelStart(2);
    cbo.SelLength(3);
    EXPECT_EQ(cbo.SelStart(), 2);
    EXPECT_EQ(cbo.SelLength(), 3);
    EXPECT_EQ(cbo.SelText(), QStringLiteral("cde"));
    cbo.SelLength(99);  // held to the text
    EXPECT_EQ(cbo.SelText(), QStringLiteral("cdef"));

    cbo.Clear();
    EXPECT_EQ(cbo.ListCount(), 0);
    EXPECT_EQ(cbo.Text(), QString());
    EXPECT_EQ(cbo.ListIndex(), -1);
}

TEST_F(ComboBoxTest, KeyPressCanDropOrReplaceAKey)
{
    QObject::connect(&cbo, &ComboBox::KeyPress, &cbo, [](int* key) {
        if (*key == 'x')
            *key = 0;
        else if (*key == 'a')
            *key = 'A';
    });
    cbo.lineEdit()->clear();
    QTest::keyClicks(&cbo, QStringLiteral("xaxb"));
    EXPECT_EQ(cbo.Text(), QStringLiteral("Ab"));
}

TEST(DatePicker, NullRoundTripKeepsTheShownDate)
{
    DatePicker dtp;
    const QDate day(2021, 6, 14);
    dtp.Value(Value(day));
    EXPECT_EQ(dtp.Value().kind(), Value::Kind::Date);
    EXPECT_EQ(dtp.Value().toDate(), day);

    QSignalSpy changes(&dtp, &DatePicker::Change);
    dtp.Value(Value::null());
    EXPECT_TRUE(dtp.Value().isNull());
    EXPECT_EQ(dtp.date(), day);
    EXPECT_EQ(changes.count(), 1);

    dtp.Value(Value(day.addDays(1)));
    dtp.Value(Value(""));
    EXPECT_TRUE(dtp.Value().isNull());
    dtp.Value(Value());
    EXPECT_TRUE(dtp.Value().isNull());

    // Ticking takes the date still shown.
    dtp.Checked(true);
    EXPECT_EQ(dtp.Value().toDate(), day.addDays(1));
    dtp.checkBoxWidget()->click();
    EXPECT_TRUE(dtp.Value().isNull());
}

TEST(DatePicker, TextsTimesAndNoCheckBox)
{
    DatePicker dtp;
    dtp.Value(Value("2020-02-29"));
    EXPECT_EQ(dtp.Value().toDate(), QDate(2020, 2, 29));
    EXPECT_THROW(dtp.Value(Value("no date")), AppError);
    EXPECT_EQ(dtp.Value().toDate(), QDate(2020, 2, 29));

    DatePicker time;
    time.setFormat(DatePicker::Format::Time);
    time.Value(Value(QTime(12, 30)));
    EXPECT_EQ(time.Value().kind(), Value::Kind::Time);
    EXPECT_EQ(time.Value().toTime(), QTime(12, 30));

    DatePicker plain;
    plain.CheckBox(false);
    plain.Value(Value::null());
    EXPECT_FALSE(plain.Value().isNull());
}

namespace {
// Select all, then the text, as a keyboard sends them: Ctrl and Shift are
// pressed on their own before the key they modify.
void typeAsAKeyboardDoes(QWidget* w, const QString& text)
{
    QTest::keyPress(w, Qt::Key_Control);
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyRelease(w, Qt::Key_Control, Qt::ControlModifier);
    for (const QChar ch : text) {
        if (ch.isUpper()) {
            QTest::keyPress(w, Qt::Key_Shift);
            QTest::keyClick(w, ch.toLatin1(), Qt::ShiftModifier);
            QTest::keyRelease(w, Qt::Key_Shift, Qt::ShiftModifier);
        } else {
            QTest::keyClicks(w, QString(ch));
        }
    }
}
}  // namespace

// Typed text is read as a whole when the field is left: the day, the month
// (name or number) and the year in the order shown give exactly that date;
// anything else is refused in words and the field keeps its last date. The
// arrow keys still step the field under the cursor.
TEST(DatePicker, TypedTextGivesExactlyThatDateOrARefusal)
{
    const QDate kept(2021, 6, 14);
    const struct {
        const char* format;
        const char* typed;
        QDate expected;  // invalid: refused
        int key = 0;     // pressed after typing, instead of leaving the field
    } cases[] = {
        {"d MMM yyyy", "15 Feb 2022", {2022, 2, 15}},
        {"d MMM yyyy", "1 Jan 2021", {2021, 1, 1}},
        {"d MMM yyyy", "3 3 2020", {2020, 3, 3}},
        {"d MMM yyyy", "29 february 2024", {2024, 2, 29}},
        {"d MMM yyyy", "7 Dec 21", {2021, 12, 7}},
        {"d MMM yyyy", "2019-11-30", {2019, 11, 30}},
        {"d MMM yyyy", "15 Feb 2022", {2022, 2, 15}, Qt::Key_Return},
        {"d MMM yyyy", "15 Feb 2022", {2023, 2, 15}, Qt::Key_Up},
        {"dd/MM/yyyy", "15/02/2022", {2022, 2, 15}},
        {"dd/MM/yyyy", "9 10 2022", {2022, 10, 9}},
        {"M/d/yy", "2/15/22", {2022, 2, 15}},
        {"d MMM yyyy", "31 Feb 2022", {}},
        {"d MMM yyyy", "15 Fbr 2022", {}},
        {"d MMM yyyy", "15 Feb", {}},
        {"d MMM yyyy", "hello", {}},
        {"d MMM yyyy", "\b", {}},
        {"dd/MM/yyyy", "15#02#2022", {}},
        {"d MMM yyyy", "15 Fbr 2022", {}, Qt::Key_Return},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " / " + c.typed);
        ScriptedMessages boxes;
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* picker = new DatePicker;
        auto* other = new QLineEdit;
        layout->addWidget(picker);
        layout->addWidget(other);
        picker->setCustomFormat(QString::fromLatin1(c.format));
        picker->Value(Value(kept));
        window.show();
        QApplication::setActiveWindow(&window);
        picker->editWidget()->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(picker->editWidget()->hasFocus(), 2000);
        QSignalSpy changes(picker, &DatePicker::Change);

        typeAsAKeyboardDoes(picker->editWidget(), QString::fromLatin1(c.typed));
        if (c.key)
            QTest::keyClick(picker->editWidget(), Qt::Key(c.key));
        else
            other->setFocus();
        QTest::qWait(0);
        QApplication::processEvents();

        const QDate shown = c.expected.isValid() ? c.expected : kept;
        EXPECT_EQ(picker->Value().toDate(), shown);
        EXPECT_EQ(picker->editWidget()->text(), QLocale().toString(shown, QString::fromLatin1(c.format)));
        // Taken, then stepped.
        EXPECT_EQ(changes.count(), !c.expected.isValid() ? 0 : c.key == Qt::Key_Up ? 2 : 1);
        ASSERT_EQ(boxes.count(), c.expected.isValid() ? 0 : 1);
        if (!c.expected.isValid()) {
            EXPECT_EQ(boxes.last().style, 48);
            EXPECT_TRUE(boxes.last().text.contains(QLocale().toString(kept, QString::fromLatin1(c.format))))
                << boxes.last().text.toStdString();
        }
    }

    // Without typing, Up steps the field under the cursor: here the month.
    ScriptedMessages boxes;
    DatePicker picker;
    picker.setCustomFormat(QStringLiteral("d MMM yyyy"));
    picker.Value(Value(kept));
    picker.show();
    QApplication::setActiveWindow(&picker);
    picker.editWidget()->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(picker.editWidget()->hasFocus(), 2000);
    for (Qt::Key k : {Qt::Key_Home, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Up})
        QTest::keyClick(picker.editWidget(), k);
    EXPECT_EQ(picker.Value().toDate(), QDate(2021, 7, 14));
    EXPECT_EQ(boxes.count(), 0);
}

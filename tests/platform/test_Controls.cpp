#include "platform/AppError.h"
#include "platform/ComboBox.h"
#include "platform/DatePicker.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
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

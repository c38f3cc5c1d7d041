#include "platform/AppError.h"
#include "platform/ComboBox.h"
#include "platform/DatePicker.h"
#include "platform/LocaleText.h"
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
// pressed on their own before the key they modify; a character off the
// Latin keys comes as its text alone, as an input method sends it.
void typeAsAKeyboardDoes(QWidget* w, const QString& text)
{
    QTest::keyPress(w, Qt::Key_Control);
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyRelease(w, Qt::Key_Control, Qt::ControlModifier);
    for (const QChar ch : text) {
        if (ch.unicode() > 0x7f) {
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        } else if (ch.isUpper()) {
            QTest::keyPress(w, Qt::Key_Shift);
            QTest::keyClick(w, ch.toLatin1(), Qt::ShiftModifier);
            QTest::keyRelease(w, Qt::Key_Shift, Qt::ShiftModifier);
        } else {
            QTest::keyClicks(w, QString(ch));
        }
    }
}

struct DefaultLocale {
    explicit DefaultLocale(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    ~DefaultLocale() { QLocale::setDefault(QLocale::system()); }
};
}  // namespace

// Typed text is read as a whole when the field is left: the day, the month
// (name or number) and the year in the order shown give exactly that date;
// anything else is refused in words and the field keeps its last date. The
// field shows four-digit years, reads its own text back, and a field left
// without typing keeps its date exactly. The arrow keys still step the field
// under the cursor.
TEST(DatePicker, TypedTextGivesExactlyThatDateOrARefusal)
{
    const QDate kept(2021, 6, 14);
    const QString Shown = QStringLiteral("shown");  // the text the field shows for the expected date
    const struct {
        const char* format;  // empty: the locale's short date
        const char* typed;   // null: nothing typed
        QDate expected;      // invalid: refused
        int key = 0;         // pressed after typing, instead of leaving the field
        QDate before = {2021, 6, 14};
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
        {"", "shown", {1925, 6, 1}},
        {"", "shown", {2035, 7, 4}},
        {"", "1925-06-01", {1925, 6, 1}},
        {"", "31 Feb 2022", {}},
        {"", nullptr, {1925, 6, 1}, Qt::Key_Right, {1925, 6, 1}},
        {"", nullptr, {1925, 6, 1}, Qt::Key_Left, {1925, 6, 1}},
        {"", nullptr, {1925, 6, 1}, Qt::Key_Tab, {1925, 6, 1}},
        {"", nullptr, {2035, 7, 4}, Qt::Key_End, {2035, 7, 4}},
        {"", nullptr, {2035, 7, 4}, Qt::Key_Tab, {2035, 7, 4}},
    };
    for (const char* locale :
         {"C", "en_US", "en_GB", "de_DE", "fr_FR", "es_ES", "ja_JP", "hu_HU", "bg_BG", "ar_EG", "fa_IR"}) {
        const DefaultLocale scope(locale);
        for (const auto& c : cases) {
            const QString format = QString::fromLatin1(c.format);
            const auto show = [&](const QDate& d) {
                return format.isEmpty() ? LocaleText::date(d) : QLocale().toString(d, format);
            };
            const QString typed = c.typed == Shown ? show(c.expected) : QString::fromLatin1(c.typed);
            SCOPED_TRACE(std::string(locale) + " " + c.format + " / " + typed.toStdString());
            ScriptedMessages boxes;
            QWidget window;
            auto* layout = new QVBoxLayout(&window);
            auto* picker = new DatePicker;
            auto* other = new QLineEdit;
            layout->addWidget(picker);
            layout->addWidget(other);
            if (!format.isEmpty())
                picker->setCustomFormat(format);
            picker->Value(Value(c.before));
            window.show();
            QApplication::setActiveWindow(&window);
            picker->editWidget()->setFocus();
            QTRY_VERIFY_WITH_TIMEOUT(picker->editWidget()->hasFocus(), 2000);
            QSignalSpy changes(picker, &DatePicker::Change);

            if (c.typed)
                typeAsAKeyboardDoes(picker->editWidget(), typed);
            if (c.key)
                QTest::keyClick(picker->editWidget(), Qt::Key(c.key));
            if (!c.typed || !c.key)
                other->setFocus();
            QTest::qWait(0);
            QApplication::processEvents();

            const QDate shown = c.expected.isValid() ? c.expected : c.before;
            EXPECT_EQ(picker->Value().toDate(), shown);
            EXPECT_EQ(picker->editWidget()->text(), show(shown));
            // Taken, then stepped.
            const bool taken = c.typed && c.expected.isValid();
            EXPECT_EQ(changes.count(), !taken ? 0 : c.key == Qt::Key_Up ? 2 : 1);
            ASSERT_EQ(boxes.count(), c.expected.isValid() ? 0 : 1);
            if (!c.expected.isValid()) {
                EXPECT_EQ(boxes.last().style, 48);
                EXPECT_TRUE(boxes.last().text.contains(show(c.before))) << boxes.last().text.toStdString();
            }
        }
        // Four digits, always.
        DatePicker picker;
        picker.Value(Value(QDate(1925, 6, 1)));
        EXPECT_EQ(picker.editWidget()->text(), LocaleText::date(QDate(1925, 6, 1))) << locale;
        QLocale digits;
        digits.setNumberOptions(QLocale::OmitGroupSeparator);
        EXPECT_TRUE(picker.editWidget()->text().contains(digits.toString(1925))) << locale;
    }

    // Without typing, Up steps the field under the cursor: here the month.
    ScriptedMessages boxes;
    DatePicker picker;
    picker.setLocale(QLocale::c());  // the cursor's path through the fields is C's
    picker.setLayoutDirection(Qt::LeftToRight);
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

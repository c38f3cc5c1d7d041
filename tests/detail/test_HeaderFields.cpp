// The header fields of the detail window: the time box, the combos'
// completion and not-found prompts, and the round trip through the
// reference windows that hands a picked or new id back.
#include "HeaderFixture.h"

#include "lists/frmRoster.h"

#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <optional>

namespace {
constexpr int Yes = 6, No = 7, Cancel = 2;

// The user's locale for a part of a test: the time box shows its forms.
struct UsersLocale {
    explicit UsersLocale(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    ~UsersLocale() { QLocale::setDefault(QLocale::system()); }
};
}  // namespace

TEST_F(HeaderFixture, TimeBoxTakesTimeKeysOnlyAndWritesATimeInFullOnLeaving)
{
    std::optional<UsersLocale> english(std::in_place, "en_US");
    QLineEdit* box = open(1).txtdtSegmentTime;
    box->clear();
    QTest::keyClicks(box, "12:30 pm");
    EXPECT_EQ(boxes.count(), 0);
    QTest::keyClicks(box, "x");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "Only time-related keystrokes allowed");
    EXPECT_EQ(boxes.last().style, 48);
    EXPECT_EQ(box->text(), "12:30 pm");
    focus(box, QEvent::FocusOut);
    EXPECT_EQ(box->text(), "12:30:00 PM");  // the locale's long time
    // A text that is no time is said once, as in the event window, and the
    // box gets back what it held when it got the focus.
    const struct {
        const char *typed, *shown;
        int said;
    } left[] = {{"9:5 pm", "9:05:00 PM", 0},    {"7 AM", "7:00:00 AM", 0},   {"23:15:09", "11:15:09 PM", 0},
                {"25:61:61", "12:30:00 PM", 1}, {"99:99", "12:30:00 PM", 1}, {"13 pm", "12:30:00 PM", 1},
                {"12", "12:30:00 PM", 1}};
    for (const auto& c : left) {
        box->setText("12:30:00 PM");
        focus(box, QEvent::FocusIn);
        box->setText(c.typed);
        boxes.clear();
        focus(box, QEvent::FocusOut);
        EXPECT_EQ(box->text(), c.shown) << c.typed;
        EXPECT_EQ(boxes.count(), c.said) << c.typed;
    }
    EXPECT_EQ(boxes.last().text, "You have not entered a valid time");

    // Save and Close with an unreadable time: one message in words, nothing stored.
    box->setText("25:61:61");
    boxes.clear();
    window->cmdSave->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "You have not entered a valid time");
    EXPECT_FALSE(window->close());
    EXPECT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().text, "You have not entered a valid time");
    EXPECT_EQ(scalar("SELECT dtSegmentTime FROM tblSegment WHERE lSegmentID = 1").asText(), "08:15:00");

    box->setText("9:5 pm");
    focus(box, QEvent::FocusOut);
    window->cmdSave->click();
    EXPECT_EQ(scalar("SELECT dtSegmentTime FROM tblSegment WHERE lSegmentID = 1").asText(), "21:05:00");
    english.reset();

    // Left and saved with another change, the time stays that time, also
    // where it looks like a date ("07.05.09" to a Dane).
    for (const char* name : {"da_DK", "fi_FI", "ja_JP", "ko_KR", "C"}) {
        SCOPED_TRACE(name);
        const UsersLocale locale(name);
        ASSERT_TRUE(folder.execSql("UPDATE tblSegment SET dtSegmentTime = '07:05:09' WHERE lSegmentID = 1"));
        QLineEdit* shown = open(1).txtdtSegmentTime;
        focus(shown, QEvent::FocusIn);
        focus(shown, QEvent::FocusOut);
        window->txtmNotes->setPlainText(name);
        boxes.clear();
        window->cmdSave->click();
        EXPECT_EQ(boxes.count(), 0);
        EXPECT_EQ(scalar("SELECT dtSegmentTime || ' ' || mNotes FROM tblSegment WHERE lSegmentID = 1").asText(),
                  QStringLiteral("07:05:09 ") + QLatin1String(name));
    }
}

// Each combo: completion or a case-only difference asks nothing; an unknown
// name asks, No and Cancel bring back what the box held, Yes opens the
// reference window on the name, and its save (nobody types there) selects it.
TEST_F(HeaderFixture, ANameTypedInAComboIsCompletedOrAddedAndComesBackSelected)
{
    frmSegmentDetail* w = openInMain(1);
    focus(w->cbolEventId, QEvent::FocusIn);
    w->cbolEventId->lineEdit()->clear();
    QTest::keyClicks(w->cbolEventId, "cu");
    EXPECT_EQ(w->cbolEventId->ItemData(w->cbolEventId->ListIndex()), 3);
    typeOver(w->cbolSegmentTypeID, "RACE");
    focus(w->cbolSegmentTypeID, QEvent::FocusOut);
    EXPECT_EQ(w->cbolSegmentTypeID->ItemData(w->cbolSegmentTypeID->ListIndex()), 2);
    EXPECT_EQ(boxes.count(), 0);

    const struct {
        ComboBox* cbo;
        const char* question;
        int answer;
        const char* before;
        const char* form;
        const char* name;
        const char* table;
    } cases[] = {
        {w->cbolEventId, "Event Not Found, Add It?", Cancel, "Cup", "frmEvent", "Spring Cup", "tblEvent WHERE sEvent"},
        {w->cbolSegmentTypeID, "Segment Type Not Found, Add it?", No, "Race", "frmSegmentType", "Sprint",
         "tblSegmentType WHERE sSegmentType"},
        {w->cbolCategoryID, "Category Not Found, Add IT?", No, "Under 18", "frmCategory", "Juniors",
         "tblCategory WHERE sCategory"}};
    for (const auto& c : cases) {
        boxes.clear();
        typeOver(c.cbo, c.name);
        boxes.answer(c.answer);
        focus(c.cbo, QEvent::FocusOut);
        ASSERT_EQ(boxes.count(), 1) << c.question;
        EXPECT_EQ(boxes.last().text, c.question);
        EXPECT_EQ(boxes.last().style, 51);
        EXPECT_EQ(c.cbo->Text(), c.before);

        typeOver(c.cbo, c.name);
        boxes.answer(Yes);
        focus(c.cbo, QEvent::FocusOut);
        auto* rw = qobject_cast<RecordWindow*>(child(c.form));
        ASSERT_TRUE(rw) << c.form;
        EXPECT_TRUE(minimized(w));
        EXPECT_EQ(main->ActiveForm_mo(), rw);
        EXPECT_FALSE(rw->ssTab1->isTabEnabled(0));
        if (c.cbo == w->cbolCategoryID)
            boxes.answer(Yes);  // a new category links no athlete: Ida's rows go to the placeholder
        rw->cmdSave->click();
        settle();
        EXPECT_FALSE(child(c.form)) << c.form;
        EXPECT_FALSE(minimized(w));
        EXPECT_EQ(main->ActiveForm_mo(), w);
        const QString sql = QStringLiteral("SELECT group_concat(rowid) FROM ") + c.table + " = '" + c.name + "'";
        EXPECT_EQ(scalar(sql).toLong(), c.cbo->ItemData(c.cbo->ListIndex()));
    }
    ASSERT_EQ(boxes.count(), 3);
    EXPECT_TRUE(boxes.last().text.contains("Ida Hanna"));
    EXPECT_EQ(text("T002", clsSegmentRows::colRosterId), "1");
    EXPECT_TRUE(w->Dirty_pf());
}

// A reference window opened for a new name and closed without saving gives
// the header back what it held and the window back from its minimised
// state: Save and Close work again.
TEST_F(HeaderFixture, AReferenceWindowClosedWithoutSavingGivesTheHeaderBack)
{
    frmSegmentDetail* w = openInMain(1);
    const QString before = dump();
    const struct {
        ComboBox* cbo;
        const char* form;
        const char* held;
    } cases[] = {{w->cbolCategoryID, "frmCategory", "Under 18"},
                 {w->cbolEventId, "frmEvent", "Regatta North"},
                 {w->cbolSegmentTypeID, "frmSegmentType", "Race"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form);
        boxes.clear();
        typeOver(c.cbo, "Masters");
        boxes.answer(Yes);
        focus(c.cbo, QEvent::FocusOut);
        QWidget* rw = child(c.form);
        ASSERT_TRUE(rw);
        EXPECT_TRUE(minimized(w));
        boxes.answer(No);  // its own "Save Modified Record?"
        rw->parentWidget()->close();
        settle();
        EXPECT_FALSE(child(c.form));
        EXPECT_FALSE(minimized(w));
        EXPECT_EQ(main->ActiveForm_mo(), w);
        const int asked = boxes.count();
        EXPECT_EQ(c.cbo->Text(), c.held);
        w->cmdSave->click();
        EXPECT_EQ(boxes.count(), asked);
    }
    // The same for a new athlete typed into a row.
    typeAthlete(*w, "T001", "Kim Lund");
    boxes.answer(Yes);
    settle();
    QWidget* roster = child("frmRoster");
    ASSERT_TRUE(roster);
    EXPECT_TRUE(minimized(w));
    boxes.answer(No);
    roster->parentWidget()->close();
    settle();
    EXPECT_FALSE(child("frmRoster"));
    EXPECT_FALSE(minimized(w));
    EXPECT_EQ(main->ActiveForm_mo(), w);
    // Closing the segment while the name is still being added closes its
    // window first (No to its question); the name was never an entry.
    typeOver(w->cbolEventId, "Masters");
    boxes.answer(Yes);
    focus(w->cbolEventId, QEvent::FocusOut);
    ASSERT_TRUE(child("frmEvent"));
    boxes.answer(No);
    EXPECT_TRUE(w->parentWidget()->close());
    settle();
    EXPECT_FALSE(child("frmSegmentDetail"));
    EXPECT_EQ(dump(), before);
}

// A new athlete typed into a row: three words give first and last name, the
// segment's category comes along, and the row takes the saved athlete.
TEST_F(HeaderFixture, ANewAthleteTypedIntoARowComesBackIntoIt)
{
    frmSegmentDetail* w = openInMain(1);
    typeAthlete(*w, "T001", "Ann Lee Smith");
    boxes.answer(Yes);
    settle();
    ASSERT_EQ(boxes.count(), 1);
    auto* roster = qobject_cast<frmRoster*>(child("frmRoster"));
    ASSERT_TRUE(roster);
    EXPECT_EQ(roster->txtFirstName->text() + "/" + roster->txtLastName->text(), "Ann/Lee");
    ASSERT_EQ(roster->lstSelected->count(), 1);
    EXPECT_EQ(roster->lstSelected->item(0)->text(), "Under 18");
    EXPECT_TRUE(minimized(w));

    roster->cmdSave->click();
    settle();
    const qint32 ann = scalar("SELECT lRosterID FROM tblRoster WHERE sLastName = 'Lee'").toLong();
    EXPECT_EQ(text("T001", clsSegmentRows::colRosterId), QString::number(ann));
    EXPECT_EQ(w->dbgMain->cellText(w->dbgMain->Row(), clsSegmentRows::colRosterId), "Ann Lee");
    EXPECT_TRUE(checklist(*w).contains(QString::number(ann) + "+"));
    EXPECT_FALSE(minimized(w));
    EXPECT_FALSE(child("frmRoster"));
}

TEST_F(HeaderFixture, SetObjectIdTagsAndAWindowRestored)
{
    frmSegmentDetail* w = openInMain(1);
    const QString before = dump();
    // Eva is inactive, so not in the value list: no row changes.
    w->setObjectID_p(3, QVariant(30));
    EXPECT_EQ(athletesShown(), "T000:1 R001:1 T001:1 R002:2 T002:2");
    EXPECT_FALSE(w->Dirty_pf());

    w->parentWidget()->showMinimized();
    w->setObjectID_p(5, QVariant(4));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "invalid tag passed to setObjectID_p");
    EXPECT_EQ(boxes.last().style, 48);
    EXPECT_FALSE(minimized(w));

    // Tag 1 runs the category check: Ida is not a Senior; No keeps category 3.
    boxes.answer(No);
    w->setObjectID_p(1, QVariant(4));
    EXPECT_EQ(w->cbolCategoryID->Text(), "Under 18");
    EXPECT_TRUE(w->close());  // nothing changed: no question
    EXPECT_EQ(boxes.count(), 2);
    EXPECT_EQ(dump(), before);
}

// The reference windows outlive their caller: each saves once and closes.
TEST_F(HeaderFixture, AReferenceWindowClosedAfterItsCallerSavesOnceAndCloses)
{
    frmSegmentDetail* w = openInMain(1);
    const QString before = dump();
    typeAthlete(*w, "T001", "Kim Lund");
    boxes.answer(Yes);
    settle();
    QPointer<frmRoster> roster = qobject_cast<frmRoster*>(child("frmRoster"));
    typeOver(w->cbolCategoryID, "Masters");
    boxes.answer(Yes);
    focus(w->cbolCategoryID, QEvent::FocusOut);
    ASSERT_TRUE(roster && child("frmCategory"));

    // The segment closes its category window, which asks to save (Yes: the
    // call-back reaches the closing segment, its category check gets No),
    // then the segment asks (No).
    for (int answer : {Yes, No, No})
        boxes.answer(answer);
    w->parentWidget()->close();
    settle();
    EXPECT_FALSE(child("frmSegmentDetail"));
    EXPECT_FALSE(child("frmCategory"));
    ASSERT_TRUE(roster);
    roster->cmdSave->click();
    settle();
    EXPECT_FALSE(roster);
    EXPECT_EQ(scalar("SELECT count(*) FROM tblRoster WHERE sLastName = 'Lund'").toLong(), 1);
    EXPECT_EQ(scalar("SELECT count(*) FROM tblCategory WHERE sCategory = 'Masters'").toLong(), 1);
    EXPECT_EQ(dump(), before);
}

// A paste longer than the label's 50 characters is cut there and said; the
// notes and the reference names take any length.
TEST_F(HeaderFixture, ALongPasteIsNeverCutWithoutAWord)
{
    frmSegmentDetail& w = open(1);
    w.txtsSegmentLabel->clear();
    w.txtsSegmentLabel->insert(QString(60, QLatin1Char('7')));
    settle();
    EXPECT_EQ(w.txtsSegmentLabel->text(), QString(50, QLatin1Char('7')));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "The segment label holds at most 50 characters: the rest was not taken.");
    const QString name(40000, QLatin1Char('n'));
    w.cbolEventId->lineEdit()->setText(name);
    EXPECT_EQ(w.cbolEventId->lineEdit()->text().size(), 40000);
    EXPECT_EQ(boxes.count(), 1);
}

#include "lists/ListsFixture.h"

#include "app/CallByName.h"
#include "lists/frmCategory.h"
#include "lists/frmEvent.h"
#include "lists/frmRoster.h"
#include "platform/LocaleText.h"
#include "platform/MessagePresenter.h"
#include "shell/clsFindAndReplace.h"

namespace {

// What the find window does for Replace: the engine over the searched
// window, then one refresh request from it.
void replaceAll(RecordWindow* w, const char* find, const char* with)
{
    clsFindAndReplace().Find_P(w, QLatin1String(find), clsFindAndReplace::ReplaceAll, QString::fromLatin1(with),
                               QStringLiteral("Whole Field"), false, clsFindAndReplace::TextCompare);
    CallByName::call(w, "ForceSendRefreshRequest_p");
}

QStringList column(RecordWindow* w, int field)
{
    QStringList texts;
    for (int row = 0; row < w->DataSource_Po()->RecordCount(); ++row)
        texts << w->DataSource_Po()->valueAt(row, field).asText();
    return texts;
}

using FindInLists = ListsTest;

TEST_F(FindInLists, AConfirmedReplacementIsStoredAndEveryWindowOfItsKindShowsIt)
{
    auto* searched = open<frmCategory>();
    auto* other = open<frmCategory>();
    boxes.answer(MessageBoxStyle::ResYes);
    replaceAll(searched, "Juniors", "Youth");

    EXPECT_EQ(value("SELECT sCategory FROM tblCategory WHERE lCategoryID = 3"), "Youth");
    EXPECT_TRUE(column(other, 1).contains("Youth"));
    EXPECT_FALSE(column(other, 1).contains("Juniors"));

    // An athlete's name in the roster, answered No: nothing changes anywhere.
    auto* roster = open<frmRoster>();
    auto* rosterToo = open<frmRoster>();
    boxes.answer(MessageBoxStyle::ResNo);
    replaceAll(roster, "Hanna", "Hannah");
    EXPECT_EQ(value("SELECT sLastName FROM tblRoster WHERE lRosterID = 2"), "Hanna");
    boxes.answer(MessageBoxStyle::ResYes);
    replaceAll(roster, "Hanna", "Hannah");
    EXPECT_EQ(value("SELECT sLastName FROM tblRoster WHERE lRosterID = 2"), "Hannah");
    EXPECT_TRUE(column(rosterToo, 1).contains("Hannah"));
}

// A real window system activates the searched window while a question is up
// (the find window hid itself): the window then moves its record set to its
// first or remembered row. The replacement still lands in the asked row.
TEST_F(FindInLists, AReplacementLandsInTheRowItsQuestionNamedThoughTheWindowMovedMeanwhile)
{
    const QString names =
        QStringLiteral("UPDATE tblCategory SET sCategory = CASE lCategoryID WHEN 3 THEN 'Alpha' WHEN 4 THEN 'alphabet' "
                       "WHEN 5 THEN 'Beta alpha' WHEN 6 THEN 'ALPHA' ELSE 'Gamma' END WHERE lCategoryID > 2;");
    ASSERT_TRUE(folder.execSql("INSERT INTO tblCategory (lCategoryID, sCategory) VALUES (6, 'x');" + names));
    const QString stored =
        QStringLiteral("SELECT group_concat(sCategory, '|') FROM "
                       "(SELECT sCategory FROM tblCategory WHERE lCategoryID > 2 ORDER BY 1 COLLATE BINARY)");
    struct Case {
        int openedRow;  // last shown on the detail page, 0: none
        const char *find, *with;
        qint32 mode;
        QString expected;
        int questions;
    } cases[] = {
        {0, "Beta", "Zeta", clsFindAndReplace::ReplaceOnce, "ALPHA|Alpha|Gamma|Zeta alpha|alphabet", 1},
        {7, "Beta", "Zeta", clsFindAndReplace::ReplaceOnce, "ALPHA|Alpha|Gamma|Zeta alpha|alphabet", 1},
        {0, "alpha", "omega", clsFindAndReplace::ReplaceAll, "Beta omega|Gamma|omega|omega|omegabet", 4},
        {4, "alpha", "omega", clsFindAndReplace::ReplaceAll, "Beta omega|Gamma|omega|omega|omegabet", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.find << " opened " << c.openedRow);
        ASSERT_TRUE(folder.execSql(names));
        auto* w = open<frmCategory>();
        if (c.openedRow) {
            openRow(w, c.openedRow);
            w->ssTab1->setCurrentIndex(0);
        }
        boxes.clear();
        boxes.whileShown([w] { w->Form_Activate(); });
        for (int i = 0; i < c.questions; ++i)
            boxes.answer(MessageBoxStyle::ResYes);
        clsFindAndReplace().Find_P(w, QLatin1String(c.find), c.mode, QString::fromLatin1(c.with),
                                   QStringLiteral("Any Part Of Field"), false, clsFindAndReplace::TextCompare);
        boxes.whileShown({});
        EXPECT_EQ(value(stored), c.expected);
        QStringList questions;
        for (const auto& b : boxes.shown())
            if (b.style == 35)
                questions << b.text;
        EXPECT_EQ(questions.size(), c.questions);
    }
}

// A start date replaced past the end date is refused with the window's rule.
TEST_F(FindInLists, AReplacedStartDateStaysBeforeTheEndDate)
{
    auto* events = open<frmEvent>();
    boxes.clear();
    boxes.answer(MessageBoxStyle::ResYes);
    const QString start = events->dbgMain->cellText(0, 3);
    clsFindAndReplace().Find_P(events, start, clsFindAndReplace::ReplaceOnce,
                               QLocale().toString(QDate(2024, 4, 20), QLocale::ShortFormat),
                               QStringLiteral("Whole Field"), false, clsFindAndReplace::TextCompare);
    EXPECT_EQ(value("SELECT dtStartDate = '2024-04-12' FROM tblEvent WHERE lEventID = 2"), "1");
    ASSERT_EQ(boxes.count(), 3);
    EXPECT_EQ(boxes.shown()[1].text,
              QStringLiteral("The start date cannot be later than the end date. Nothing was changed."));
    EXPECT_EQ(events->DataSource_Po()->valueAt(0, 3).toDate(), QDate(2024, 4, 12));
}

// A date typed or replaced into a list's date column is the date the text
// names in every locale, its century included: the grid shows four-digit
// years, and its own text typed back is the same date.
TEST_F(FindInLists, ADateTypedOrReplacedIntoAListKeepsItsCentury)
{
    struct DefaultLocale {
        explicit DefaultLocale(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
        ~DefaultLocale() { QLocale::setDefault(QLocale::system()); }
    };
    for (const char* name : {"C", "en_US", "en_GB", "de_DE", "fr_FR", "es_ES", "ja_JP", "hu_HU"}) {
        SCOPED_TRACE(name);
        const DefaultLocale scope(name);
        ASSERT_TRUE(folder.execSql(QStringLiteral(
            "UPDATE tblEvent SET dtStartDate = '1925-06-01', dtEndDate = '2040-12-31' WHERE lEventID = 2;")));
        auto* events = open<frmEvent>();
        DataGrid* grid = events->dbgMain;
        const QString shown = grid->cellText(0, 3);
        EXPECT_EQ(shown, LocaleText::date(QDate(1925, 6, 1)));

        boxes.clear();
        boxes.answer(MessageBoxStyle::ResYes);
        clsFindAndReplace().Find_P(events, shown, clsFindAndReplace::ReplaceOnce, LocaleText::date(QDate(2035, 7, 4)),
                                   QStringLiteral("Whole Field"), false, clsFindAndReplace::TextCompare);
        EXPECT_EQ(value("SELECT dtStartDate || '' FROM tblEvent WHERE lEventID = 2"), "2035-07-04");

        for (const QDate day : {QDate(1925, 6, 2), QDate(2035, 7, 5)}) {
            events->DataSource_Po()->MoveFirst();
            ASSERT_TRUE(grid->typeIntoCell(3, LocaleText::date(day)));
            ASSERT_TRUE(grid->Update());
            EXPECT_EQ(value("SELECT dtStartDate || '' FROM tblEvent WHERE lEventID = 2"), day.toString(Qt::ISODate));
            EXPECT_EQ(grid->cellText(0, 3), LocaleText::date(day));
        }
        EXPECT_EQ(boxes.count(), 2);  // the replace's question and its count
    }
}

}  // namespace

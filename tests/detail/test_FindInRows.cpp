#include "PinnedLocale.h"
#include "detail/HeaderFixture.h"

#include "platform/MessagePresenter.h"
#include "shell/clsFindAndReplace.h"

#include <QPushButton>

namespace {

using Col = clsSegmentRows;
using FindInRows = HeaderFixture;

// A replacement in the rows changes the detail record set and marks the
// segment changed; the database has it only once the segment is saved.
TEST_F(FindInRows, AReplacementChangesTheRowsAndIsStoredWithTheSegment)
{
    frmSegmentDetail& w = open(1);
    ASSERT_FALSE(w.Dirty_pf());
    boxes.answer(MessageBoxStyle::ResYes);
    clsFindAndReplace().Find_P(&w, QStringLiteral("start"), clsFindAndReplace::ReplaceAll, QStringLiteral("push off"),
                               QStringLiteral("Whole Field"), false, clsFindAndReplace::TextCompare);
    EXPECT_EQ(text("T001", Col::colComments), "push off");
    EXPECT_TRUE(w.Dirty_pf());
    EXPECT_EQ(scalar("SELECT sComments FROM tblSegmentDetail WHERE sSegmentDetailLabel = 'T001'").asText(), "start");

    boxes.answer(MessageBoxStyle::ResYes);  // "Save Modified Record?"
    w.close();
    EXPECT_EQ(scalar("SELECT sComments FROM tblSegmentDetail WHERE sSegmentDetailLabel = 'T001'").asText(), "push off");
}

// A confirmed replacement is an edit of the cell as if typed: the column's
// check in its own words, the stored value behind the shown one in the
// segment's units, the worked-out columns again, and the save stores it.
// Worked-out columns are not offered; a drop-down takes a listed name.
TEST_F(FindInRows, AReplacementGoesWhereTypingGoes)
{
    const PinnedLocale c;  // expects C's forms ("00:02'00.00", "4.17")
    // Strokes a minute: R002's 2.5 s a stroke shows as 24.
    db().Execute(QStringLiteral("UPDATE tblSegment SET lRateTypeID = 2 WHERE lSegmentID = 1"));
    const QString noFurther = QStringLiteral("no further records match the selected criteria");
    const struct {
        const char *find, *with, *match;
        qint32 mode;
        const char* label;
        int shownColumn;
        const char* shown;      // the cell afterwards
        const char* field;      // the stored field, as saved
        const char* stored;     // its value in the database after Save
        const char* refusal;    // said after the question, or nothing
        int workedOutColumn;    // a column worked out from it
        const char* workedOut;  // its text afterwards, when there is one
    } cases[] = {
        {"24", "20", "Whole Field", clsFindAndReplace::ReplaceOnce, "R002", Col::colRateDisplay, "20", "dRate", "3",
         nullptr, Col::colDips, "23.08"},  // 3 s a stroke over 1000 m in 130 s
        {"04'10", "04'30", "Any Part Of Field", clsFindAndReplace::ReplaceOnce, "T002", Col::colCumTimeDisplay,
         "00:04'30.00", "dCumTime", "270", nullptr, Col::colLap, "00:02'30.00"},
        {"500", "480", "Whole Field", clsFindAndReplace::ReplaceOnce, "T001", Col::colDistance, "480", "dDistance",
         "480", nullptr, Col::colSpeed, "4"},
        {"All Competitors", "Ola Berg", "Whole Field", clsFindAndReplace::ReplaceOnce, "T000", Col::colRosterId,
         "Ola Berg", "lRosterId", "12", nullptr, -1, nullptr},
        {"T00", "X", "Any Part Of Field", clsFindAndReplace::ReplaceOnce, "T000", Col::colLabel, "T000",
         "sSegmentDetailLabel", "T000", "Enter a label for a Time or Rate Only", -1, nullptr},
        // T001's Lap shows the same text: only its Cum is asked about.
        {"00:02'00.00", "00:02'30.00", "Whole Field", clsFindAndReplace::ReplaceAll, "T001", Col::colCumTimeDisplay,
         "00:02'30.00", "dCumTime", "150", nullptr, Col::colLap, "00:02'30.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.find) + " with " + c.with);
        frmSegmentDetail& w = open(1);
        boxes.clear();
        boxes.answer(MessageBoxStyle::ResYes);
        boxes.answer(MessageBoxStyle::ResYes);
        clsFindAndReplace().Find_P(&w, QLatin1String(c.find), c.mode, QLatin1String(c.with), QLatin1String(c.match),
                                   false, clsFindAndReplace::TextCompare);
        QStringList said;
        for (const auto& b : boxes.shown())
            said << b.text;
        ASSERT_FALSE(said.isEmpty());
        EXPECT_TRUE(said.first().startsWith("Replace '"));
        EXPECT_EQ(said.mid(1), c.refusal ? QStringList({c.refusal, noFurther}) : QStringList{noFurther});
        for (int r = 0; r < rows().RecordCount(); ++r)
            if (rows().valueAt(r, Col::colLabel).asText() == c.label) {
                EXPECT_EQ(w.dbgMain->cellText(r, c.shownColumn), c.shown);
                if (c.workedOut) {
                    EXPECT_EQ(w.dbgMain->cellText(r, c.workedOutColumn), c.workedOut);
                }
            }
        EXPECT_EQ(w.Dirty_pf(), !c.refusal);
        w.cmdSave->click();
        EXPECT_EQ(scalar(QStringLiteral("SELECT %1 FROM tblSegmentDetail WHERE lSegmentID = 1 AND "
                                        "lOrdinalPosition = (SELECT lOrdinalPosition FROM tblSegmentDetail "
                                        "WHERE lSegmentID = 1 AND sSegmentDetailLabel = '%2')")
                             .arg(QLatin1String(c.field), QLatin1String(c.label)))
                      .asText(),
                  c.stored);
    }
}

// Hidden columns (the keys, the stored numbers behind the shown ones, a
// column switched off in the View menu) are never searched.
TEST_F(FindInRows, HiddenColumnsAreNeverSearched)
{
    frmSegmentDetail& w = open(1);
    auto find = [&](const char* text) {
        boxes.clear();
        clsFindAndReplace().Find_P(&w, QLatin1String(text), clsFindAndReplace::FindFirst, {},
                                   QStringLiteral("Whole Field"), false, clsFindAndReplace::TextCompare);
        return boxes.last().text;
    };
    const QString none = QStringLiteral("no records match the selected criteria");
    EXPECT_EQ(find("1"), none);    // the segment id of every row, an ordinal position
    EXPECT_EQ(find("250"), none);  // a stored time, shown as 00:04'10.00
    EXPECT_NE(find("start"), none);
    w.SetGridColumns_p(Col::colComments, false);
    EXPECT_EQ(find("start"), none);
}

}  // namespace

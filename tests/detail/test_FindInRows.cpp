#include "detail/DetailFixture.h"

#include "platform/MessagePresenter.h"
#include "shell/clsFindAndReplace.h"

namespace {

using Col = clsSegmentRows;
using FindInRows = DetailFixture;

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

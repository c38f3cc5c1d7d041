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
    clsFindAndReplace().Find_P(&w, QStringLiteral("start"), clsFindAndReplace::ReplaceAll,
                               QStringLiteral("push off"), QStringLiteral("Whole Field"), false,
                               clsFindAndReplace::TextCompare);
    EXPECT_EQ(text("T001", Col::colComments), "push off");
    EXPECT_TRUE(w.Dirty_pf());
    EXPECT_EQ(scalar("SELECT sComments FROM tblSegmentDetail WHERE sSegmentDetailLabel = 'T001'").asText(), "start");

    boxes.answer(MessageBoxStyle::ResYes);  // "Save Modified Record?"
    w.close();
    EXPECT_EQ(scalar("SELECT sComments FROM tblSegmentDetail WHERE sSegmentDetailLabel = 'T001'").asText(),
              "push off");
}

}  // namespace

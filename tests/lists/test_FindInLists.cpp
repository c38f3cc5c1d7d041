#include "lists/ListsFixture.h"

#include "app/CallByName.h"
#include "lists/frmCategory.h"
#include "lists/frmRoster.h"
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

}  // namespace

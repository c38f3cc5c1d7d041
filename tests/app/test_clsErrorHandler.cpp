#include "app/WindowProc.h"
#include "app/clsErrorHandler.h"
#include "app/clsMessageHandler.h"
#include "app/modapp.h"
#include "support/ScriptedMessages.h"

#include <gtest/gtest.h>

namespace {
struct ErrorDialog : ::testing::Test {
    ScriptedMessages boxes;
    std::shared_ptr<clsErrorHandler> handler = std::make_shared<clsErrorHandler>();
    std::shared_ptr<clsMessageHandler> messages = std::make_shared<clsMessageHandler>();

    void SetUp() override
    {
        modapp::publishErrorHandler(handler);
        modapp::publishMessageHandler(messages);
    }
    void TearDown() override { modapp::releaseAll(); }
};
}  // namespace

TEST_F(ErrorDialog, ShowsTheFiveLineTextWithAnExclamationIcon)
{
    auto guard = handler->RegisterProc_po(QStringLiteral("MDIMain"), QStringLiteral("MDIForm_Load"));
    EXPECT_EQ(handler->HandleError_pl(13, QStringLiteral("D")), 1);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("Error 13 encountered in MDIMain.MDIForm_Load.\r\n"
                             "\r\n"
                             "@D\r\n"
                             "\r\n"
                             "MDIMain.MDIForm_Load.@"));
    EXPECT_EQ(boxes.last().style, 48);
    EXPECT_TRUE(boxes.last().title.isEmpty());
}

TEST_F(ErrorDialog, ObjectErrorsAreShownAsSystemErrorsWithoutTheBase)
{
    auto guard = handler->RegisterProc_po(QStringLiteral("frmA"), QStringLiteral("P"));
    qint32 style = 0;
    EXPECT_TRUE(handler->errorText(static_cast<qint32>(0x80040E14u), QStringLiteral("x"), &style)
                    .startsWith(QStringLiteral("System Error 3604 encountered in frmA.P.")));
    EXPECT_TRUE(
        handler->errorText(4120, QStringLiteral("x"), &style).startsWith(QStringLiteral("Error 4120 encountered")));
    // A raw provider failure without the object bit set still carries bit 18.
    EXPECT_TRUE(handler->errorText(static_cast<qint32>(0x80004005u), QStringLiteral("x"), &style)
                    .startsWith(QStringLiteral("System Error -245755 ")));
}

// A fault of the database file, however a class passed it on, is said in
// words with its own number once, the technical lines below for support.
TEST_F(ErrorDialog, DatabaseFileFaultsAreSaidInWordsWithTheirNumberOnce)
{
    auto guard = handler->RegisterProc_po(QStringLiteral("frmSegmentDetail"), QStringLiteral("Form_Load"));
    const struct {
        qint32 number;
        const char* words;
        const char* technical;
    } cases[] = {
        {AppError::withObjectBase(3049), "the database file is damaged", "Error 3049: page fault"},
        {3049, "restore the backup copy", "Error 3049: page fault"},
        {AppError::withObjectBase(3027), "cannot be written", "Error 3027: page fault"},
        {3218, "in use by another program", "Error 3218: page fault"},
        {AppError::withObjectBase(3043), "could not be read or written", "Error 3043: page fault"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.technical);
        handler->HandleError_pl(c.number, QStringLiteral("page fault"));
        const QString text = boxes.last().text;
        EXPECT_TRUE(text.startsWith(QStringLiteral("This could not be done: "))) << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String(c.words))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("\r\n\r\n") + QLatin1String(c.technical) + QStringLiteral("\r\n")))
            << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral("frmSegmentDetail.Form_Load."))) << text.toStdString();
        EXPECT_EQ(text.count(QString::fromLatin1(c.technical).mid(6, 4)), 1) << text.toStdString();
        EXPECT_EQ(boxes.last().style, 48);
    }
}

TEST_F(ErrorDialog, NestedRegistrationsListNewestFirstAndReleaseOutOfOrder)
{
    auto outer =
        std::make_unique<clsThisActiveProc>(handler->RegisterProc_po(QStringLiteral("frmOuter"), QStringLiteral("A")));
    auto inner =
        std::make_unique<clsThisActiveProc>(handler->RegisterProc_po(QStringLiteral("frmInner"), QStringLiteral("B")));
    qint32 style = 0;
    QString text = handler->errorText(5, QStringLiteral("d"), &style);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Error 5 encountered in frmInner.B.")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\nfrmInner.B.\r\nfrmOuter.A.@")));

    outer.reset();  // the outer guard dies first
    auto third = handler->RegisterProc_po(QStringLiteral("frmThird"), QStringLiteral("C"));
    text = handler->errorText(5, QStringLiteral("d"), &style);
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\nfrmThird.C.\r\nfrmInner.B.@")));
    ASSERT_EQ(handler->ActiveProcs_pcol().size(), 2u);
    inner.reset();
    EXPECT_EQ(handler->ActiveProcs_pcol().size(), 1u);
    EXPECT_EQ(handler->ActiveProcs_pcol().begin()->second.ModuleName, QStringLiteral("frmThird"));
    EXPECT_THROW(handler->ReleaseProc_p(QStringLiteral("0")), AppError);  // released long ago
}

TEST_F(ErrorDialog, TaskNameAndStyleComeFromTheGuard)
{
    auto guard = handler->RegisterProc_po(QStringLiteral("M"), QStringLiteral("P"));
    guard.TaskName_ps(QStringLiteral("T"));
    guard.MsgBoxType_pl(36);
    boxes.answer(7);
    EXPECT_EQ(handler->HandleError_pl(9, QStringLiteral("d")), 7);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("Error 9 encountered in M.P.T\r\n")));
    EXPECT_TRUE(boxes.last().text.endsWith(QStringLiteral("\r\nM.P.T@")));
    EXPECT_EQ(boxes.last().style, 36);
}

TEST_F(ErrorDialog, EarlierConnectionErrorsAreAppendedOnlyForTheLastOne)
{
    auto guard = handler->RegisterProc_po(QStringLiteral("M"), QStringLiteral("P"));
    const qint32 last = static_cast<qint32>(0x80004005u);
    handler->AdoConnection([&] {
        return QList<clsErrorHandler::ConnectionError>{
            {1, QStringLiteral("first")}, {2, QStringLiteral("second")}, {last, QStringLiteral("third")}};
    });
    qint32 style = 0;
    // Reported with the object-error base added on the way up: still the same error.
    const QString text = handler->errorText(static_cast<qint32>(0x80044005u), QStringLiteral("third"), &style);
    EXPECT_TRUE(text.contains(QStringLiteral("@third\r\n\r\nfirst\r\n\r\nsecond\r\n\r\nM.P.@")));
    EXPECT_FALSE(handler->errorText(13, QStringLiteral("other"), &style).contains(QStringLiteral("first")));

    handler->AdoConnection([] { return QList<clsErrorHandler::ConnectionError>{{7, QStringLiteral("only")}}; });
    EXPECT_TRUE(handler->errorText(7, QStringLiteral("only"), &style).contains(QStringLiteral("@only\r\n\r\nM.P.@")));
}

TEST_F(ErrorDialog, NeverLosesAnErrorWithNothingRegistered)
{
    handler->AdoConnection(
        []() -> QList<clsErrorHandler::ConnectionError> { throw AppError(3704, QStringLiteral("closed")); });
    EXPECT_NO_THROW(handler->HandleError_pl(13, QStringLiteral("lost?")));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("@lost?")));
}

TEST_F(ErrorDialog, WindowProcedureReportsOnceAndUnregisters)
{
    int ran = 0;
    guarded("frmImport", "cmdImport_Click", [&] {
        ++ran;
        EXPECT_EQ(handler->ActiveProcs_pcol().size(), 1u);
        throw AppError(53, QStringLiteral("File not found"));
    });
    EXPECT_EQ(ran, 1);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("Error 53 encountered in frmImport.cmdImport_Click.")));
    EXPECT_TRUE(handler->ActiveProcs_pcol().empty());

    guarded("frmX", "Other", [] { throw std::runtime_error("boom"); });
    EXPECT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("@boom")));
}

TEST(ErrorGuard, OutlivingTheHandlerIsHarmless)
{
    clsThisActiveProc guard;
    {
        auto handler = std::make_shared<clsErrorHandler>();
        guard = handler->RegisterProc_po(QStringLiteral("MDIMain"), QStringLiteral("mnuFileExit_Click"));
    }
    guard.TaskName_ps(QStringLiteral("late"));
    EXPECT_FALSE(guard.Key_ps().isEmpty());
}

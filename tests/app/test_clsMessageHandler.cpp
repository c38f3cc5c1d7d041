#include "app/clsMessageHandler.h"
#include "platform/MessagePresenter.h"
#include "support/ScriptedMessages.h"

#include <gtest/gtest.h>

TEST(MessageBoxStyle, DecodesButtonsIconAndDefault)
{
    struct Row {
        int style, buttons, icon, def;
    };
    const Row rows[] = {
        {0, 0, 0, 0}, {16, 0, 16, 0}, {35, 3, 32, 0}, {36, 4, 32, 0}, {52, 4, 48, 0}, {292, 4, 32, 1}, {51, 3, 48, 0},
    };
    for (const auto& r : rows) {
        const auto d = MessageBoxStyle::decode(r.style);
        EXPECT_EQ(d.buttons, r.buttons) << r.style;
        EXPECT_EQ(d.icon, r.icon) << r.style;
        EXPECT_EQ(d.defaultButton, r.def) << r.style;
    }
    EXPECT_EQ(MessageBoxStyle::buttonResults(4), (QList<int>{6, 7}));
    EXPECT_EQ(MessageBoxStyle::buttonResults(3), (QList<int>{6, 7, 2}));
}

TEST(clsMessageHandler, AddsTheInformationIconOnlyWhenThereIsNone)
{
    ScriptedMessages boxes;
    clsMessageHandler handler;
    qint32 style = 0;
    EXPECT_EQ(handler.ShowMessage_gl(QStringLiteral("hello"), &style), 1);
    EXPECT_EQ(style, 64);
    EXPECT_EQ(boxes.last().style, 64);
    EXPECT_TRUE(boxes.last().title.isEmpty());

    boxes.answer(7);
    EXPECT_EQ(handler.ShowMessage_gl(QStringLiteral("sure?"), 292), 7);
    EXPECT_EQ(boxes.last().style, 292);
    handler.ShowMessage_gl(QStringLiteral("bad"), 16);
    EXPECT_EQ(boxes.last().style, 16);
}

TEST(clsMessageHandler, StatusStackShowsTheNewestAndRemovesByIdentity)
{
    auto handler = std::make_shared<clsMessageHandler>();
    QStringList bar;  // what the status bar showed, in order
    handler->setStatusOutput(
        [&](qint32 action, const QVariant& v) { bar << ((action == 1 || action == 3) ? QString() : v.toString()); });
    auto older = handler->CreateStatusMessage_po(QStringLiteral("older"));
    auto newer = handler->CreateStatusMessage_po(QStringLiteral("newer"));
    EXPECT_EQ(bar.last(), QStringLiteral("newer"));

    older->Message_ps(QStringLiteral("older changed"));  // below the top: nothing new shows
    EXPECT_EQ(bar.last(), QStringLiteral("newer"));

    older.reset();  // out of order: the right one goes
    EXPECT_EQ(bar.last(), QStringLiteral("newer"));
    ASSERT_EQ(handler->StatusMessages_pcol().size(), 1);
    EXPECT_EQ(handler->StatusMessages_pcol().first()->Message_ps(), QStringLiteral("newer"));
    newer.reset();
    EXPECT_EQ(bar.last(), QString());

    auto a = handler->CreateStatusMessage_po(QStringLiteral("a"));
    {
        auto meter = handler->CreateProgressMeter_po();
        meter->Progress_pl(40);
        EXPECT_EQ(bar.last(), QStringLiteral("40"));
    }
    EXPECT_EQ(bar.last(), QStringLiteral("a"));  // the message comes back after the meter
}

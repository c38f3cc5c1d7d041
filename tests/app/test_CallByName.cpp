#include "app/CallByName.h"
#include "platform/Value.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {
class FakeChild : public QWidget {
    Q_OBJECT
public:
    FakeChild() { setObjectName(QStringLiteral("frmFake")); }
    QStringList calls;

    Q_INVOKABLE void SetOrder_P(const QString& order) { calls << QStringLiteral("SetOrder_P ") + order; }
    Q_INVOKABLE void SetGridColumns_p(int column, bool visible)
    {
        calls << QStringLiteral("SetGridColumns_p %1 %2").arg(column).arg(visible);
    }
    Q_INVOKABLE bool FillDown_pf() { return true; }
    Q_INVOKABLE void setObjectID_p(int tag, const Value& id)
    {
        calls << QStringLiteral("%1=%2").arg(tag).arg(id.toLong());
    }
    Q_INVOKABLE void ForceSendRefreshRequest_p() { throw AppError(4120, QStringLiteral("refused")); }
};
}  // namespace

TEST(CallByName, CallsMembersWithArgumentsAndRaises438ForMissingOnes)
{
    FakeChild child;
    CallByName::call(&child, "SetOrder_P", QStringLiteral("DESC"));
    CallByName::call(&child, "SetGridColumns_p", 10, true);
    CallByName::call(&child, "setObjectID_p", 3, Value(7));
    EXPECT_TRUE(CallByName::get<bool>(&child, "FillDown_pf"));
    EXPECT_EQ(child.calls,
              (QStringList{QStringLiteral("SetOrder_P DESC"), QStringLiteral("SetGridColumns_p 10 1"),
                           QStringLiteral("3=7")}));
    EXPECT_TRUE(CallByName::has(&child, "SetOrder_P"));
    EXPECT_FALSE(CallByName::has(&child, "Export_p"));

    try {
        CallByName::call(&child, "Export_p");
        FAIL() << "no error for a missing member";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 438);
    }
    try {
        CallByName::call(&child, "ForceSendRefreshRequest_p");
        FAIL() << "the member's error did not reach the caller";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 4120);
    }
    EXPECT_THROW(CallByName::call(nullptr, "SetOrder_P", QStringLiteral("ASC")), AppError);
}

#include "test_CallByName.moc"

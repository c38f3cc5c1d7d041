#include "support/ScriptedMessages.h"

#include <QApplication>
#include <gtest/gtest.h>

// Every test executable runs real widgets without a display.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Splitwerk"));
    ::testing::InitGoogleTest(&argc, argv);
    // A box nobody expected fails the test that caused it instead of blocking.
    ScriptedMessages::installUnexpectedGuard();
    return RUN_ALL_TESTS();
}

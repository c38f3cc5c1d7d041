#pragma once

#include <QString>
#include <functional>

// Every message box of the program goes through here. Styles and results are
// the classic message-box numbers: buttons in bits 0-3 (0 OK, 1 OK/Cancel,
// 2 Abort/Retry/Ignore, 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel), icon in
// bits 4-6 (16 critical, 32 question, 48 exclamation, 64 information), default
// button in bits 8-9; results 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore,
// 6 Yes, 7 No.
namespace MessageBoxStyle {
enum Buttons { OK = 0, OKCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5 };
enum Icon { NoIcon = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum Result { ResOK = 1, ResCancel = 2, ResAbort = 3, ResRetry = 4, ResIgnore = 5, ResYes = 6, ResNo = 7 };

struct Decoded {
    int buttons = 0;        // one of Buttons
    int icon = 0;           // one of Icon
    int defaultButton = 0;  // 0 first, 1 second, 2 third
};
Decoded decode(int style);
// The button numbers a box of this style offers, in order.
QList<int> buttonResults(int buttons);
}  // namespace MessageBoxStyle

class MessagePresenter {
public:
    using Function = std::function<int(const QString& text, int style, const QString& title, const QString& details)>;
    // A presenter that has no use for the details.
    using TextFunction = std::function<int(const QString& text, int style, const QString& title)>;

    // Shows a box (modal) and returns the result number. Details, when given,
    // are more than the box can show at once (a long list): the box offers
    // them in a scrolling pane of their own, so it keeps to the screen.
    static int show(const QString& text, int style, const QString& title = {}, const QString& details = {});
    // Tests and headless runs put their own presenter in; an empty function
    // restores the real one.
    static void install(Function presenter);
    static void install(TextFunction presenter);
    static bool isInstalled();
};

#include "platform/MessagePresenter.h"

#include "platform/AppInfo.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace MessageBoxStyle {
Decoded decode(int style)
{
    Decoded d;
    d.buttons = style & 0x0F;
    d.icon = style & 0x70;
    d.defaultButton = (style & 0x300) >> 8;
    return d;
}

QList<int> buttonResults(int buttons)
{
    switch (buttons) {
    case OKCancel: return {ResOK, ResCancel};
    case AbortRetryIgnore: return {ResAbort, ResRetry, ResIgnore};
    case YesNoCancel: return {ResYes, ResNo, ResCancel};
    case YesNo: return {ResYes, ResNo};
    case RetryCancel: return {ResRetry, ResCancel};
    default: return {ResOK};
    }
}
}  // namespace MessageBoxStyle

namespace {
MessagePresenter::Function& installed()
{
    static MessagePresenter::Function f;
    return f;
}

QMessageBox::StandardButton standardFor(int result)
{
    switch (result) {
    case MessageBoxStyle::ResOK: return QMessageBox::Ok;
    case MessageBoxStyle::ResCancel: return QMessageBox::Cancel;
    case MessageBoxStyle::ResAbort: return QMessageBox::Abort;
    case MessageBoxStyle::ResRetry: return QMessageBox::Retry;
    case MessageBoxStyle::ResIgnore: return QMessageBox::Ignore;
    case MessageBoxStyle::ResYes: return QMessageBox::Yes;
    default: return QMessageBox::No;
    }
}

QString plainLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

int showWithQt(const QString& text, int style, const QString& title, const QString& details)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return MessageBoxStyle::ResCancel;
    const auto d = MessageBoxStyle::decode(style);
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? AppInfo::title() : title);
    // Texts can hold user data and database messages: never rich text.
    box.setTextFormat(Qt::PlainText);
    box.setText(plainLines(text));
    if (!details.isEmpty())
        box.setDetailedText(plainLines(details));
    switch (d.icon) {
    case MessageBoxStyle::Critical: box.setIcon(QMessageBox::Critical); break;
    case MessageBoxStyle::Question: box.setIcon(QMessageBox::Question); break;
    case MessageBoxStyle::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MessageBoxStyle::Information: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    const QList<int> results = MessageBoxStyle::buttonResults(d.buttons);
    QList<QAbstractButton*> buttons;
    for (int r : results)
        buttons.append(box.addButton(standardFor(r)));
    if (d.defaultButton < buttons.size())
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons[d.defaultButton]));
    if (results.contains(MessageBoxStyle::ResCancel))
        box.setEscapeButton(buttons[results.indexOf(MessageBoxStyle::ResCancel)]);
    box.exec();
    const int i = buttons.indexOf(box.clickedButton());
    if (i < 0)
        return results.contains(MessageBoxStyle::ResCancel) ? int(MessageBoxStyle::ResCancel) : results.last();
    return results[i];
}
}  // namespace

int MessagePresenter::show(const QString& text, int style, const QString& title, const QString& details)
{
    if (installed())
        return installed()(text, style, title, details);
    return showWithQt(text, style, title, details);
}

void MessagePresenter::install(Function presenter) { installed() = std::move(presenter); }

void MessagePresenter::install(TextFunction presenter)
{
    if (!presenter) {
        installed() = nullptr;
        return;
    }
    installed() = [presenter = std::move(presenter)](const QString& text, int style, const QString& title,
                                                     const QString&) { return presenter(text, style, title); };
}

bool MessagePresenter::isInstalled() { return bool(installed()); }

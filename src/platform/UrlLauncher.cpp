#include "platform/UrlLauncher.h"

#include <QDesktopServices>

namespace {
UrlLauncher::Function& installed()
{
    static UrlLauncher::Function f;
    return f;
}
}  // namespace

namespace UrlLauncher {
bool open(const QUrl& url)
{
    if (installed())
        return installed()(url);
    return QDesktopServices::openUrl(url);
}

void install(Function launcher) { installed() = std::move(launcher); }
}  // namespace UrlLauncher

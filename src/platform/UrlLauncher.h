#pragma once

#include <QUrl>
#include <functional>

// Opens an address or a local file with the desktop's viewer. One replaceable
// function, so that tests record what would have opened instead of opening it.
namespace UrlLauncher {
using Function = std::function<bool(const QUrl& url)>;

// True when the desktop took the address.
bool open(const QUrl& url);
// An empty function restores the desktop's launcher.
void install(Function launcher);
}  // namespace UrlLauncher

#include "platform/AppInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString& folderOverride()
{
    static QString folder;
    return folder;
}
QString& nameOverride()
{
    static QString name;
    return name;
}
}  // namespace

QString AppInfo::title() { return QStringLiteral("Splitwerk"); }
int AppInfo::major() { return SPLITWERK_VERSION_MAJOR; }
int AppInfo::minor() { return SPLITWERK_VERSION_MINOR; }
int AppInfo::revision() { return SPLITWERK_VERSION_PATCH; }
QString AppInfo::companyName() { return QStringLiteral("The Splitwerk developers"); }
QString AppInfo::copyright() { return QStringLiteral("Copyright \u00A9 The Splitwerk developers"); }

QString AppInfo::path()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

void AppInfo::setPath(const QString& folder)
{
    folderOverride() = folder.isEmpty() ? QString() : QDir::cleanPath(QDir(folder).absolutePath());
}

QString AppInfo::exeName()
{
    if (!nameOverride().isEmpty())
        return nameOverride();
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return QStringLiteral("splitwerk");
}

void AppInfo::setExeName(const QString& name) { nameOverride() = name; }

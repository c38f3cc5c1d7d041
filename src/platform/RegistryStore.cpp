#include "platform/RegistryStore.h"

#include "platform/AppInfo.h"

#include <QSettings>
#include <QStandardPaths>

namespace {
QString& pathOverride()
{
    static QString path;
    return path;
}

// An INI key cannot be empty; the key's unnamed default value gets a name no
// value of ours uses.
const QString kDefaultValueName = QStringLiteral("(Default)");

QString groupOf(const QString& keyPath)
{
    QString g = keyPath;
    g.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (g.startsWith(QLatin1Char('/')))
        g.remove(0, 1);
    while (g.endsWith(QLatin1Char('/')))
        g.chop(1);
    return g;
}

QString nameOf(const QString& valueName)
{
    return valueName.isEmpty() ? kDefaultValueName : valueName;
}

// Every call opens the file anew: QSettings shares one cache per file within
// the process, so this costs little and always sees the others' writes.
struct Opened {
    QSettings settings;
    explicit Opened(const QString& keyPath)
        : settings(RegistryStore::filePath(), QSettings::IniFormat)
    {
        const QString g = groupOf(keyPath);
        if (!g.isEmpty())
            settings.beginGroup(g);
    }
    bool flush()
    {
        settings.sync();
        return settings.status() == QSettings::NoError;
    }
};
}

void RegistryStore::setFilePath(const QString& path) { pathOverride() = path; }

QString RegistryStore::filePath()
{
    if (!pathOverride().isEmpty())
        return pathOverride();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/')
        + AppInfo::title() + QStringLiteral("/registry.ini");
}

QString RegistryStore::value(const QString& keyPath, const QString& valueName)
{
    Opened o(keyPath);
    return o.settings.value(nameOf(valueName)).toString();
}

bool RegistryStore::setValue(const QString& keyPath, const QString& valueName, const QString& value)
{
    Opened o(keyPath);
    o.settings.setValue(nameOf(valueName), value);
    return o.flush();
}

bool RegistryStore::keyExists(const QString& keyPath)
{
    if (groupOf(keyPath).isEmpty())
        return true;
    Opened o(keyPath);
    return !o.settings.allKeys().isEmpty();
}

bool RegistryStore::valueExists(const QString& keyPath, const QString& valueName)
{
    Opened o(keyPath);
    return o.settings.contains(nameOf(valueName));
}

bool RegistryStore::deleteKey(const QString& keyPath)
{
    const QString g = groupOf(keyPath);
    if (g.isEmpty())
        return false;  // never the whole tree
    Opened o(QString{});
    o.settings.remove(g);
    return o.flush();
}

bool RegistryStore::deleteValue(const QString& keyPath, const QString& valueName)
{
    Opened o(keyPath);
    o.settings.remove(nameOf(valueName));
    return o.flush();
}

QStringList RegistryStore::subKeys(const QString& keyPath)
{
    Opened o(keyPath);
    return o.settings.childGroups();
}

QStringList RegistryStore::valueNames(const QString& keyPath)
{
    Opened o(keyPath);
    QStringList names = o.settings.childKeys();
    for (QString& n : names)
        if (n == kDefaultValueName)
            n.clear();
    return names;
}

#include "platform/RegistryStore.h"

#include "platform/AppInfo.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStringDecoder>

namespace {
QString& pathOverride()
{
    static QString path;
    return path;
}

// An INI key cannot be empty; the key's unnamed default value gets a name no
// value of ours uses.
const QString kDefaultValueName = QStringLiteral("(Default)");

QStringList segmentsOf(const QString& keyPath)
{
    QString g = keyPath;
    g.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return g.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

QString nameOf(const QString& valueName) { return valueName.isEmpty() ? kDefaultValueName : valueName; }

// A settings file is text we wrote ourselves: one the INI reader refuses, or
// that holds NUL bytes or broken UTF-8 (what a crash mid-write leaves), is
// damaged, and writing through it would lose what it still holds.
bool isDamaged(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;  // missing reads as empty; an unreadable one fails its writes
    const QByteArray bytes = file.readAll();
    if (bytes.contains('\0'))
        return true;
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)utf8.decode(bytes);
    if (utf8.hasError())
        return true;
    return QSettings(path, QSettings::IniFormat).status() == QSettings::FormatError;
}

// Puts a damaged file aside, untouched, under a name of its own, so the store
// starts empty and the user can still look at what was there. Each state of
// the file is checked once.
void keepDamagedFileAside(const QString& path)
{
    static QString checkedPath;
    static qint64 checkedSize = -1;
    static QDateTime checkedTime;
    const QFileInfo info(path);
    if (!info.exists())
        return;
    if (path == checkedPath && info.size() == checkedSize && info.lastModified() == checkedTime)
        return;
    if (isDamaged(path)) {
        QString aside = path + QStringLiteral(".damaged");
        for (int n = 1; QFileInfo::exists(aside); ++n)
            aside = path + QStringLiteral(".damaged-%1").arg(n);
        QFile::rename(path, aside);
    }
    const QFileInfo now(path);
    checkedPath = path;
    checkedSize = now.exists() ? now.size() : -1;
    checkedTime = now.lastModified();
}

// Every call opens the file anew: QSettings shares one cache per file within
// the process, so this costs little and always sees the others' writes.
// Key paths and value names ignore letter case, as the registry does: each
// segment takes the spelling already stored, a new one keeps the caller's.
struct Opened {
    QSettings settings;
    explicit Opened(const QString& keyPath) : settings(checkedFilePath(), QSettings::IniFormat)
    {
        for (const QString& segment : segmentsOf(keyPath))
            settings.beginGroup(stored(settings.childGroups(), segment));
    }
    static QString checkedFilePath()
    {
        const QString path = RegistryStore::filePath();
        keepDamagedFileAside(path);
        return path;
    }
    static QString stored(const QStringList& names, const QString& name)
    {
        for (const QString& n : names)
            if (n.compare(name, Qt::CaseInsensitive) == 0)
                return n;
        return name;
    }
    QString valueKey(const QString& valueName) { return stored(settings.childKeys(), nameOf(valueName)); }
    bool flush()
    {
        settings.sync();
        return settings.status() == QSettings::NoError;
    }
};

// Every stored spelling of the key path (twins that differ only in case can
// be left by older versions of the file).
void collectGroups(QSettings& settings, const QStringList& segments, qsizetype level, const QString& prefix,
                   QStringList* out)
{
    if (level == segments.size()) {
        out->append(prefix);
        return;
    }
    for (const QString& g : settings.childGroups()) {
        if (g.compare(segments.at(level), Qt::CaseInsensitive) != 0)
            continue;
        settings.beginGroup(g);
        collectGroups(settings, segments, level + 1, prefix.isEmpty() ? g : prefix + QLatin1Char('/') + g, out);
        settings.endGroup();
    }
}
}  // namespace

void RegistryStore::setFilePath(const QString& path) { pathOverride() = path; }

QString RegistryStore::filePath()
{
    if (!pathOverride().isEmpty())
        return pathOverride();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + AppInfo::title()
        + QStringLiteral("/registry.ini");
}

QString RegistryStore::value(const QString& keyPath, const QString& valueName)
{
    Opened o(keyPath);
    return o.settings.value(o.valueKey(valueName)).toString();
}

bool RegistryStore::setValue(const QString& keyPath, const QString& valueName, const QString& value)
{
    Opened o(keyPath);
    o.settings.setValue(o.valueKey(valueName), value);
    return o.flush();
}

bool RegistryStore::keyExists(const QString& keyPath)
{
    if (segmentsOf(keyPath).isEmpty())
        return true;
    Opened o(keyPath);
    return !o.settings.allKeys().isEmpty();
}

bool RegistryStore::valueExists(const QString& keyPath, const QString& valueName)
{
    Opened o(keyPath);
    return o.settings.contains(o.valueKey(valueName));
}

bool RegistryStore::deleteKey(const QString& keyPath)
{
    const QStringList segments = segmentsOf(keyPath);
    if (segments.isEmpty())
        return false;  // never the whole tree
    Opened o(QString{});
    QStringList groups;
    collectGroups(o.settings, segments, 0, QString(), &groups);
    for (const QString& g : std::as_const(groups))
        o.settings.remove(g);
    return o.flush();
}

bool RegistryStore::deleteValue(const QString& keyPath, const QString& valueName)
{
    Opened o(keyPath);
    o.settings.remove(o.valueKey(valueName));
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

RegistryStore::WriteFault RegistryStore::writeFault()
{
    const QFileInfo file(filePath());
    if (file.exists() && !file.isWritable())
        return WriteFault::ReadOnly;
    // The folder is made with the first value: the nearest one there is what must take it.
    QFileInfo folder(file.absolutePath());
    while (!folder.exists() && !folder.isRoot())
        folder.setFile(folder.absolutePath());
    if (!folder.isDir())
        return WriteFault::Other;
    if (!folder.isWritable())
        return WriteFault::ReadOnly;
    // The file is written anew beside itself, so it needs its own size again.
    constexpr qint64 Slack = 64 * 1024;
    const QStorageInfo disk(folder.absoluteFilePath());
    if (disk.isValid() && disk.bytesAvailable() < (file.exists() ? file.size() : 0) + Slack)
        return WriteFault::DiskFull;
    return WriteFault::Other;
}

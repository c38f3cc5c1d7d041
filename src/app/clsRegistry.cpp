#include "app/clsRegistry.h"

#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/RegistryStore.h"

namespace {
QString hiveName(qint32 hive)
{
    switch (hive) {
    case clsRegistry::HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case clsRegistry::HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    default: return QStringLiteral("HKEY_%1").arg(quint32(hive), 8, 16, QLatin1Char('0'));
    }
}
}  // namespace

QString clsRegistry::storePath(const QString& sectionKey) const
{
    // The program's own settings live under the machine hive, which is the
    // store's root; any other hive gets a top-level key of its own.
    if (m_classKey == HKEY_LOCAL_MACHINE)
        return sectionKey;
    return hiveName(m_classKey) + QLatin1Char('\\') + sectionKey;
}

QString clsRegistry::location() const
{
    // The messages end here or go on with the value; the key-tree one ends here.
    return QStringLiteral("'%1',Section: '%2").arg(QString::number(m_classKey), m_sectionKey);
}

QString clsRegistry::errorSource() { return AppInfo::exeName() + QStringLiteral(".cRegistry"); }

bool clsRegistry::KeyExists() const { return RegistryStore::keyExists(storePath(m_sectionKey)); }

bool clsRegistry::CreateKey() { return true; }

bool clsRegistry::DeleteKey()
{
    const QString path = storePath(m_sectionKey);
    if (!RegistryStore::keyExists(path))
        return true;
    if (!RegistryStore::subKeys(path).isEmpty() || !RegistryStore::deleteKey(path))
        AppError::raise(ErrKey, QStringLiteral("Failed to delete registry Key: ") + location() + QLatin1Char('\''),
                        errorSource());
    return true;
}

bool clsRegistry::DeleteValue()
{
    const QString path = storePath(m_sectionKey);
    if (!RegistryStore::deleteValue(path, m_valueKey))
        AppError::raise(ErrKey,
                        QStringLiteral("Failed to delete registry Key: %1',Key: '%2'").arg(location(), m_valueKey),
                        errorSource());
    return true;
}

::Value clsRegistry::Value() const
{
    const QString path = storePath(m_sectionKey);
    if (!RegistryStore::valueExists(path, m_valueKey))
        return m_default;
    m_valueType = REG_SZ;
    return ::Value(RegistryStore::value(path, m_valueKey));
}

void clsRegistry::Value(const ::Value& value)
{
    const QString text = value.asText();
    // Only text can be stored; any other type counts as a failed write.
    const bool written = (m_valueType == REG_SZ || m_valueType == REG_EXPAND_SZ)
        && RegistryStore::setValue(storePath(m_sectionKey), m_valueKey, text);
    if (!written)
        AppError::raise(ErrSetValue,
                        QStringLiteral("Failed to set registry value Key: %1',Key: '%2' to value: '%3'")
                            .arg(location(), m_valueKey, text),
                        errorSource());
}

bool clsRegistry::EnumerateValues(QStringList& names, qint32& count) const
{
    names = RegistryStore::valueNames(storePath(m_sectionKey));
    count = qint32(names.size());
    return true;
}

bool clsRegistry::EnumerateSections(QStringList& names, qint32& count) const
{
    names = RegistryStore::subKeys(storePath(m_sectionKey));
    count = qint32(names.size());
    return true;
}

void clsRegistry::DeleteSubKeys_m(const QString& keyPath)
{
    SectionKey(keyPath);
    QStringList names;
    qint32 count = 0;
    EnumerateSections(names, count);
    for (const QString& name : names)
        DeleteSubKeys_m(keyPath + QLatin1Char('\\') + name);
    SectionKey(keyPath);
    DeleteKey();
}

void clsRegistry::DeleteKeyWithSubKeys(qint32 hKey, const QString& sectionKey)
{
    ClassKey(hKey);
    SectionKey(sectionKey);
    // Nothing to delete is not a failure: every caller wants the key gone.
    if (!KeyExists())
        return;
    try {
        DeleteSubKeys_m(sectionKey);
    } catch (const AppError&) {
        AppError::raise(ErrKey, QStringLiteral("Failed to delete registry Key Tree: ") + location(),
                        errorSource() + QStringLiteral("_DeleteKeyRecursive"));
    }
}

::Value clsRegistry::GetRegistryValue(qint32 hKey, const QString& sectionKey, const QString& valueKey)
{
    ClassKey(hKey);
    SectionKey(sectionKey);
    ValueKey(valueKey);
    return Value();
}

::Value clsRegistry::SetRegistryValue(qint32 hKey, const QString& sectionKey, const QString& valueKey,
                                      const ::Value& value, qint32 valueType)
{
    ClassKey(hKey);
    SectionKey(sectionKey);
    ValueKey(valueKey);
    ValueType(valueType);
    Value(value);
    return Value();
}

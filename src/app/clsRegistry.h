#pragma once

#include "platform/Value.h"

#include <QString>
#include <QStringList>

// Reads, writes and deletes settings values and keys in the machine-wide
// settings tree (see RegistryStore). Each caller makes its own object, which
// carries the location of one value between calls. Only text values are kept:
// the store holds no value types, so expandable, binary, number and
// multi-text values are not supported.
class clsRegistry {
public:
    // Root hives as their classic handle values.
    static constexpr qint32 HKEY_CLASSES_ROOT = static_cast<qint32>(0x80000000u);
    static constexpr qint32 HKEY_CURRENT_USER = static_cast<qint32>(0x80000001u);
    static constexpr qint32 HKEY_LOCAL_MACHINE = static_cast<qint32>(0x80000002u);
    static constexpr qint32 REG_SZ = 1;
    static constexpr qint32 REG_EXPAND_SZ = 2;
    // A key could not be made, opened or deleted.
    static constexpr qint32 ErrKey = 26001;
    // A value could not be written (-2147194455).
    static constexpr qint32 ErrSetValue = static_cast<qint32>(0x800469A9u);

    clsRegistry() = default;
    virtual ~clsRegistry() = default;

    bool KeyExists() const;
    // Keys come into being with their first value in this store, so there
    // is nothing to make ahead of it.
    bool CreateKey();
    // Deletes SectionKey, which must have no subkeys left (26001 otherwise).
    // A missing key is nothing to delete.
    bool DeleteKey();
    bool DeleteValue();

    // The value at ClassKey/SectionKey/ValueKey, or Default when there is none.
    ::Value Value() const;
    // Writes the value as text; 0x800469A9 when it cannot be written.
    void Value(const ::Value& value);

    bool EnumerateValues(QStringList& names, qint32& count) const;
    bool EnumerateSections(QStringList& names, qint32& count) const;

    qint32 ValueType() const { return m_valueType; }
    void ValueType(qint32 type) { m_valueType = type; }
    qint32 ClassKey() const { return m_classKey; }
    void ClassKey(qint32 hive) { m_classKey = hive; }
    QString SectionKey() const { return m_sectionKey; }
    void SectionKey(const QString& path) { m_sectionKey = path; }
    QString ValueKey() const { return m_valueKey; }
    void ValueKey(const QString& name) { m_valueKey = name; }
    ::Value Default() const { return m_default; }
    void Default(const ::Value& value) { m_default = value; }

    // Deletes the key with everything below it, deepest first. A missing key
    // is left alone; a failure raises 26001 (keys deleted before it stay deleted).
    void DeleteKeyWithSubKeys(qint32 hKey, const QString& sectionKey);
    ::Value GetRegistryValue(qint32 hKey, const QString& sectionKey, const QString& valueKey);
    // Writes and returns the value as read back.
    ::Value SetRegistryValue(qint32 hKey, const QString& sectionKey, const QString& valueKey, const ::Value& value,
                             qint32 valueType = REG_SZ);

private:
    void DeleteSubKeys_m(const QString& keyPath);
    QString storePath(const QString& sectionKey) const;
    QString location() const;
    static QString errorSource();

    qint32 m_classKey = HKEY_LOCAL_MACHINE;
    QString m_sectionKey;
    QString m_valueKey;
    mutable qint32 m_valueType = REG_SZ;  // a read sets it to the stored type
    ::Value m_default;
};

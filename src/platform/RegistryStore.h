#pragma once

#include <QString>
#include <QStringList>

// The machine-wide settings tree: backslash key paths ("SOFTWARE\Splitwerk\General")
// map to groups of an INI file in the user's configuration folder. Key paths
// and value names ignore letter case. A file that cannot be read is renamed
// to "<file>.damaged" (or ".damaged-<n>"), untouched, and the store starts empty.
class RegistryStore {
public:
    // The settings file; tests point it at a temporary file. Empty restores the default.
    static void setFilePath(const QString& path);
    static QString filePath();

    // A missing value reads as an empty text.
    static QString value(const QString& keyPath, const QString& valueName);
    // Returns false when the value could not be written (the file is not writable).
    static bool setValue(const QString& keyPath, const QString& valueName, const QString& value);
    static bool keyExists(const QString& keyPath);
    static bool valueExists(const QString& keyPath, const QString& valueName);
    // Deletes a key with every subkey and value below it.
    static bool deleteKey(const QString& keyPath);
    static bool deleteValue(const QString& keyPath, const QString& valueName);
    static QStringList subKeys(const QString& keyPath);
    static QStringList valueNames(const QString& keyPath);

    // Why the file cannot be written, as far as its folder and disk show it
    // after a failed write: read-only for this user (or on a read-only disk),
    // a disk without room, or neither that can be seen.
    enum class WriteFault { ReadOnly, DiskFull, Other };
    static WriteFault writeFault();
};

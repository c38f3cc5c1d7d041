#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Reads profile (INI) files the way the classic profile-string call does:
// sections and keys compare without regard to case, keys and values are
// trimmed, one pair of matching quotes around a value is dropped, lines
// starting with ";" are comments and the first section and key of a name win.
// Values come back raw: no splitting at commas, no escapes (QSettings does both,
// so it is never used for these files).
class ProfileFile {
public:
    // Reads the whole file once; a missing or unreadable file reads as empty.
    explicit ProfileFile(const QString& path);

    bool exists() const { return m_exists; }
    // The value of key in section, or defaultValue when the file, section or
    // key is missing. A key that is present with nothing after "=" gives "".
    QString value(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    QStringList sectionNames() const;

    static QString readString(const QString& path, const QString& section, const QString& key,
                              const QString& defaultValue = {});
    // UTF-8 (or UTF-16 with its byte-order mark); bytes that are not valid
    // UTF-8 are read as Windows-1252, the code page such files were written in.
    static QString decode(const QByteArray& bytes);

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        QList<Entry> entries;
    };

    void parse(const QString& text);

    bool m_exists = false;
    QList<Section> m_sections;
};

#pragma once

#include "platform/Value.h"

#include <QList>
#include <QString>

class clsAdoConnectJet;

// Settings (rows of tblSysStrings) and user-visible texts (the strings file,
// one section per language) looked up by number. A "|" in a text is a
// placeholder: a list of tags fills the bars in turn, a single tag replaces
// every bar, and without tags the bars stay.
class clsStrings {
public:
    clsStrings() = default;

    // The record-set connection the settings are read through; the
    // application object sets it once the database is open.
    clsAdoConnectJet* DatabaseConnection() const { return m_connection; }
    void DatabaseConnection(clsAdoConnectJet* connection) { m_connection = connection; }

    // The setting's text: "" for a Null value, the default when there is no
    // row or the table cannot be read. Never raises.
    QString SysStringFromID_pf(qint32 id, const QString& defaultText) const;
    QString SysStringFromID_pf(qint32 id, const QString& defaultText, const Value& tag) const;
    QString SysStringFromID_pf(qint32 id, const QString& defaultText, const QList<Value>& tags) const;

    // Writes a setting; true when the statement ran, even when no row has
    // that id (none is created). Never raises.
    bool SysStringToID_pf(qint32 id, const QString& text);

    // A text of the strings file: the key is the id's text form. Never raises.
    QString IniStringFromID_pf(const QString& file, const QString& section, const Value& id,
                               const QString& defaultText) const;
    QString IniStringFromID_pf(const QString& file, const QString& section, const Value& id, const QString& defaultText,
                               const Value& tag) const;
    QString IniStringFromID_pf(const QString& file, const QString& section, const Value& id, const QString& defaultText,
                               const QList<Value>& tags) const;

    // Fills successive occurrences of the one-character tag (found without
    // regard to case) from tags; surplus bars stay, surplus tags are ignored.
    static QString StringReplaceTags_gs(const QString& text, const QString& tag, const QList<Value>& tags);
    // A key of a profile-format file, or the default when the file, section
    // or key is missing.
    static QString GetIniString_gs(const QString& file, const QString& section, const QString& key,
                                   const QString& defaultText);
    // The folder part of a path, with its closing separator ("/" or "\");
    // raises 5 for a path without one.
    static QString GetPathName_gs(const QString& path);

private:
    QString readSetting(qint32 id, const QString& defaultText) const;
    static QString fillOne(const QString& text, const Value& tag);
    static QString fillList(const QString& text, const QList<Value>& tags);
    static QString keyOf(const Value& id);

    clsAdoConnectJet* m_connection = nullptr;
};

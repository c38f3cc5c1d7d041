#pragma once

#include "platform/Value.h"

#include <QDate>
#include <QString>

class Recordset;

// Writes a record set to a tab-separated text file: a line of field names,
// then one line per record, every field followed by a tab and every line by
// CR LF, while a progress window shows how far it has come.
class clsExportToFile {
public:
    clsExportToFile() = default;
    clsExportToFile(const clsExportToFile&) = delete;
    clsExportToFile& operator=(const clsExportToFile&) = delete;

    // The rows of the segments whose ids the text lists ("1, 5, 7"), as the file holds them.
    static QString Statement_ps(const QString& ids);

    // Kept, not owned: the caller closes it after the export.
    void RecordSet_prs(Recordset* rs) { m_rs = rs; }
    // Errors reach the caller with the source "clsExportToFile.Export_p"; an
    // existing file is replaced only when the whole export succeeded.
    void Export_p(const QString& path);

    // A value as the file holds it: the user's regional format, Null as
    // nothing, tabs and line breaks as blanks so every line keeps its fields.
    static QString ValueText_gs(const Value& v);
    // The user's short date, always with four-digit years.
    static QString ShortDate_gs(const QDate& d);

private:
    void writeAll(const QString& path);

    Recordset* m_rs = nullptr;
};

#pragma once

#include "platform/Value.h"

#include <QDate>
#include <QString>

class Connection;

// Writes segments and their rows to a tab-separated text file: a line of
// column names, then one line per row, every field followed by a tab and
// every line by CR LF, while a progress window shows how far it has come.
class clsExportToFile {
public:
    // Faults whose descriptions are words for the user, not for the error
    // dialog: the disk had no room for the file, or every segment to write
    // was deleted after the list was made. No file was changed by either.
    static constexpr qint32 ErrDiskFull = 61;
    static bool isSaidInWords(qint32 number);

    clsExportToFile() = default;
    clsExportToFile(const clsExportToFile&) = delete;
    clsExportToFile& operator=(const clsExportToFile&) = delete;

    // The rows of the segments whose ids the text lists ("1, 5, 7"), as the file holds them.
    static QString Statement_ps(const QString& ids);

    // The segments to write (ids as Statement_ps takes them), read through
    // the connection, which is kept, not owned.
    void Segments_p(Connection* conn, const QString& ids);
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

    Connection* m_conn = nullptr;
    QString m_ids;
};

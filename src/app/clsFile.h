#pragma once

#include "platform/Value.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

class QFile;

// A sequential file written piece by piece, or read whole. Each object owns
// only its own file: releasing one never closes another's (a short-lived
// reader must not close the download image mid-transfer).
class clsFile {
public:
    clsFile();
    ~clsFile();
    clsFile(const clsFile&) = delete;
    clsFile& operator=(const clsFile&) = delete;

    // Opens path for output, replacing any existing file. A file this object
    // had open is closed first. Errors are raised with source "clsFile.Open_pf".
    bool Open_pf(const QString& path);
    // Writes the text as UTF-8, unchanged, with no line break of its own.
    void Print_pf(const QString& text);
    void Print_pf(const char* text) { Print_pf(QString::fromUtf8(text)); }
    // Writes the bytes exactly as given (raw data from the watch).
    void Print_pf(const QByteArray& bytes);
    void Close_pf();

    // The file's items, read as delimited input: a comma or a line break ends
    // an item except inside double quotes; quotes are dropped and blanks
    // around an unquoted item trimmed. Items are joined with CR LF; a file
    // without items gives Empty. A missing file raises 53.
    Value GetFileContents_pv(const QString& path);

    // Splits text into items by the rules above.
    static QStringList inputItems(const QString& text);

private:
    void write(const QByteArray& bytes);

    std::unique_ptr<QFile> m_file;
};

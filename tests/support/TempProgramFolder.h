#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A throw-away program folder for one test: the program folder, the program
// name ("splitwerk") and the registry file point into it while it lives, and
// it makes the files the build would put there, from the same resources.
class TempProgramFolder {
public:
    static constexpr const char* DefaultPassword = "RORUDAZE";

    TempProgramFolder();
    ~TempProgramFolder();
    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    QString path() const;
    QString databasePath() const;  // <folder>/splitwerk.mdb
    QString udlPath() const;       // <folder>/SPLITWERK.UDL
    QString stringsPath() const;   // <folder>/splitwerk.ini
    QString registryPath() const;  // <folder>/registry.ini

    // The database from schema.sql and seed.sql, keyed with the password.
    // Each of these reports a failure to the running test and returns false.
    bool createDatabase(const QString& password = QString::fromLatin1(DefaultPassword));
    // The data link file exactly as the build writes it, or with other content.
    bool writeUdl();
    bool writeUdl(const QByteArray& content);
    bool writeStringsFile();
    // Database, data link file and strings file together.
    bool makeProgramFiles();

    // Runs SQL (one or more statements) on the keyed database with foreign
    // keys on, as the program's connections have them. With an error pointer a
    // failure is the caller's to judge; without one it fails the test.
    bool execSql(const QString& sql, QString* error = nullptr,
                 const QString& password = QString::fromLatin1(DefaultPassword));

    // A resource file's text (schema.sql, seed.sql, ...).
    static QString resourceText(const QString& name);

private:
    QTemporaryDir m_dir;
};

#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// Runs every statement of an SQL script in order and stops at the first one
// that fails; the error names the failing statement.
bool runSqlScript(sqlite3* db, const QString& sql, QString* error);

// Makes a new keyed database file from scripts run in one transaction. Never
// touches an existing file, and the file only appears under its name once it
// is complete, so an interrupted run leaves nothing that looks like a database.
bool createDatabaseFromScripts(const QString& path, const QString& key, const QStringList& scripts, QString* error);

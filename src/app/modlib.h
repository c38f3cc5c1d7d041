#pragma once

#include <QString>

// Makes a temporary file name in folder (the system's temporary folder when
// empty) from prefix. With unique 0 the name is new and the file is created
// empty; otherwise the name is made from unique and nothing is created.
// Returns true on success; fileName receives the full path.
bool TempFileName_gf(const QString& folder, const QString& prefix, qint32 unique, QString& fileName);

// The text without leading and trailing blanks (spaces only, as labels are kept).
QString TrimSpaces_gs(const QString& text);

// The text before the first NUL character (all of it when there is none).
QString StripNulls_gs(const QString& text);

#include "app/modlib.h"

#include <QDir>
#include <QTemporaryFile>

bool TempFileName_gf(const QString& folder, const QString& prefix, qint32 unique, QString& fileName)
{
    const QString dir = folder.isEmpty() ? QDir::tempPath() : folder;
    if (dir.isEmpty())
        return false;
    if (unique != 0) {
        fileName = StripNulls_gs(QDir(dir).filePath(prefix + QString::number(quint32(unique) & 0xFFFFu, 16).toUpper()
                                                    + QStringLiteral(".tmp")));
        return true;
    }
    QTemporaryFile file(QDir(dir).filePath(prefix + QStringLiteral("XXXXXX.tmp")));
    // The empty file stays: it reserves the name until the caller uses it.
    file.setAutoRemove(false);
    if (!file.open()) {
        fileName.clear();
        return false;
    }
    fileName = StripNulls_gs(file.fileName());
    file.close();
    return true;
}

QString StripNulls_gs(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString TrimSpaces_gs(const QString& text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && text.at(e - 1) == QLatin1Char(' '))
        --e;
    return text.mid(b, e - b);
}

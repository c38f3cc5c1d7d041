// Makes the program's database from the schema and seed scripts at build time.
//   splitwerk_makedb <database> <key> <script>...
// An existing database is never touched: that is the user's data.

#include "platform/SqlScript.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <database> <key> <script>...\n", argv[0]);
        return 2;
    }
    const QString database = QString::fromLocal8Bit(argv[1]);
    if (QFileInfo::exists(database)) {
        std::fprintf(stderr, "%s exists; not touched\n", argv[1]);
        return 3;
    }
    QStringList scripts;
    for (int i = 3; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        scripts << QString::fromUtf8(file.readAll());
    }
    QString error;
    if (!createDatabaseFromScripts(database, QString::fromLocal8Bit(argv[2]), scripts, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

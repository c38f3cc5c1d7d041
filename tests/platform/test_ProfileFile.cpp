#include "platform/ProfileFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath("strings.ini");
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    return path;
}
}  // namespace

TEST(ProfileFile, ReadsValuesByTheProfileRules)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = writeFile(dir,
                                   "; a comment line\r\n"
                                   "stray=before any section\r\n"
                                   "[English]\r\n"
                                   "100 = Connection has timed out, unable to connect   \r\n"
                                   "110=\"  quoted, kept blanks  \"\r\n"
                                   "120='single'\r\n"
                                   "130=\"unbalanced\r\n"
                                   "140=\"a\" and \"b\"\r\n"
                                   "150=\r\n"
                                   "160=x=y ; not a comment\r\n"
                                   "170=first\r\n"
                                   "170=second\r\n"
                                   ";180=commented out\r\n"
                                   "190=\"\"\r\n"
                                   "200=C:\\path\\with\\tn\r\n"
                                   "  [ Deutsch ]  \n"
                                   "100=Zeit\n"
                                   "[english]\r\n"
                                   "300=in a second section of the same name\r\n");

    const struct {
        const char* section;
        const char* key;
        QString expected;
    } cases[] = {
        {"English", "100", QStringLiteral("Connection has timed out, unable to connect")},
        {"ENGLISH", " 100 ", QStringLiteral("Connection has timed out, unable to connect")},
        {"English", "110", QStringLiteral("  quoted, kept blanks  ")},
        {"English", "120", QStringLiteral("single")},
        {"English", "130", QStringLiteral("\"unbalanced")},
        {"English", "140", QStringLiteral("a\" and \"b")},
        {"English", "150", QString()},
        {"English", "160", QStringLiteral("x=y ; not a comment")},
        {"English", "170", QStringLiteral("first")},
        {"English", "180", QStringLiteral("<default>")},
        {"English", "190", QString()},
        {"English", "200", QStringLiteral("C:\\path\\with\\tn")},
        {"deutsch", "100", QStringLiteral("Zeit")},
        {"English", "300", QStringLiteral("<default>")},
        {"English", "stray", QStringLiteral("<default>")},
        {"Français", "100", QStringLiteral("<default>")},
    };
    const ProfileFile file(path);
    ASSERT_TRUE(file.exists());
    for (const auto& c : cases)
        EXPECT_EQ(file.value(QString::fromUtf8(c.section), QString::fromUtf8(c.key), QStringLiteral("<default>")),
                  c.expected)
            << c.section << "/" << c.key;

    EXPECT_EQ(ProfileFile::readString(dir.filePath("missing.ini"), "English", "100", "dflt"), QStringLiteral("dflt"));
    EXPECT_FALSE(ProfileFile(dir.filePath("missing.ini")).exists());
}

TEST(ProfileFile, DecodesUtf8AndFallsBackToTheWindowsCodePage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // UTF-8 with a byte-order mark.
    QString path = writeFile(dir,
                             "\xEF\xBB\xBF[English]\r\n1=Gr\xC3\xBC\xC3\x9F"
                             "e \xE2\x82\xAC\r\n");
    EXPECT_EQ(ProfileFile::readString(path, "English", "1"), QStringLiteral("Grüße €"));
    // The same text written by an old editor in Windows-1252.
    path = writeFile(dir,
                     "[English]\r\n1=Gr\xFC\xDF"
                     "e \x80 \x93quoted\x94\r\n");
    EXPECT_EQ(ProfileFile::readString(path, "English", "1"), QStringLiteral("Grüße € “quoted”"));
}

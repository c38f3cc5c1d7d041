#include "app/clsRegistry.h"
#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
constexpr qint32 HKLM = clsRegistry::HKEY_LOCAL_MACHINE;
const QString kBase = QStringLiteral("SOFTWARE\\Splitwerk");
const QString kGeneral = QStringLiteral("SOFTWARE\\Splitwerk\\General");

// Every test gets a settings file of its own; the user's is never touched.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_saved = RegistryStore::filePath();
        RegistryStore::setFilePath(m_dir.filePath("registry.ini"));
    }
    void TearDown() override { RegistryStore::setFilePath(m_saved); }

    QTemporaryDir m_dir;
    QString m_saved;
};
}  // namespace

TEST_F(RegistryTest, MissingValuesReadEmptyAndTextsRoundTrip)
{
    clsRegistry reg;
    EXPECT_TRUE(reg.GetRegistryValue(HKLM, kGeneral, "Version").isEmpty());

    EXPECT_EQ(reg.SetRegistryValue(HKLM, kGeneral, "Version", Value("2.3.1"), 1), Value("2.3.1"));
    EXPECT_EQ(clsRegistry().GetRegistryValue(HKLM, kGeneral, "Version"), Value("2.3.1"));
    // A value that needs quoting in an INI file comes back as written.
    const QString awkward = QStringLiteral("a, b; \"c\" =d %PATH% \\e");
    EXPECT_EQ(reg.SetRegistryValue(HKLM, kGeneral, "Note", Value(awkward)).asText(), awkward);

    const Value blank = reg.SetRegistryValue(HKLM, kGeneral + "\\LocaleInfo", "CountryCode", Value(QString()));
    EXPECT_EQ(blank.kind(), Value::Kind::Text);
    EXPECT_TRUE(blank.asText().isEmpty());

    reg.Default(Value("fallback"));
    EXPECT_EQ(reg.GetRegistryValue(HKLM, kGeneral, "Missing"), Value("fallback"));
}

TEST_F(RegistryTest, DeleteWithSubKeysRemovesTheTreeAndLeavesSiblings)
{
    clsRegistry reg;
    reg.SetRegistryValue(HKLM, kGeneral, "Version", Value("2.3.0"));
    reg.SetRegistryValue(HKLM, kBase + "\\FormSettings\\frmA", "Top", Value("120"));
    reg.SetRegistryValue(HKLM, kBase + "\\GridSettings\\frmB\\grdList", "grdList_Column0_Width", Value("1440.5"));
    reg.SetRegistryValue(HKLM, "SOFTWARE\\Other", "Keep", Value("yes"));
    reg.SetRegistryValue(HKLM, "SOFTWARE\\SplitwerkX", "Keep", Value("too"));

    reg.DeleteKeyWithSubKeys(HKLM, kBase);

    EXPECT_TRUE(reg.GetRegistryValue(HKLM, kGeneral, "Version").isEmpty());
    EXPECT_TRUE(reg.GetRegistryValue(HKLM, kBase + "\\FormSettings\\frmA", "Top").isEmpty());
    EXPECT_TRUE(RegistryStore::subKeys(kBase).isEmpty());
    EXPECT_FALSE(RegistryStore::keyExists(kBase));
    EXPECT_EQ(reg.GetRegistryValue(HKLM, "SOFTWARE\\Other", "Keep"), Value("yes"));
    EXPECT_EQ(reg.GetRegistryValue(HKLM, "SOFTWARE\\SplitwerkX", "Keep"), Value("too"));

    // A key that is not there is nothing to delete.
    EXPECT_NO_THROW(reg.DeleteKeyWithSubKeys(HKLM, kBase + "\\GridSettings"));
}

TEST_F(RegistryTest, ThinMembersFollowTheKeyRules)
{
    clsRegistry reg;
    reg.SetRegistryValue(HKLM, kBase + "\\FormSettings\\frmA", "Top", Value("1"));
    reg.SetRegistryValue(HKLM, kBase + "\\FormSettings\\frmA", "Left", Value("2"));
    reg.SetRegistryValue(HKLM, kBase + "\\FormSettings\\frmB", "Top", Value("3"));

    reg.SectionKey(kBase + "\\FormSettings");
    QStringList names;
    qint32 count = -1;
    EXPECT_TRUE(reg.EnumerateSections(names, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, QStringList({"frmA", "frmB"}));
    EXPECT_TRUE(reg.KeyExists());
    // A key with subkeys left is not deleted on its own.
    try {
        reg.DeleteKey();
        FAIL() << "deleted a key with subkeys";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), clsRegistry::ErrKey);
    }

    reg.SectionKey(kBase + "\\FormSettings\\frmA");
    reg.ValueKey("Top");
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_TRUE(reg.EnumerateValues(names, count));
    EXPECT_EQ(names, QStringList({"Left"}));
    EXPECT_EQ(count, 1);

    // Only text can be stored.
    reg.ValueType(4);
    EXPECT_THROW(reg.Value(Value(7)), AppError);
}

TEST_F(RegistryTest, AFailedWriteRaisesWithTheValueInTheText)
{
    // A settings file below a plain file cannot be written, even by root.
    const QString blocker = m_dir.filePath("blocker");
    {
        QFile f(blocker);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    RegistryStore::setFilePath(blocker + "/registry.ini");

    clsRegistry reg;
    try {
        reg.SetRegistryValue(HKLM, kGeneral, "Version", Value("2.3.1"), 1);
        FAIL() << "write did not fail";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), -2147194455);
        EXPECT_EQ(e.description(),
                  QStringLiteral("Failed to set registry value Key: '-2147483646',"
                                 "Section: 'SOFTWARE\\Splitwerk\\General',Key: 'Version' "
                                 "to value: '2.3.1'"));
        EXPECT_EQ(e.source(), AppInfo::exeName() + ".cRegistry");
    }
}

// Key paths and value names compare without regard to case, as the platform
// they come from does: every spelling reaches the one key and the one value.
TEST_F(RegistryTest, KeyPathsAndValueNamesIgnoreLetterCase)
{
    clsRegistry reg;
    reg.SetRegistryValue(HKLM, kGeneral, "Version", Value("2.3.1"));
    reg.SetRegistryValue(HKLM, kBase + "\\FormSettings\\frmA", "Top", Value("1"));

    struct Spelling {
        const char* section;
        const char* value;
    };
    const Spelling spellings[] = {
        {"SOFTWARE\\Splitwerk\\General", "Version"},
        {"software\\splitwerk\\general", "version"},
        {"Software\\SPLITWERK\\GENERAL", "VERSION"},
    };
    for (const Spelling& s : spellings) {
        SCOPED_TRACE(s.section);
        EXPECT_EQ(reg.GetRegistryValue(HKLM, s.section, s.value), Value("2.3.1"));
    }

    // A write in another spelling replaces the value instead of adding a twin.
    reg.SetRegistryValue(HKLM, "software\\SPLITWERK\\general", "VERSION", Value("2.3.2"));
    EXPECT_EQ(reg.GetRegistryValue(HKLM, kGeneral, "Version"), Value("2.3.2"));
    EXPECT_EQ(RegistryStore::valueNames(kGeneral), QStringList({"Version"}));
    EXPECT_EQ(RegistryStore::subKeys("software\\splitwerk"), QStringList({"FormSettings", "General"}));
    EXPECT_TRUE(RegistryStore::valueExists("SOFTWARE\\SPLITWERK\\FORMSETTINGS\\FRMA", "TOP"));

    reg.SectionKey("SOFTWARE\\SPLITWERK\\FORMSETTINGS\\FRMA");
    reg.ValueKey("top");
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_FALSE(RegistryStore::valueExists(kBase + "\\FormSettings\\frmA", "Top"));

    reg.DeleteKeyWithSubKeys(HKLM, "software\\SPLITWERK");
    EXPECT_FALSE(RegistryStore::keyExists(kBase));
    EXPECT_TRUE(reg.GetRegistryValue(HKLM, kGeneral, "Version").isEmpty());
}

// A settings file that cannot be read is put aside untouched and the store
// starts empty, so the program still starts.
TEST_F(RegistryTest, AnUnreadableSettingsFileIsKeptAsideAndTheStoreStartsEmpty)
{
    QByteArray random(4096, '\0');
    quint32 seed = 11;
    for (char& c : random) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 16);
    }
    const struct {
        const char* name;
        QByteArray content;
    } damaged[] = {
        {"random bytes", random},
        {"a section never closed", QByteArray("[SOFTWARE/Splitwerk/General\nVersion=2.3.1\n")},
        {"not text at all", QByteArray("\x00\x01\x02\xff[\xfe\x00=\x00", 10)},
    };
    const QString path = RegistryStore::filePath();
    for (const auto& c : damaged) {
        SCOPED_TRACE(c.name);
        for (const QString& f : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(f));
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.content);
        }
        clsRegistry reg;
        EXPECT_TRUE(reg.GetRegistryValue(HKLM, kGeneral, "Version").isEmpty());
        EXPECT_EQ(reg.SetRegistryValue(HKLM, kGeneral, "Version", Value("2.3.1")), Value("2.3.1"));
        EXPECT_EQ(clsRegistry().GetRegistryValue(HKLM, kGeneral, "Version"), Value("2.3.1"));

        const QStringList aside = QDir(m_dir.path()).entryList(QStringList{"registry.ini.damaged*"}, QDir::Files);
        ASSERT_EQ(aside.size(), 1) << aside.join(',').toStdString();
        QFile kept(m_dir.filePath(aside.front()));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), c.content);
    }
}

#include "app/clsRegistry.h"
#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/RegistryStore.h"

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
}

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
        EXPECT_EQ(e.description(), QStringLiteral("Failed to set registry value Key: '-2147483646',"
                                                  "Section: 'SOFTWARE\\Splitwerk\\General',Key: 'Version' "
                                                  "to value: '2.3.1'"));
        EXPECT_EQ(e.source(), AppInfo::exeName() + ".cRegistry");
    }
}

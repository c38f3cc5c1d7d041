#include "app/clsStrings.h"

#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "support/TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

class clsStringsSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.makeProgramFiles());
        ASSERT_TRUE(folder.execSql("UPDATE tblSysStrings SET sString = '3' WHERE lStringID = 110;"
                                   "UPDATE tblSysStrings SET sString = '' WHERE lStringID = 180;"
                                   "UPDATE tblSysStrings SET sString = NULL WHERE lStringID = 230;"
                                   "INSERT INTO tblSysStrings (lStringID, sString) VALUES (5000, 'a|b|c');"));
        conn.UDL(folder.udlPath());
        ASSERT_TRUE(conn.OpenConnection_pf());
        strings.DatabaseConnection(&conn);
    }
    Value stored(int id)
    {
        return conn.Connection()->ExecuteScalar("SELECT sString FROM tblSysStrings WHERE lStringID = ?", {Value(id)});
    }

    TempProgramFolder folder;
    clsAdoConnectJet conn;
    clsStrings strings;
};

TEST_F(clsStringsSettings, MissingRowGivesTheDefaultAndEmptyOrNullGiveEmpty)
{
    EXPECT_EQ(strings.SysStringFromID_pf(999, "x"), "x");
    EXPECT_EQ(strings.SysStringFromID_pf(180, "x"), "");
    EXPECT_EQ(strings.SysStringFromID_pf(230, "4"), "");
    EXPECT_EQ(strings.SysStringFromID_pf(110, "1"), "3");
}

TEST_F(clsStringsSettings, UnreadableTableGivesTheDefaultWithoutRaising)
{
    conn.SQLExecute_pl("DROP TABLE tblSysStrings");
    EXPECT_EQ(strings.SysStringFromID_pf(110, "1"), "1");
    EXPECT_FALSE(strings.SysStringToID_pf(110, "2"));
    clsStrings unwired;
    EXPECT_EQ(unwired.SysStringFromID_pf(110, "dflt"), "dflt");
}

TEST_F(clsStringsSettings, PlaceholdersFillInTurnOrAllAtOnce)
{
    EXPECT_EQ(strings.SysStringFromID_pf(5000, ""), "a|b|c");
    EXPECT_EQ(strings.SysStringFromID_pf(5000, "", Value(3)), "a3b3c");
    EXPECT_EQ(strings.SysStringFromID_pf(5000, "", QList<Value>{3, 4}), "a3b4c");
    EXPECT_EQ(strings.SysStringFromID_pf(5000, "", QList<Value>{3}), "a3b|c");
    EXPECT_EQ(strings.SysStringFromID_pf(5000, "", QList<Value>{}), "a|b|c");
    EXPECT_EQ(strings.SysStringFromID_pf(5000, "", QList<Value>{3, 4, 5, 6}), "a3b4c");
    // A tag holding a bar is not filled again.
    EXPECT_EQ(strings.SysStringFromID_pf(5000, "", Value("x|y")), "ax|ybx|yc");
    EXPECT_EQ(strings.SysStringFromID_pf(5000, "", QList<Value>{"x|y", 4}), "ax|yb4c");
    // The default is filled as well when there is no row.
    EXPECT_EQ(strings.SysStringFromID_pf(999, "n=|", Value(7)), "n=7");
}

TEST_F(clsStringsSettings, WritesTheExactTextThroughParameters)
{
    EXPECT_TRUE(strings.SysStringToID_pf(200, "2"));
    EXPECT_EQ(stored(200).asText(), "2");
    EXPECT_TRUE(strings.SysStringToID_pf(4242, "2"));
    EXPECT_TRUE(stored(4242).isNull());
    EXPECT_TRUE(strings.SysStringToID_pf(200, "a\"b'c"));
    EXPECT_EQ(stored(200).asText(), "a\"b'c");
    // A column's name is stored as text, not read as that column.
    EXPECT_TRUE(strings.SysStringToID_pf(200, "sString"));
    EXPECT_EQ(stored(200).asText(), "sString");
    EXPECT_TRUE(strings.SysStringToID_pf(200, "lStringID"));
    EXPECT_EQ(stored(200).asText(), "lStringID");
}

class clsStringsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        file = QDir(folder.path()).filePath("texts.ini");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("; comment\n[English]\n4100=\n4120=Error saving, aborting save.\n"
                "4130 = \"  quoted  \"\n4140=100% of |, not |\n[Other]\n4120=other\n");
    }
    TempProgramFolder folder;
    QString file;
    clsStrings strings;
};

TEST_F(clsStringsFile, LooksUpTextsByIdWithTheWindowsRules)
{
    EXPECT_EQ(strings.IniStringFromID_pf(file, "English", 4120, "d"), "Error saving, aborting save.");
    EXPECT_EQ(strings.IniStringFromID_pf(file, "ENGLISH", Value("4120"), "d"), "Error saving, aborting save.");
    EXPECT_EQ(strings.IniStringFromID_pf(file, "english", 4100, "d"), "");
    EXPECT_EQ(strings.IniStringFromID_pf(file, "English", 4130, "d"), "  quoted  ");
    EXPECT_EQ(strings.IniStringFromID_pf(file, "English", 4999, "d"), "d");
    EXPECT_EQ(strings.IniStringFromID_pf(file, "German", 4120, "d"), "d");
    EXPECT_EQ(strings.IniStringFromID_pf(file + ".missing", "English", 4120, "d"), "d");
    EXPECT_EQ(strings.IniStringFromID_pf(file, "English", 4140, "d", QList<Value>{"1,5", 2}), "100% of 1,5, not 2");
    EXPECT_EQ(strings.IniStringFromID_pf(file, "English", 4140, "d"), "100% of |, not |");
}

TEST_F(clsStringsFile, ShippedStringsFileHasTheFrameTexts)
{
    ASSERT_TRUE(folder.writeStringsFile());
    EXPECT_EQ(strings.IniStringFromID_pf(folder.stringsPath(), "English", 4100, "-"), "Error saving, aborting save.");
    EXPECT_EQ(strings.IniStringFromID_pf(folder.stringsPath(), "English", 690, "Deleting"), "Deleting");
}

TEST(clsStringsHelpers, ReplaceTagsAndPathNames)
{
    EXPECT_EQ(clsStrings::StringReplaceTags_gs("aXbxc", "x", {1, 2}), "a1b2c");
    EXPECT_EQ(clsStrings::StringReplaceTags_gs("abc", "|", {1}), "abc");
    EXPECT_EQ(clsStrings::GetPathName_gs("/opt/splitwerk/splitwerk.mdb"), "/opt/splitwerk/");
    EXPECT_EQ(clsStrings::GetPathName_gs("C:\\Program Files\\x.mdb"), "C:\\Program Files\\");
    EXPECT_EQ(clsStrings::GetPathName_gs("/x"), "/");
    for (const char* bad : {"splitwerk.mdb", ""}) {
        try {
            clsStrings::GetPathName_gs(bad);
            ADD_FAILURE() << "no error for '" << bad << "'";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), ErrNo::InvalidCall);
        }
    }
}

}  // namespace

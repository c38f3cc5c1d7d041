#include "app/clsGridSettings.h"
#include "app/clsRegistry.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"
#include "platform/RegistryStore.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

constexpr qint32 HKLM = clsRegistry::HKEY_LOCAL_MACHINE;
const QString kBase = QStringLiteral("SOFTWARE\\Splitwerk");
const QString kKey = QStringLiteral("SOFTWARE\\Splitwerk\\GridSettings\\frmSegmentDetail");

// A window with a grid of four designed columns over an empty record set.
struct GridWindow {
    GridWindow()
    {
        window.setObjectName(QStringLiteral("frmSegmentDetail"));
        grid = new DataGrid(&window);
        grid->setObjectName(QStringLiteral("dbgMain"));
        for (const char* f : {"lID", "sLabel", "dCum", "sNote"})
            grid->AddColumn(QString::fromLatin1(f));
        rs.OpenInMemory({FieldInfo(QStringLiteral("lID"), FieldInfo::DataType::Integer),
                         FieldInfo(QStringLiteral("sLabel"), FieldInfo::DataType::Text),
                         FieldInfo(QStringLiteral("dCum"), FieldInfo::DataType::Double),
                         FieldInfo(QStringLiteral("sNote"), FieldInfo::DataType::Text)});
        grid->DataSource(&rs);
    }
    QWidget window;
    DataGrid* grid;
    Recordset rs;
};

class clsGridSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_savedPath = RegistryStore::filePath();
        RegistryStore::setFilePath(m_dir.filePath("registry.ini"));
        settings.BaseRegistrySectionKeyName_ps(kBase);
    }
    void TearDown() override
    {
        RegistryStore::setFilePath(m_savedPath);
        QLocale::setDefault(m_savedLocale);
    }
    clsGridSettings settings;
    QTemporaryDir m_dir;
    QString m_savedPath;
    QLocale m_savedLocale;
};

}  // namespace

TEST_F(clsGridSettingsTest, LayoutRoundTripsUnderADecimalCommaLocaleWithAHiddenColumn)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    {
        GridWindow w;
        EXPECT_FALSE(settings.RestoreSettings_pf(&w.window, w.grid));  // nothing saved yet
        w.grid->Columns(0)->Width(907.5);
        w.grid->Columns(1)->Width(1500);
        w.grid->Columns(2)->Width(2250);
        w.grid->Columns(2)->Visible(false);
        w.grid->Columns(3)->Order(0);
        settings.SaveSettings_p(&w.window, w.grid);
    }
    clsRegistry reg;
    EXPECT_EQ(reg.GetRegistryValue(HKLM, kKey, "dbgMain_Column0_Width").asText(), "907.5");
    EXPECT_EQ(reg.GetRegistryValue(HKLM, kKey, "dbgMain_Column2_Width").asText(), "2250");
    EXPECT_EQ(reg.GetRegistryValue(HKLM, kKey, "dbgMain_Column3_Order").asText(), "0");

    GridWindow back;
    back.grid->Columns(2)->Visible(false);  // the window hides it by design, as before
    ASSERT_TRUE(settings.RestoreSettings_pf(&back.window, back.grid));
    EXPECT_DOUBLE_EQ(back.grid->Columns(0)->Width(), 907.5);
    EXPECT_DOUBLE_EQ(back.grid->Columns(1)->Width(), 1500);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(back.grid->Columns(i)->Order(), i == 3 ? 0 : i + 1) << "column " << i;
    // The hidden column comes back at its width when shown.
    EXPECT_DOUBLE_EQ(back.grid->Columns(2)->Width(), 2250);
    back.grid->Columns(2)->Visible(true);
    EXPECT_EQ(back.grid->columnWidth(2), 150);
}

TEST_F(clsGridSettingsTest, ColumnsWithoutSavedValuesKeepTheirDesignAndSavedZeroApplies)
{
    clsRegistry reg;
    // Saved from a grid of three columns, the last one moved to the front.
    reg.SetRegistryValue(HKLM, kKey, "dbgMain_Column0_Width", Value("0"));
    reg.SetRegistryValue(HKLM, kKey, "dbgMain_Column0_Order", Value("1"));
    reg.SetRegistryValue(HKLM, kKey, "dbgMain_Column1_Width", Value("1200"));
    reg.SetRegistryValue(HKLM, kKey, "dbgMain_Column1_Order", Value("2"));
    reg.SetRegistryValue(HKLM, kKey, "dbgMain_Column2_Width", Value("1200"));
    reg.SetRegistryValue(HKLM, kKey, "dbgMain_Column2_Order", Value("0"));
    GridWindow w;
    w.grid->Columns(3)->Width(1800);
    ASSERT_TRUE(settings.RestoreSettings_pf(&w.window, w.grid));
    EXPECT_DOUBLE_EQ(w.grid->Columns(0)->Width(), 0);
    EXPECT_DOUBLE_EQ(w.grid->Columns(3)->Width(), 1800);
    EXPECT_EQ(w.grid->Columns(2)->Order(), 0);
    EXPECT_EQ(w.grid->Columns(0)->Order(), 1);
    EXPECT_EQ(w.grid->Columns(1)->Order(), 2);
    EXPECT_EQ(w.grid->Columns(3)->Order(), 3);
}

TEST_F(clsGridSettingsTest, DeleteForgetsEveryGridLayoutAndKeepsWindowPositions)
{
    GridWindow w;
    settings.SaveSettings_p(&w.window, w.grid);
    clsRegistry reg;
    reg.SetRegistryValue(HKLM, kBase + "\\GridSettings\\frmSegmentList", "dbgMain_Column0_Order", Value("0"));
    reg.SetRegistryValue(HKLM, kBase + "\\FormSettings\\frmSegmentList", "Top", Value("300"));
    settings.DeleteGridSettingsRegistryEntry_p();
    EXPECT_TRUE(reg.GetRegistryValue(HKLM, kKey, "dbgMain_Column0_Order").isEmpty());
    EXPECT_TRUE(
        reg.GetRegistryValue(HKLM, kBase + "\\GridSettings\\frmSegmentList", "dbgMain_Column0_Order").isEmpty());
    EXPECT_EQ(reg.GetRegistryValue(HKLM, kBase + "\\FormSettings\\frmSegmentList", "Top").asText(), "300");
    GridWindow fresh;
    EXPECT_FALSE(settings.RestoreSettings_pf(&fresh.window, fresh.grid));
    settings.DeleteGridSettingsRegistryEntry_p();  // nothing left: no error
}

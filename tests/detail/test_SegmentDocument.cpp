// The segment as the detail window edits it, without any widget: loading,
// the derived columns in the chosen units, and saving.
#include "DetailFixture.h"
#include "PinnedLocale.h"

#include "detail/clsSegmentDocument.h"

#include <QSignalSpy>

using Col = clsSegmentRows::Column;

namespace {
struct SegmentDocument : DetailFixture {
    const PinnedLocale c;  // shows C's forms ("00:02'10.00", "4.17")
    std::unique_ptr<clsSegmentDocument> doc;

    void SetUp() override
    {
        DetailFixture::SetUp();
        doc = std::make_unique<clsSegmentDocument>(*app->DatabaseAdo_Po(), *app->Strings_po());
    }
    void TearDown() override
    {
        doc.reset();
        DetailFixture::TearDown();
    }

    QString shown(const char* label, int column)
    {
        Recordset& rs = *doc->rows();
        for (int r = 0; r < rs.RecordCount(); ++r)
            if (rs.valueAt(r, Col::colLabel).asText() == QLatin1String(label))
                return rs.valueAt(r, column).asText();
        return QStringLiteral("<no row>");
    }
    QStringList captions() const
    {
        const clsSegmentUnits::Headers h = doc->headers();
        return {h.rate.value_or("-"), h.dips.value_or("-"), h.speed.value_or("-"), h.distance.value_or("-")};
    }
};
}  // namespace

TEST_F(SegmentDocument, LoadsWorksOutAndSavesASegment)
{
    QSignalSpy replaced(doc.get(), &clsSegmentDocument::rowsReplaced);
    QSignalSpy headers(doc.get(), &clsSegmentDocument::headersChanged);
    EXPECT_FALSE(doc->retrieve(99));
    EXPECT_FALSE(doc->loaded());
    EXPECT_EQ(replaced.count(), 0);

    ASSERT_TRUE(doc->retrieve(1));
    EXPECT_EQ(doc->segmentID(), 1);
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_EQ(headers.count(), 1);
    EXPECT_EQ(shown("T002", Col::colLap) + " " + shown("R001", Col::colDips) + " " + shown("T001", Col::colSpeed),
              "00:02'10.00 8.33 4.17");
    EXPECT_FALSE(doc->dirty());

    // A distance typed into a row reaches the database with the next save.
    QSignalSpy dirty(doc.get(), &clsSegmentDocument::dirtyChanged);
    Recordset& rs = *doc->rows();
    rs.MoveFirst();
    rs.Find(QStringLiteral("sSegmentDetailLabel = 'T002'"));
    rs.Fields(Col::colDistance).Value(Value(1100.0));
    rs.Update();
    doc->setDirty(true);
    doc->recalculate();
    EXPECT_EQ(shown("T002", Col::colSpeed), "8.46");  // 1100 m in its 130 s lap
    doc->save(QStringLiteral("failed"), QStringLiteral("gone"));
    EXPECT_FALSE(doc->dirty());
    EXPECT_EQ(dirty.count(), 2);
    EXPECT_EQ(scalar("SELECT dDistance FROM tblSegmentDetail WHERE sSegmentDetailLabel = 'T002'").toDouble(), 1100.0);
}

TEST_F(SegmentDocument, UnitChangesRecalculateRelabelAndMarkTheSegmentChanged)
{
    const struct {
        const char* name;
        void (clsSegmentDocument::*set)(qint32);
        qint32 id;
        QStringList captions;
        const char* speedT001;
        const char* rateR001;
    } cases[] = {
        {"feet: captions only",
         &clsSegmentDocument::setDistanceType,
         5,
         {"Rate (s/cyc)", "DiPS (ft)", "Speed (m/s)", "Dist (ft)"},
         "4.17",
         "2"},
        {"ft/min",
         &clsSegmentDocument::setSpeedType,
         4,
         {"Rate (s/cyc)", "DiPS (m)", "Speed (ft/min)", "Dist (m)"},
         "820.2",
         "2"},
        {"strokes per minute",
         &clsSegmentDocument::setRateType,
         2,
         {"Rate (str/min)", "DiPS (m)", "Speed (m/s)", "Dist (m)"},
         "4.17",
         "30"},
        {"unknown speed",
         &clsSegmentDocument::setSpeedType,
         99,
         {"Rate (s/cyc)", "DiPS (m)", "-", "Dist (m)"},
         "4.1667",
         "2"},
        {"unknown distance",
         &clsSegmentDocument::setDistanceType,
         99,
         {"Rate (s/cyc)", "-", "Speed (m/s)", "-"},
         "4.17",
         "2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(doc->retrieve(1));
        QSignalSpy headers(doc.get(), &clsSegmentDocument::headersChanged);
        ((*doc).*c.set)(c.id);
        EXPECT_EQ(headers.count(), 1);
        EXPECT_EQ(captions(), c.captions);
        EXPECT_EQ(shown("T001", Col::colSpeed), c.speedT001);
        EXPECT_EQ(shown("R001", Col::colRateDisplay), c.rateR001);
        EXPECT_EQ(shown("R001", Col::colRate), "2");  // the stored rate stays
        EXPECT_TRUE(doc->dirty());
    }
    // Feet for both, as the menu sets them: 500 typed as feet in 2 minutes.
    ASSERT_TRUE(doc->retrieve(1));
    doc->setDistanceType(5);
    doc->setSpeedType(4);
    EXPECT_EQ(shown("T001", Col::colSpeed), "250");
}

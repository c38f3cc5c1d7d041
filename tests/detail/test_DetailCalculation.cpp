#include "PinnedLocale.h"
#include "app/clsLibrary.h"
#include "detail/DetailCalculation.h"
#include "detail/clsSegmentRows.h"
#include "detail/frmSegmentDetail.h"
#include "platform/Recordset.h"

#include <gtest/gtest.h>

#include <random>

using namespace DetailCalculation;

namespace {

// The worked example's units: rate in s/cycle (factor 1, 2 places), speed
// factors 1 and 1 (2 places), distance factor 1, distance per stroke 2 places.
Units exampleUnits(qint32 rateType = 1, double rateFactor = 1.0)
{
    Units u;
    u.rateType = rateType;
    u.rateFactor = rateFactor;
    u.rateDigits = u.speedDigits = u.dipsDigits = 2;
    return u;
}

std::optional<double> none() { return std::nullopt; }

Row T(const char* label, std::optional<double> cum, std::optional<double> dist = std::nullopt)
{
    return {QString::fromLatin1(label), cum, dist, std::nullopt};
}
Row R(const char* label, std::optional<double> rate, std::optional<double> cum = std::nullopt)
{
    return {QString::fromLatin1(label), cum, std::nullopt, rate};
}

// One row's shown values as "lap/speed/dips/rate".
QString shown(const Derived& d)
{
    return QStringList{d.lLap.asText(), d.lspeed.asText(), d.ldips.asText(), d.dRateDisplay.asText()}.join('/');
}

struct Case {
    const char* name;
    Units units;
    std::vector<Row> rows;
    QStringList expected;
};

}  // namespace

TEST(DetailCalculation, DerivedColumnsOfEachCase)
{
    const PinnedLocale c;  // expects C's forms ("00:02'00.00", "4.17")

    Units noRows;  // no unit rows: factors 1, the default 4 places
    Units zeroFactors = noRows;
    zeroFactors.speedDistanceFactor = zeroFactors.speedTimeFactor = zeroFactors.distanceFactor = 0.0;
    const Case cases[] = {
        {"worked example",
         exampleUnits(),
         {T("T000", 0.0, 0.0), R("R001", 2.0), T("T001", 120.0, 500.0)},
         {"00:00'00.00/0//", "//8.33/2", "00:02'00.00/4.17//"}},
        {"strokes per minute, factor 60",
         exampleUnits(2, 60.0),
         {T("T000", 0.0), R("R001", 2.0), T("T001", 120.0, 500.0)},
         {"00:00'00.00/0//", "//8.33/30", "00:02'00.00/4.17//"}},
        {"time not above the one before",
         exampleUnits(),
         {T("T000", 0.0), T("T001", 100.0, 100.0), T("T002", 90.0, 50.0)},
         {"00:00'00.00/0//", "00:01'40.00/1//", "00:00'00.00/0//"}},
        {"equal neighbour times",
         exampleUnits(),
         {T("T001", 100.0), R("R001", 2.0), T("T002", 100.0, 50.0)},
         {"00:01'40.00/0//", "//0/2", "00:00'00.00/0//"}},
        {"rate after the last time row: 0, not -0",
         exampleUnits(),
         {T("T000", 0.0), T("T001", 120.0, 500.0), R("R001", 2.0)},
         {"00:00'00.00/0//", "00:02'00.00/4.17//", "//0/2"}},
        {"rate before the first time row",
         exampleUnits(),
         {R("R001", 2.0), T("T001", 120.0, 500.0)},
         {"//8.33/2", "00:02'00.00/4.17//"}},
        {"lower-case r is a rate row",
         exampleUnits(),
         {R("r005", 2.0), T("T001", 120.0, 500.0)},
         {"//8.33/2", "00:02'00.00/4.17//"}},
        {"no rate, span",
         exampleUnits(),
         {T("T000", 0.0), R("R001", none()), T("T001", 120.0, 500.0)},
         {"00:00'00.00/0//", "///", "00:02'00.00/4.17//"}},
        {"no rate, no span",
         exampleUnits(),
         {T("T001", 100.0), R("R001", none()), T("T002", 100.0)},
         {"00:01'40.00/0//", "//0/", "00:00'00.00/0//"}},
        {"rate 0 per minute shows nothing and the next goes on",
         exampleUnits(2, 60.0),
         {T("T000", 0.0), R("R001", 0.0), R("R002", 2.0), T("T001", 120.0, 500.0)},
         {"00:00'00.00/0//", "//0/", "//8.33/30", "00:02'00.00/4.17//"}},
        {"rate 0 per cycle is 0", exampleUnits(), {R("R001", 0.0)}, {"//0/0"}},
        {"half to even", exampleUnits(), {R("R001", 0.125), R("R002", 0.375)}, {"//0/0.12", "//0/0.38"}},
        {"no unit rows",
         noRows,
         {T("T000", 0.0), T("T001", 120.0, 500.0)},
         {"00:00'00.00/0//", "00:02'00.00/4.1667//"}},
        {"zero factors count as 1", zeroFactors, {T("T001", 120.0, 500.0)}, {"00:02'00.00/4.1667//"}},
        {"a new row without time",
         exampleUnits(),
         {T("T000", 0.0), T("T001", none())},
         {"00:00'00.00/0//", "00:00'00.00/0//"}},
        {"descending: the row above is later",
         exampleUnits(),
         {T("T002", 250.0, 1000.0), T("T001", 120.0, 500.0), T("T000", 0.0)},
         {"00:04'10.00/4//", "00:00'00.00/0//", "00:00'00.00/0//"}},
        {"nothing to work out", exampleUnits(), {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Derived> out = computeDerived(c.rows, c.units);
        QStringList got;
        for (const Derived& d : out)
            got << shown(d);
        EXPECT_EQ(got, c.expected);
        for (size_t i = 0; i < out.size(); ++i) {
            // Time rows get a stored rate of 0; rate rows keep theirs.
            EXPECT_EQ(out[i].resetRate.has_value(), !isRateRow(c.rows[i].label));
            EXPECT_EQ(out[i].cumTimeDisplay.has_value(), c.rows[i].cumTime.has_value());
        }
    }
}

TEST(DetailCalculation, RoundingAndPlaces)
{
    const struct {
        double value;
        qint32 digits;
        double expected;
    } rounds[] = {{0.125, 2, 0.12}, {0.375, 2, 0.38}, {8.3333333, 2, 8.33}, {4.16666, 2, 4.17},
                  {0.125, 1, 0.1},  {2.5, 0, 2.0},    {-0.001, 2, 0.0},     {1.25, -3, 1.0}};
    for (const auto& r : rounds) {
        const double got = roundHalfEven(r.value, r.digits);
        EXPECT_DOUBLE_EQ(got, r.expected) << r.value << " at " << r.digits;
        EXPECT_FALSE(std::signbit(got) && got == 0.0) << "minus zero from " << r.value;
    }
    EXPECT_EQ(digitsOf(Value(2.5), 4), 2);  // half to even
    EXPECT_EQ(digitsOf(Value(3.5), 4), 4);
    EXPECT_EQ(digitsOf(Value(-2), 4), 0);
    EXPECT_EQ(digitsOf(Value::null(), 4), 4);
    EXPECT_EQ(digitsOf(Value("x"), 3), 3);
}

namespace {

// An in-memory detail record set with the window's fourteen columns.
std::unique_ptr<Recordset> detailSet(const std::vector<std::tuple<const char*, double, double, double, int>>& rows)
{
    QList<FieldInfo> fields;
    for (const QString& name : clsSegmentRows::ColumnNames())
        fields << FieldInfo(name, FieldInfo::DataType::Variant);
    auto rs = std::make_unique<Recordset>();
    rs->OpenInMemory(fields);
    for (const auto& [label, cum, dist, rate, athlete] : rows) {
        rs->AddNew();
        rs->Fields(clsSegmentRows::colLabel).Value(Value(label));
        rs->Fields(clsSegmentRows::colCumTime).Value(Value(cum));
        rs->Fields(clsSegmentRows::colDistance).Value(Value(dist));
        rs->Fields(clsSegmentRows::colRate).Value(Value(rate));
        rs->Fields(clsSegmentRows::colRosterId).Value(Value(athlete));
        rs->Update();
    }
    return rs;
}

}  // namespace

TEST(DetailCalculation, OnePassAgreesWithTheNeighbourWalk)
{
    std::mt19937 random(12);
    std::vector<std::tuple<const char*, double, double, double, int>> rows;
    for (int i = 0; i < 60; ++i)
        rows.emplace_back(random() % 3 == 0 ? "R" : "T", double(random() % 500), double(random() % 900),
                          double(random() % 4), int(random() % 2) + 1);
    auto rs = detailSet(rows);
    for (const char* filter : {"", "lRosterId = 2"})
        for (const char* sort : {"dCumTime", "dCumTime DESC", "dDistance"}) {
            rs->Filter(QString::fromLatin1(filter));
            rs->Sort(QString::fromLatin1(sort));
            const std::vector<Derived> derived = computeDerived(clsSegmentRows::ShownRows(*rs), exampleUnits());
            // The walk of the neighbour routines, row by row, must find the
            // neighbours the single pass used.
            for (int r = 0; r < rs->RecordCount(); ++r) {
                rs->setCurrentViewRow(r);
                const double prev = frmSegmentDetail::getCumPrevious_md(*rs);
                const Derived& d = derived[size_t(r)];
                if (isRateRow(rs->valueAt(r, clsSegmentRows::colLabel).asText())) {
                    const double span = frmSegmentDetail::getCumNext_md(*rs) - prev;
                    const double dips = span == 0
                        ? 0.0
                        : roundHalfEven(rs->valueAt(r, clsSegmentRows::colRate).toDouble() / span
                                            * frmSegmentDetail::getDistanceNext_md(*rs),
                                        2);
                    EXPECT_EQ(d.ldips.asText(), Value(dips).toText()) << filter << " " << sort << " row " << r;
                } else {
                    const double lap = std::max(rs->valueAt(r, clsSegmentRows::colCumTime).toDouble() - prev, 0.0);
                    EXPECT_EQ(d.lLap.asText(), clsLibrary().SecondsToTime_gs(lap))
                        << filter << " " << sort << " row " << r;
                }
            }
        }
}

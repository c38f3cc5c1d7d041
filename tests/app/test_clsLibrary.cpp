#include "app/clsLibrary.h"
#include "app/clsLocaleInfo.h"
#include "app/modlib.h"
#include "platform/AppError.h"
#include "platform/LocaleInfo.h"
#include "platform/Recordset.h"
#include "support/RaisedBy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {
// Runs with another default locale and always puts the old one back.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) : m_saved(QLocale()) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

}  // namespace

TEST(clsLibrary, StrTranIsCaseBlindAndNeverRescans)
{
    const clsLibrary lib;
    EXPECT_EQ(lib.StrTran_gs("O'Brien's", "'", "''"), QStringLiteral("O''Brien''s"));
    EXPECT_EQ(lib.StrTran_gs("AbA", "a", "aa"), QStringLiteral("aabaa"));
    EXPECT_EQ(lib.StrTran_gs("abc", "", "x"), QStringLiteral("abc"));
    EXPECT_EQ(lib.StrTran_gs("aaaa", "aa", "a"), QStringLiteral("aa"));
    EXPECT_EQ(lib.StrTran_gs("", "a", "b"), QString());
}

TEST(clsLibrary, StrInsertFillsPlaceholdersInTurnAndKeepsTheRest)
{
    const clsLibrary lib;
    EXPECT_EQ(lib.StrInsert_gs("| and | and |", "|", {Value(1), Value("two")}), QStringLiteral("1 and two and |"));
    EXPECT_EQ(lib.StrInsert_gs("%S-%s", "%s", {Value("a"), Value("b"), Value("c")}), QStringLiteral("a-b"));
    EXPECT_EQ(lib.StrInsert_gs("x|", "|"), QStringLiteral("x|"));
}

TEST(clsLibrary, SecondsToTimeRoundsToHundredthsFirst)
{
    const DefaultLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    const clsLibrary lib;
    EXPECT_EQ(lib.SecondsToTime_gs(0), QStringLiteral("00:00'00.00"));
    EXPECT_EQ(lib.SecondsToTime_gs(3725.5), QStringLiteral("01:02'05.50"));
    EXPECT_EQ(lib.SecondsToTime_gs(5.995), QStringLiteral("00:00'06.00"));
    EXPECT_EQ(lib.SecondsToTime_gs(59.999), QStringLiteral("00:01'00.00"));
    EXPECT_EQ(lib.SecondsToTime_gs(3599.996), QStringLiteral("01:00'00.00"));
    EXPECT_EQ(lib.SecondsToTime_gs(360000), QStringLiteral("100:00'00.00"));
    EXPECT_EQ(lib.SecondsToTime_gs(120), QStringLiteral("00:02'00.00"));
    EXPECT_EQ(lib.SecondsToTime_gs(-61.25), QStringLiteral("-00:01'01.25"));
    EXPECT_EQ(lib.SecondsToTime_gs(-0.001), QStringLiteral("00:00'00.00"));
}

TEST(clsLibrary, TimeTextRoundTripsEveryHundredth)
{
    const DefaultLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    const clsLibrary lib;
    for (qint64 cs = 0; cs <= 400000; cs += 7) {
        const double seconds = double(cs) / 100.0;
        const QString text = lib.SecondsToTime_gs(seconds);
        ASSERT_NEAR(lib.TimeToSeconds_gd(text), seconds, 1e-9) << text.toStdString();
    }
    EXPECT_NEAR(lib.TimeToSeconds_gd(lib.SecondsToTime_gs(-61.25)), -61.25, 1e-9);
}

TEST(clsLibrary, TimeTextsUseTheLocaleDecimalComma)
{
    const DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
    const clsLibrary lib;
    EXPECT_EQ(lib.SecondsToTime_gs(3725.5), QStringLiteral("01:02'05,50"));
    EXPECT_NEAR(lib.TimeToSeconds_gd(QStringLiteral("01:02'05,50")), 3725.5, 1e-9);
    EXPECT_NEAR(lib.TimeToSeconds_gd(QStringLiteral("01:23'45.67")), 5025.67, 1e-9);
    for (qint64 cs = 0; cs <= 20000; cs += 13)
        ASSERT_NEAR(lib.TimeToSeconds_gd(lib.SecondsToTime_gs(cs / 100.0)), cs / 100.0, 1e-9);
}

TEST(clsLibrary, TimeToSecondsReadsFixedPlacesAndRaisesConversionErrors)
{
    const DefaultLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    const clsLibrary lib;
    QString blanks = QStringLiteral("  :  '  .  ");
    EXPECT_EQ(lib.TimeToSeconds_gd(blanks), 0.0);
    EXPECT_EQ(blanks, QStringLiteral("00:00'00.00"));  // written back
    EXPECT_EQ(lib.TimeToSeconds_gd(QStringLiteral("123:00'00.00")), 442800.0);
    EXPECT_EQ(lib.TimeToSeconds_gd(QStringLiteral("00:99'00.00")), 5940.0);

    EXPECT_EQ(errorOf([&] { lib.TimeToSeconds_gd(QStringLiteral("0000'00.00")); }), ErrNo::TypeMismatch);
    EXPECT_EQ(errorOf([&] { lib.TimeToSeconds_gd(QStringLiteral("00:ab'00.00")); }), ErrNo::TypeMismatch);
    EXPECT_EQ(errorOf([&] { lib.TimeToSeconds_gd(QStringLiteral("00:00'00x00")); }), ErrNo::TypeMismatch);
    EXPECT_EQ(errorOf([&] { lib.TimeToSeconds_gd(QStringLiteral("00:00'00")); }), ErrNo::TypeMismatch);
    // 600000 hours fit 32 bits, their seconds do not.
    EXPECT_EQ(errorOf([&] { lib.TimeToSeconds_gd(QStringLiteral("600000:00'00.00")); }), ErrNo::Overflow);
    EXPECT_EQ(errorOf([&] { lib.TimeToSeconds_gd(QStringLiteral("99999999999:00'00.00")); }), ErrNo::Overflow);
}

TEST(clsLibrary, NullToZeroReplacesOnlyEmptyValuesAndWritesBack)
{
    const clsLibrary lib;
    Value null = Value::null();
    EXPECT_EQ(lib.NullToZero_g(null, 0), Value(0));
    EXPECT_EQ(null.kind(), Value::Kind::Long);

    Value blank(QString{});
    const Value r = lib.NullToZero_g(blank);
    EXPECT_EQ(r.kind(), Value::Kind::Text);
    EXPECT_TRUE(r.asText().isEmpty());

    Value empty;
    lib.NullToZero_g(empty, Value("n/a"));
    EXPECT_EQ(empty, Value("n/a"));

    Value five(5);
    EXPECT_EQ(lib.NullToZero_g(five, 0), Value(5));
    Value zero(0);
    lib.NullToZero_g(zero);
    EXPECT_EQ(zero.kind(), Value::Kind::Long);
}

TEST(clsLibrary, ValidTimeAcceptsClockTimesAndDatesOnly)
{
    const DefaultLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    const clsLibrary lib;
    for (const char* good : {"12:30", "0:05", "23:59:59", "1:30 pm", "11:15AM", "7 am", "2024-02-29"})
        EXPECT_TRUE(lib.ValidTime_gf(QString::fromLatin1(good))) << good;
    for (const char* bad : {"", "   ", "24:00", "12:60", "13:00 PM", "1:2:3:4", "abc", "2023-02-29", "12"})
        EXPECT_FALSE(lib.ValidTime_gf(QString::fromLatin1(bad))) << bad;
}

TEST(clsLibrary, FileTestsTakeThePathLiterally)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile f(dir.filePath("a.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const clsLibrary lib;
    EXPECT_TRUE(lib.lib_IsFile_gf(dir.filePath("a.txt")));
    EXPECT_FALSE(lib.lib_IsFile_gf(dir.filePath("*.txt")));
    EXPECT_FALSE(lib.lib_IsFile_gf(dir.filePath("?.txt")));
    EXPECT_FALSE(lib.lib_IsFile_gf(dir.path()));
    EXPECT_FALSE(lib.lib_IsFile_gf(QString()));
    EXPECT_TRUE(lib.lib_IsDirectory_gf(dir.path()));
    EXPECT_TRUE(lib.lib_IsDirectory_gf(dir.path() + '/'));
    EXPECT_FALSE(lib.lib_IsDirectory_gf(dir.filePath("a.txt")));
}

TEST(clsLocaleInfo, NumbersForSqlAlwaysUseAPointAndReadBackExactly)
{
    const DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
    const clsLocaleInfo li;
    EXPECT_EQ(li.cUSDecimalSymbol(Value(2.5)).asText(), QStringLiteral("2.5"));
    const double sum = 0.1 + 0.2;
    EXPECT_EQ(li.cUSDecimalSymbol(Value(sum)).asText().toDouble(), sum);
    EXPECT_EQ(li.cUSDecimalSymbol(Value(1234567.125)).asText(), QStringLiteral("1234567.125"));
    EXPECT_EQ(li.cUSDecimalSymbol(Value(QStringLiteral("1440,5"))).asText(), QStringLiteral("1440.5"));
    EXPECT_EQ(li.cUSDecimalSymbol(Value(42)).asText(), QStringLiteral("42"));
    EXPECT_EQ(li.GetLocaleInfoPv(clsLocaleInfo::LOCALE_SYSTEM_DEFAULT, clsLocaleInfo::LOCALE_SDECIMAL).asText(),
              QStringLiteral(","));
}

TEST(clsLocaleInfo, CountryCodeIsStableAndOverridable)
{
    const clsLocaleInfo li;
    const QString code =
        li.GetLocaleInfoPv(clsLocaleInfo::LOCALE_USER_DEFAULT, clsLocaleInfo::LOCALE_ICOUNTRY).asText();
    EXPECT_FALSE(code.isEmpty());
    EXPECT_EQ(li.GetLocaleInfoPv(0x400, 5).asText(), code);
    {
        const DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(li.GetLocaleInfoPv(0x400, 5).asText(), QStringLiteral("DE"));
    }
    LocaleInfo::setCountryCodeOverride(QStringLiteral("XY"));
    EXPECT_EQ(li.GetLocaleInfoPv(0x400, 5).asText(), QStringLiteral("XY"));
    LocaleInfo::setCountryCodeOverride(QString());
    EXPECT_EQ(li.GetLocaleInfoPv(0x400, 5).asText(), code);
    EXPECT_EQ(errorOf([&] { li.GetLocaleInfoPv(0x400, 9999); }), ErrNo::InvalidCall);
}

TEST(modlib, TempFileNameCreatesDistinctEmptyFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString first, second;
    ASSERT_TRUE(TempFileName_gf(dir.path(), QStringLiteral("~tmp"), 0, first));
    ASSERT_TRUE(TempFileName_gf(dir.path(), QStringLiteral("~tmp"), 0, second));
    EXPECT_NE(first, second);
    for (const QString& name : {first, second}) {
        const QFileInfo info(name);
        EXPECT_TRUE(info.isFile());
        EXPECT_EQ(info.size(), 0);
        EXPECT_TRUE(info.fileName().startsWith(QStringLiteral("~tmp")));
        EXPECT_EQ(QDir(info.absolutePath()), QDir(dir.path()));
    }
    QString bad;
    EXPECT_FALSE(TempFileName_gf(dir.filePath("no/such/folder"), QStringLiteral("~tmp"), 0, bad));
    EXPECT_TRUE(bad.isEmpty());

    EXPECT_EQ(StripNulls_gs(QString::fromUtf16(u"abc\0def", 7)), QStringLiteral("abc"));
    EXPECT_EQ(StripNulls_gs(QStringLiteral("abc")), QStringLiteral("abc"));
}

TEST(clsLibrary, RecordsetCopyTakesEveryRowWhateverTheCurrentOne)
{
    Recordset source;
    source.OpenInMemory({FieldInfo{QStringLiteral("lID"), FieldInfo::DataType::Integer},
                         FieldInfo{QStringLiteral("mNotes"), FieldInfo::DataType::Memo}});
    for (int i = 1; i <= 5; ++i) {
        source.AddNew();
        source.Fields(0).Value(Value(i));
        source.Fields(1).Value(i == 4 ? Value::null() : Value(QString(300, QLatin1Char('a' + i))));
        source.Update();
    }
    source.MoveFirst();
    source.Move(2);  // on row 3
    clsLibrary lib;
    auto copy = lib.CopyADORecordsetPrs(source);
    EXPECT_TRUE(source.IsEOF());
    ASSERT_EQ(copy->RecordCount(), 5);
    copy->MoveFirst();
    EXPECT_EQ(copy->Fields(0).Value().toLong(), 1);
    copy->Move(3);
    EXPECT_TRUE(copy->Fields(1).Value().isNull());
    copy->MovePrevious();
    EXPECT_EQ(copy->Fields(1).Value().asText(), QString(300, QLatin1Char('d')));
    copy->Fields(0).Value(Value(33));  // editable, and the source keeps its row
    copy->Update();
    source.MoveFirst();
    source.Move(2);
    EXPECT_EQ(source.Fields(0).Value().toLong(), 3);

    Recordset empty;
    empty.OpenInMemory({FieldInfo{QStringLiteral("lID"), FieldInfo::DataType::Integer}});
    auto none = lib.CopyADORecordsetPrs(empty);
    EXPECT_TRUE(none->IsOpen());
    EXPECT_EQ(none->RecordCount(), 0);
}

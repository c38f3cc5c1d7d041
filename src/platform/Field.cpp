#include "platform/Field.h"

#include "platform/AppError.h"
#include "platform/Recordset.h"

#include <cmath>

FieldInfo::DataType FieldInfo::typeForDecl(const QString& declType)
{
    const QString t = declType.trimmed().toUpper();
    if (t.isEmpty())
        return DataType::Variant;
    // Order matters: "DATETIME" before "DATE"/"TIME", "LONGTEXT" before "TEXT".
    if (t.startsWith(QLatin1String("BOOL")) || t.startsWith(QLatin1String("BIT"))
        || t.startsWith(QLatin1String("YESNO")))
        return DataType::Boolean;
    if (t.startsWith(QLatin1String("DATETIME")) || t.startsWith(QLatin1String("TIMESTAMP")))
        return DataType::DateTime;
    if (t.startsWith(QLatin1String("DATE")))
        return DataType::Date;
    if (t.startsWith(QLatin1String("TIME")))
        return DataType::Time;
    if (t.startsWith(QLatin1String("LONGTEXT")) || t.startsWith(QLatin1String("MEMO"))
        || t.contains(QLatin1String("CLOB")))
        return DataType::Memo;
    if (t.contains(QLatin1String("INT")))
        return DataType::Integer;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("TEXT")))
        return DataType::Text;
    if (t.contains(QLatin1String("DOUB")) || t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA"))
        || t.contains(QLatin1String("NUMERIC")) || t.contains(QLatin1String("DECIMAL")))
        return DataType::Double;
    return DataType::Variant;
}

int FieldInfo::adoTypeOf(DataType type)
{
    switch (type) {
    case DataType::Integer: return 3;
    case DataType::Double: return 5;
    case DataType::Text: return 202;
    case DataType::Memo: return 203;
    case DataType::Date: return 7;
    case DataType::Time: return 134;
    case DataType::DateTime: return 135;
    case DataType::Boolean: return 11;
    case DataType::Variant: break;
    }
    return 12;
}

FieldInfo::DataType FieldInfo::typeForAdo(int adoType)
{
    switch (adoType) {
    case 2:
    case 3:
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21: return DataType::Integer;
    case 4:
    case 5:
    case 6:
    case 14:
    case 131:
    case 139: return DataType::Double;
    case 8:
    case 129:
    case 130:
    case 200:
    case 202: return DataType::Text;
    case 201:
    case 203: return DataType::Memo;
    case 7:
    case 133: return DataType::Date;
    case 134: return DataType::Time;
    case 64:
    case 135:
    case 137: return DataType::DateTime;
    case 11: return DataType::Boolean;
    default: return DataType::Variant;
    }
}

int FieldInfo::defaultSizeOf(DataType type)
{
    switch (type) {
    case DataType::Integer: return 4;
    case DataType::Boolean: return 2;
    case DataType::Text: return 255;
    case DataType::Memo: return 1073741823;
    case DataType::Variant: return 16;
    default: return 8;
    }
}

Value FieldInfo::coerce(const Value& v, DataType type)
{
    if (v.isNullOrEmpty())
        return Value::null();
    const bool blankText = v.kind() == Value::Kind::Text && v.toText().trimmed().isEmpty();
    switch (type) {
    case DataType::Variant: return v;
    case DataType::Text:
    case DataType::Memo: return Value(v.toText());
    case DataType::Boolean:
        if (blankText)
            return Value::null();
        return Value(v.toBool());
    case DataType::Integer: {
        if (blankText)
            return Value::null();
        if (v.kind() == Value::Kind::Long)
            return v;
        const double d = v.toDouble();
        // Whole numbers beyond 32 bits stay exact as a Double, as the reader gives them.
        if (std::abs(d) > 2147483647.0)
            return Value(std::round(d));
        return Value(Value::roundToLong(d));
    }
    case DataType::Double:
        if (blankText)
            return Value::null();
        return Value(v.toDouble());
    case DataType::Date:
        if (blankText)
            return Value::null();
        return Value(v.toDate());
    case DataType::Time:
        if (blankText)
            return Value::null();
        return Value(v.toTime());
    case DataType::DateTime:
        if (blankText)
            return Value::null();
        if (v.kind() == Value::Kind::Date)
            return v;
        return Value(v.toDateTime());
    }
    return v;
}

QString Field::Name() const { return Info().name; }

::Value Field::Value() const
{
    if (!m_rs)
        throw AppError(
            ErrNo::ItemNotFound,
            QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
    return m_rs->currentValue(m_index);
}

void Field::Value(const ::Value& v)
{
    if (!m_rs)
        throw AppError(
            ErrNo::ItemNotFound,
            QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
    m_rs->setCurrentValue(m_index, v);
}

const FieldInfo& Field::Info() const
{
    if (!m_rs)
        throw AppError(
            ErrNo::ItemNotFound,
            QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
    return m_rs->fieldInfo(m_index);
}

FieldInfo::DataType Field::DataType() const { return Info().type; }
int Field::Type() const { return FieldInfo::adoTypeOf(Info().type); }
QString Field::DeclType() const { return Info().declType; }
int Field::DefinedSize() const { return Info().definedSize; }

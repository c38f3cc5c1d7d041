#include "platform/AppError.h"

AppError::AppError(qint32 number, QString description, QString source)
    : m_number(number), m_description(std::move(description)), m_source(std::move(source))
{
    if (m_description.isEmpty())
        m_description = standardDescription(number);
    m_what = QStringLiteral("%1: %2").arg(m_number).arg(m_description).toUtf8();
}

AppError AppError::withSource(const QString& source) const { return AppError(m_number, m_description, source); }

AppError AppError::asObjectError(const QString& source) const
{
    return AppError(withObjectBase(m_number), m_description, source);
}

QString AppError::standardDescription(qint32 number)
{
    switch (number) {
    case ErrNo::InvalidCall: return QStringLiteral("Invalid procedure call or argument");
    case ErrNo::Overflow: return QStringLiteral("Overflow");
    case ErrNo::OutOfMemory: return QStringLiteral("Out of memory");
    case ErrNo::SubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case ErrNo::TypeMismatch: return QStringLiteral("Type mismatch");
    case ErrNo::FileNotFound: return QStringLiteral("File not found");
    case ErrNo::InvalidPropertyValue: return QStringLiteral("Invalid property value");
    case ErrNo::PropertyNotFound: return QStringLiteral("Property not found");
    case ErrNo::CantCreateObject: return QStringLiteral("ActiveX component can't create object");
    case ErrNo::MemberNotSupported: return QStringLiteral("Object doesn't support this property or method");
    case ErrNo::NoCurrentRecord: return QStringLiteral("No current record.");
    default: return {};
    }
}

void AppError::raise(qint32 number, const QString& description, const QString& source)
{
    throw AppError(number, description, source);
}

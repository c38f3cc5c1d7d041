#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// The program's one exception: a signed 32-bit error number, the source that
// raised it and a description, with the numbers the windows test for.
class AppError : public std::exception {
public:
    // Errors raised by objects carry this base in their number (0x80040000).
    static constexpr qint32 ObjectErrorBase = static_cast<qint32>(0x80040000u);

    AppError(qint32 number, QString description, QString source = {});

    qint32 number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    const QString& source() const noexcept { return m_source; }
    const char* what() const noexcept override { return m_what.constData(); }

    // The same error passed on with a new source; the number is kept.
    AppError withSource(const QString& source) const;
    // The same error with the object-error base ORed into the number.
    AppError asObjectError(const QString& source) const;

    static qint32 withObjectBase(qint32 number) noexcept { return number | ObjectErrorBase; }
    // The run time's own text for the numbers it raises ("Type mismatch", ...).
    static QString standardDescription(qint32 number);

    [[noreturn]] static void raise(qint32 number, const QString& description = {}, const QString& source = {});

private:
    qint32 m_number;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};

// Runs a member's body and passes any AppError on with the member's source,
// keeping its number: how classes report their errors to the caller.
template <typename F>
auto withErrorSource(const QString& source, F&& body)
{
    try {
        return body();
    } catch (const AppError& e) {
        throw e.withSource(source);
    }
}

namespace ErrNo {
constexpr qint32 InvalidCall = 5;
constexpr qint32 Overflow = 6;
constexpr qint32 OutOfMemory = 7;
constexpr qint32 SubscriptOutOfRange = 9;
constexpr qint32 TypeMismatch = 13;
constexpr qint32 FileNotFound = 53;
constexpr qint32 InvalidPropertyValue = 380;
constexpr qint32 PropertyNotFound = 422;
constexpr qint32 CantCreateObject = 429;
constexpr qint32 DataLinkFileMissing = 432;
constexpr qint32 MemberNotSupported = 438;
constexpr qint32 NoCurrentRecord = 3021;
constexpr qint32 DatabaseNotFound = 3024;
constexpr qint32 NotValidPassword = 3031;
constexpr qint32 DatabaseInUse = 3045;
constexpr qint32 ItemNotFound = 3265;
// Faults of the database file itself, whatever statement met them.
constexpr qint32 DatabaseLocked = 3218;  // in use by another connection or program
constexpr qint32 DiskFull = 3026;
constexpr qint32 DatabaseReadOnly = 3027;  // the file or its folder cannot be written
constexpr qint32 DiskError = 3043;         // the file could not be read or written
constexpr qint32 DatabaseDamaged = 3049;   // a page of the file is malformed
constexpr qint32 OleDbFailed = static_cast<qint32>(0x80004005u);
constexpr qint32 OleDbSyntax = static_cast<qint32>(0x80040E14u);
constexpr qint32 NoStringsFile = 4001;
}  // namespace ErrNo

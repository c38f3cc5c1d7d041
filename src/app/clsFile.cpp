#include "app/clsFile.h"

#include "platform/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
constexpr qint32 kBadFileNameOrNumber = 52;
constexpr qint32 kDeviceIoError = 57;
constexpr qint32 kPermissionDenied = 70;
constexpr qint32 kPathFileAccessError = 75;
constexpr qint32 kPathNotFound = 76;

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
bool isBreak(QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); }
bool endsItem(QChar c) { return c == QLatin1Char(',') || isBreak(c); }
}  // namespace

clsFile::clsFile() = default;

clsFile::~clsFile()
{
    try {
        if (m_file)
            m_file->close();
    } catch (...) {
    }
}

bool clsFile::Open_pf(const QString& path)
{
    try {
        m_file.reset();
        auto file = std::make_unique<QFile>(path);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            const QFileInfo info(path);
            if (path.isEmpty() || info.isDir())
                AppError::raise(kPathFileAccessError, QStringLiteral("Path/File access error"));
            if (!info.absoluteDir().exists())
                AppError::raise(kPathNotFound, QStringLiteral("Path not found"));
            if (file->error() == QFileDevice::PermissionsError)
                AppError::raise(kPermissionDenied, QStringLiteral("Permission denied"));
            AppError::raise(kPathFileAccessError, QStringLiteral("Path/File access error"));
        }
        m_file = std::move(file);
        return true;
    } catch (const AppError& e) {
        throw e.withSource(QStringLiteral("clsFile.Open_pf"));
    }
}

void clsFile::write(const QByteArray& bytes)
{
    if (!m_file || !m_file->isOpen())
        AppError::raise(kBadFileNameOrNumber, QStringLiteral("Bad file name or number"));
    // Flushed at once so a failed write is raised by the call that made it.
    if (m_file->write(bytes) != bytes.size() || !m_file->flush())
        AppError::raise(kDeviceIoError, QStringLiteral("Device I/O error"));
}

void clsFile::Print_pf(const QString& text) { write(text.toUtf8()); }

void clsFile::Print_pf(const QByteArray& bytes) { write(bytes); }

void clsFile::Close_pf()
{
    if (m_file)
        m_file->close();
    m_file.reset();
}

QStringList clsFile::inputItems(const QString& text)
{
    QStringList items;
    const qsizetype n = text.size();
    qsizetype pos = 0;
    while (pos < n) {
        while (pos < n && isBlank(text[pos]))
            ++pos;
        if (pos >= n)
            break;  // trailing blanks make no item
        QString item;
        if (text[pos] == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), pos + 1);
            const qsizetype end = close < 0 ? n : close;
            item = text.mid(pos + 1, end - pos - 1);
            pos = close < 0 ? n : close + 1;
            // Anything between the closing quote and the delimiter is dropped.
            while (pos < n && !endsItem(text[pos]))
                ++pos;
        } else {
            const qsizetype start = pos;
            while (pos < n && !endsItem(text[pos]))
                ++pos;
            qsizetype end = pos;
            while (end > start && isBlank(text[end - 1]))
                --end;
            item = text.mid(start, end - start);
        }
        items.append(item);
        if (pos < n) {
            if (text[pos] == QLatin1Char('\r') && pos + 1 < n && text[pos + 1] == QLatin1Char('\n'))
                ++pos;
            ++pos;
        }
    }
    return items;
}

Value clsFile::GetFileContents_pv(const QString& path)
{
    try {
        QFile file(path);
        if (!QFileInfo(path).isFile())
            AppError::raise(ErrNo::FileNotFound);
        if (!file.open(QIODevice::ReadOnly))
            AppError::raise(kPermissionDenied, QStringLiteral("Permission denied"));
        const QStringList items = inputItems(QString::fromUtf8(file.readAll()));
        if (items.isEmpty())
            return Value();
        return Value(items.join(QStringLiteral("\r\n")));
    } catch (const AppError& e) {
        throw e.withSource(QStringLiteral("clsFile.GetFile_pv"));
    }
}

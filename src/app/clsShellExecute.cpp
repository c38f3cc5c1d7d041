#include "app/clsShellExecute.h"

#include "platform/AppError.h"

#include <new>

namespace {
// Shell failures are results; anything else that goes wrong is raised with
// the member as its source.
template <class F>
qint32 member(const char* name, F&& body)
{
    const QString source = QStringLiteral("clsShellExecute.") + QLatin1String(name);
    try {
        return withErrorSource(source, body);
    } catch (const AppError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw AppError(ErrNo::OutOfMemory, AppError::standardDescription(ErrNo::OutOfMemory), source);
    } catch (const std::exception& e) {
        throw AppError(ErrNo::InvalidCall, QString::fromLocal8Bit(e.what()), source);
    }
}
}  // namespace

bool clsShellExecute::StillExecutingPf() const { return m_program.isRunning(); }

qint32 clsShellExecute::ExplorePl(QWidget*, const QString& folder, qint32)
{
    return member("ExplorePl", [&] {
        m_program.clear();
        return Shell::openFolder(folder);
    });
}

qint32 clsShellExecute::LaunchDocumentPl(QWidget*, const QString& file, const QString& directory, qint32)
{
    return member("LaunchDocumentPl", [&] {
        m_program.clear();
        return Shell::openDocument(file, directory);
    });
}

qint32 clsShellExecute::LaunchEmailPl(QWidget*, const QString& address, qint32)
{
    return member("LaunchEmailPl", [&] {
        m_program.clear();
        return Shell::openUrl(QStringLiteral("mailto:") + address);
    });
}

qint32 clsShellExecute::LaunchFolderPl(QWidget*, const QString& folder, qint32)
{
    return member("LaunchFolderPl", [&] {
        m_program.clear();
        return Shell::openFolder(folder);
    });
}

qint32 clsShellExecute::LaunchProgramPl(QWidget*, const QString& program, const QString& parameters,
                                        const QString& directory, qint32)
{
    return member("LaunchProgramPl", [&] { return m_program.start(program, parameters, directory); });
}

qint32 clsShellExecute::LaunchUrlPl(QWidget*, const QString& address, qint32)
{
    return member("LaunchUrlPl", [&] {
        m_program.clear();
        return Shell::openUrl(address);
    });
}

qint32 clsShellExecute::PrintDocumentPl(QWidget*, const QString& file)
{
    return member("PrintDocumentPl", [&] {
        m_program.clear();
        return Shell::printDocument(file);
    });
}

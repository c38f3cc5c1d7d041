#include "platform/Shell.h"

#include "platform/UrlLauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {
int launch(const QUrl& url)
{
    if (!url.isValid() || url.isEmpty())
        return Shell::FileNotFound;
    const bool taken = UrlLauncher::open(url);
    // The desktop only says yes or no; "no" is what the shell calls a missing association.
    return taken ? Shell::Success : Shell::NoAssociation;
}

QString resolved(const QString& path, const QString& directory)
{
    if (directory.isEmpty())
        return QFileInfo(path).absoluteFilePath();
    return QDir(directory).absoluteFilePath(path);
}
}  // namespace

namespace Shell {
int openUrl(const QString& address)
{
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return FileNotFound;
    const QUrl url = QUrl::fromUserInput(trimmed);
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return FileNotFound;
    return launch(url);
}

int openDocument(const QString& file, const QString& directory)
{
    if (file.isEmpty())
        return FileNotFound;
    if (!directory.isEmpty() && !QFileInfo(directory).isDir())
        return PathNotFound;
    const QString path = resolved(file, directory);
    if (!QFileInfo::exists(path))
        return FileNotFound;
    return launch(QUrl::fromLocalFile(path));
}

int openFolder(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return PathNotFound;
    return launch(QUrl::fromLocalFile(QFileInfo(folder).absoluteFilePath()));
}

int printDocument(const QString& file)
{
    const QString path = resolved(file, {});
    if (file.isEmpty() || !QFileInfo(path).isFile())
        return FileNotFound;
    // CUPS prints any document it has a filter for; without lp nothing can print it.
    const QString lp = QStandardPaths::findExecutable(QStringLiteral("lp"));
    if (lp.isEmpty())
        return NoAssociation;
    return QProcess::startDetached(lp, {QStringLiteral("--"), path}) ? Success : NoAssociation;
}
}  // namespace Shell

ShellProgram::~ShellProgram() { clear(); }

int ShellProgram::start(const QString& program, const QString& parameters, const QString& directory)
{
    clear();
    if (program.trimmed().isEmpty())
        return Shell::FileNotFound;
    if (!directory.isEmpty() && !QFileInfo(directory).isDir())
        return Shell::PathNotFound;

    QString executable;
    if (!program.contains(QLatin1Char('/'))) {
        executable = QStandardPaths::findExecutable(program);
        if (executable.isEmpty() && !directory.isEmpty())
            executable = QStandardPaths::findExecutable(program, {directory});
    } else {
        executable = resolved(program, directory);
    }
    const QFileInfo info(executable);
    if (executable.isEmpty() || !info.exists())
        return Shell::FileNotFound;
    // Opening something that is not a program opens it with its associated program.
    if (info.isDir())
        return Shell::openFolder(executable);
    if (!info.isExecutable())
        return Shell::openDocument(executable);

    auto* process = new QProcess;
    process->setProgram(info.absoluteFilePath());
    process->setArguments(QProcess::splitCommand(parameters));
    if (!directory.isEmpty())
        process->setWorkingDirectory(directory);
    // A started program is on its own, as if launched from the desktop: nothing is captured.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted(10000)) {
        delete process;
        return Shell::AccessDenied;
    }
    m_process = process;
    return Shell::Success;
}

bool ShellProgram::isRunning() const
{
    if (!m_process)
        return false;
    // Polls the child without waiting, so the answer is current without an event loop.
    if (m_process->state() == QProcess::Running)
        m_process->waitForFinished(0);
    return m_process->state() == QProcess::Running;
}

void ShellProgram::clear()
{
    QProcess* process = m_process;
    m_process = nullptr;
    if (!process)
        return;
    if (process->state() == QProcess::NotRunning) {
        delete process;
        return;
    }
    // Still running: it keeps running, and its QProcess goes once it ends.
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    if (process->state() == QProcess::NotRunning)
        delete process;
}

#pragma once

#include "platform/Shell.h"

#include <QString>

class QWidget;

// Launches documents, programs, folders, e-mail and web addresses through
// the desktop. Every launch returns -1 on success, else the shell's code
// (0 to 32); StillExecutingPf follows the last program started. The owner
// window and show command are accepted for the callers' sake and not used.
class clsShellExecute {
public:
    static constexpr qint32 ShowNormal = 1;

    clsShellExecute() = default;

    bool StillExecutingPf() const;
    qint32 ExplorePl(QWidget* owner, const QString& folder, qint32 showCommand = ShowNormal);
    qint32 LaunchDocumentPl(QWidget* owner, const QString& file, const QString& directory,
                            qint32 showCommand = ShowNormal);
    qint32 LaunchEmailPl(QWidget* owner, const QString& address, qint32 showCommand = ShowNormal);
    qint32 LaunchFolderPl(QWidget* owner, const QString& folder, qint32 showCommand = ShowNormal);
    qint32 LaunchProgramPl(QWidget* owner, const QString& program, const QString& parameters,
                           const QString& directory = {}, qint32 showCommand = ShowNormal);
    qint32 LaunchUrlPl(QWidget* owner, const QString& address, qint32 showCommand = ShowNormal);
    qint32 PrintDocumentPl(QWidget* owner, const QString& file);

private:
    ShellProgram m_program;
};

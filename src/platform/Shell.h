#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QProcess;

// Hands addresses, documents and folders to the desktop, and starts programs.
// Results keep the classic shell numbers, so callers can show them: -1 for
// success, otherwise a code below 33.
namespace Shell {
enum Code : int {
    Success = -1,
    OutOfResources = 0,
    FileNotFound = 2,
    PathNotFound = 3,
    AccessDenied = 5,
    NoAssociation = 31,
};

// Addresses and files open through UrlLauncher, which tests replace.
// An address as the user would type it ("example.org", "https://...", "mailto:...").
int openUrl(const QString& address);
// A document or a folder with its associated program; missing ones give 2 / 3.
int openDocument(const QString& file, const QString& directory = {});
int openFolder(const QString& folder);
int printDocument(const QString& file);
}  // namespace Shell

// A program started and followed: one at a time. Letting go of it (a new
// start, clear() or destruction) does not end the program.
class ShellProgram {
public:
    ShellProgram() = default;
    ~ShellProgram();
    ShellProgram(const ShellProgram&) = delete;
    ShellProgram& operator=(const ShellProgram&) = delete;

    // Parameters are one command-line text, split as a shell would.
    int start(const QString& program, const QString& parameters = {}, const QString& directory = {});
    bool isRunning() const;
    void clear();

private:
    QProcess* m_process = nullptr;
};

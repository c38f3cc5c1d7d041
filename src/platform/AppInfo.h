#pragma once

#include <QString>

// What the program knows of itself: its title, version and program folder.
class AppInfo {
public:
    static QString title();  // "Splitwerk"
    static int major();
    static int minor();
    static int revision();
    // The version information's company name and legal copyright.
    static QString companyName();
    static QString copyright();
    // The folder that holds the database, the data link and strings files and
    // the download image: the executable's folder unless set (tests do).
    static QString path();
    static void setPath(const QString& folder);
    // The program file's name without its extension: names the database file.
    static QString exeName();
    static void setExeName(const QString& name);
};

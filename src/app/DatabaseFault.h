#pragma once

#include "platform/AppError.h"

#include <QString>

// Faults of the database file itself (in use by another program, a full
// disk, a file or folder that cannot be written, a failing disk, a file
// deleted or replaced while open) told in words: what could not be done, why,
// that nothing was changed, and the technical text on its own line. The
// number is the same in every window.
namespace DatabaseFault {

// The fault's number, whether or not a class added the object-error base; 0
// for any other error.
qint32 of(qint32 number);
// As of(), and the faults that keep the file from opening at all: a missing
// file (3024) and one the program's key does not read (3031).
qint32 atOpen(qint32 number);

// "<what>: <why>. Nothing was changed. <advice>" and the technical line, for
// any fault atOpen() knows.
QString message(const QString& what, const AppError& e);

// A failed start told in words: a data link file that is missing, empty,
// damaged, or whose key or database name does not open the program's
// database, and every fault atOpen() knows. Empty for any other error.
QString atStartUp(const QString& what, const AppError& e);

// Shows a message in words (style 48).
void show(const QString& text);

// Runs a write; a fault of the database is said in one message and false
// returned. Any other error goes on to the caller.
template <class F>
bool saying(const QString& what, F&& write)
{
    try {
        write();
        return true;
    } catch (const AppError& e) {
        if (!of(e.number()))
            throw;
        show(message(what, e));
        return false;
    }
}

}  // namespace DatabaseFault

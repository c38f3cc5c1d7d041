#pragma once

#include "app/WindowServices.h"
#include "app/clsStrings.h"
#include "platform/Value.h"

#include <QList>
#include <QString>
#include <QStringList>

// The download's and the review's texts that fill in more than one word,
// with their ids in the strings file and their built-in wording.
namespace ImportTexts {

// The text with each "|" filled in turn.
inline QString text(qint32 id, const QString& defaultText, const QList<Value>& words)
{
    return clsStrings::StringReplaceTags_gs(WindowServices::text(id, defaultText), QStringLiteral("|"), words);
}

// A segment the watch stored with a start that is no date and time.
inline QString skippedSegment(const QString& label, const QString& stored)
{
    return text(4220,
                QStringLiteral("Segment | from the watch was not imported: its start, |, is no real date and time."),
                {Value(label), Value(stored)});
}

inline QString skippedSegmentsAdvice()
{
    return WindowServices::text(4221,
                                QStringLiteral("The other segments were imported. Check the watch's date and "
                                               "time before the next session."));
}

// Something other than a file under the image's name; `what` says what.
inline QString imageInTheWay(const QString& path, const QString& what)
{
    return text(4222,
                QStringLiteral("Splitwerk cannot use | for the download from the watch: it is | instead of a file. "
                               "Nothing was imported. Move or delete it, then press Import again."),
                {Value(path), Value(what)});
}

inline QString aLink() { return WindowServices::text(4223, QStringLiteral("a link to another place")); }
inline QString aFolder() { return WindowServices::text(4224, QStringLiteral("a folder")); }
inline QString aNamedPipe() { return WindowServices::text(4225, QStringLiteral("a named pipe")); }
inline QString aDevice() { return WindowServices::text(4226, QStringLiteral("a device or a socket")); }

// The image could not be written (or put under its name) for the system's reason.
inline QString imageNotWritten(const QString& path, const QString& reason)
{
    return text(4227,
                QStringLiteral("Splitwerk cannot write the download from the watch to |: |. Nothing was imported. "
                               "Check that you may write to the program folder and that the disk has room, then "
                               "press Import again."),
                {Value(path), Value(reason)});
}

inline QString imageNotRead(const QString& path, const QString& reason)
{
    return text(4232,
                QStringLiteral("Splitwerk cannot read the download from the watch in |: |. Nothing was imported. "
                               "Check that you may read the program folder's files, then press Import again."),
                {Value(path), Value(reason)});
}

inline QString portOutOfRange(int first, int last, const QString& typed)
{
    return text(4228,
                QStringLiteral("The communications port is a number from | to |: \"|\" is not one. Type the number "
                               "of the port the watch's cradle is on."),
                {Value(first), Value(last), Value(typed)});
}

inline QString portMissing(int first, int last)
{
    return text(4229,
                QStringLiteral("Type the number of the port the watch's cradle is on in Communications Port: a "
                               "number from | to |."),
                {Value(first), Value(last)});
}

// A port number in range with no device behind it.
inline QString noCradle(int port, const QString& device)
{
    return text(4275,
                QStringLiteral("There is no cradle on port | (|): nothing is connected there. Check that the "
                               "cradle's cable is plugged in and type the number of the port it is on, then press "
                               "Import again."),
                {Value(port), Value(device)});
}

// A refused cell of the review grid; `column` is the column's caption, the
// examples are one date or time written in each form the cell takes.
inline QString notADate(const QString& column, const QStringList& examples, const QString& typed)
{
    if (examples.size() > 1)
        return text(4230,
                    QStringLiteral("| takes a date written like | or |: \"|\" is not one. Type the date again, or "
                                   "press Esc to keep the one there."),
                    {Value(column), Value(examples[0]), Value(examples[1]), Value(typed)});
    return text(4233,
                QStringLiteral("| takes a date written like |: \"|\" is not one. Type the date again, or press Esc "
                               "to keep the one there."),
                {Value(column), Value(examples.value(0)), Value(typed)});
}

inline QString notATime(const QString& column, const QString& example, const QString& typed)
{
    return text(4231,
                QStringLiteral("| takes a time of day written like |, hours up to 23 and minutes and seconds up to "
                               "59: \"|\" is not one. Type the time again, or press Esc to keep the one there."),
                {Value(column), Value(example), Value(typed)});
}

}  // namespace ImportTexts

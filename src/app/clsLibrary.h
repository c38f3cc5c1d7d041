#pragma once

#include "platform/Value.h"

#include <QList>
#include <QString>
#include <QTime>
#include <memory>
#include <optional>

class Recordset;

// The program-wide function library: text replacement, the time texts of the
// segment windows, empty-value defaults and file tests. Holds no state.
class clsLibrary {
public:
    clsLibrary() = default;
    virtual ~clsLibrary() = default;

    // Every occurrence of find (any case) replaced; the replacement is never
    // searched again. An empty find leaves the text as it is.
    QString StrTran_gs(const QString& text, const QString& find, const QString& replacement) const;
    // Successive occurrences of the placeholder replaced by successive values;
    // occurrences beyond the last value stay.
    QString StrInsert_gs(const QString& text, const QString& placeholder, const QList<Value>& values = {}) const;
    // Blocks for whole seconds without handling window events.
    void Wait_g(qint32 seconds) const;
    // Wildcard characters are part of the name here, never a pattern.
    bool lib_IsFile_gf(const QString& path) const;
    bool lib_IsDirectory_gf(const QString& path) const;
    // True for a time or a date, as LocaleText reads them; "" is false.
    bool ValidTime_gf(const QString& text) const;
    // The time of day a text names (midnight for a date alone); invalid for
    // anything else.
    QTime TimeOfDay_g(const QString& text) const;

    // "hh:mm'ss<dec>cc" with the user's decimal sign, hours at least two digits,
    // rounded to hundredths first; a negative time is "-" and the text of |x|.
    QString SecondsToTime_gs(double seconds) const;
    // The same with the decimal sign given, for callers that write many.
    static QString SecondsToTime(double seconds, const QString& decimalSign);
    // The inverse. Blanks count as "0" (this form writes them back, as the
    // masked time boxes expect); "." and the locale's sign both read as the
    // decimal sign. No ":" or non-digits raise 13, beyond 32 bits raises 6.
    double TimeToSeconds_gd(QString& text) const;
    double TimeToSeconds_gd(const QString& text) const;

    // Null, Empty or "" becomes the default ("" when none is given), written
    // back into the argument; returns the value.
    Value NullToZero_g(Value& value, const std::optional<Value>& defaultValue = std::nullopt) const;

    // An unconnected, editable copy of every row of the source, from its first
    // row whatever the current one is; the source is left at its end.
    std::unique_ptr<Recordset> CopyADORecordsetPrs(Recordset& source) const;

private:
    static double parseTime(const QString& filled);
};

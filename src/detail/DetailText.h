#pragma once

#include "app/WindowServices.h"

// A text of the strings file as the detail window shows it: its "|" stands
// for "Segment Detail".
inline QString detailText(qint32 id, const QString& defaultText)
{
    return WindowServices::text(id, defaultText, Value("Segment Detail"));
}

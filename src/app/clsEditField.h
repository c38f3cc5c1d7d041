#pragma once

#include "platform/Value.h"

#include <QPointer>
#include <QString>
#include <QWidget>

// Ties an edit control of the segment detail window to its segment column and
// the value the column held when the record was loaded.
class clsEditField {
public:
    QPointer<QWidget> EditControl;
    QString FieldName;
    Value FieldValue = Value::null();
};

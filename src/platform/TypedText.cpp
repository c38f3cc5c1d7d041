#include "platform/TypedText.h"

namespace TypedText {
void dropNul(QString& text, int* pos)
{
    for (qsizetype i = text.indexOf(QChar(0)); i >= 0; i = text.indexOf(QChar(0), i)) {
        text.remove(i, 1);
        if (pos && *pos > i)
            --*pos;
    }
}
}  // namespace TypedText

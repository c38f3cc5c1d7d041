#include "platform/TypedText.h"

namespace TypedText {
void dropNul(QString& text, int* pos)
{
    if (pos && *pos > 0)
        *pos -= int(QStringView(text).left(*pos).count(QChar(0)));
    text.remove(QChar(0));
}
}  // namespace TypedText

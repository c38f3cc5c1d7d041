#include "platform/TextArea.h"

#include "platform/TypedText.h"

#include <QMimeData>

TextArea::TextArea(QWidget* parent) : QPlainTextEdit(parent) {}

bool TextArea::canInsertFromMimeData(const QMimeData* source) const
{
    return source && source->hasText() && !source->text().isEmpty();
}

void TextArea::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly() || !canInsertFromMimeData(source))
        return;
    QString text = source->text();
    TypedText::dropNul(text);
    insertPlainText(text);
    ensureCursorVisible();
}

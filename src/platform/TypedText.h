#pragma once

#include <QString>

// Text a user types, pastes or drops never keeps a NUL: it ends a string for
// SQLite and for much else, so every field drops it as it comes in.
namespace TypedText {
// Removes every NUL from the text; a cursor position in it moves back over
// those that stood before it.
void dropNul(QString& text, int* pos = nullptr);
}  // namespace TypedText

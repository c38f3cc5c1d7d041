#pragma once

#include <QPixmap>

// Our pictures, drawn at run time so the program ships no image files for them.
namespace AppLogo {
// The product logo: a stopwatch.
QPixmap product(int size);
// The developers' mark on the About window: a link to our web page.
QPixmap developers(int size);
}  // namespace AppLogo

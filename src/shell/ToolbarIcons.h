#pragma once

#include <QIcon>

// The toolbar's eleven pictures, drawn when asked so that no image files have
// to travel with the program. Images are numbered 1..11 in toolbar order.
namespace ToolbarIcons {
QIcon icon(int image);
}

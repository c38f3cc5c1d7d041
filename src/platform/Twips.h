#pragma once

#include <QSize>

class QPaintDevice;
class QWidget;

// Twips, the unit of every size the design gives (1,440 to the inch), and
// pixels at a device's real logical resolution: the screen a widget is on,
// a printer, an image. Nothing else in the program converts between them.
namespace Twips {

constexpr double PerInch = 1440.0;

int toPixels(double twips, double dotsPerInch);
double fromPixels(double pixels, double dotsPerInch);

int toPixelsX(const QPaintDevice* device, double twips);
int toPixelsY(const QPaintDevice* device, double twips);
double fromPixelsX(const QPaintDevice* device, double pixels);
double fromPixelsY(const QPaintDevice* device, double pixels);
QSize toPixels(const QPaintDevice* device, double widthTwips, double heightTwips);

// A window's first size from the design, on its screen: what its size hint
// and its least size answer, or what its controls need where that is more.
QSize designSize(const QWidget* window, double widthTwips, double heightTwips, const QSize& laidOut);

}  // namespace Twips

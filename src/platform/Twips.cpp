#include "platform/Twips.h"

#include <QPaintDevice>
#include <QWidget>

#include <cmath>

namespace Twips {

int toPixels(double twips, double dotsPerInch) { return int(std::lround(twips * dotsPerInch / PerInch)); }

double fromPixels(double pixels, double dotsPerInch) { return pixels * PerInch / dotsPerInch; }

int toPixelsX(const QPaintDevice* device, double twips) { return toPixels(twips, device->logicalDpiX()); }

int toPixelsY(const QPaintDevice* device, double twips) { return toPixels(twips, device->logicalDpiY()); }

double fromPixelsX(const QPaintDevice* device, double pixels) { return fromPixels(pixels, device->logicalDpiX()); }

double fromPixelsY(const QPaintDevice* device, double pixels) { return fromPixels(pixels, device->logicalDpiY()); }

QSize toPixels(const QPaintDevice* device, double widthTwips, double heightTwips)
{
    return {toPixelsX(device, widthTwips), toPixelsY(device, heightTwips)};
}

QSize designSize(const QWidget* window, double widthTwips, double heightTwips, const QSize& laidOut)
{
    return toPixels(window, widthTwips, heightTwips).expandedTo(laidOut);
}

}  // namespace Twips

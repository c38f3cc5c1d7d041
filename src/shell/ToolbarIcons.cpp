#include "shell/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
const QColor Ink(60, 60, 70);
const QColor Paper(250, 250, 245);

void tray(QPainter& p)
{
    p.setPen(QPen(Ink, 1.5));
    p.setBrush(QColor(200, 205, 215));
    QPainterPath path;
    path.moveTo(2, 12);
    path.lineTo(2, 18);
    path.lineTo(18, 18);
    path.lineTo(18, 12);
    path.lineTo(14, 12);
    path.lineTo(13, 14);
    path.lineTo(7, 14);
    path.lineTo(6, 12);
    path.closeSubpath();
    p.drawPath(path);
}

void arrow(QPainter& p, bool down, const QColor& colour)
{
    p.setPen(QPen(colour.darker(140), 1));
    p.setBrush(colour);
    QPolygonF shape;
    if (down)
        shape << QPointF(8, 1) << QPointF(12, 1) << QPointF(12, 6) << QPointF(15, 6) << QPointF(10, 11) << QPointF(5, 6)
              << QPointF(8, 6);
    else
        shape << QPointF(8, 11) << QPointF(12, 11) << QPointF(12, 6) << QPointF(15, 6) << QPointF(10, 1)
              << QPointF(5, 6) << QPointF(8, 6);
    p.drawPolygon(shape);
}

void page(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(Ink, 1));
    p.setBrush(Paper);
    p.drawRect(r);
    p.setPen(QPen(QColor(150, 160, 180), 1));
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void draw(QPainter& p, int image)
{
    switch (image) {
    case 1:  // import: into the tray
        tray(p);
        arrow(p, true, QColor(60, 170, 80));
        break;
    case 2:  // export: out of the tray
        tray(p);
        arrow(p, false, QColor(50, 110, 200));
        break;
    case 3: {  // cut: scissors
        p.setPen(QPen(Ink, 1.5));
        p.drawLine(QPointF(6, 2), QPointF(12.5, 13));
        p.drawLine(QPointF(14, 2), QPointF(7.5, 13));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(200, 50, 50), 2));
        p.drawEllipse(QPointF(6, 15.5), 3, 3);
        p.drawEllipse(QPointF(14, 15.5), 3, 3);
        break;
    }
    case 4:  // copy: two pages
        page(p, QRectF(2.5, 2.5, 10, 12));
        page(p, QRectF(7.5, 5.5, 10, 12));
        break;
    case 5:  // paste: clipboard with a page
        p.setPen(QPen(QColor(110, 70, 30), 1));
        p.setBrush(QColor(190, 140, 80));
        p.drawRoundedRect(QRectF(3.5, 3.5, 12, 15), 1.5, 1.5);
        p.setBrush(QColor(150, 150, 160));
        p.drawRect(QRectF(7, 2, 5, 3));
        page(p, QRectF(8.5, 8.5, 9, 10));
        break;
    case 6: {  // search: magnifier
        p.setPen(QPen(QColor(90, 60, 30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(17.5, 17.5));
        p.setPen(QPen(Ink, 1.5));
        p.setBrush(QColor(190, 225, 250));
        p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
        break;
    }
    case 7: {  // segments: a list of timed rows
        page(p, QRectF(2.5, 1.5, 15, 17));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(50, 110, 200));
        for (int i = 0; i < 4; ++i)
            p.drawRect(QRectF(4, 4 + i * 3.5, 2, 2));
        break;
    }
    case 8: {  // roster: two athletes
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(120, 150, 200));
        p.drawEllipse(QPointF(13, 6), 2.8, 2.8);
        p.drawChord(QRectF(8.5, 10, 9, 12), 0, 180 * 16);
        p.setBrush(QColor(230, 160, 60));
        p.drawEllipse(QPointF(7, 7), 3, 3);
        p.drawChord(QRectF(2, 11.5, 10, 13), 0, 180 * 16);
        break;
    }
    case 9: {  // events: a flag on a pole
        p.setPen(QPen(Ink, 1.5));
        p.drawLine(QPointF(4, 2), QPointF(4, 19));
        p.setPen(QPen(QColor(160, 30, 30), 1));
        p.setBrush(QColor(220, 60, 60));
        QPolygonF flag;
        flag << QPointF(4.5, 2.5) << QPointF(17, 5) << QPointF(4.5, 10.5);
        p.drawPolygon(flag);
        break;
    }
    case 10: {  // category: a tag
        p.setPen(QPen(QColor(120, 90, 20), 1));
        p.setBrush(QColor(240, 200, 80));
        QPolygonF tag;
        tag << QPointF(2, 3) << QPointF(10, 3) << QPointF(18, 11) << QPointF(11, 18) << QPointF(2, 10);
        p.drawPolygon(tag);
        p.setBrush(Paper);
        p.drawEllipse(QPointF(6, 7), 1.6, 1.6);
        break;
    }
    case 11: {  // segment type: a stopwatch
        p.setPen(QPen(Ink, 1.5));
        p.setBrush(QColor(160, 160, 170));
        p.drawRect(QRectF(8.5, 0.5, 3, 2.5));
        p.setBrush(Paper);
        p.drawEllipse(QPointF(10, 11.5), 7, 7);
        p.setPen(QPen(QColor(200, 50, 50), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 11.5), QPointF(10, 6.5));
        p.setPen(QPen(Ink, 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 11.5), QPointF(13.5, 13));
        break;
    }
    default: break;
    }
}

QPixmap picture(int image, qreal ratio)
{
    QPixmap pm(qRound(20 * ratio), qRound(20 * ratio));
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(ratio, ratio);
        draw(p, image);
    }
    pm.setDevicePixelRatio(ratio);
    return pm;
}
}  // namespace

namespace ToolbarIcons {
QIcon icon(int image)
{
    QIcon result;
    result.addPixmap(picture(image, 1.0));
    result.addPixmap(picture(image, 2.0));
    return result;
}
}  // namespace ToolbarIcons

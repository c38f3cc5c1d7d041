#include "app/AppLogo.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor Ink(0x1f, 0x3a, 0x5f);
const QColor Accent(0xe0, 0x6c, 0x1f);

QPixmap blank(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}
}  // namespace

namespace AppLogo {
QPixmap product(int size)
{
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF dial(s * 0.12, s * 0.2, s * 0.76, s * 0.76);
    // Crown and side button of the watch.
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawRoundedRect(QRectF(s * 0.42, s * 0.04, s * 0.16, s * 0.1), s * 0.02, s * 0.02);
    p.drawRect(QRectF(s * 0.47, s * 0.12, s * 0.06, s * 0.1));
    p.save();
    p.translate(dial.center());
    p.rotate(45);
    p.drawRect(QRectF(-s * 0.03, -dial.height() / 2 - s * 0.08, s * 0.06, s * 0.1));
    p.restore();
    // Dial with a split already taken: the accent wedge.
    p.setPen(QPen(Ink, s * 0.06));
    p.setBrush(Qt::white);
    p.drawEllipse(dial);
    QPainterPath wedge;
    wedge.moveTo(dial.center());
    wedge.arcTo(dial.adjusted(s * 0.06, s * 0.06, -s * 0.06, -s * 0.06), 90, -110);
    wedge.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Accent);
    p.drawPath(wedge);
    p.setPen(QPen(Ink, s * 0.05, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(dial.center(), dial.center() + QPointF(s * 0.2, s * 0.08));
    return pixmap;
}

QPixmap developers(int size)
{
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawRoundedRect(QRectF(0, 0, s, s), s * 0.18, s * 0.18);
    QFont font;
    font.setBold(true);
    font.setPixelSize(qMax(6, int(s * 0.42)));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, QStringLiteral("SW"));
    p.setBrush(Accent);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(s * 0.2, s * 0.78, s * 0.6, s * 0.06));
    return pixmap;
}
}  // namespace AppLogo

#include "ui/app_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace kestrix {

namespace {

// An envelope on a rounded blue tile; with newMail a yellow star dot in the corner.
QPixmap drawAppPicture(int size, bool newMail)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QLinearGradient tile(0, 0, 0, s);
    tile.setColorAt(0, QColor(58, 110, 190));
    tile.setColorAt(1, QColor(24, 52, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(s * 0.03, s * 0.03, s * 0.94, s * 0.94), s * 0.18, s * 0.18);

    const QRectF envelope(s * 0.17, s * 0.30, s * 0.66, s * 0.44);
    p.setBrush(QColor(255, 251, 240));
    p.setPen(QPen(QColor(20, 30, 60), qMax(1.0, s / 32)));
    p.drawRect(envelope);
    QPainterPath flap;
    flap.moveTo(envelope.topLeft());
    flap.lineTo(envelope.center().x(), envelope.top() + envelope.height() * 0.58);
    flap.lineTo(envelope.topRight());
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);

    // A check mark: the mailbox has been screened.
    p.setPen(QPen(QColor(40, 170, 60), qMax(1.5, s / 12), Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    QPainterPath check;
    check.moveTo(s * 0.52, s * 0.66);
    check.lineTo(s * 0.62, s * 0.76);
    check.lineTo(s * 0.84, s * 0.50);
    p.drawPath(check);

    if (newMail) {
        p.setPen(QPen(QColor(120, 60, 0), qMax(1.0, s / 32)));
        p.setBrush(QColor(255, 200, 0));
        p.drawEllipse(QRectF(s * 0.62, s * 0.04, s * 0.34, s * 0.34));
    }
    return pixmap;
}

QIcon iconFrom(bool newMail)
{
    QIcon icon;
    for (int size : {16, 22, 32, 48, 64, 128})
        icon.addPixmap(drawAppPicture(size, newMail));
    return icon;
}

}  // namespace

QIcon appIcon() { return iconFrom(false); }
QIcon newMailIcon() { return iconFrom(true); }

QIcon exitIcon()
{
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(3, 2, 9, 16));
    p.setPen(QPen(QColor(190, 30, 30), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9, 10), QPointF(18, 10));
    p.drawLine(QPointF(15, 7), QPointF(18, 10));
    p.drawLine(QPointF(15, 13), QPointF(18, 10));
    return QIcon(pixmap);
}

QPixmap bannerPicture(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(size / 2.0, 1);
    triangle.lineTo(size - 1, size - 1);
    triangle.lineTo(1, size - 1);
    triangle.closeSubpath();
    p.setPen(QPen(QColor(90, 0, 0), 1));
    p.setBrush(QColor(255, 200, 0));
    p.drawPath(triangle);
    p.setPen(QPen(QColor(90, 0, 0), qMax(1.5, size / 8.0)));
    p.drawLine(QPointF(size / 2.0, size * 0.35), QPointF(size / 2.0, size * 0.68));
    p.drawPoint(QPointF(size / 2.0, size * 0.84));
    return pixmap;
}

QPixmap newMailPicture(int size) { return drawAppPicture(size, true); }

QPixmap lockPicture(int size, bool closed)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QColor ink = closed ? QColor(30, 110, 40) : QColor(200, 90, 0);
    // The shackle: closed, both ends in the body; open, swung up and to the right.
    p.setPen(QPen(ink, qMax(1.5, s / 8)));
    p.setBrush(Qt::NoBrush);
    const QRectF shackle(s * 0.28 + (closed ? 0 : s * 0.22), s * 0.08, s * 0.44, s * 0.5);
    p.drawArc(shackle, 0, 180 * 16);
    p.drawLine(QPointF(shackle.left(), shackle.center().y()),
               QPointF(shackle.left(), closed ? s * 0.48 : s * 0.34));
    p.drawLine(QPointF(shackle.right(), shackle.center().y()), QPointF(shackle.right(), s * 0.48));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(s * 0.18, s * 0.46, s * 0.64, s * 0.46), s * 0.08, s * 0.08);
    return pixmap;
}

}  // namespace kestrix

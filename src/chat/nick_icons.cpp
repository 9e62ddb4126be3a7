#include "chat/nick_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <numbers>

namespace {

QImage Blank()
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage GoldStar()
{
    QImage image = Blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPolygonF star;
    const QPointF centre(8, 8.5);
    for (int i = 0; i < 10; ++i) {
        const double radius = (i % 2 == 0) ? 7.6 : 3.2;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        star << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    }
    QLinearGradient gold(0, 0, 0, 16);
    gold.setColorAt(0, QColor(0xFF, 0xF0, 0x70));
    gold.setColorAt(1, QColor(0xE0, 0xA0, 0x00));
    p.setPen(QPen(QColor(0x90, 0x60, 0x00), 1));
    p.setBrush(gold);
    p.drawPolygon(star);
    return image;
}

QImage SpeechBubble()
{
    QImage image = Blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(1, 1.5, 14, 9.5), 3.5, 3.5);
    QPainterPath tail;
    tail.moveTo(4, 9);
    tail.lineTo(3.5, 14.5);
    tail.lineTo(8.5, 9);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(QPen(QColor(0x20, 0x50, 0x90), 1));
    p.setBrush(QColor(0xD8, 0xEC, 0xFF));
    p.drawPath(bubble);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x50, 0x90));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(5 + 3 * i, 6.3), 0.9, 0.9);
    return image;
}

QImage IgnoredFace()
{
    QImage image = Blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    // The face underneath.
    p.setPen(QPen(QColor(0x60, 0x40, 0x00), 0.8));
    p.setBrush(QColor(0xFF, 0xD8, 0x30));
    p.drawEllipse(QRectF(2, 2, 12, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x20, 0x00));
    p.drawEllipse(QRectF(5, 5.5, 1.6, 2));
    p.drawEllipse(QRectF(9.4, 5.5, 1.6, 2));
    p.setPen(QPen(QColor(0x30, 0x20, 0x00), 1));
    p.drawLine(QPointF(5.5, 10.5), QPointF(10.5, 10.5));
    // The red no-entry sign over it: a ring crossed by a bar.
    const QColor red(0xE0, 0x00, 0x00);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(red, 1.8));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setPen(QPen(red, 1.8, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(3.2, 3.2), QPointF(12.8, 12.8));
    return image;
}

}  // namespace

QImage NickIconPicture(int n)
{
    static const QImage host = GoldStar();
    static const QImage normal = SpeechBubble();
    static const QImage ignored = IgnoredFace();
    switch (n) {
    case kHostIcon: return host;
    case kNormalIcon: return normal;
    case kIgnoredIcon: return ignored;
    default: return QImage();
    }
}

QIcon NickIcon(int n)
{
    const QImage picture = NickIconPicture(n);
    if (picture.isNull())
        return QIcon();
    return QIcon(QPixmap::fromImage(picture));
}

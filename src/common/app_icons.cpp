#include "common/app_icons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 32;  // drawn large and scaled down crisply by the icon engine

void Window(QPainter& p, const QRectF& r, const QColor& title)
{
    p.setPen(QPen(QColor(40, 40, 60), 1.6));
    p.setBrush(Qt::white);
    p.drawRoundedRect(r, 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(title);
    p.drawRect(QRectF(r.left() + 1, r.top() + 1, r.width() - 2, r.height() * 0.22));
}

void Bubble(QPainter& p, const QRectF& r, const QColor& fill)
{
    QPainterPath path;
    path.addRoundedRect(r, r.height() * 0.35, r.height() * 0.35);
    QPolygonF tail;
    tail << QPointF(r.left() + r.width() * 0.25, r.bottom() - 1) << QPointF(r.left() + r.width() * 0.15, r.bottom() + 6)
         << QPointF(r.left() + r.width() * 0.45, r.bottom() - 1);
    path.addPolygon(tail);
    path.setFillRule(Qt::WindingFill);
    p.setPen(QPen(fill.darker(160), 1.4));
    p.setBrush(fill);
    p.drawPath(path.simplified());
}

void Plug(QPainter& p, const QColor& body)
{
    p.setPen(QPen(QColor(60, 60, 60), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 4), QPointF(12, 11));
    p.drawLine(QPointF(20, 4), QPointF(20, 11));
    p.setPen(QPen(body.darker(150), 1.5));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(7, 10, 18, 11), 3, 3);
    p.setPen(QPen(QColor(60, 60, 60), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 21), QPointF(16, 29));
}

void Draw(QPainter& p, Glyph glyph)
{
    switch (glyph) {
    case Glyph::NewWindow:
        Window(p, QRectF(3, 5, 22, 20), QColor(40, 90, 180));
        p.setPen(QPen(QColor(20, 140, 40), 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(24, 18), QPointF(24, 30));
        p.drawLine(QPointF(18, 24), QPointF(30, 24));
        break;
    case Glyph::Connect:
        Plug(p, QColor(60, 170, 80));
        break;
    case Glyph::Disconnect:
        Plug(p, QColor(200, 70, 60));
        p.setPen(QPen(QColor(190, 20, 20), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(28, 28));
        break;
    case Glyph::TileHorizontal:
        Window(p, QRectF(3, 3, 26, 12), QColor(40, 90, 180));
        Window(p, QRectF(3, 17, 26, 12), QColor(40, 90, 180));
        break;
    case Glyph::TileVertical:
        Window(p, QRectF(3, 3, 12, 26), QColor(40, 90, 180));
        Window(p, QRectF(17, 3, 12, 26), QColor(40, 90, 180));
        break;
    case Glyph::Cascade:
        Window(p, QRectF(2, 2, 18, 15), QColor(110, 130, 170));
        Window(p, QRectF(7, 8, 18, 15), QColor(70, 110, 180));
        Window(p, QRectF(12, 14, 18, 15), QColor(40, 90, 180));
        break;
    case Glyph::Away: {
        QPainterPath moon;
        moon.addEllipse(QRectF(4, 4, 24, 24));
        QPainterPath bite;
        bite.addEllipse(QRectF(11, 1, 22, 22));
        p.setPen(QPen(QColor(150, 120, 20), 1.4));
        p.setBrush(QColor(250, 205, 60));
        p.drawPath(moon.subtracted(bite));
        p.setPen(QPen(QColor(80, 80, 160), 1.6));
        p.drawText(QRectF(17, 14, 14, 16), Qt::AlignCenter, QStringLiteral("z"));
        break;
    }
    case Glyph::Padlock:
        p.setPen(QPen(QColor(90, 90, 100), 3.0));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(9, 4, 14, 16), 0, 180 * 16);
        p.drawLine(QPointF(9, 12), QPointF(9, 15));
        p.drawLine(QPointF(23, 12), QPointF(23, 15));
        p.setPen(QPen(QColor(150, 110, 20), 1.4));
        p.setBrush(QColor(235, 185, 50));
        p.drawRoundedRect(QRectF(5, 14, 22, 15), 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 60, 10));
        p.drawEllipse(QRectF(14, 18, 4, 4));
        p.drawRect(QRectF(15, 21, 2, 5));
        break;
    case Glyph::PadlockOpen:
        p.setPen(QPen(QColor(120, 120, 125), 3.0));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(15, 1, 14, 16), 0, 180 * 16);
        p.drawLine(QPointF(29, 9), QPointF(29, 13));
        p.setPen(QPen(QColor(110, 110, 110), 1.4));
        p.setBrush(QColor(200, 200, 200));
        p.drawRoundedRect(QRectF(5, 14, 22, 15), 2, 2);
        break;
    case Glyph::RoomList:
        p.setPen(QPen(QColor(40, 40, 60), 1.4));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(4, 3, 24, 26), 2, 2);
        for (int i = 0; i < 5; ++i) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(40, 90, 180));
            p.drawEllipse(QRectF(7, 7.5 + i * 4.2, 3, 3));
            p.setPen(QPen(QColor(90, 90, 90), 1.6));
            p.drawLine(QPointF(12, 9 + i * 4.2), QPointF(25, 9 + i * 4.2));
        }
        break;
    case Glyph::Exit:
        p.setPen(QPen(QColor(90, 60, 30), 1.6));
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(QRectF(5, 3, 14, 26));
        p.setPen(QPen(QColor(180, 30, 30), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(14, 16), QPointF(29, 16));
        p.drawLine(QPointF(23, 10), QPointF(29, 16));
        p.drawLine(QPointF(23, 22), QPointF(29, 16));
        break;
    case Glyph::CloseCross:
        p.setPen(QPen(QColor(90, 90, 90), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(24, 24));
        p.drawLine(QPointF(24, 8), QPointF(8, 24));
        break;
    case Glyph::AppIcon:
        Bubble(p, QRectF(2, 3, 21, 14), QColor(90, 150, 230));
        Bubble(p, QRectF(10, 12, 20, 13), QColor(250, 190, 60));
        break;
    }
}

}  // namespace

QIcon GlyphIcon(Glyph glyph)
{
    static QHash<int, QIcon> drawn;
    const int key = static_cast<int>(glyph);
    if (auto it = drawn.find(key); it != drawn.end()) return *it;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        Draw(p, glyph);
    }
    QIcon icon(pixmap);
    drawn.insert(key, icon);
    return icon;
}

#include "chat/emoticons.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace {

const QColor kOutline(0x5A, 0x3A, 0x00);
const QColor kFaceFill(0xFF, 0xD8, 0x30);
const QColor kFeature(0x30, 0x20, 0x00);
const QColor kHeartRed(0xE0, 0x10, 0x30);

QImage Blank(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A painter set up for smooth shapes; coordinates are pixel centres + 0.5.
void Prepare(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
}

// The round yellow face every face emoticon starts from, 19x19.
QImage FaceBase()
{
    QImage image = Blank(19, 19);
    QPainter p(&image);
    Prepare(p);
    QRadialGradient shade(QPointF(7, 6), 11);
    shade.setColorAt(0, QColor(0xFF, 0xF0, 0x80));
    shade.setColorAt(1, kFaceFill);
    p.setBrush(shade);
    p.setPen(QPen(kOutline, 1.1));
    p.drawEllipse(QRectF(1, 1, 17, 17));
    return image;
}

void Eyes(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kFeature);
    p.drawEllipse(QRectF(5.6, 5.5, 2.2, 3.2));
    p.drawEllipse(QRectF(11.2, 5.5, 2.2, 3.2));
}

void Smile(QPainter& p)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kFeature, 1.3, Qt::SolidLine, Qt::RoundCap));
    QPainterPath mouth;
    mouth.moveTo(5.5, 11);
    mouth.quadTo(9.5, 15.5, 13.5, 11);
    p.drawPath(mouth);
}

QImage Smiling()
{
    QImage image = FaceBase();
    QPainter p(&image);
    Prepare(p);
    Eyes(p);
    Smile(p);
    return image;
}

QImage Laughing()
{
    QImage image = FaceBase();
    QPainter p(&image);
    Prepare(p);
    // Eyes squeezed shut with laughter: two little arches.
    p.setPen(QPen(kFeature, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath eyes;
    eyes.moveTo(4.8, 8);
    eyes.quadTo(6.5, 4.8, 8.2, 8);
    eyes.moveTo(10.8, 8);
    eyes.quadTo(12.5, 4.8, 14.2, 8);
    p.drawPath(eyes);
    // Wide open mouth with a red inside.
    QPainterPath mouth;
    mouth.moveTo(4.5, 10.5);
    mouth.lineTo(14.5, 10.5);
    mouth.quadTo(14, 16.5, 9.5, 16.5);
    mouth.quadTo(5, 16.5, 4.5, 10.5);
    mouth.closeSubpath();
    p.setPen(QPen(kFeature, 1));
    p.setBrush(QColor(0xA0, 0x10, 0x10));
    p.drawPath(mouth);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 11, 8, 1.5));
    return image;
}

QImage Winking()
{
    QImage image = FaceBase();
    QPainter p(&image);
    Prepare(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kFeature);
    p.drawEllipse(QRectF(5.6, 5.5, 2.2, 3.2));
    p.setPen(QPen(kFeature, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.8, 7.5), QPointF(14, 7));
    Smile(p);
    return image;
}

QImage Surprised()
{
    QImage image = FaceBase();
    QPainter p(&image);
    Prepare(p);
    p.setPen(QPen(kFeature, 0.8));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(4.8, 4.5, 3.6, 4.2));
    p.drawEllipse(QRectF(10.6, 4.5, 3.6, 4.2));
    p.setPen(Qt::NoPen);
    p.setBrush(kFeature);
    p.drawEllipse(QRectF(5.8, 5.8, 1.8, 2));
    p.drawEllipse(QRectF(11.6, 5.8, 1.8, 2));
    p.setPen(QPen(kFeature, 1.1));
    p.setBrush(QColor(0x70, 0x10, 0x10));
    p.drawEllipse(QRectF(7.3, 10.5, 4.4, 5));
    return image;
}

QImage TongueOut()
{
    QImage image = FaceBase();
    QPainter p(&image);
    Prepare(p);
    Eyes(p);
    QPainterPath tongue;
    tongue.moveTo(8, 12);
    tongue.lineTo(8, 14.5);
    tongue.quadTo(9.75, 17.5, 11.5, 14.5);
    tongue.lineTo(11.5, 12);
    tongue.closeSubpath();
    p.setPen(QPen(QColor(0xA0, 0x20, 0x40), 0.8));
    p.setBrush(QColor(0xFF, 0x60, 0x80));
    p.drawPath(tongue);
    p.setPen(QPen(kFeature, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5.5, 12), QPointF(13.5, 12));
    return image;
}

QImage Crying()
{
    QImage image = FaceBase();
    QPainter p(&image);
    Prepare(p);
    Eyes(p);
    // Turned-down mouth.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kFeature, 1.3, Qt::SolidLine, Qt::RoundCap));
    QPainterPath mouth;
    mouth.moveTo(5.5, 14.5);
    mouth.quadTo(9.5, 10.5, 13.5, 14.5);
    p.drawPath(mouth);
    // A tear running down from the left eye.
    QPainterPath tear;
    tear.moveTo(6.2, 8.8);
    tear.quadTo(4.2, 12, 5, 13);
    tear.quadTo(6.2, 14.2, 7.4, 13);
    tear.quadTo(8.2, 12, 6.2, 8.8);
    p.setPen(QPen(QColor(0x10, 0x40, 0xC0), 0.7));
    p.setBrush(QColor(0x60, 0xB0, 0xFF));
    p.drawPath(tear);
    return image;
}

QPainterPath HeartShape()
{
    QPainterPath heart;
    heart.moveTo(8.5, 14);
    heart.cubicTo(2, 9.5, 0.5, 6.5, 1.5, 4);
    heart.cubicTo(2.8, 0.8, 7, 0.8, 8.5, 4.2);
    heart.cubicTo(10, 0.8, 14.2, 0.8, 15.5, 4);
    heart.cubicTo(16.5, 6.5, 15, 9.5, 8.5, 14);
    heart.closeSubpath();
    return heart;
}

QImage Heart()
{
    QImage image = Blank(17, 15);
    QPainter p(&image);
    Prepare(p);
    QLinearGradient shade(0, 0, 0, 15);
    shade.setColorAt(0, QColor(0xFF, 0x60, 0x70));
    shade.setColorAt(1, kHeartRed);
    p.setPen(QPen(QColor(0x80, 0x00, 0x10), 1));
    p.setBrush(shade);
    p.drawPath(HeartShape());
    return image;
}

QImage BrokenHeart()
{
    QImage image = Blank(17, 15);
    QPainter p(&image);
    Prepare(p);
    // The crack: a zigzag down the middle that splits the heart in two halves
    // pushed slightly apart.
    QPainterPath crack;
    crack.moveTo(8.5, 3);
    crack.lineTo(7, 6);
    crack.lineTo(9.5, 8.5);
    crack.lineTo(7.5, 11);
    crack.lineTo(8.5, 14.5);
    QPainterPath leftCut = crack;
    leftCut.lineTo(-1, 16);
    leftCut.lineTo(-1, -1);
    leftCut.lineTo(8.5, -1);
    leftCut.closeSubpath();
    const QPainterPath heart = HeartShape();
    const QPainterPath leftHalf = heart.intersected(leftCut);
    const QPainterPath rightHalf = heart.subtracted(leftCut);
    p.setPen(QPen(QColor(0x70, 0x00, 0x10), 1));
    p.setBrush(QColor(0xC0, 0x10, 0x28));
    p.drawPath(leftHalf.translated(-0.8, 0.3));
    p.drawPath(rightHalf.translated(0.8, -0.3));
    return image;
}

QImage Flower()
{
    QImage image = Blank(17, 17);
    QPainter p(&image);
    Prepare(p);
    p.setPen(QPen(QColor(0xA0, 0x10, 0x70), 0.8));
    p.setBrush(QColor(0xFF, 0x70, 0xC0));
    const QPointF centre(8.5, 8.5);
    for (int i = 0; i < 5; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(72.0 * i);
        p.drawEllipse(QRectF(-2.8, -8, 5.6, 7));
        p.restore();
    }
    p.setPen(QPen(QColor(0x90, 0x60, 0x00), 0.8));
    p.setBrush(QColor(0xFF, 0xE0, 0x20));
    p.drawEllipse(centre, 2.6, 2.6);
    return image;
}

QImage Lips()
{
    QImage image = Blank(19, 12);
    QPainter p(&image);
    Prepare(p);
    QPainterPath upper;
    upper.moveTo(1, 6);
    upper.cubicTo(4, 1.5, 6.5, 0.8, 9.5, 3);
    upper.cubicTo(12.5, 0.8, 15, 1.5, 18, 6);
    upper.cubicTo(13, 5.2, 6, 5.2, 1, 6);
    upper.closeSubpath();
    QPainterPath lower;
    lower.moveTo(1, 6);
    lower.cubicTo(6, 6.8, 13, 6.8, 18, 6);
    lower.cubicTo(15, 11.5, 4, 11.5, 1, 6);
    lower.closeSubpath();
    p.setPen(QPen(QColor(0x70, 0x00, 0x18), 0.9));
    p.setBrush(QColor(0xD0, 0x10, 0x38));
    p.drawPath(upper);
    p.setBrush(QColor(0xF0, 0x30, 0x50));
    p.drawPath(lower);
    return image;
}

std::array<QImage, kEmoticonCount> DrawAll()
{
    return {Smiling(), Laughing(), Winking(), Surprised(), TongueOut(),
            Crying(),  Heart(),    BrokenHeart(), Flower(),  Lips()};
}

// Lower-cases one ASCII letter; leaves everything else.
char16_t Fold(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') ? static_cast<char16_t>(u + 32) : u;
}

}  // namespace

QImage EmoticonPicture(int n)
{
    static const std::array<QImage, kEmoticonCount> pictures = DrawAll();
    if (n < 1 || n > kEmoticonCount)
        return QImage();
    return pictures[static_cast<size_t>(n - 1)];
}

QString EmoticonPictureName(int n)
{
    if (n < 1 || n > kEmoticonCount)
        return QString();
    return QStringLiteral("Image%1").arg(n);
}

EmoticonMatch MatchEmoticon(const QString& text, qsizetype pos)
{
    const qsizetype size = text.size();
    if (pos < 0 || pos + 1 >= size)
        return {};
    const char16_t first = text.at(pos).unicode();
    const char16_t second = text.at(pos + 1).unicode();
    const char16_t third = pos + 2 < size ? text.at(pos + 2).unicode() : 0;
    if (first == u':') {
        if (second == u')')
            return third == u')' ? EmoticonMatch{2, 3} : EmoticonMatch{1, 2};
        if (second == u'O' || second == u'o')
            return {4, 2};
        if (second == u'P' || second == u'p')
            return {5, 2};
        if (second == u'(')
            return {6, 2};
        return {};
    }
    if (first == u';')
        return second == u')' ? EmoticonMatch{3, 2} : EmoticonMatch{};
    if (first == u'(' && third == u')') {
        switch (Fold(text.at(pos + 1))) {
        case u'h': return {7, 3};
        case u'u': return {8, 3};
        case u'f': return {9, 3};
        case u'k': return {10, 3};
        default: break;
        }
    }
    return {};
}

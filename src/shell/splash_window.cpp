#include "shell/splash_window.h"

#include "shell/product_info.h"
#include "common/timings.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>
#include <QTimer>

namespace {

void Bubble(QPainter& p, const QRectF& r, const QColor& fill, bool tailLeft)
{
    QPainterPath path;
    path.addRoundedRect(r, 14, 14);
    QPolygonF tail;
    const qreal x = tailLeft ? r.left() + 26 : r.right() - 26;
    const qreal dx = tailLeft ? -14 : 14;
    tail << QPointF(x - 8, r.bottom() - 2) << QPointF(x + dx, r.bottom() + 16) << QPointF(x + 8, r.bottom() - 2);
    path.addPolygon(tail);
    path.setFillRule(Qt::WindingFill);
    p.setPen(QPen(fill.darker(140), 2));
    p.setBrush(fill);
    p.drawPath(path.simplified());
}

}  // namespace

QPixmap SplashWindow::Picture()
{
    QPixmap pixmap(451, 250);
    pixmap.fill(Qt::transparent);  // what stays uncovered is see-through, like the black colour key
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF card(6, 6, 439, 238);
    QLinearGradient sky(card.topLeft(), card.bottomRight());
    sky.setColorAt(0, QColor(24, 52, 110));
    sky.setColorAt(1, QColor(70, 28, 96));
    p.setPen(QPen(QColor(250, 200, 70), 3));
    p.setBrush(sky);
    p.drawRoundedRect(card, 28, 28);

    QRadialGradient glow(QPointF(350, 70), 140);
    glow.setColorAt(0, QColor(255, 255, 255, 60));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(card, 28, 28);

    // A pale band under the web address so the red text stands out.
    QLinearGradient band(QPointF(0, 203), QPointF(0, 231));
    band.setColorAt(0, QColor(255, 248, 225, 0));
    band.setColorAt(0.3, QColor(255, 248, 225, 235));
    band.setColorAt(1, QColor(255, 248, 225, 235));
    p.setBrush(band);
    p.drawRect(QRectF(card.left() + 3, 203, card.width() - 6, 28));

    Bubble(p, QRectF(262, 34, 130, 56), QColor(110, 170, 240), false);
    Bubble(p, QRectF(300, 104, 112, 48), QColor(250, 190, 70), true);
    p.setBrush(QColor(255, 255, 255, 220));
    for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(302 + i * 22, 62), 5, 5);

    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(54);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QRectF(34, 60, 300, 70), Qt::AlignLeft | Qt::AlignVCenter, product::kName);
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRectF(31, 57, 300, 70), Qt::AlignLeft | Qt::AlignVCenter, product::kName);

    QFont sub(QStringLiteral("Sans Serif"));
    sub.setPixelSize(16);
    p.setFont(sub);
    p.setPen(QColor(220, 225, 255));
    p.drawText(QRectF(34, 128, 260, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Chat rooms for everyone"));
    p.setPen(QColor(250, 200, 70));
    p.drawText(QRectF(34, 152, 260, 24), Qt::AlignLeft | Qt::AlignVCenter, product::kVersion);
    return pixmap;
}

SplashWindow::SplashWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form6");
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(451, 248);

    picture_ = new QLabel(this);
    picture_->setObjectName("picture");
    picture_->setScaledContents(true);
    picture_->setPixmap(Picture());
    picture_->setGeometry(0, 0, 451, 248);

    addressLabel_ = new QLabel(product::kWebAddress, this);
    addressLabel_->setObjectName("addressLabel");
    QFont f = addressLabel_->font();
    f.setBold(true);
    f.setPixelSize(13);
    addressLabel_->setFont(f);
    addressLabel_->setStyleSheet(QStringLiteral("color: red; background: transparent;"));
    addressLabel_->setAlignment(Qt::AlignCenter);
    addressLabel_->setGeometry(0, 248 - 40, 451, 22);

    closeTimer_ = new QTimer(this);
    closeTimer_->setObjectName("closeTimer");
    closeTimer_->setSingleShot(true);
    closeTimer_->setTimerType(Qt::PreciseTimer);  // a full second, never a little less
    closeTimer_->setInterval(timing().splashMs);
    connect(closeTimer_, &QTimer::timeout, this, &SplashWindow::onCloseTimer);
}

void SplashWindow::onCloseTimer() { accept(); }

void SplashWindow::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    QDialog::showEvent(event);
    closeTimer_->start();
}

#include "common/fit_text.h"

#include <QFont>
#include <QFontMetrics>
#include <QWidget>

void FitFontToWidth(QWidget* w, const QString& text, int width)
{
    QFont f = w->font();
    while (QFontMetrics(f).horizontalAdvance(text) > width) {
        if (f.pixelSize() > 0) {
            if (f.pixelSize() <= 8) break;
            f.setPixelSize(f.pixelSize() - 1);
        } else {
            if (f.pointSizeF() <= 6.0) break;
            f.setPointSizeF(f.pointSizeF() - 0.5);
        }
    }
    w->setFont(f);
}

#include "shell/about_box.h"

#include "common/app_icons.h"
#include "shell/fixed_dialog.h"
#include "shell/product_info.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

AboutBox::AboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName("AboutBox");
    setWindowTitle("About");
    setWindowFlags(kFixedDialogFlags);
    setFixedSize(298, 218);

    panel_ = new QFrame(this);
    panel_->setObjectName("panel");
    panel_->setFrameShape(QFrame::Panel);
    panel_->setFrameShadow(QFrame::Sunken);

    programIcon_ = new QLabel(panel_);
    programIcon_->setObjectName("programIcon");
    programIcon_->setPixmap(GlyphIcon(Glyph::AppIcon).pixmap(32, 32));
    programIcon_->setFixedSize(36, 36);

    productName_ = new QLabel(product::kName, panel_);
    productName_->setObjectName("productName");
    QFont big = productName_->font();
    big.setBold(true);
    big.setPixelSize(19);
    productName_->setFont(big);

    version_ = new QLabel(product::kVersion, panel_);
    version_->setObjectName("version");
    copyright_ = new QLabel(QStringLiteral("Copyright \u00A9 The Talvessa developers"), panel_);
    copyright_->setObjectName("copyright");
    comments_ = new QLabel(QStringLiteral("Found a problem or have a suggestion? Please tell us at %1 - every report "
                                         "helps to make Talvessa better.")
                              .arg(product::kWebSiteName),
                          panel_);
    comments_->setObjectName("comments");
    comments_->setWordWrap(true);
    comments_->setStyleSheet(QStringLiteral("color: #800000;"));

    auto* head = new QHBoxLayout;
    head->addWidget(programIcon_, 0, Qt::AlignTop);
    auto* names = new QVBoxLayout;
    names->addWidget(productName_);
    names->addWidget(version_);
    head->addLayout(names, 1);

    auto* panelLayout = new QVBoxLayout(panel_);
    panelLayout->addLayout(head);
    panelLayout->addWidget(copyright_);
    panelLayout->addWidget(comments_, 1);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName("okButton");
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(panel_, 1);
    layout->addWidget(okButton_, 0, Qt::AlignHCenter);
}

void AboutBox::showEvent(QShowEvent* event)
{
    // Centred on the screen each time it is shown.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    QDialog::showEvent(event);
}

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

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setPixmap(GlyphIcon(Glyph::AppIcon).pixmap(32, 32));
    ProgramIcon->setFixedSize(36, 36);

    ProductName = new QLabel(product::kName, Panel1);
    ProductName->setObjectName("ProductName");
    QFont big = ProductName->font();
    big.setBold(true);
    big.setPixelSize(19);
    ProductName->setFont(big);

    Version = new QLabel(product::kVersion, Panel1);
    Version->setObjectName("Version");
    Copyright = new QLabel(QStringLiteral("Copyright \u00A9 The Talvessa developers"), Panel1);
    Copyright->setObjectName("Copyright");
    Comments = new QLabel(QStringLiteral("Found a problem or have a suggestion? Please tell us at %1 - every report "
                                         "helps to make Talvessa better.")
                              .arg(product::kWebSiteName),
                          Panel1);
    Comments->setObjectName("Comments");
    Comments->setWordWrap(true);
    Comments->setStyleSheet(QStringLiteral("color: #800000;"));

    auto* head = new QHBoxLayout;
    head->addWidget(ProgramIcon, 0, Qt::AlignTop);
    auto* names = new QVBoxLayout;
    names->addWidget(ProductName);
    names->addWidget(Version);
    head->addLayout(names, 1);

    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->addLayout(head);
    panelLayout->addWidget(Copyright);
    panelLayout->addWidget(Comments, 1);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(Panel1, 1);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
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

#include "shell/tls_switch.h"

#include "common/app_icons.h"
#include "common/program_settings.h"
#include "common/server_address.h"

#include <QComboBox>

namespace {

QString Key(const QString& host) { return QStringLiteral("TlsByHost/") + host; }

}  // namespace

TlsSwitch::TlsSwitch(QComboBox* serverBox, QWidget* parent) : QToolButton(parent), box_(serverBox)
{
    setObjectName(QStringLiteral("tlsSwitch"));
    setCheckable(true);
    setIcon(GlyphIcon(Glyph::Padlock));
    setAutoRaise(true);
    setToolTip(QStringLiteral("Connect with TLS (encrypted), on port 6697 unless the address names a port"));
    connect(box_, &QComboBox::currentTextChanged, this, &TlsSwitch::FollowBox);
    connect(this, &QToolButton::toggled, this, &TlsSwitch::Remember);
    FollowBox(box_->currentText());
}

QString TlsSwitch::HostOf(const QString& boxText)
{
    return ParseServerAddress(boxText, false, 1).address.host.toLower();
}

void TlsSwitch::FollowBox(const QString& text)
{
    const QString host = HostOf(text);
    if (host.isEmpty()) return;
    following_ = true;
    setChecked(ProgramSettings().value(Key(host), false).toBool());
    following_ = false;
}

void TlsSwitch::Remember(bool checked)
{
    if (following_) return;
    const QString host = HostOf(box_->currentText());
    if (host.isEmpty()) return;
    QSettings settings = ProgramSettings();
    if (checked)
        settings.setValue(Key(host), true);
    else
        settings.remove(Key(host));
}

#include "shell/tls_switch.h"

#include "common/app_icons.h"
#include "common/program_settings.h"
#include "common/server_address.h"

#include <QComboBox>

#include <algorithm>

namespace {

QString Key(const QString& host) { return QStringLiteral("TlsByHost/") + host; }

// The scheme the box's text starts with, lower case ("ircs", "irc"), or empty.
QString SchemeOf(const QString& text)
{
    const QString trimmed = text.trimmed();
    const qsizetype at = trimmed.indexOf(QLatin1String("://"));
    return at > 0 ? trimmed.left(at).toLower() : QString();
}

}  // namespace

TlsSwitch::TlsSwitch(QComboBox* serverBox, QWidget* parent) : QToolButton(parent), box_(serverBox)
{
    setObjectName(QStringLiteral("tlsSwitch"));
    setCheckable(true);
    setIcon(GlyphIcon(Glyph::Padlock));
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(box_, &QComboBox::currentTextChanged, this, &TlsSwitch::FollowBox);
    connect(this, &QToolButton::toggled, this, &TlsSwitch::Remember);
    connect(this, &QToolButton::toggled, this, &TlsSwitch::ShowState);
    // As wide as its wider state, so the buttons beside it keep their place.
    ShowState(true);
    const int onWidth = sizeHint().width();
    ShowState(false);
    setFixedWidth(std::max(onWidth, sizeHint().width()));
    FollowBox(box_->currentText());
}

QString TlsSwitch::HostOf(const QString& boxText)
{
    return ParseServerAddress(boxText, false, 1).address.host.toLower();
}

void TlsSwitch::ShowState(bool checked)
{
    setIcon(GlyphIcon(checked ? Glyph::Padlock : Glyph::PadlockOpen));
    setText(checked ? QStringLiteral("TLS on") : QStringLiteral("TLS off"));
    const QString scheme = SchemeOf(box_->currentText());
    if (!scheme.isEmpty())
        setToolTip(QStringLiteral("The address says %1://: %2").arg(scheme, checked ? QStringLiteral("encrypted with TLS") : QStringLiteral("not encrypted")));
    else
        setToolTip(checked ? QStringLiteral("TLS on: the connection is encrypted, on port 6697 unless the address names a port. Click to connect without TLS.")
                           : QStringLiteral("TLS off: the connection is not encrypted. Click to connect with TLS."));
}

void TlsSwitch::FollowBox(const QString& text)
{
    // A scheme in the address decides; without one, the host's own setting.
    const QString scheme = SchemeOf(text);
    const bool byScheme = scheme == QLatin1String("ircs") || scheme == QLatin1String("irc");
    setEnabled(!byScheme);
    const QString host = HostOf(text);
    if (!byScheme && host.isEmpty()) return;
    following_ = true;
    setChecked(byScheme ? scheme == QLatin1String("ircs") : ProgramSettings().value(Key(host), false).toBool());
    following_ = false;
    ShowState(isChecked());
}

void TlsSwitch::Remember(bool checked)
{
    if (following_ || !SchemeOf(box_->currentText()).isEmpty()) return;
    const QString host = HostOf(box_->currentText());
    if (host.isEmpty()) return;
    QSettings settings = ProgramSettings();
    if (checked)
        settings.setValue(Key(host), true);
    else
        settings.remove(Key(host));
}

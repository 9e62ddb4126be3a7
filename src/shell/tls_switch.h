#pragma once
// The TLS switch beside the server box: a checkable tool button with a
// padlock and its state in words ("TLS on": a closed padlock; "TLS off": an
// open, grey one). Checked, a host written without a scheme is reached with
// TLS. Its state is kept per host in the program's settings and comes back
// when the box names that host again. An address with its scheme (ircs://,
// irc://) decides by itself: the switch shows what it says and cannot be
// changed while it stands there.
#include <QToolButton>

class QComboBox;

class TlsSwitch : public QToolButton {
    Q_OBJECT
public:
    TlsSwitch(QComboBox* serverBox, QWidget* parent);

    // The host the box names now, as the settings know it (lower case);
    // empty when the box names none.
    static QString HostOf(const QString& boxText);

private:
    void FollowBox(const QString& text);
    void ShowState(bool checked);
    void Remember(bool checked);

    QComboBox* box_;
    bool following_ = false;  // a state set from the settings is not stored again
};

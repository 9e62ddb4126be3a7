#include "shell/login_dialog.h"

#include "common/line_breaks.h"
#include "common/nick_text.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "protocol/irc/dispatch.h"
#include "protocol/irc/irc_message.h"
#include "protocol/stream/line_connection.h"
#include "protocol/irc/sent_lines.h"
#include "protocol/irc/text_util.h"
#include "shell/blocking_wait.h"
#include "shell/burst_read.h"
#include "shell/certificate_prompt.h"
#include "shell/connection_target.h"
#include "shell/fixed_dialog.h"
#include "common/fit_text.h"
#include "shell/main_window.h"
#include "common/prompts.h"
#include "shell/registration_dialog.h"
#include "shell/sasl_login.h"
#include "common/timings.h"

#include <optional>

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

const QString kNickInUse = QStringLiteral("Nick name is already in use.");
const QString kNickRegistered = QStringLiteral("Nick name is registered.Please provide the password or change the nick.");

// Masks the password field with "*" whatever the platform's own mask is.
class StarMaskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);  // Enter does not start a login
    b->setDefault(false);
    b->setGeometry(geometry);
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

}  // namespace

LoginDialog::LoginDialog(MainWindow* frame)
    : QDialog(frame), frame_(frame), log_([frame](const QStringList& lines) { frame->AppendLogLines(lines); })
{
    setObjectName("Form5");
    setWindowTitle("Login");
    setWindowFlags(kFixedDialogFlags);
    setFixedSize(276, 233);

    Label1 = MakeLabel(this, "Label1", QStringLiteral("Nick Name"), QRect(21, 10, 233, 18));
    nick = new QLineEdit(this);
    nick->setObjectName("nick");
    nick->setGeometry(21, 29, 233, 24);
    Label2 = MakeLabel(this, "Label2", QStringLiteral("Password"), QRect(21, 58, 233, 18));
    password = new QLineEdit(this);
    password->setObjectName("password");
    password->setGeometry(21, 77, 233, 24);
    auto* mask = new StarMaskStyle;
    mask->setParent(password);
    password->setStyle(mask);
    password->setEchoMode(QLineEdit::Password);
    CheckBox1 = new QCheckBox(QStringLiteral("Connect as a guest (No password required)"), this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(12, 106, 258, 22);
    {
        QStyleOptionButton option;
        option.initFrom(CheckBox1);
        const int box = CheckBox1->style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, CheckBox1) +
                        CheckBox1->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, CheckBox1);
        FitFontToWidth(CheckBox1, CheckBox1->text(), CheckBox1->width() - box - 4);
    }
    BitBtn1 = MakeButton(this, "BitBtn1", QStringLiteral("Ok"), QRect(59, 134, 92, 28));
    BitBtn2 = MakeButton(this, "BitBtn2", QStringLiteral("Cancel"), QRect(162, 134, 92, 28));
    Label3 = MakeLabel(this, "Label3", QStringLiteral("OR"), QRect(21, 168, 233, 18));
    Label3->setAlignment(Qt::AlignCenter);
    BitBtn3 = MakeButton(this, "BitBtn3", QStringLiteral("Register a new nick"), QRect(21, 190, 233, 30));

    for (QLineEdit* field : {nick, password}) KeepOnOneLine(field);

    setTabOrder(nick, password);
    setTabOrder(password, CheckBox1);
    setTabOrder(CheckBox1, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn3);

    connect(CheckBox1, &QCheckBox::toggled, this, &LoginDialog::CheckBox1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &LoginDialog::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &LoginDialog::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &LoginDialog::BitBtn3Click);
    CheckBox1Click();
}

void LoginDialog::showEvent(QShowEvent* event)
{
    // Centred over the frame.
    if (QWidget* owner = parentWidget()) {
        QRect r = frameGeometry();
        r.moveCenter(owner->frameGeometry().center());
        move(r.topLeft());
    }
    QDialog::showEvent(event);
}

void LoginDialog::CheckBox1Click()
{
    const bool guest = CheckBox1->isChecked();
    password->setEnabled(!guest);
    QPalette p = password->palette();
    const QColor base = guest ? palette().color(QPalette::Button) : QColor(Qt::white);
    p.setColor(QPalette::Active, QPalette::Base, base);
    p.setColor(QPalette::Inactive, QPalette::Base, base);
    p.setColor(QPalette::Disabled, QPalette::Base, base);
    password->setPalette(p);
}

void LoginDialog::reject()
{
    if (busy_) {
        CancelExchange();  // the dialog closes once the exchange has let go
        return;
    }
    QDialog::reject();
}

void LoginDialog::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();
        CancelExchange();
        return;
    }
    QDialog::closeEvent(event);
}

void LoginDialog::BitBtn2Click() { reject(); }

void LoginDialog::Abandon()
{
    abandoned_ = true;
    if (registration_)
        registration_->Abandon();  // this dialog follows once that one has closed
    else
        reject();
}

void LoginDialog::CancelExchange()
{
    if (cancelRequested_) return;
    cancelRequested_ = true;
    // The wait on the connection ends at once, and the exchange stops at its
    // next step: nothing more can be sent on a closed connection.
    frame_->CloseConnection();
}

void LoginDialog::SetBusy(bool busy)
{
    // While an exchange runs, only Cancel works: the exchange reads the nick,
    // the password and the guest box as it goes.
    busy_ = busy;
    for (QWidget* w : std::initializer_list<QWidget*>{nick, password, CheckBox1, BitBtn1, BitBtn3})
        w->setEnabled(!busy);
    if (!busy) CheckBox1Click();
}

void LoginDialog::BitBtn3Click()
{
    if (busy_) return;
    RegistrationDialog registration(frame_, this);
    registration_ = &registration;
    registration.setIdTCPClient(connection_);
    registration.exec();
    if (abandoned_) QDialog::reject();
}

void LoginDialog::Log(const QString& line) { log_.Add(line); }

void LoginDialog::Log(const std::string& line) { log_.Add(FromWire(line)); }

std::string LoginDialog::ReadLine(int timeoutMs)
{
    // What the dialog logged is in the server log before any wait, so the
    // user sees it and the frame's own lines come after it.
    return ReadLineWhilePainting(*connection_, timeoutMs, [this] { log_.Flush(); });
}

BurstRead LoginDialog::Burst()
{
    return BurstRead([this](int timeoutMs) { return ReadLine(timeoutMs); });
}

void LoginDialog::BitBtn1Click()
{
    if (busy_) return;
    const QString n = nick->text();
    if (n.isEmpty()) {
        prompts().Information(this, QStringLiteral("Please enter a nick name."));
        return;
    }
    if (const QString refusal = NickRefusal(n); !refusal.isEmpty()) {
        prompts().Information(this, refusal);
        return;
    }
    if (!CheckBox1->isChecked() && password->text().isEmpty()) {
        prompts().Information(this, QStringLiteral("Please enter a password."));
        return;
    }
    SetBusy(true);
    QString failure;
    std::optional<CertificateError> untrusted;
    try {
        RunLogin(ToWire(n));
    } catch (const CertificateError& e) {
        untrusted = e;
        failure = ShownText(FromWire(e.what()));
    } catch (const std::exception& e) {
        failure = ShownText(FromWire(e.what()));  // it may quote what the server sent
    }
    log_.Flush();
    SetBusy(false);
    if (cancelRequested_) {
        // Called off: whatever the exchange got to, the connection is closed
        // and the dialog goes without a word.
        cancelRequested_ = false;
        loggedIn_ = false;
        QDialog::reject();
        return;
    }
    if (failure.isEmpty()) {
        if (loggedIn_) accept();
        return;
    }
    // Closed before the box is shown: a server that broke the exchange gets
    // no more time, and the box tells what has already happened.
    AbandonConnection();
    if (untrusted) {
        Log(failure);
        // Trusted: the login goes ahead at once on a new connection.
        if (TrustCertificateAfterAsking(this, *connection_, *untrusted)) BitBtn1Click();
        return;
    }
    prompts().Error(this, failure);
}

void LoginDialog::RunLogin(const std::string& n)
{
    Log(QStringLiteral("Trying to connect with %1 at port %2%3....")
            .arg(FromWire(connection_->Host()))
            .arg(connection_->Port())
            .arg(connection_->Tls().enabled ? QStringLiteral(" (TLS)") : QString()));
    if (!connection_->Connected()) ConnectWhilePainting(*connection_);
    Log(ConnectedLine(*connection_));

    // The greeting ends at the first silence; nothing is answered during it.
    BurstRead greeting = Burst();
    for (std::string line = greeting.Next(timing().greetingMs); !line.empty(); line = greeting.Next(timing().greetingMs))
        Log(line);

    // With a password, the capability talk comes before registering: a
    // server that takes SASL gets the password there, and no nick service
    // identify follows.
    bool identified = false;
    if (!CheckBox1->isChecked()) {
        const CapNegotiation::Outcome outcome =
            NegotiateSasl(*connection_, [this](int timeoutMs) { return ReadLine(timeoutMs); },
                          [this](const std::string& line) { Log(line); }, n, ToWire(password->text()));
        if (outcome == CapNegotiation::Outcome::Refused) {
            FinishLogin(QStringLiteral("Incorrect password."));
            return;
        }
        identified = outcome == CapNegotiation::Outcome::LoggedIn;
    }

    connection_->WriteLine(sent::UserLine(n));
    if (const std::string line = ReadLine(timing().replyMs); !line.empty()) {
        IrcMessage reply;
        reply.ParseLine(line);
        if (reply.code == 461) {
            Log(line);
            FinishLogin(QStringLiteral("Invalid nick"));
            return;
        }
    }
    const bool ok = CheckBox1->isChecked() ? GuestLogin(n) : RegisteredLogin(n, identified);
    if (ok) FinishLogin(n);
}

bool LoginDialog::GuestLogin(const std::string& n)
{
    // A server that hung up after USER gave no login; that is a failure, not
    // a success with nothing behind it.
    if (!connection_->Connected()) throw TransportError("The server closed the connection.");
    connection_->WriteLine(sent::NickLine(n));
    BurstRead replies = Burst();
    for (std::string line = replies.Next(timing().greetingMs); !line.empty(); line = replies.Next(timing().greetingMs)) {
        Log(line);
        IrcMessage reply;
        reply.ParseLine(line);
        if (reply.code == 433) {
            FinishLogin(kNickInUse);
            return false;
        }
        if (reply.code == 512) {
            FinishLogin(kNickRegistered);
            return false;
        }
        if (text::LowerAscii(reply.command) == "notice" &&
            text::LowerAscii(reply.params).find("is owned by someone else. please choose another") != std::string::npos) {
            FinishLogin(kNickRegistered);
            return false;
        }
        if (IsPing(reply.rawline)) {
            const std::string pong = PongLineFor(reply.rawline);
            Log(pong);
            connection_->WriteLine(pong);
        }
    }
    return true;
}

bool LoginDialog::RegisteredLogin(const std::string& n, bool identified)
{
    connection_->WriteLine(sent::NickLine(n));
    BurstRead replies = Burst();
    for (std::string line = replies.Next(timing().greetingMs); !line.empty(); line = replies.Next(timing().greetingMs)) {
        IrcMessage reply;
        reply.ParseLine(line);
        if (reply.code == 433) {
            FinishLogin(kNickInUse);
            return false;
        }
        if (reply.code == 464) {
            FinishLogin(QStringLiteral("Incorrect password."));
            return false;
        }
        if (reply.code == 451) {
            FinishLogin(QStringLiteral("Not registered. Login as a guest with this nick or register it first."));
            return false;
        }
        if (IsPing(reply.rawline)) connection_->WriteLine(PongLineFor(reply.rawline));
    }
    if (identified) return true;
    // The log shows the nick; the password goes to the nick service only.
    Log("nickserv identify " + n);
    log_.Flush();
    connection_->WriteLine(sent::IdentifyLine(ToWire(password->text())));
    return true;
}

void LoginDialog::FinishLogin(const std::string&)
{
    frame_->SetCurrentNick(nick->text());
    loggedIn_ = true;
}

void LoginDialog::FinishLogin(const QString& failureMessage)
{
    log_.Flush();
    prompts().Information(this, failureMessage);
    frame_->CloseConnection();  // also tidies up after a server that hung up first
}

void LoginDialog::AbandonConnection() { frame_->CloseConnection(); }

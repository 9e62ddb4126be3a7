#include "shell/login_dialog.h"
#include "shell/connection_target.h"

#include "common/fit_text.h"
#include "common/line_breaks.h"
#include "common/nick_text.h"
#include "common/prompts.h"
#include "common/shown_text.h"
#include "common/timings.h"
#include "common/wire_text.h"
#include "protocol/irc/login_machine.h"
#include "protocol/stream/line_connection.h"
#include "shell/certificate_prompt.h"
#include "shell/login_memory.h"
#include "shell/nick_service_note.h"
#include "shell/fixed_dialog.h"
#include "shell/main_window.h"
#include "shell/registration_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

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

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(geometry);
    KeepOnOneLine(e);
    return e;
}

}  // namespace

LoginDialog::LoginDialog(MainWindow* frame)
    : QDialog(frame),
      frame_(frame),
      exchange_(*frame),
      log_([frame](const QStringList& lines) { frame->AppendLogLines(lines); })
{
    setObjectName("loginDialog");
    setWindowTitle("Login");
    setWindowFlags(kFixedDialogFlags);
    setFixedSize(276, 252);

    nickLabel_ = MakeLabel(this, "nickLabel", QStringLiteral("Nick Name"), QRect(21, 10, 233, 18));
    nickEdit_ = MakeEdit(this, "nickEdit", QRect(21, 29, 233, 24));
    passwordLabel_ = MakeLabel(this, "passwordLabel", QStringLiteral("Password"), QRect(21, 58, 233, 18));
    passwordEdit_ = MakeEdit(this, "passwordEdit", QRect(21, 77, 233, 24));
    auto* mask = new StarMaskStyle;
    mask->setParent(passwordEdit_);
    passwordEdit_->setStyle(mask);
    passwordEdit_->setEchoMode(QLineEdit::Password);
    guestBox_ = new QCheckBox(QStringLiteral("Connect as a guest (No password required)"), this);
    guestBox_->setObjectName("guestBox");
    guestBox_->setGeometry(12, 106, 258, 22);
    {
        QStyleOptionButton option;
        option.initFrom(guestBox_);
        const int box = guestBox_->style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, guestBox_) +
                        guestBox_->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, guestBox_);
        FitFontToWidth(guestBox_, guestBox_->text(), guestBox_->width() - box - 4);
    }
    okButton_ = MakeButton(this, "okButton", QStringLiteral("Ok"), QRect(59, 134, 92, 28));
    cancelButton_ = MakeButton(this, "cancelButton", QStringLiteral("Cancel"), QRect(162, 134, 92, 28));
    orLabel_ = MakeLabel(this, "orLabel", QStringLiteral("OR"), QRect(21, 168, 233, 18));
    orLabel_->setAlignment(Qt::AlignCenter);
    registerButton_ = MakeButton(this, "registerButton", QStringLiteral("Register a new nick"), QRect(21, 190, 233, 30));
    // What the login is doing: connecting, logging in, reading the greeting.
    progressLabel_ = MakeLabel(this, "progressLabel", QString(), QRect(12, 226, 252, 20));
    progressLabel_->setAlignment(Qt::AlignCenter);

    setTabOrder(nickEdit_, passwordEdit_);
    setTabOrder(passwordEdit_, guestBox_);
    setTabOrder(guestBox_, okButton_);
    setTabOrder(okButton_, cancelButton_);
    setTabOrder(cancelButton_, registerButton_);

    connect(guestBox_, &QCheckBox::toggled, this, &LoginDialog::onGuestToggled);
    connect(okButton_, &QPushButton::clicked, this, &LoginDialog::onOkClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &LoginDialog::onCancelClicked);
    connect(registerButton_, &QPushButton::clicked, this, &LoginDialog::onRegisterClicked);
    onGuestToggled();

    logFlush_.setSingleShot(true);
    logFlush_.setInterval(0);
    connect(&logFlush_, &QTimer::timeout, this, [this] { log_.Flush(); });
    exchange_.onOpened = [this] { Log(ConnectedLine(*connection_)); };
    exchange_.onStep = [this](const ExchangeStep& step) { ShowStep(step); };
    exchange_.onEnded = [this](const ExchangeStep& step) { Ended(step); };
    exchange_.onOpenFailed = [this](const std::string& error, const CertificateError* untrusted) {
        OpenFailed(error, untrusted);
    };
}

LoginDialog::~LoginDialog() { exchange_.CallOff(); }

QString LoginDialog::ServerKey() const
{
    return connection_ ? LoginServerKey(FromWire(connection_->Host()), connection_->Port()) : QString();
}

void LoginDialog::SetConnection(LineConnection* connection)
{
    connection_ = connection;
    const RememberedLogin last = RecallLogin(ServerKey());
    if (last.nick.isEmpty()) return;
    nickEdit_->setText(last.nick);
    guestBox_->setChecked(last.guest);
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

void LoginDialog::onGuestToggled()
{
    const bool guest = guestBox_->isChecked();
    passwordEdit_->setEnabled(!guest && !busy_);
    QPalette p = passwordEdit_->palette();
    const QColor base = guest ? palette().color(QPalette::Button) : QColor(Qt::white);
    p.setColor(QPalette::Active, QPalette::Base, base);
    p.setColor(QPalette::Inactive, QPalette::Base, base);
    p.setColor(QPalette::Disabled, QPalette::Base, base);
    passwordEdit_->setPalette(p);
}

void LoginDialog::reject()
{
    if (busy_) {
        // Called off at once: the connection closes and nothing more is sent.
        exchange_.CallOff();
        log_.Flush();
        SetBusy(false);
    }
    QDialog::reject();
}

void LoginDialog::onCancelClicked() { reject(); }

void LoginDialog::Abandon()
{
    abandoned_ = true;
    if (registration_)
        registration_->Abandon();  // this dialog follows once that one has closed
    else
        reject();
}

void LoginDialog::SetBusy(bool busy)
{
    // While a login runs, only Cancel works: the login was made from the
    // fields as they were at Ok.
    busy_ = busy;
    for (QWidget* w : std::initializer_list<QWidget*>{nickEdit_, guestBox_, okButton_, registerButton_})
        w->setEnabled(!busy);
    onGuestToggled();
    if (!busy) ShowProgress(QString());
}

void LoginDialog::ShowProgress(const QString& text) { progressLabel_->setText(text); }

void LoginDialog::onRegisterClicked()
{
    if (busy_) return;
    RegistrationDialog registration(frame_, this);
    registration_ = &registration;
    registration.SetConnection(connection_);
    registration.exec();
    if (abandoned_) QDialog::reject();
}

void LoginDialog::Log(const QString& line)
{
    log_.Add(line);
    if (!logFlush_.isActive()) logFlush_.start();
}

void LoginDialog::onOkClicked()
{
    if (busy_) return;
    const QString n = nickEdit_->text();
    if (n.isEmpty()) {
        prompts().Information(this, QStringLiteral("Please enter a nick name."));
        return;
    }
    if (const QString refusal = NickRefusal(n); !refusal.isEmpty()) {
        prompts().Information(this, refusal);
        return;
    }
    const bool guest = guestBox_->isChecked();
    if (!guest && passwordEdit_->text().isEmpty()) {
        prompts().Information(this, QStringLiteral("Please enter a password."));
        return;
    }
    RememberLogin(ServerKey(), RememberedLogin{n, guest});  // the password never
    SetBusy(true);
    ShowProgress(QStringLiteral("Connecting..."));
    Log(QStringLiteral("Trying to connect with %1 at port %2%3....")
            .arg(FromWire(connection_->Host()))
            .arg(connection_->Port())
            .arg(connection_->Tls().enabled ? QStringLiteral(" (TLS)") : QString()));
    log_.Flush();

    LoginMachine::Settings settings;
    settings.nick = ToWire(n);
    settings.password = guest ? std::string() : ToWire(passwordEdit_->text());
    settings.guest = guest;
    settings.capSilence = LoginMachine::Ms(timing().replyMs);
    settings.welcomeLimit = LoginMachine::Ms(timing().welcomeLimitMs);
    settings.greetingSilence = LoginMachine::Ms(timing().greetingMs);
    settings.greetingLimit = LoginMachine::Ms(timing().burstLimitMs);
    lastSettings_ = settings;
    exchange_.Run(*connection_, std::make_unique<LoginMachine>(std::move(settings)));
}

void LoginDialog::ShowStep(const ExchangeStep& step)
{
    for (const std::string& line : step.log) {
        Log(FromWire(line));
        if (serviceNote_.isEmpty() && guestBox_->isChecked()) serviceNote_ = RegisteredNickNote(line);
    }
    if (!step.progress.empty()) ShowProgress(FromWire(step.progress));
    // The frame looks connected from the welcome on, never before it.
    if (step.welcomed) frame_->Lifecycle().LoginWelcomed();
}

void LoginDialog::Ended(const ExchangeStep& step)
{
    log_.Flush();
    switch (step.ending) {
    case ExchangeStep::Ending::Done: FinishLogin(); break;
    case ExchangeStep::Ending::Refused: FinishLogin(FromWire(step.message), false); break;
    // It may quote what the server sent.
    case ExchangeStep::Ending::Failed: FinishLogin(ShownText(FromWire(step.message)), true); break;
    case ExchangeStep::Ending::None: break;
    }
}

void LoginDialog::OpenFailed(const std::string& error, const CertificateError* untrusted)
{
    SetBusy(false);
    const QString failure = ShownText(FromWire(error));
    if (untrusted) {
        Log(failure);
        log_.Flush();
        // Trusted: the login goes ahead at once on a new connection.
        if (TrustCertificateAfterAsking(this, *connection_, *untrusted)) onOkClicked();
        return;
    }
    prompts().Error(this, failure);
}

void LoginDialog::FinishLogin()
{
    frame_->SetCurrentNick(nickEdit_->text());
    loggedIn_ = true;
    SetBusy(false);
    accept();
}

void LoginDialog::FinishLogin(const QString& failureMessage, bool error)
{
    // Closed before the box is shown: a server that broke the login gets no
    // more time, and the box tells what has already happened.
    frame_->Lifecycle().AbandonLogin();
    SetBusy(false);
    if (error)
        prompts().Error(this, failureMessage);
    else
        prompts().Information(this, failureMessage);
}

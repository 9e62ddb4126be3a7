#include "shell/registration_dialog.h"
#include "shell/connection_target.h"

#include "common/fit_text.h"
#include "common/line_breaks.h"
#include "common/nick_text.h"
#include "common/prompts.h"
#include "common/shown_text.h"
#include "common/timings.h"
#include "common/wire_text.h"
#include "protocol/irc/registration_machine.h"
#include "protocol/stream/line_connection.h"
#include "shell/fixed_dialog.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace {

const QString kCaption = QStringLiteral("Nick Registeration/Management");

// Room in the title bar beside the caption: the window icon, the close
// button and the margins around them.
constexpr int kTitleBarRoom = 96;

// Wide enough for the whole caption in the bold font title bars usually
// have, and never narrower than the controls need.
int DialogWidth()
{
    QFont bold = QApplication::font();
    bold.setBold(true);
    return std::max(289, QFontMetrics(bold).horizontalAdvance(kCaption) + kTitleBarRoom);
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int y)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(16, y, parent->width() - 32, 22);
    KeepOnOneLine(e);
    return e;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int y)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(16, y, parent->width() - 24, 17);
    FitFontToWidth(l, caption, l->width());
    return l;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

}  // namespace

RegistrationDialog::RegistrationDialog(MainWindow* frame, QWidget* parent)
    : QDialog(parent), frame_(frame), exchange_(*frame), log_([this](const QStringList& lines) {
          // Services make words bold or coloured; the log shows plain text,
          // one line for each entry.
          if (!lines.isEmpty()) registrationLog_->appendPlainText(ShownBlock(lines));
      })
{
    setObjectName("registrationDialog");
    setWindowTitle(kCaption);
    setWindowFlags(kFixedDialogFlags);
    setFixedSize(DialogWidth(), 284);
    const int inner = width() - 32;  // the controls' width between the 16-pixel margins

    fullNameLabel_ = MakeLabel(this, "fullNameLabel", QStringLiteral("Full Name"), 6);
    fullNameEdit_ = MakeEdit(this, "fullNameEdit", 23);
    emailLabel_ = MakeLabel(this, "emailLabel", QStringLiteral("Email"), 49);
    emailEdit_ = MakeEdit(this, "emailEdit", 66);
    nickLabel_ = MakeLabel(this, "nickLabel", QStringLiteral("Nick Name (No Spaces or special characters please)"), 92);
    nickEdit_ = MakeEdit(this, "nickEdit", 109);
    passwordLabel_ = MakeLabel(this, "passwordLabel", QStringLiteral("Password"), 135);
    passwordEdit_ = MakeEdit(this, "passwordEdit", 152);  // shown in clear on purpose: the user is choosing it

    const int half = (inner - 9) / 2;
    registerButton_ = MakeButton(this, "registerButton", QStringLiteral("Register"), QRect(16, 182, half, 27));
    closeButton_ = MakeButton(this, "closeButton", QStringLiteral("Close"), QRect(width() - 16 - half, 182, half, 27));

    registrationLog_ = new QPlainTextEdit(this);
    registrationLog_->setObjectName("registrationLog");
    registrationLog_->setReadOnly(true);
    registrationLog_->setGeometry(16, 213, inner, 65);

    connect(registerButton_, &QPushButton::clicked, this, &RegistrationDialog::onRegisterClicked);
    connect(closeButton_, &QPushButton::clicked, this, &RegistrationDialog::onCloseClicked);

    logFlush_.setSingleShot(true);
    logFlush_.setInterval(0);
    connect(&logFlush_, &QTimer::timeout, this, [this] { log_.Flush(); });
    exchange_.onOpened = [this] { Append(ConnectedLine(*connection_)); };
    exchange_.onStep = [this](const ExchangeStep& step) {
        for (const std::string& line : step.log) Append(FromWire(line));
    };
    exchange_.onEnded = [this](const ExchangeStep& step) { Ended(step); };
    exchange_.onOpenFailed = [this](const std::string& error, const CertificateError*) {
        // No box for a broken run: the log shows how far it got and why it ended.
        Append(FromWire(error));
        log_.Flush();
        SetBusy(false);
    };
}

RegistrationDialog::~RegistrationDialog() { exchange_.CallOff(); }

void RegistrationDialog::showEvent(QShowEvent* event)
{
    // Centred over the frame.
    QWidget* owner = frame_ ? static_cast<QWidget*>(frame_) : parentWidget();
    if (owner) {
        QRect r = frameGeometry();
        r.moveCenter(owner->frameGeometry().center());
        move(r.topLeft());
    }
    QDialog::showEvent(event);
}

void RegistrationDialog::reject()
{
    if (busy_) {
        // Called off at once: the connection closes and nothing more is sent.
        exchange_.CallOff();
        log_.Flush();
        SetBusy(false);
    }
    QDialog::reject();
}

void RegistrationDialog::onCloseClicked() { reject(); }

void RegistrationDialog::SetBusy(bool busy)
{
    // While a run goes on, only Close works: the run was made from the fields
    // as they were at Register.
    busy_ = busy;
    for (QWidget* w : std::initializer_list<QWidget*>{fullNameEdit_, emailEdit_, nickEdit_, passwordEdit_, registerButton_})
        w->setEnabled(!busy);
}

void RegistrationDialog::Append(const QString& line)
{
    log_.Add(line);
    if (!logFlush_.isActive()) logFlush_.start();
}

void RegistrationDialog::onRegisterClicked()
{
    if (busy_) return;
    const struct {
        QLineEdit* field;
        const char* message;
    } required[] = {
        {fullNameEdit_, "Please enter a Full Name."},
        {emailEdit_, "Please enter an email address."},
        {nickEdit_, "Please enter a Nick."},
        {passwordEdit_, "Please enter a Password."},
    };
    for (const auto& r : required)
        if (r.field->text().isEmpty()) {
            prompts().Information(this, QString::fromLatin1(r.message));
            return;
        }
    if (const QString refusal = NickRefusal(nickEdit_->text()); !refusal.isEmpty()) {
        prompts().Information(this, refusal);
        return;
    }

    SetBusy(true);
    Append(QStringLiteral("Connecting...."));
    RegistrationMachine::Settings settings;
    settings.fullname = ToWire(fullNameEdit_->text());
    settings.email = ToWire(emailEdit_->text());
    settings.nick = ToWire(nickEdit_->text());
    settings.password = ToWire(passwordEdit_->text());
    settings.welcomeLimit = RegistrationMachine::Ms(timing().welcomeLimitMs);
    settings.greetingSilence = RegistrationMachine::Ms(timing().greetingMs);
    settings.answerWait = RegistrationMachine::Ms(timing().greetingMs);
    settings.tailFirst = RegistrationMachine::Ms(timing().registerTailMs);
    settings.tailSilence = RegistrationMachine::Ms(timing().greetingMs);
    settings.burstLimit = RegistrationMachine::Ms(timing().burstLimitMs);
    exchange_.Run(*connection_, std::make_unique<RegistrationMachine>(std::move(settings)));
}

void RegistrationDialog::Ended(const ExchangeStep& step)
{
    // The refused line is in the log already; a broken run ends with why.
    if (step.ending == ExchangeStep::Ending::Failed) Append(ShownText(FromWire(step.message)));
    log_.Flush();
    if (step.ending == ExchangeStep::Ending::Failed) {
        frame_->Lifecycle().AbandonLogin();
        SetBusy(false);
        return;
    }
    if (!step.message.empty()) prompts().Information(this, FromWire(step.message));
    frame_->Lifecycle().AbandonLogin();
    SetBusy(false);
}

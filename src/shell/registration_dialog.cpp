#include "shell/registration_dialog.h"

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
#include "shell/connection_target.h"
#include "shell/fixed_dialog.h"
#include "common/fit_text.h"
#include "shell/main_window.h"
#include "common/prompts.h"
#include "common/timings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace {

const QString kAlreadyRegistered = QStringLiteral("Nick name is already registered.");

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

bool Contains(const std::string& haystack, const char* needle) { return haystack.find(needle) != std::string::npos; }

}  // namespace

RegistrationDialog::RegistrationDialog(MainWindow* frame, QWidget* parent)
    : QDialog(parent), frame_(frame), log_([this](const QStringList& lines) {
          // Services make words bold or coloured; the log shows plain text,
          // one line for each entry.
          if (!lines.isEmpty()) reglog->appendPlainText(ShownBlock(lines));
      })
{
    setObjectName("Form2");
    setWindowTitle(kCaption);
    setWindowFlags(kFixedDialogFlags);
    setFixedSize(DialogWidth(), 284);
    const int inner = width() - 32;  // the controls' width between the 16-pixel margins

    Label1 = MakeLabel(this, "Label1", QStringLiteral("Full Name"), 6);
    fullname = MakeEdit(this, "fullname", 23);
    Label2 = MakeLabel(this, "Label2", QStringLiteral("Email"), 49);
    email = MakeEdit(this, "email", 66);
    Label3 = MakeLabel(this, "Label3", QStringLiteral("Nick Name (No Spaces or special characters please)"), 92);
    nick = MakeEdit(this, "nick", 109);
    Label4 = MakeLabel(this, "Label4", QStringLiteral("Password"), 135);
    password = MakeEdit(this, "password", 152);  // shown in clear on purpose: the user is choosing it

    BitBtn1 = new QPushButton(QStringLiteral("Register"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(16, 182, (inner - 9) / 2, 27);
    BitBtn2 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setGeometry(width() - 16 - (inner - 9) / 2, 182, (inner - 9) / 2, 27);
    for (QPushButton* b : {BitBtn1, BitBtn2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    reglog = new QPlainTextEdit(this);
    reglog->setObjectName("reglog");
    reglog->setReadOnly(true);
    reglog->setGeometry(16, 213, inner, 65);

    connect(BitBtn1, &QPushButton::clicked, this, &RegistrationDialog::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &RegistrationDialog::BitBtn2Click);
}

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
        if (cancelRequested_) return;
        // The wait on the connection ends at once; the dialog closes once the
        // run has let go, and nothing more can be sent.
        cancelRequested_ = true;
        frame_->CloseConnection();
        return;
    }
    QDialog::reject();
}

void RegistrationDialog::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(event);
}

void RegistrationDialog::SetBusy(bool busy)
{
    // While a run goes on, only Close works: the run reads the fields as it goes.
    busy_ = busy;
    for (QWidget* w : std::initializer_list<QWidget*>{fullname, email, nick, password, BitBtn1}) w->setEnabled(!busy);
}

void RegistrationDialog::BitBtn2Click() { reject(); }

void RegistrationDialog::Append(const QString& line) { log_.Add(line); }

void RegistrationDialog::Append(const std::string& line) { log_.Add(FromWire(line)); }

std::string RegistrationDialog::ReadLine(int timeoutMs)
{
    return ReadLineWhilePainting(*connection_, timeoutMs, [this] { log_.Flush(); });
}

BurstRead RegistrationDialog::Burst()
{
    return BurstRead([this](int timeoutMs) { return ReadLine(timeoutMs); });
}

void RegistrationDialog::BitBtn1Click()
{
    if (busy_) return;
    const struct {
        QLineEdit* field;
        const char* message;
    } required[] = {
        {fullname, "Please enter a Full Name."},
        {email, "Please enter an email address."},
        {nick, "Please enter a Nick."},
        {password, "Please enter a Password."},
    };
    for (const auto& r : required)
        if (r.field->text().isEmpty()) {
            prompts().Information(this, QString::fromLatin1(r.message));
            return;
        }
    if (const QString refusal = NickRefusal(nick->text()); !refusal.isEmpty()) {
        prompts().Information(this, refusal);
        return;
    }

    SetBusy(true);
    try {
        Register(ToWire(fullname->text()), ToWire(email->text()), ToWire(nick->text()), ToWire(password->text()));
    } catch (const std::exception& e) {
        // No box for a broken exchange: the log shows how far it got and why
        // it ended, and the connection is closed so the next try starts afresh.
        if (!cancelRequested_) Append(FromWire(e.what()));
        log_.Flush();
        frame_->CloseConnection();
    }
    log_.Flush();
    SetBusy(false);
    if (cancelRequested_) {
        cancelRequested_ = false;
        QDialog::reject();
    }
}

void RegistrationDialog::Refuse(const std::string& line, const QString& message)
{
    Append(line);
    log_.Flush();
    prompts().Information(this, message);
    frame_->CloseConnection();
}

void RegistrationDialog::Register(const std::string& f, const std::string& e, const std::string& n, const std::string& p)
{
    Append(QStringLiteral("Connecting...."));
    if (!connection_->Connected()) ConnectWhilePainting(*connection_);
    if (!connection_->Connected()) throw TransportError("The server closed the connection.");
    Append(ConnectedLine(*connection_));
    BurstRead greeting = Burst();
    for (std::string line = greeting.Next(timing().greetingMs); !line.empty(); line = greeting.Next(timing().greetingMs))
        Append(line);

    Append(QStringLiteral("Sending user information."));
    connection_->WriteLine(sent::RegistrationUserLine(n, f));
    if (const std::string line = ReadLine(timing().replyMs); !line.empty()) {
        IrcMessage reply;
        reply.ParseLine(line);
        if (reply.code == 461) return Refuse(line, QStringLiteral("Error in registration data."));
    }

    Append(QStringLiteral("User information accepted."));
    Append(QStringLiteral("Sending nick name."));
    connection_->WriteLine(sent::NickLine(n));
    if (const std::string line = ReadLine(timing().replyMs); !line.empty()) {
        IrcMessage reply;
        reply.ParseLine(line);
        if (reply.code == 432) return Refuse(line, QStringLiteral("Invalid Nick name."));
        if (reply.code == 433) return Refuse(line, QStringLiteral("Nick name is already in use."));
        if (IsPing(reply.rawline)) {
            Append(reply.rawline);
            const std::string pong = PongLineFor(reply.rawline);
            Append(pong);
            connection_->WriteLine(pong);
        }
    }

    // The welcome and the message of the day.
    BurstRead welcome = Burst();
    for (std::string line = welcome.Next(timing().greetingMs); !line.empty(); line = welcome.Next(timing().greetingMs))
        Append(line);

    connection_->WriteLine(sent::RegisterNickLine(p, e));
    {
        // Judged on its own: a code left over from an earlier reply must not
        // decide the outcome of this one.
        const std::string line = ReadLine(timing().greetingMs);
        IrcMessage reply;
        reply.ParseLine(line);
        if (reply.code == 440) return Refuse(line, QStringLiteral("Service not available."));
        if (reply.code == 462) return Refuse(line, kAlreadyRegistered);
        const std::string params = text::LowerAscii(reply.params);
        if (text::LowerAscii(reply.command) == "notice" &&
            (Contains(params, "owned by someone else") || Contains(params, "already")))
            return Refuse(line, kAlreadyRegistered);
        if (IsPing(reply.rawline)) connection_->WriteLine(PongLineFor(reply.rawline));
    }

    BurstRead tail = Burst();
    for (std::string line = tail.Next(timing().registerTailMs); !line.empty(); line = tail.Next(timing().greetingMs))
        Append(line);
    log_.Flush();
    prompts().Information(this, QStringLiteral("Nick registration sent to server, Please check the server response in log box."));
    frame_->CloseConnection();
}

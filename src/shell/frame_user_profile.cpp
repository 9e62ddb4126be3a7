// The frame's share of the user information window: opening it for Profile
// and filling it from WHO replies.
#include "shell/main_window.h"

#include "model/line_writes.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "protocol/irc/sent_lines.h"
#include "side/user_info_window.h"

UserInfoWindow* MainWindow::UserInformationWindow() const { return userInfo_; }

void MainWindow::OpenUserProfile(const QString& nick, QWidget* asker)
{
    if (nick.isEmpty()) return;
    // Each Profile gets a new window; the one before (closed, as the modal
    // wait ended) goes.
    if (userInfo_) userInfo_->deleteLater();
    userInfo_ = new UserInfoWindow(this);
    userInfo_->SetAskedNick(nick);
    SetWhoPurpose(QStringLiteral("profile"));
    if (!SendOrTell(&sender_, {sent::WhoLine(NameOnWire(nick))}, nick, asker ? asker : this)) return;
    // The reader's replies are drained by this wait's event loop, so the
    // fields fill while the window is open.
    userInfo_->exec();
}

void MainWindow::ShowUserProfile(const UserProfile& profile)
{
    if (userInfo_) userInfo_->Fill(profile);
}

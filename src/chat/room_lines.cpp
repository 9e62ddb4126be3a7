#include "chat/room_lines.h"

#include "chat/chat_colors.h"
#include "chat/history_lines.h"
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "chat/renderer.h"
#include "chat/room_window.h"
#include "transcript/transcript_view.h"
#include "common/shown_text.h"
#include "common/strip_formatting.h"
#include "model/chat_frame.h"
#include "model/room.h"

#include <optional>

using namespace chat_colors;

namespace {

struct StatusLook {
    QColor colour;
    std::optional<bool> bold;  // none: as the line before left it
};

StatusLook LookOf(ChatLineKind kind)
{
    switch (kind) {
    case ChatLineKind::Joined: return {kGreen, std::nullopt};
    case ChatLineKind::Topic: return {kGreen, true};
    case ChatLineKind::Renamed: return {kGrey, false};
    case ChatLineKind::Left: return {kGrey, true};
    default: return {kRed, true};  // kicks, modes, refused joins
    }
}

int IconOf(const RoomMember& member)
{
    if (member.ignored) return kIgnoredIcon;
    return member.modes.contains(u'o') ? kHostIcon : kNormalIcon;
}

}  // namespace

RoomLines::RoomLines(RoomWindow& window, Room& room) : QObject(&window), window_(window), room_(room)
{
    connect(&room, &Room::MemberAdded, this, &RoomLines::onMemberAdded);
    connect(&room, &Room::MemberRemoved, this, &RoomLines::onMemberRemoved);
    connect(&room, &Room::MemberRenamed, this, &RoomLines::onMemberRenamed);
    connect(&room, &Room::MemberModesChanged, this, &RoomLines::onMemberModesChanged);
    connect(&room, &Room::MembersCleared, this, [this] { window_.NickList().ClearEntries(); });
    connect(&room, &Room::OwnHostChanged, this, [this](bool host) { window_.SetHostControlsEnabled(host); });
    connect(&room, &Room::LineAdded, this, &RoomLines::onLineAdded);
}

void RoomLines::onMemberAdded(const QString& nick)
{
    if (const RoomMember* member = room_.Member(nick))
        window_.NickList().AddEntry(member->nick, IconOf(*member), member->host);
}

void RoomLines::onMemberRemoved(const QString& nick)
{
    NickListView& list = window_.NickList();
    list.RemoveEntry(list.FindExact(nick));
}

void RoomLines::onMemberRenamed(const QString& oldNick, const QString& newNick)
{
    // Out and in again at its sorted place, with its icon (or the ignored
    // one) and host, still selected if it was.
    NickListView& list = window_.NickList();
    QTreeWidgetItem* entry = list.FindExact(oldNick);
    const RoomMember* member = room_.Member(newNick);
    if (!entry || !member) return;
    const int icon = member->ignored ? kIgnoredIcon : NickListView::IconNumber(entry);
    const QString host = NickListView::Host(entry);
    const bool selected = entry->isSelected();
    const bool current = list.currentItem() == entry;
    list.RemoveEntry(entry);
    QTreeWidgetItem* renamed = list.AddEntry(member->nick, icon, host);
    if (current) list.setCurrentItem(renamed);
    renamed->setSelected(selected);
}

void RoomLines::onMemberModesChanged(const QString& nick, const QString& modes)
{
    NickListView::SetIconNumber(window_.NickList().FindExact(nick), modes.contains(u'o') ? kHostIcon : kNormalIcon);
}

void RoomLines::onLineAdded(const ChatLine& line)
{
    window_.HoldLayoutWhileLinesCome();
    if (line.kind == ChatLineKind::Undelivered) {
        window_.WriteSendNote(line.text);
        return;
    }
    if (line.kind == ChatLineKind::Message || line.kind == ChatLineKind::Action) {
        ShowMessage(line);
        return;
    }
    TranscriptView& view = window_.Transcript();
    MoveToAppendPosition(view);
    StartPlainLine(view);
    const StatusLook look = LookOf(line.kind);
    SetSelColor(view, look.colour);
    if (look.bold) SetSelBold(view, *look.bold);
    SetSelItalic(view, true);
    SetSelText(view, line.text);
    SetSelText(view, QStringLiteral("\n"));
    if (!line.text.isEmpty()) KeepRoomLine(window_, QString(), HistoryKind::Event, line.text);
}

void RoomLines::ShowMessage(const ChatLine& line)
{
    TranscriptView& view = window_.Transcript();
    TranscriptView::Batch batch(view);
    MoveToAppendPosition(view);
    const int lineStart = SelStart(view);
    StartPlainLine(view);
    window_.NoteSpeaker(line.sender);
    const HistoryKind kind = line.kind == ChatLineKind::Action ? HistoryKind::Action : HistoryKind::Message;
    if (line.kind == ChatLineKind::Action) {
        StyledInsert(view, kPurple, true, true,
                     line.sender + (line.text.isEmpty() ? QString() : ShownText(u' ' + line.text)) + u'\n');
    } else {
        StyledInsert(view, kBlue, true, false, line.sender + QStringLiteral(": "));
        SetSelColor(view, kBlack);
        SetSelBold(view, false);
        RenderFormatted(view, line.text, RenderMode::Incoming);
        SetSelText(view, QStringLiteral("\n"));
    }
    if (line.keptText.empty() && line.keptSender.empty())
        KeepRoomLine(window_, line.sender, kind, line.text);
    else
        KeepRoomLine(window_, line.keptSender, kind, line.keptText);
    if (line.mention) {
        MarkMentionLine(view, lineStart);
        if (ChatFrame* frame = window_.Frame())
            frame->NoteMention(&window_, line.sender, ShownText(StripFormatting(line.text)));
    }
    window_.StartAttention();
}

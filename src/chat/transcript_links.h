#pragma once

#include <QString>

#include <functional>

class ChatFrame;
class TranscriptView;

// Makes the links in view clickable: the pointer becomes a hand over one, and
// a click (without dragging a selection) opens it with OpenTranscriptLink.
// While the pointer is on a link, its target (ShownLinkTarget) is the
// tooltip and, through a status tip, the frame's status bar text.
// frame gives the window's frame at the moment of the click.
void FollowLinks(TranscriptView& view, std::function<ChatFrame*()> frame);

// A web address opens in the desktop's browser; a "#room" link joins the
// room as a typed /join does (nothing without a frame).
void OpenTranscriptLink(ChatFrame* frame, const QString& target);

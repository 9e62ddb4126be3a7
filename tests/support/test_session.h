#pragma once
// A session for handing lines straight to the handlers, without a reader.
#include "events/chat_session.h"
#include "shell/main_window.h"

// The frame's test session for own (made on first use, a child of the frame,
// so it lives as long as the frame and keeps its memo listing state).
inline ChatSession& TestSession(MainWindow& frame, const QString& own = QStringLiteral("me"))
{
    for (ChatSession* s : frame.findChildren<ChatSession*>(Qt::FindDirectChildrenOnly))
        if (s != frame.Session() && s->OwnNick() == own) return *s;
    return *new ChatSession(frame, own, ChatSession::kQueueLines, &frame);
}

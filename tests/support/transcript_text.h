#pragma once
// A transcript read back as a rich-text document, for tests that look at
// the looks of its characters.
#include "chat/transcript_export.h"
#include "chat/transcript_view.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

// The whole transcript without time stamps: positions in the document are
// the view's text positions.
inline std::unique_ptr<QTextDocument> TranscriptText(const TranscriptView& view)
{
    return TranscriptDocument(view, 0, -1, TimeStampFormat::Off);
}

// The look of the character just before position (as a text cursor there has it).
inline QTextCharFormat TranscriptFormatAt(const TranscriptView& view, int position)
{
    const std::unique_ptr<QTextDocument> text = TranscriptText(view);
    QTextCursor at(text.get());
    at.setPosition(position);
    return at.charFormat();
}

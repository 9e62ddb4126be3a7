#pragma once

#include <QColor>
#include <QString>

#include <optional>

class TranscriptView;

// Writing into transcripts: the styled insert every window uses, the room
// window's note styles, and the renderer of chat text with formatting bytes
// and emoticons.

enum class RenderMode {
    Echo,      // the user's own line: the view takes no input while it is drawn
    Incoming,  // a received chat text
};

// Formatting bytes of chat text.
inline constexpr char16_t kBoldByte = 0x02;
inline constexpr char16_t kColorByte = 0x03;
inline constexpr char16_t kMonospaceByte = 0x11;
inline constexpr char16_t kResetByte = 0x0F;
inline constexpr char16_t kStrikeByte = 0x16;
inline constexpr char16_t kItalicByte = 0x1D;
inline constexpr char16_t kStrikeAltByte = 0x1E;
inline constexpr char16_t kUnderlineByte = 0x1F;

// Moves the caret to the end of the transcript, where new entries go.
void MoveToAppendPosition(TranscriptView& view);

// Every style off (bold, italic, underline, strike, monospace, background):
// each appended line starts from here, so a line never inherits the look of
// the line before it.
void StartPlainLine(TranscriptView& view);

// Sets colour and bold (and italic when given), then inserts text at the caret.
void StyledInsert(TranscriptView& view, const QColor& color, bool bold, std::optional<bool> italic,
                  const QString& text);

// Gives the transcript line that holds position the look of a line that
// names the user: a light yellow background across the whole line.
void MarkMentionLine(TranscriptView& view, int position);

// The room window's entries. They write at the caret as it stands, starting
// from plain style; attributes they set stay in force afterwards.
// "Talvessa: " in maroon bold, the message in red, a line break.
void WriteSystemNote(TranscriptView& view, const QString& message);
// "Talvessa: " in maroon bold, the message in the note colour, a line break:
// an answer, not a warning.
void WriteInfoNote(TranscriptView& view, const QString& message);
// nick + ": " in blue bold, the line rendered in echo mode in black, a line
// break; then the caret goes to the end and is scrolled into view.
void WriteOwnLine(TranscriptView& view, const QString& ownNick, const QString& line);
// nick + " " + action in purple bold italic, a line break.
void WriteActionLine(TranscriptView& view, const QString& ownNick, const QString& action);
// The message in red bold italic, a line break.
void WriteWarningNote(TranscriptView& view, const QString& message);
// The advertisement's progress: text as it stands, plain and black.
void WriteAdvertisementProgress(TranscriptView& view, const QString& text);

// Renders one chat text at the caret: formatting bytes become colours and
// styles, emoticon texts become pictures, other C0 control bytes are dropped.
// Adds no line break: the other characters that IsUnshowable names (line and
// paragraph separators, DEL, C1 controls) show as spaces. Afterwards every
// style is off and the colour is black with no background.
void RenderFormatted(TranscriptView& view, const QString& text, RenderMode mode);

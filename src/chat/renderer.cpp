#include "chat/renderer.h"
#include "chat/chat_colors.h"

#include "chat/emoticons.h"
#include "chat/irc_colors.h"
#include "transcript/transcript_view.h"
#include "common/link_spans.h"
#include "common/shown_text.h"


using namespace chat_colors;

namespace {


bool IsDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Reads a colour number of one or two digits at pos; returns -1 when no
// digit is there. pos moves past the digits read.
int ReadColorNumber(const QString& text, qsizetype& pos)
{
    if (pos >= text.size() || !IsDigit(text.at(pos)))
        return -1;
    int number = text.at(pos).unicode() - u'0';
    ++pos;
    if (pos < text.size() && IsDigit(text.at(pos))) {
        number = number * 10 + (text.at(pos).unicode() - u'0');
        ++pos;
    }
    return number;
}

// The walk over one chat text. Plain characters are collected and inserted
// as one run each time the look is about to change.
class FormattedRenderer {
public:
    FormattedRenderer(TranscriptView& view, const QString& text) : view_(view), text_(text) {}

    void Run()
    {
        const QList<LinkSpan> links = FindLinks(text_);
        qsizetype nextLink = 0;  // the next link's index in links
        qsizetype linkEnd = -1;  // the end of the link being drawn, -1 outside one
        const qsizetype size = text_.size();
        qsizetype pos = 0;
        while (pos < size) {
            if (linkEnd >= 0 && pos >= linkEnd) {
                Flush();
                EndLink();
                linkEnd = -1;
            }
            while (nextLink < links.size() && links.at(nextLink).start < pos)
                ++nextLink;  // passed inside a colour code: not drawn as a link
            if (linkEnd < 0 && nextLink < links.size() && pos == links.at(nextLink).start) {
                Flush();
                SetSelAnchor(view_, links.at(nextLink).target);
                SetSelUnderline(view_, true);
                linkEnd = links.at(nextLink++).end;
            }
            const QChar ch = text_.at(pos);
            const char16_t u = ch.unicode();
            if (u < 0x20) {
                pos = Control(u, pos + 1);
                continue;
            }
            if (IsUnshowable(u)) {
                // A chat text stays on its line: a sender cannot start a line
                // of the transcript that looks like someone else's (the view
                // breaks lines at the separators, and its layout at C1's NEL).
                Flush();
                SetSelText(view_, QStringLiteral(" "));
                ++pos;
                continue;
            }
            if (linkEnd < 0 && (u == u':' || u == u';' || u == u'(')) {
                const EmoticonMatch match = MatchEmoticon(text_, pos);
                if (match.number != 0) {
                    Flush();
                    InsertPicture(view_, EmoticonPicture(match.number));
                    pos += match.length;
                    continue;
                }
            }
            if (runStart_ < 0)
                runStart_ = pos;
            runEnd_ = pos + 1;
            ++pos;
        }
        Flush();
        if (linkEnd >= 0)
            EndLink();
    }

private:
    void EndLink()
    {
        SetSelAnchor(view_, QString());
        SetSelUnderline(view_, underline_);
    }

    // Handles the control byte u whose following character is at next;
    // returns where the walk goes on.
    qsizetype Control(char16_t u, qsizetype next)
    {
        switch (u) {
        case kBoldByte:
            Flush();
            bold_ = !bold_;
            SetSelBold(view_, bold_);
            break;
        case kItalicByte:
            Flush();
            italic_ = !italic_;
            SetSelItalic(view_, italic_);
            break;
        case kUnderlineByte:
            Flush();
            underline_ = !underline_;
            SetSelUnderline(view_, underline_);
            break;
        case kStrikeByte:
        case kStrikeAltByte:
            Flush();
            strike_ = !strike_;
            SetSelStrikeOut(view_, strike_);
            break;
        case kMonospaceByte:
            Flush();
            monospace_ = !monospace_;
            SetSelMonospace(view_, monospace_);
            break;
        case kResetByte:
            Flush();
            ResetAll(view_);
            bold_ = italic_ = underline_ = strike_ = monospace_ = false;
            break;
        case kColorByte:
            Flush();
            return Color(next);
        default:
            // Any other control byte is not drawn.
            Flush();
            break;
        }
        return next;
    }

    // 0x03 followed by a foreground number, optionally ",background";
    // a bare 0x03 brings both colours back to the default.
    qsizetype Color(qsizetype pos)
    {
        const int foreground = ReadColorNumber(text_, pos);
        if (foreground < 0) {
            SetSelColor(view_, kBlack);
            SetSelBackground(view_, QColor());
            return pos;
        }
        SetSelColor(view_, ColorOrDefault(foreground, kBlack));
        if (pos + 1 < text_.size() && text_.at(pos) == u',' && IsDigit(text_.at(pos + 1))) {
            ++pos;
            const int background = ReadColorNumber(text_, pos);
            SetSelBackground(view_, ColorOrDefault(background, QColor()));
        }
        return pos;
    }

    static QColor ColorOrDefault(int number, const QColor& fallback)
    {
        const QColor color = IrcColor(number);
        return color.isValid() ? color : fallback;
    }

    void Flush()
    {
        if (runStart_ < 0)
            return;
        SetSelText(view_, text_.mid(runStart_, runEnd_ - runStart_));
        runStart_ = -1;
    }

public:
    static void ResetAll(TranscriptView& view)
    {
        SetSelBold(view, false);
        SetSelItalic(view, false);
        SetSelUnderline(view, false);
        SetSelStrikeOut(view, false);
        SetSelMonospace(view, false);
        SetSelColor(view, kBlack);
        SetSelBackground(view, QColor());
    }

private:
    TranscriptView& view_;
    const QString& text_;
    qsizetype runStart_ = -1;
    qsizetype runEnd_ = -1;
    bool bold_ = false;
    bool italic_ = false;
    bool underline_ = false;
    bool strike_ = false;
    bool monospace_ = false;
};

}  // namespace

void MoveToAppendPosition(TranscriptView& view)
{
    SetSelStart(view, view.TextLength());
}

void StartPlainLine(TranscriptView& view)
{
    SetSelBold(view, false);
    SetSelItalic(view, false);
    SetSelUnderline(view, false);
    SetSelStrikeOut(view, false);
    SetSelMonospace(view, false);
    SetSelBackground(view, QColor());
}

void StyledInsert(TranscriptView& view, const QColor& color, bool bold, std::optional<bool> italic,
                  const QString& text)
{
    SetSelColor(view, color);
    SetSelBold(view, bold);
    if (italic)
        SetSelItalic(view, *italic);
    SetSelText(view, text);
}

void MarkMentionLine(TranscriptView& view, int position)
{
    view.MarkMention(position);
}

void WriteSystemNote(TranscriptView& view, const QString& message)
{
    TranscriptView::Batch batch(view);
    StartPlainLine(view);
    StyledInsert(view, kMaroon, true, std::nullopt, QStringLiteral("Talvessa: "));
    StyledInsert(view, kRed, false, std::nullopt, message);
    SetSelText(view, QStringLiteral("\n"));
}

void WriteInfoNote(TranscriptView& view, const QString& message)
{
    TranscriptView::Batch batch(view);
    StartPlainLine(view);
    StyledInsert(view, kMaroon, true, std::nullopt, QStringLiteral("Talvessa: "));
    StyledInsert(view, kNote, false, std::nullopt, message);
    SetSelText(view, QStringLiteral("\n"));
}

void WriteOwnLine(TranscriptView& view, const QString& ownNick, const QString& line)
{
    TranscriptView::Batch batch(view);
    StartPlainLine(view);
    StyledInsert(view, kBlue, true, std::nullopt, ownNick + QStringLiteral(": "));
    SetSelColor(view, kBlack);
    SetSelBold(view, false);
    RenderFormatted(view, line, RenderMode::Echo);
    SetSelText(view, QStringLiteral("\n"));
    MoveToAppendPosition(view);
    view.ScrollCaretIntoView();
}

void WriteActionLine(TranscriptView& view, const QString& ownNick, const QString& action)
{
    StartPlainLine(view);
    StyledInsert(view, kPurple, true, true, ownNick + u' ' + action + u'\n');
}

void WriteWarningNote(TranscriptView& view, const QString& message)
{
    StartPlainLine(view);
    StyledInsert(view, kRed, true, true, message + u'\n');
}

void WriteAdvertisementProgress(TranscriptView& view, const QString& text)
{
    // In black: the colour left at the caret is the last line's (a red
    // kick, a green join), which would make progress look like an error.
    StartPlainLine(view);
    SetSelColor(view, Qt::black);
    SetSelText(view, text);
}

void RenderFormatted(TranscriptView& view, const QString& text, RenderMode mode)
{
    // Everything runs on the user-interface thread, so no input can slip in
    // between the inserts; the echo still shuts the view for the duration.
    const bool wasEnabled = view.Input().Enabled();
    if (mode == RenderMode::Echo)
        view.Input().SetEnabled(false);
    {
        TranscriptView::Batch batch(view);
        // The text's own direction controls stay inside it.
        const QString contained = BidiContained(text);
        FormattedRenderer(view, contained).Run();
    }
    if (mode == RenderMode::Echo)
        view.Input().SetEnabled(wasEnabled);
    FormattedRenderer::ResetAll(view);
}

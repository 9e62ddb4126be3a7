#include "chat/transcript_links.h"

#include "model/chat_frame.h"
#include "common/link_spans.h"

#include <QApplication>
#include <QHelpEvent>
#include <QStatusTipEvent>
#include <QToolTip>

#include <QDesktopServices>
#include <QMouseEvent>
#include "transcript/transcript_view.h"
#include <QUrl>

namespace {

// Watches the view's viewport: a press and a release on the same link
// without a drag in between is a click on it.
class LinkFollower : public QObject {
public:
    LinkFollower(TranscriptView& view, std::function<ChatFrame*()> frame)
        : QObject(&view), view_(view), frame_(std::move(frame))
    {
        view.viewport()->installEventFilter(this);
        view.viewport()->setMouseTracking(true);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            pressed_ = mouse->button() == Qt::LeftButton ? view_.anchorAt(mouse->position().toPoint()) : QString();
            pressAt_ = mouse->position().toPoint();
            break;
        }
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            const QString link = std::exchange(pressed_, QString());
            if (!link.isEmpty() && mouse->button() == Qt::LeftButton &&
                (at - pressAt_).manhattanLength() < 4 && view_.anchorAt(at) == link)
                OpenTranscriptLink(frame_ ? frame_() : nullptr, link);
            break;
        }
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QString link = view_.anchorAt(mouse->position().toPoint());
            const bool overLink = !link.isEmpty();
            if (overLink != overLink_) {
                overLink_ = overLink;
                view_.viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
            }
            if (link != hovered_) {
                // The frame's status bar shows where the link leads while
                // the pointer is on it, and its own hint again after.
                hovered_ = link;
                QStatusTipEvent tip(link.isEmpty() ? QString() : ShownLinkTarget(link));
                QApplication::sendEvent(&view_, &tip);
            }
            break;
        }
        case QEvent::Leave:
            if (!hovered_.isEmpty()) {
                hovered_.clear();
                QStatusTipEvent tip{QString()};
                QApplication::sendEvent(&view_, &tip);
            }
            break;
        case QEvent::ToolTip: {
            // The link's real target, which its text may not show.
            const auto* help = static_cast<QHelpEvent*>(event);
            const QString link = view_.anchorAt(help->pos());
            if (link.isEmpty()) {
                QToolTip::hideText();
                return false;
            }
            QToolTip::showText(help->globalPos(), ShownLinkTarget(link), view_.viewport());
            return true;
        }
        default:
            break;
        }
        return false;
    }

private:
    TranscriptView& view_;
    std::function<ChatFrame*()> frame_;
    QString pressed_;
    QString hovered_;  // the link under the pointer, if any
    QPoint pressAt_;
    bool overLink_ = false;
};

}  // namespace

void FollowLinks(TranscriptView& view, std::function<ChatFrame*()> frame)
{
    new LinkFollower(view, std::move(frame));
}

void OpenTranscriptLink(ChatFrame* frame, const QString& target)
{
    if (target.startsWith(u'#')) {
        if (frame && target.size() > 1)
            frame->JoinRoom(target.mid(1), QString());
        return;
    }
    const QUrl url(target, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")))
        QDesktopServices::openUrl(url);
}

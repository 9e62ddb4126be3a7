#pragma once

#include <QPoint>
#include <QString>

#include <vector>

class LineLayouts;
class LineStore;
class QAbstractScrollArea;
class QScrollBar;

// Where a transcript view stands and which lines it shows. The scroll bar
// counts lines (its value is the line at the top, which may be scrolled up by
// some pixels). At the end, the view follows new lines and stays at the end
// through resizes; scrolled up, it keeps the same line at its top.
class TranscriptScroller {
public:
    struct ShownLine {
        int line;
        int y;  // its top in the viewport
    };
    static constexpr int kMargin = 4;  // left and right of the text

    TranscriptScroller(QAbstractScrollArea& view, const LineStore& store, LineLayouts& layouts);

    bool Following() const { return following_; }
    // The user moved the scroll bar: following again only at its end.
    void UserScrolled();

    // The lines there are to show: an empty last line after the last line
    // break is not shown.
    int ShownCount() const;
    std::vector<ShownLine> Shown() const;
    int TopLine() const;
    int TopPixels() const;

    // After a change of the text or the size: the scroll range anew, and
    // the end shown while following.
    void Update();
    void ScrollToLine(int line, int pixels);
    void ScrollByPixels(int pixels);
    void ScrollByLines(int lines);
    void ScrollToEnd();
    // Scrolls as little as needed to show the line of position in full.
    void ShowPosition(int position);
    void CentreOn(int position);

    // The text position nearest to a point of the viewport.
    int PositionAt(QPoint point) const;
    // The link under a point of the viewport, only on the link's own text.
    QString LinkAt(QPoint point) const;

private:
    QScrollBar& Bar() const;
    int ViewHeight() const;
    // How far the top line is scrolled up when the view shows the end.
    int EndPixels() const;

    QAbstractScrollArea& view_;
    const LineStore& store_;
    LineLayouts& layouts_;
    int topPixels_ = 0;
    bool following_ = true;
};

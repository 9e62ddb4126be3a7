#pragma once
// A text view keeps its place when its window is resized, tiled or cascaded.
#include <QObject>

class QPlainTextEdit;
class QScrollBar;

// Where one view stands: at its end (following it) or scrolled up to a
// paragraph. A view that was at its end stays at its end, also while text
// arrives and while paragraphs are laid out anew; one scrolled up keeps the
// same paragraph at its top. The view brackets its own resize and show
// handling with a Move, so that the scrolling they cause is not taken for
// the user's; any other scroll (the user's, a writer's) decides afresh.
class ScrollPlace : public QObject {
    Q_OBJECT

public:
    explicit ScrollPlace(QPlainTextEdit* view);  // a child of view

    bool Following() const { return following_; }

    // Held for the length of a resize or a show of the view.
    class Move {
    public:
        explicit Move(ScrollPlace& place) : place_(place) { place_.BeginMove(); }
        ~Move() { place_.EndMove(); }
        Move(const Move&) = delete;
        Move& operator=(const Move&) = delete;

    private:
        ScrollPlace& place_;
    };

private:
    void BeginMove();
    void EndMove();
    void ValueChanged(int value);
    void RangeChanged(int minimum, int maximum);
    int TopBlock() const;
    void SetValue(int value);

    QPlainTextEdit* view_;
    QScrollBar* bar_;
    bool following_ = true;
    bool setting_ = false;   // inside our own SetValue
    int moving_ = 0;         // nested Moves
    int topBlock_ = 0;       // the paragraph at the top when the move began
    int topLineInBlock_ = 0; // and which of its lines
};

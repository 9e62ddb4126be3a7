#pragma once

#include <QList>
#include <QString>

#include <optional>

// One line as it was sent from an input line: the typed text and the style
// controls it went out with.
struct SentInput {
    QString text;
    int colourIndex = -1;
    bool bold = false;
    bool underline = false;
    bool strike = false;
    bool operator==(const SentInput&) const = default;
};

// The lines sent from one input line, newest last, at most kLimit of them,
// walked with Up and Down. Going up from the bottom keeps what was being
// typed there; coming down past the newest line gives it back.
class InputHistory {
public:
    static constexpr int kLimit = 100;

    // A line was sent: it becomes the newest, and the walk starts again at
    // the bottom. An empty text is not kept.
    void Add(const SentInput& line);
    // One line older; current is what the input line holds now (kept when
    // the walk leaves the bottom). Nothing when there is no older line.
    std::optional<SentInput> Up(const SentInput& current);
    // One line newer, or the kept line when leaving the newest. Nothing at
    // the bottom.
    std::optional<SentInput> Down();

    int Count() const { return int(lines_.size()); }

private:
    QList<SentInput> lines_;
    int position_ = 0;  // lines_.size() at the bottom
    SentInput draft_;
};

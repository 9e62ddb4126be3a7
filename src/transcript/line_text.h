#pragma once

#include "transcript/line_style.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

// One run of a line: from start to the next run's start, in one look; or one
// picture (a single U+FFFC character of the text); or part of a link.
struct LineRun {
    std::uint32_t start = 0;
    StyleId style = 0;
    std::uint16_t extra = 0;  // kPictureBit | picture, or link number + 1, or 0

    static constexpr std::uint16_t kPictureBit = 0x8000;
    bool IsPicture() const { return (extra & kPictureBit) != 0; }
    PictureId Picture() const { return PictureId(extra & ~kPictureBit); }
    int LinkIndex() const { return IsPicture() || extra == 0 ? -1 : extra - 1; }
};

// A packed line (LineText::Pack) as the store keeps it: one heap block that
// holds its own size, so a kept line costs one pointer besides its bytes.
class PackedLine {
public:
    PackedLine() = default;
    explicit PackedLine(const QByteArray& bytes);
    // A block for size bytes, to be filled through Data.
    static PackedLine OfSize(std::uint32_t size);
    char* Data() { return data_.get() + sizeof(std::uint32_t); }
    // The bytes, without a copy; valid while this lives unchanged.
    QByteArray Bytes() const;

private:
    std::unique_ptr<char[]> data_;
};

// One line of a transcript, open for reading and writing: its text (without a
// line break), its runs, and the targets of its links. Kept in the store in
// its packed form (Pack, Unpack).
struct LineText {
    QString text;
    std::vector<LineRun> runs;
    QStringList links;

    // Adds text in style; link: its target, empty for none.
    void Append(const QString& piece, StyleId style, const QString& link);
    void AppendPicture(PictureId picture, StyleId style);
    // Adds another line's text and runs at the end.
    void AppendLine(const LineText& other);
    // Cuts the line at offset and returns what followed.
    LineText SplitAt(int offset);

    // Where run i ends.
    int RunEnd(std::size_t i) const { return i + 1 < runs.size() ? int(runs[i + 1].start) : int(text.size()); }
    // The run that holds offset (the last one at the very end); -1 when empty.
    int RunAt(int offset) const;
    QString LinkAt(int offset) const;

    // The compact form: run records, link targets and the text as UTF-8 in
    // one block.
    QByteArray Pack() const;
    // The same straight into the form the store keeps.
    PackedLine PackCompact() const;
    static LineText Unpack(const QByteArray& packed);
    // Only the text of a packed line.
    static QString UnpackText(const QByteArray& packed);
};

#include "transcript/line_text.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr QChar kPictureCharacter = QChar::ObjectReplacementCharacter;

template <typename T>
void Put(QByteArray& out, const T& value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
T Get(const char*& at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    at += sizeof value;
    return value;
}

// Past the run records and the link targets: where the text starts.
const char* SkipToText(const char* at, std::uint32_t* runCount, std::uint16_t* linkCount)
{
    *runCount = Get<std::uint32_t>(at);
    *linkCount = Get<std::uint16_t>(at);
    at += std::size_t(*runCount) * sizeof(LineRun);
    return at;
}

}  // namespace

void LineText::Append(const QString& piece, StyleId style, const QString& link)
{
    if (piece.isEmpty())
        return;
    std::uint16_t extra = 0;
    if (!link.isEmpty()) {
        if (links.isEmpty() || links.last() != link || runs.empty() || runs.back().LinkIndex() != links.size() - 1)
            links.append(link);
        extra = std::uint16_t(std::min<qsizetype>(links.size(), 0x7FFF));
    }
    if (runs.empty() || runs.back().style != style || runs.back().extra != extra || runs.back().IsPicture())
        runs.push_back({std::uint32_t(text.size()), style, extra});
    text += piece;
}

void LineText::AppendPicture(PictureId picture, StyleId style)
{
    runs.push_back({std::uint32_t(text.size()), style, std::uint16_t(LineRun::kPictureBit | picture)});
    text += kPictureCharacter;
}

void LineText::AppendLine(const LineText& other)
{
    for (std::size_t i = 0; i < other.runs.size(); ++i) {
        const LineRun& run = other.runs[i];
        const QString piece = other.text.mid(run.start, other.RunEnd(i) - int(run.start));
        if (run.IsPicture())
            AppendPicture(run.Picture(), run.style);
        else
            Append(piece, run.style, run.LinkIndex() >= 0 ? other.links.value(run.LinkIndex()) : QString());
    }
}

LineText LineText::SplitAt(int offset)
{
    LineText head;
    LineText tail;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const LineRun& run = runs[i];
        const int start = int(run.start);
        const int end = RunEnd(i);
        const QString link = run.LinkIndex() >= 0 ? links.value(run.LinkIndex()) : QString();
        const auto add = [&](LineText& into, int from, int to) {
            if (from >= to)
                return;
            if (run.IsPicture())
                into.AppendPicture(run.Picture(), run.style);
            else
                into.Append(text.mid(from, to - from), run.style, link);
        };
        add(head, start, std::min(end, offset));
        add(tail, std::max(start, offset), end);
    }
    *this = std::move(head);
    return tail;
}

int LineText::RunAt(int offset) const
{
    if (runs.empty())
        return -1;
    const auto after = std::upper_bound(runs.begin(), runs.end(), std::uint32_t(std::max(offset, 0)),
                                        [](std::uint32_t at, const LineRun& run) { return at < run.start; });
    return after == runs.begin() ? 0 : int(after - runs.begin()) - 1;
}

QString LineText::LinkAt(int offset) const
{
    if (offset < 0 || offset >= text.size())
        return QString();
    const int run = RunAt(offset);
    return run < 0 || runs[run].LinkIndex() < 0 ? QString() : links.value(runs[run].LinkIndex());
}

QByteArray LineText::Pack() const
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(qsizetype(6 + runs.size() * sizeof(LineRun) + utf8.size()));
    Put(out, std::uint32_t(runs.size()));
    Put(out, std::uint16_t(links.size()));
    for (const LineRun& run : runs)
        Put(out, run);
    for (const QString& link : links) {
        const QByteArray bytes = link.toUtf8();
        Put(out, std::uint32_t(bytes.size()));
        out += bytes;
    }
    out += utf8;
    out.squeeze();
    return out;
}

LineText LineText::Unpack(const QByteArray& packed)
{
    LineText line;
    if (packed.isEmpty())
        return line;
    const char* at = packed.constData();
    const std::uint32_t runCount = Get<std::uint32_t>(at);
    const std::uint16_t linkCount = Get<std::uint16_t>(at);
    line.runs.resize(runCount);
    for (LineRun& run : line.runs)
        run = Get<LineRun>(at);
    for (int i = 0; i < linkCount; ++i) {
        const std::uint32_t size = Get<std::uint32_t>(at);
        line.links.append(QString::fromUtf8(at, size));
        at += size;
    }
    line.text = QString::fromUtf8(at, packed.constData() + packed.size() - at);
    return line;
}

QString LineText::UnpackText(const QByteArray& packed)
{
    if (packed.isEmpty())
        return QString();
    std::uint32_t runCount = 0;
    std::uint16_t linkCount = 0;
    const char* at = SkipToText(packed.constData(), &runCount, &linkCount);
    for (int i = 0; i < linkCount; ++i) {
        const std::uint32_t size = Get<std::uint32_t>(at);
        at += size;
    }
    return QString::fromUtf8(at, packed.constData() + packed.size() - at);
}

PackedLine::PackedLine(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    *this = OfSize(std::uint32_t(bytes.size()));
    std::memcpy(Data(), bytes.constData(), std::size_t(bytes.size()));
}

PackedLine PackedLine::OfSize(std::uint32_t size)
{
    PackedLine made;
    made.data_.reset(new char[sizeof size + size]);
    std::memcpy(made.data_.get(), &size, sizeof size);
    return made;
}

PackedLine LineText::PackCompact() const
{
    const QByteArray utf8 = text.toUtf8();
    std::size_t size = sizeof(std::uint32_t) + sizeof(std::uint16_t) + runs.size() * sizeof(LineRun) +
                       std::size_t(utf8.size());
    std::vector<QByteArray> targets;
    for (const QString& link : links) {
        targets.push_back(link.toUtf8());
        size += sizeof(std::uint32_t) + std::size_t(targets.back().size());
    }
    PackedLine packed = PackedLine::OfSize(std::uint32_t(size));
    char* at = packed.Data();
    const auto put = [&at](const void* from, std::size_t bytes) {
        if (bytes == 0)
            return;  // an empty vector's data() may be null, which memcpy may not take
        std::memcpy(at, from, bytes);
        at += bytes;
    };
    const auto runCount = std::uint32_t(runs.size());
    const auto linkCount = std::uint16_t(links.size());
    put(&runCount, sizeof runCount);
    put(&linkCount, sizeof linkCount);
    put(runs.data(), runs.size() * sizeof(LineRun));
    for (const QByteArray& target : targets) {
        const auto length = std::uint32_t(target.size());
        put(&length, sizeof length);
        put(target.constData(), std::size_t(length));
    }
    put(utf8.constData(), std::size_t(utf8.size()));
    return packed;
}

QByteArray PackedLine::Bytes() const
{
    if (!data_)
        return QByteArray();
    std::uint32_t size = 0;
    std::memcpy(&size, data_.get(), sizeof size);
    return QByteArray::fromRawData(data_.get() + sizeof size, qsizetype(size));
}

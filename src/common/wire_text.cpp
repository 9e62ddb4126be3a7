#include "common/wire_text.h"

#include <QByteArrayView>
#include <QStringDecoder>

namespace {

bool InRange(const unsigned char* p, const unsigned char* end, unsigned char low, unsigned char high)
{
    return p < end && *p >= low && *p <= high;
}

// The length of the well-formed UTF-8 sequence at p, 0 when the bytes there
// are not one. Overlong forms, surrogates and code points above U+10FFFF are
// not well-formed: their lead bytes admit only some second bytes.
int SequenceLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char lead = *p;
    const auto tail = [&](int from) {
        for (int i = from; i < (lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2); ++i)
            if (!InRange(p + i, end, 0x80, 0xBF)) return false;
        return true;
    };
    if (lead >= 0xC2 && lead <= 0xDF) return tail(1) ? 2 : 0;
    if (lead == 0xE0) return InRange(p + 1, end, 0xA0, 0xBF) && tail(2) ? 3 : 0;
    if (lead == 0xED) return InRange(p + 1, end, 0x80, 0x9F) && tail(2) ? 3 : 0;
    if (lead >= 0xE1 && lead <= 0xEF) return tail(1) ? 3 : 0;
    if (lead == 0xF0) return InRange(p + 1, end, 0x90, 0xBF) && tail(2) ? 4 : 0;
    if (lead == 0xF4) return InRange(p + 1, end, 0x80, 0x8F) && tail(2) ? 4 : 0;
    if (lead >= 0xF1 && lead <= 0xF3) return tail(1) ? 4 : 0;
    return 0;
}

// Every well-formed UTF-8 sequence as its character, every other byte as the
// Latin-1 character of the same code.
QString DecodeMixed(QByteArrayView bytes)
{
    // Never more UTF-16 units than bytes: a four-byte sequence gives two.
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    char16_t* const start = out;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        const unsigned char lead = *p;
        const int length = lead < 0x80 ? 1 : SequenceLength(p, end);
        if (length <= 1) {
            *out++ = lead;
            ++p;
            continue;
        }
        char32_t code = lead & (0xFF >> (length + 1));
        for (int i = 1; i < length; ++i) code = (code << 6) | (p[i] & 0x3F);
        p += length;
        if (code < 0x10000) {
            *out++ = static_cast<char16_t>(code);
        } else {
            *out++ = QChar::highSurrogate(code);
            *out++ = QChar::lowSurrogate(code);
        }
    }
    text.truncate(out - start);
    return text;
}

}  // namespace

QString FromWire(const std::string& bytes)
{
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    // Most lines are ASCII or valid UTF-8 as a whole: Qt's decoder takes them
    // in one pass. Stateless: a sequence cut off at the end of the line is an
    // error, not a character waiting for its next byte. A leading byte-order
    // mark is kept as a character: it is part of what the sender wrote.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;
    return DecodeMixed(view);
}

std::string ToWire(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
}

QString TrimControls(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).unicode() <= 32)
        ++start;
    while (end > start && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(start, end - start);
}

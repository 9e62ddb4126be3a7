#include "transcript/line_style.h"

#include <QFont>
#include <QHash>
#include <QStringList>

#include <map>
#include <tuple>
#include <vector>

namespace {

struct StyleTable {
    std::vector<RunStyle> styles{RunStyle()};
    std::vector<QTextCharFormat> formats;
    std::map<std::tuple<QRgb, QRgb, std::uint8_t>, StyleId> index;
};

std::tuple<QRgb, QRgb, std::uint8_t> KeyOf(const RunStyle& style)
{
    return {style.foreground, style.background, style.flags};
}

QTextCharFormat MakeFormat(const RunStyle& style)
{
    QTextCharFormat format;
    format.setForeground(QColor::fromRgba(style.foreground));
    if (style.HasBackground())
        format.setBackground(QColor::fromRgba(style.background));
    if (style.Has(RunStyle::Bold))
        format.setFontWeight(QFont::Bold);
    if (style.Has(RunStyle::Italic))
        format.setFontItalic(true);
    if (style.Has(RunStyle::Underline))
        format.setFontUnderline(true);
    if (style.Has(RunStyle::Strike))
        format.setFontStrikeOut(true);
    if (style.Has(RunStyle::Monospace)) {
        format.setFontFamilies(QStringList{QStringLiteral("monospace")});
        format.setFontStyleHint(QFont::TypeWriter);
        format.setFontFixedPitch(true);
    }
    return format;
}

StyleTable& Styles()
{
    static StyleTable table = [] {
        StyleTable made;
        made.formats.push_back(MakeFormat(made.styles.front()));
        made.index.emplace(KeyOf(made.styles.front()), 0);
        return made;
    }();
    return table;
}

struct PictureTable {
    std::vector<QImage> pictures{QImage()};  // 0: no picture
    QHash<qint64, PictureId> index;
};

PictureTable& Pictures()
{
    static PictureTable table;
    return table;
}

}  // namespace

StyleId InternStyle(const RunStyle& style)
{
    StyleTable& table = Styles();
    const auto key = KeyOf(style);
    const auto found = table.index.find(key);
    if (found != table.index.end())
        return found->second;
    // A flood of colour codes has at most 16 x 17 colours and 64 flag sets.
    if (table.styles.size() >= 0xFFFF)
        return 0;
    const auto id = StyleId(table.styles.size());
    table.styles.push_back(style);
    table.formats.push_back(MakeFormat(style));
    table.index.emplace(key, id);
    return id;
}

const RunStyle& StyleOf(StyleId id)
{
    const StyleTable& table = Styles();
    return id < table.styles.size() ? table.styles[id] : table.styles.front();
}

const QTextCharFormat& CharFormatOf(StyleId id)
{
    const StyleTable& table = Styles();
    return id < table.formats.size() ? table.formats[id] : table.formats.front();
}

PictureId InternPicture(const QImage& picture)
{
    PictureTable& table = Pictures();
    if (picture.isNull())
        return 0;
    const auto found = table.index.constFind(picture.cacheKey());
    if (found != table.index.constEnd())
        return found.value();
    if (table.pictures.size() >= 0x7FFF)
        return 0;
    const auto id = PictureId(table.pictures.size());
    table.pictures.push_back(picture);
    table.index.insert(picture.cacheKey(), id);
    return id;
}

const QImage& PictureOf(PictureId id)
{
    const PictureTable& table = Pictures();
    return id < table.pictures.size() ? table.pictures[id] : table.pictures.front();
}

#include "chat/input_bar.h"

#include "chat/emoticons.h"
#include "chat/irc_colors.h"

#include <algorithm>
#include "chat/renderer.h"
#include "chat/typed_commands.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>
#include <functional>

namespace {

constexpr std::array<const char*, kEmoticonCount> kPickerTexts = {
    ":)", ":))", ";)", ":o", ":p", ":(", "(h))", "(u)", "(f)", "(k)",
};

bool IsDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

QIcon Swatch(const QColor& color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}

// The pickers' pictures are drawn once for the program: every room and private
// window has a style bar, and a burst of new private windows should not redraw them.
const QIcon& SwatchIcon(int n)
{
    static const QVector<QIcon> icons = [] {
        QVector<QIcon> v;
        for (int i = 0; i < kPickerColorCount; ++i) v << Swatch(IrcColor(i));
        return v;
    }();
    return icons[n];
}

const QIcon& EmoticonIcon(int n)
{
    static const QVector<QIcon> icons = [] {
        QVector<QIcon> v;
        for (int i = 1; i <= kEmoticonCount; ++i) v << QIcon(QPixmap::fromImage(EmoticonPicture(i)));
        return v;
    }();
    return icons[n - 1];
}

// A combo box whose drop-down list is set up when it is first needed (the
// list drops down, or an entry is chosen without it): setting it up makes the
// list's view, which costs more than the rest of the box, and a flood of new
// private windows makes many boxes that are never opened.
//
// Every box of one kind holds the same entries, and a box works out its size
// by measuring the text of each entry: the size is worked out once per kind
// (and font, style, icon size and number of entries) and shared.
class LazyListCombo : public QComboBox {
public:
    struct Measured {
        QString key;
        QSize size;
    };
    struct Sizes {
        Measured hint, minimum;
    };

    LazyListCombo(QWidget* parent, Sizes& sizes, std::function<void(QComboBox&)> setUp)
        : QComboBox(parent), sizes_(sizes), setUp_(std::move(setUp))
    {
        connect(this, &QComboBox::activated, this, [this] { SetUpList(); });
    }
    void showPopup() override
    {
        SetUpList();
        QComboBox::showPopup();
    }
    QSize sizeHint() const override { return Shared(sizes_.hint, [this] { return QComboBox::sizeHint(); }); }
    QSize minimumSizeHint() const override
    {
        return Shared(sizes_.minimum, [this] { return QComboBox::minimumSizeHint(); });
    }

private:
    template <typename Measure>
    QSize Shared(Measured& measured, const Measure& measure) const
    {
        const QString key = QStringLiteral("%1|%2|%3x%4|%5")
                                .arg(font().key())
                                .arg(reinterpret_cast<quintptr>(style()))
                                .arg(iconSize().width())
                                .arg(iconSize().height())
                                .arg(count());
        if (measured.key != key) {
            measured.size = measure();
            measured.key = key;
        }
        return measured.size;
    }

    void SetUpList()
    {
        if (!setUp_) return;
        const auto setUp = std::move(setUp_);
        setUp_ = nullptr;
        setUp(*this);
    }
    Sizes& sizes_;
    std::function<void(QComboBox&)> setUp_;
};

QToolButton* StyleToggle(QWidget* parent, const QString& name, const QString& caption, const QString& hint,
                         void (QFont::*style)(bool))
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setText(caption);
    button->setToolTip(hint);
    QFont font = button->font();
    (font.*style)(true);
    button->setFont(font);
    return button;
}

}  // namespace

QString BuildLineText(const QString& typed, int colourIndex, bool bold, bool underline, bool strike)
{
    QString text = FlattenLineBreaks(typed);
    if (colourIndex > 0) {
        QString number = QString::number(colourIndex);
        if (number.size() == 1 && !text.isEmpty() && IsDigit(text.at(0)))
            number.prepend(u'0');
        if (text.size() >= 2 && text.at(0) == u',' && IsDigit(text.at(1)))
            text.prepend(QString(2, QChar(kBoldByte)));
        text.prepend(QChar(kColorByte) + number);
    }
    if (bold)
        text.prepend(QChar(kBoldByte));
    if (underline)
        text.prepend(QChar(kUnderlineByte));
    if (strike)
        text.prepend(QChar(kStrikeByte));
    return text;
}

QString EmoticonPickerText(int index)
{
    if (index < 0 || index >= kEmoticonCount)
        return QString();
    return QString::fromLatin1(kPickerTexts[static_cast<size_t>(index)]);
}

InputBar::InputBar(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("inputBar"));

    const QString b = QStringLiteral("B");
    boldButton_ = StyleToggle(this, QStringLiteral("boldButton"), b, tr("Bold"), &QFont::setBold);
    underlineButton_ =
        StyleToggle(this, QStringLiteral("underlineButton"), QStringLiteral("U"), tr("Underline"), &QFont::setUnderline);
    strikeButton_ = StyleToggle(this, QStringLiteral("strikeButton"), b, tr("Strike-through"), &QFont::setStrikeOut);

    // The drop-down list is as wide as its longest name needs, however
    // narrow the box itself is, with room for a scroll bar.
    static LazyListCombo::Sizes colourSizes, iconSizes;
    colourPicker_ = new LazyListCombo(this, colourSizes, [](QComboBox& box) {
        QAbstractItemView* list = box.view();
        list->setMinimumWidth(list->sizeHintForColumn(0) + list->verticalScrollBar()->sizeHint().width() +
                              2 * list->frameWidth());
    });
    colourPicker_->setObjectName(QStringLiteral("colourPicker"));
    colourPicker_->setToolTip(tr("Text colour"));
    for (int n = 0; n < kPickerColorCount; ++n)
        colourPicker_->addItem(SwatchIcon(n), IrcColorName(n));
    colourPicker_->setCurrentIndex(-1);
    // Before a colour is picked the lines go out in the reader's own text
    // colour: the box says so rather than stand empty.
    colourPicker_->setPlaceholderText(tr("Default colour"));

    emoticonPicker_ = new LazyListCombo(this, iconSizes, [](QComboBox& box) { box.setIconSize(QSize(21, 21)); });
    emoticonPicker_->setObjectName(QStringLiteral("emoticonPicker"));
    emoticonPicker_->setToolTip(tr("Emoticons"));
    emoticonPicker_->setFixedWidth(51);
    for (int i = 0; i < kEmoticonCount; ++i) {
        emoticonPicker_->addItem(EmoticonIcon(i + 1), QString(), EmoticonPickerText(i));
        emoticonPicker_->setItemData(i, EmoticonPickerText(i), Qt::ToolTipRole);
    }
    emoticonPicker_->setCurrentIndex(-1);
    emoticonPicker_->setPlaceholderText(EmoticonPickerText(0));  // says what the box is for before a pick
    connect(emoticonPicker_, &QComboBox::activated, this, &InputBar::onEmoticonChosen);

    inputLine_ = new QLineEdit(this);
    inputLine_->setObjectName(QStringLiteral("inputLine"));
    KeepOnOneLine(inputLine_);  // a chat line is one line: pasted line breaks become spaces
    setFocusProxy(inputLine_);
    connect(inputLine_, &QLineEdit::returnPressed, this, &InputBar::onLineEntered);
    inputLine_->installEventFilter(this);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(2);
    bar->addWidget(boldButton_);
    bar->addWidget(underlineButton_);
    bar->addWidget(strikeButton_);
    bar->addWidget(colourPicker_);
    bar->addWidget(emoticonPicker_);
    bar->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(bar);
    layout->addWidget(inputLine_);  // a layout row of its own: always as wide as the panel
}

QString InputBar::Text() const { return inputLine_->text(); }
void InputBar::SetText(const QString& text) { inputLine_->setText(text); }
void InputBar::Clear() { inputLine_->clear(); }
void InputBar::FocusLine() { inputLine_->setFocus(); }
void InputBar::MakeReadOnly() { inputLine_->setReadOnly(true); }

void InputBar::Lock()
{
    inputLine_->setReadOnly(true);
    inputLine_->setEnabled(false);
}

bool InputBar::TakesInput() const { return !inputLine_->isReadOnly() && inputLine_->isEnabled(); }

void InputBar::SetStyleBarShown(bool shown)
{
    for (QWidget* control :
         std::initializer_list<QWidget*>{boldButton_, underlineButton_, strikeButton_, colourPicker_, emoticonPicker_})
        control->setVisible(shown);
}

bool InputBar::StyleBarShown() const { return !colourPicker_->isHidden(); }

int InputBar::StyleBarHeight() const
{
    int tallest = 0;
    for (const QWidget* control :
         std::initializer_list<const QWidget*>{boldButton_, underlineButton_, strikeButton_, colourPicker_,
                                               emoticonPicker_})
        tallest = std::max(tallest, control->sizeHint().height());
    return tallest + layout()->spacing();
}

QString InputBar::ApplyStylesToInput()
{
    const QString line = BuildLineText(inputLine_->text(), colourPicker_->currentIndex(), boldButton_->isChecked(),
                                       underlineButton_->isChecked(), strikeButton_->isChecked());
    inputLine_->setText(line);
    return line;
}

void InputBar::onEmoticonChosen(int index)
{
    const QString text = EmoticonPickerText(index);
    if (text.isEmpty())
        return;
    inputLine_->insert(text);  // replaces the selection, if there is one
    inputLine_->setFocus();
}

// --- History and completion ---

namespace {
constexpr int kSpeakersKept = 50;
}

void InputBar::NoteSpeaker(const QString& nick)
{
    if (!speakers_.isEmpty() && speakers_.front() == nick)
        return;
    speakers_.removeOne(nick);
    speakers_.prepend(nick);
    if (speakers_.size() > kSpeakersKept)
        speakers_.removeLast();
}

SentInput InputBar::CurrentInput() const
{
    return {inputLine_->text(), colourPicker_->currentIndex(), boldButton_->isChecked(), underlineButton_->isChecked(),
            strikeButton_->isChecked()};
}

void InputBar::ShowInput(const SentInput& input)
{
    inputLine_->setText(input.text);
    colourPicker_->setCurrentIndex(input.colourIndex);
    boldButton_->setChecked(input.bold);
    underlineButton_->setChecked(input.underline);
    strikeButton_->setChecked(input.strike);
}

void InputBar::onLineEntered()
{
    if (!inputLine_->isReadOnly() && !inputLine_->text().trimmed().isEmpty())
        history_.Add(CurrentInput());
    emit EnterPressed();
}

bool InputBar::TakePaste(const QString& text)
{
    if (inputLine_->isReadOnly() || text.isEmpty())
        return false;
    // What the line holds around the caret (or the selection the paste replaces).
    const QString held = inputLine_->text();
    const int from = inputLine_->hasSelectedText() ? inputLine_->selectionStart() : inputLine_->cursorPosition();
    const int to = inputLine_->hasSelectedText() ? from + static_cast<int>(inputLine_->selectedText().size()) : from;
    const QString whole = held.left(from) + text + held.mid(to);
    const QStringList lines = SplitPastedLines(whole);
    if (lines.size() <= kPasteLinesWithoutAsking && FlattenLineBreaks(whole).size() <= inputLine_->maxLength())
        return false;  // the line takes it, its breaks made spaces
    inputLine_->clear();
    emit LinesPasted(lines);
    return true;
}

void InputBar::PasteClipboard()
{
    if (!TakePaste(QGuiApplication::clipboard()->text()))
        inputLine_->paste();  // one line: its breaks made spaces by the line's filter
}

void InputBar::ShowContextMenu(const QPoint& globalPos)
{
    QMenu* menu = inputLine_->createStandardContextMenu();
    // The menu's Paste is the one entry wired to the line's own paste (by
    // the slot's name in Qt 6.4, perhaps by pointer in a later one).
    for (QAction* action : menu->actions())
        if (disconnect(action, SIGNAL(triggered()), inputLine_, SLOT(paste())) ||
            disconnect(action, &QAction::triggered, inputLine_, &QLineEdit::paste))
            connect(action, &QAction::triggered, this, &InputBar::PasteClipboard);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

bool InputBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu && watched == inputLine_) {
        ShowContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    if (watched == inputLine_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection())
        return TakePaste(QGuiApplication::clipboard()->text(QClipboard::Selection));
    if (watched != inputLine_ || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Paste))
        return TakePaste(QGuiApplication::clipboard()->text());
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_Tab: {
        if (inputLine_->isReadOnly())
            return true;
        const QStringList nicks = completionNicks_ ? completionNicks_() : QStringList();
        const TabCompleter::Result done =
            completer_.Complete(inputLine_->text(), inputLine_->cursorPosition(), nicks, speakers_, CommandNames());
        inputLine_->setText(done.text);
        inputLine_->setCursorPosition(done.cursor);
        return true;
    }
    case Qt::Key_Up:
        if (const auto older = history_.Up(CurrentInput()))
            ShowInput(*older);
        return true;
    case Qt::Key_Down:
        if (const auto newer = history_.Down())
            ShowInput(*newer);
        return true;
    default:
        return false;
    }
}

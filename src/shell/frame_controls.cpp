// The frame window's controls: menus, tool bar, status bar, away panel and
// the hidden emoticon pictures, with their hints and their start state.
#include "shell/main_window.h"
#include "shell/tls_switch.h"

#include "chat/emoticons.h"
#include "shell/about_box.h"
#include "shell/child_frame.h"
#include "shell/child_windows.h"
#include "shell/user_lists.h"
#include "common/app_icons.h"
#include "common/line_breaks.h"
#include "common/prompts.h"
#include "shell/product_info.h"
#include "side/room_list_window.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QApplication>
#include <QHash>
#include <QStyleFactory>
#include <QProxyStyle>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace {

// A hint is "short|long": the tool tip shows the short part, the status bar
// the long one; a hint without "|" is both.
QString ShortHint(const QString& hint) { return hint.section(QLatin1Char('|'), 0, 0); }
QString LongHint(const QString& hint)
{
    const int bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void SetHint(QWidget* w, const QString& hint)
{
    w->setToolTip(ShortHint(hint));
    w->setStatusTip(LongHint(hint));
}

void SetHint(QAction* a, const QString& hint)
{
    a->setToolTip(ShortHint(hint));
    a->setStatusTip(LongHint(hint));
}

QAction* MakeAction(QObject* owner, const char* name, const QString& caption, const QString& hint = {})
{
    auto* a = new QAction(caption, owner);
    a->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) SetHint(a, hint);
    return a;
}

QToolButton* MakeButton(QToolBar* bar, const char* name, Glyph glyph, const QString& hint)
{
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(GlyphIcon(glyph));
    b->setAutoRaise(true);
    SetHint(b, hint);
    bar->addWidget(b);
    return b;
}

QLabel* MakePanel(QStatusBar* bar, const char* name, int width)
{
    auto* panel = new QLabel(bar);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setFixedWidth(width);
    bar->addWidget(panel);
    return panel;
}

}  // namespace

const QStringList& MainWindow::PresetServers()
{
    static const QStringList presets{
        QStringLiteral("irc.libera.chat"), QStringLiteral("irc.oftc.net"),    QStringLiteral("irc.rizon.net"),
        QStringLiteral("irc.undernet.org"), QStringLiteral("irc.efnet.org"), QStringLiteral("irc.quakenet.org"),
    };
    return presets;
}

void MainWindow::SelectServer(const QString& host)
{
    const int index = serverBox_->findText(host, Qt::MatchFixedString);
    if (index >= 0)
        serverBox_->setCurrentIndex(index);
    else
        serverBox_->setEditText(host);
}

namespace {

// The application's own style with the standard pictures it hands out kept
// once made: every child window's frame asks for the same title-bar and menu
// pictures, and a flood of new private windows makes many frames.
class SharedPicturesStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap sp, const QStyleOption* option, const QWidget* widget) const override
    {
        if (option) return QProxyStyle::standardIcon(sp, option, widget);
        const int key = int(sp) * 2 + (widget && widget->isRightToLeft() ? 1 : 0);
        auto made = icons_.constFind(key);
        if (made == icons_.cend()) made = icons_.insert(key, QProxyStyle::standardIcon(sp, nullptr, widget));
        return *made;
    }

private:
    mutable QHash<int, QIcon> icons_;
};

void ShareStandardPictures()
{
    if (dynamic_cast<SharedPicturesStyle*>(QApplication::style())) return;
    if (QStyle* base = QStyleFactory::create(QApplication::style()->name()))
        QApplication::setStyle(new SharedPicturesStyle(base));
}

}  // namespace

void MainWindow::BuildWindow()
{
    ShareStandardPictures();
    setObjectName("mainWindow");
    setWindowTitle(product::kName);
    setWindowIcon(GlyphIcon(Glyph::AppIcon));
    actionList_ = new QObject(this);
    actionList_->setObjectName("actionList");

    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName("MdiArea");
    mdiArea_->setBackground(palette().brush(QPalette::Dark));  // the application-workspace colour
    mdiArea_->setStatusTip(FrameHint());
    mdiArea_->viewport()->setStatusTip(FrameHint());
    setCentralWidget(mdiArea_);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] { UpdateWindowActions(); });
    windows_ = new ChildWindowRegistry(mdiArea_, *this, this, [this](bool any) { SetWindowActionsEnabled(any); });
    connect(windows_, &ChildWindowRegistry::IgnorePartner, this, [this](const QString& nick) { IgnoreForGood(nick, this); });

    BuildMenus();
    lists_ = new UserLists(*this, this, favoritesMenu_, buddiesMenu_);
    BuildToolBar();
    BuildStatusBar();
    BuildAwayPanel();
    BuildPictures();

    // Restored size 800 x 570, centred on the desktop; shown maximised.
    resize(800, 570);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(0, 0), QSize(800, 570));
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    setWindowState(Qt::WindowMaximized);

    // The room list lives as long as the frame: no close button, no deletion.
    roomList_ = new RoomListWindow;
    roomList_->SetFrame(this);
    QMdiSubWindow* roomListFrame =
        mdiArea_->addSubWindow(roomList_, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                           Qt::WindowMinMaxButtonsHint);  // the styles draw "close" with the system menu
    ChildFrame::DropCloseKeys(roomListFrame);
    roomListFrame->resize(483, 430);
    connect(roomListFrame, &QMdiSubWindow::aboutToActivate, roomListFrame, [roomListFrame] {
        if (!roomListFrame->isMaximized() && !roomListFrame->isMinimized()) roomListFrame->resize(544, 430);
    });
    roomList_->show();
    roomListFrame->show();
    UpdateWindowActions();
    ApplyDisconnectedLook();
    lists_->SetIgnoreList(std::nullopt);  // none until the first connection
    connectAction_->setText(QStringLiteral("&Connect"));
}

void MainWindow::BuildMenus()
{
    menuBar_ = menuBar();
    menuBar_->setObjectName("menuBar");

    chatMenu_ = menuBar_->addMenu(QStringLiteral("&Chat"));
    chatMenu_->setObjectName("chatMenu");
    chatMenu_->menuAction()->setStatusTip(QStringLiteral("File related commands"));
    newWindowAction_ = MakeAction(actionList_, "newWindowAction", QStringLiteral("New"));
    newWindowAction_->setIcon(GlyphIcon(Glyph::NewWindow));
    connectAction_ = MakeAction(actionList_, "connectAction", QStringLiteral("&Connect"));
    optionsAction_ = MakeAction(actionList_, "optionsAction", QStringLiteral("Options"));
    exitAction_ = MakeAction(actionList_, "exitAction", QStringLiteral("E&xit"), QStringLiteral("Exit|Exit application"));
    chatMenu_->addAction(newWindowAction_);
    chatMenu_->addSeparator();
    chatMenu_->addAction(connectAction_);
    chatMenu_->addSeparator();
    chatMenu_->addAction(optionsAction_);
    chatMenu_->addSeparator();
    chatMenu_->addAction(exitAction_);
    connect(newWindowAction_, &QAction::triggered, this, &MainWindow::onNewWindowTriggered);
    connect(connectAction_, &QAction::triggered, this, &MainWindow::onConnectTriggered);
    connect(exitAction_, &QAction::triggered, this, &MainWindow::onExitTriggered);
    connect(optionsAction_, &QAction::triggered, this, &MainWindow::onOptionsTriggered);

    // Filled per server and nick once a connection exists.
    favoritesMenu_ = menuBar_->addMenu(QStringLiteral("Favorites"));
    favoritesMenu_->setObjectName("favoritesMenu");
    buddiesMenu_ = menuBar_->addMenu(QStringLiteral("Buddies"));
    buddiesMenu_->setObjectName("buddiesMenu");

    windowMenu_ = menuBar_->addMenu(QStringLiteral("&Window"));
    windowMenu_->setObjectName("windowMenu");
    windowMenu_->menuAction()->setStatusTip(QStringLiteral("Window related commands"));
    cascadeAction_ = MakeAction(actionList_, "cascadeAction", QStringLiteral("&Cascade"), QStringLiteral("Cascade"));
    cascadeAction_->setIcon(GlyphIcon(Glyph::Cascade));
    tileHorizontallyAction_ = MakeAction(actionList_, "tileHorizontallyAction", QStringLiteral("Tile &Horizontally"),
                                QStringLiteral("Tile Horizontal"));
    tileHorizontallyAction_->setIcon(GlyphIcon(Glyph::TileHorizontal));
    tileVerticallyAction_ = MakeAction(actionList_, "tileVerticallyAction", QStringLiteral("&Tile Vertically"),
                                 QStringLiteral("Tile Vertical"));
    tileVerticallyAction_->setIcon(GlyphIcon(Glyph::TileVertical));
    minimizeAllAction_ = MakeAction(actionList_, "minimizeAllAction", QStringLiteral("&Minimize All"),
                                    QStringLiteral("Minimize All"));
    arrangeAction_ = MakeAction(actionList_, "arrangeAction", QStringLiteral("&Arrange"));
    windowMenu_->addActions({cascadeAction_, tileHorizontallyAction_, tileVerticallyAction_, minimizeAllAction_, arrangeAction_});
    connect(cascadeAction_, &QAction::triggered, this, &MainWindow::onCascadeTriggered);
    connect(tileHorizontallyAction_, &QAction::triggered, this, &MainWindow::onTileHorizontallyTriggered);
    connect(tileVerticallyAction_, &QAction::triggered, this, &MainWindow::onTileVerticallyTriggered);
    connect(minimizeAllAction_, &QAction::triggered, this, &MainWindow::onMinimizeAllTriggered);
    connect(arrangeAction_, &QAction::triggered, this, &MainWindow::onArrangeTriggered);
    connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::FillWindowMenu);
    // The keys of a child window's Close (Ctrl+W, Ctrl+F4), held once here
    // for whichever child is active.
    closeChildAction_ = new QAction(this);
    closeChildAction_->setObjectName("closeChildAction");
    closeChildAction_->setShortcuts(QKeySequence::Close);
    addAction(closeChildAction_);
    connect(closeChildAction_, &QAction::triggered, this, [this] {
        if (QAction* close = ChildFrame::CloseActionOf(mdiArea_->activeSubWindow())) close->trigger();
    });

    helpMenu_ = menuBar_->addMenu(QStringLiteral("&Help"));
    helpMenu_->setObjectName("helpMenu");
    helpMenu_->menuAction()->setStatusTip(QStringLiteral("Help topics"));
    updatesAction_ = MakeAction(actionList_, "updatesAction", QStringLiteral("Check for Updated Version"),
                                  QStringLiteral("Browse URL"));
    webSiteAction_ = MakeAction(actionList_, "webSiteAction", product::kWebSiteName, QStringLiteral("Browse URL"));
    aboutAction_ = MakeAction(actionList_, "aboutAction", QStringLiteral("&About..."),
                               QStringLiteral("About|Displays program information, version number, and copyright"));
    helpMenu_->addAction(updatesAction_);
    helpMenu_->addAction(webSiteAction_);
    helpMenu_->addSeparator();
    helpMenu_->addAction(aboutAction_);
    connect(updatesAction_, &QAction::triggered, this, &MainWindow::onUpdatesTriggered);
    connect(webSiteAction_, &QAction::triggered, this, &MainWindow::onUpdatesTriggered);
    connect(aboutAction_, &QAction::triggered, this, &MainWindow::onAboutTriggered);
}

void MainWindow::BuildToolBar()
{
    toolBar_ = addToolBar(QStringLiteral("toolBar"));
    toolBar_->setObjectName("toolBar");
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setIconSize(QSize(22, 22));
    toolBar_->toggleViewAction()->setVisible(false);

    newWindowButton_ = MakeButton(toolBar_, "newWindowButton", Glyph::NewWindow, QStringLiteral("New chat window"));
    connect(newWindowButton_, &QToolButton::clicked, this, &MainWindow::onNewWindowTriggered);
    toolBar_->addSeparator();

    serverBox_ = new QComboBox(toolBar_);
    serverBox_->setObjectName("serverBox");
    serverBox_->setEditable(true);
    serverBox_->setInsertPolicy(QComboBox::NoInsert);
    serverBox_->setFixedWidth(233);
    serverBox_->addItems(PresetServers());
    toolBar_->addWidget(serverBox_);
    tlsSwitch_ = new TlsSwitch(serverBox_, toolBar_);
    toolBar_->addWidget(tlsSwitch_);

    connectButton_ = MakeButton(toolBar_, "connectButton", Glyph::Connect, QStringLiteral("Connect"));
    disconnectButton_ = MakeButton(toolBar_, "disconnectButton", Glyph::Disconnect, QStringLiteral("Disconnect"));
    connect(connectButton_, &QToolButton::clicked, this, &MainWindow::onConnectTriggered);
    connect(disconnectButton_, &QToolButton::clicked, this, &MainWindow::onConnectTriggered);
    toolBar_->addSeparator();

    // The window arrangement buttons mirror their menu items (state and hint).
    tileHorizontallyButton_ = new QToolButton(toolBar_);
    tileHorizontallyButton_->setObjectName("tileHorizontallyButton");
    tileHorizontallyButton_->setDefaultAction(tileHorizontallyAction_);
    tileVerticallyButton_ = new QToolButton(toolBar_);
    tileVerticallyButton_->setObjectName("tileVerticallyButton");
    tileVerticallyButton_->setDefaultAction(tileVerticallyAction_);
    cascadeButton_ = new QToolButton(toolBar_);
    cascadeButton_->setObjectName("cascadeButton");
    cascadeButton_->setDefaultAction(cascadeAction_);
    for (QToolButton* b : {tileHorizontallyButton_, tileVerticallyButton_, cascadeButton_}) {
        b->setAutoRaise(true);
        toolBar_->addWidget(b);
    }
    toolBar_->addSeparator();

    awayButton_ = MakeButton(toolBar_, "awayButton", Glyph::Away, QStringLiteral("Set your status to away"));
    awayButton_->setCheckable(true);
    connect(awayButton_, &QToolButton::clicked, this, &MainWindow::onAwayClicked);
    roomListButton_ = MakeButton(toolBar_, "roomListButton", Glyph::RoomList, QStringLiteral("Fetch Room list"));
    connect(roomListButton_, &QToolButton::clicked, this, &MainWindow::onRoomListClicked);
    toolBar_->addSeparator();
    exitButton_ = MakeButton(toolBar_, "exitButton", Glyph::Exit, QStringLiteral("Exit"));
    connect(exitButton_, &QToolButton::clicked, this, &MainWindow::onExitClicked);
}

void MainWindow::BuildStatusBar()
{
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName("statusBar");
    setStatusBar(statusBar_);
    hintLabel_ = MakePanel(statusBar_, "hintLabel", 485);
    connectionLabel_ = MakePanel(statusBar_, "connectionLabel", 100);
    ownerPanel_ = MakePanel(statusBar_, "ownerPanel", 50);  // drawn by its owner, which draws nothing
}

void MainWindow::BuildAwayPanel()
{
    awayPanel_ = new QFrame(mdiArea_);
    awayPanel_->setObjectName("awayPanel");
    awayPanel_->setFrameShape(QFrame::Panel);
    awayPanel_->setFrameShadow(QFrame::Sunken);
    awayPanel_->setAutoFillBackground(true);
    awayPanel_->setGeometry(256, 168, 329, 89);

    awayLabel_ = new QLabel(QStringLiteral("Away Message "), awayPanel_);
    awayLabel_->setObjectName("awayLabel");
    awayLabel_->setGeometry(12, 8, 305, 18);
    awayLine_ = new QLineEdit(awayPanel_);
    awayLine_->setObjectName("awayLine");
    awayLine_->setGeometry(12, 28, 305, 24);
    KeepOnOneLine(awayLine_);  // the away text goes out as one line
    awayLine_->installEventFilter(this);
    awayOkButton_ = new QPushButton(QStringLiteral("Ok"), awayPanel_);
    awayOkButton_->setObjectName("awayOkButton");
    awayOkButton_->setGeometry(160, 58, 75, 25);
    awayCancelButton_ = new QPushButton(QStringLiteral("Cancel"), awayPanel_);
    awayCancelButton_->setObjectName("awayCancelButton");
    awayCancelButton_->setGeometry(242, 58, 75, 25);
    connect(awayOkButton_, &QPushButton::clicked, this, &MainWindow::onAwayConfirmed);
    connect(awayCancelButton_, &QPushButton::clicked, this, &MainWindow::onAwayCancelled);
    awayPanel_->hide();
}


void MainWindow::BuildPictures()
{
    // The emoticon pictures, kept here by their names and never shown.
    emoticonPictures_ = new QWidget(this);
    emoticonPictures_->setObjectName("emoticonPictures");
    for (int n = 1; n <= kEmoticonCount; ++n) {
        auto* image = new QLabel(emoticonPictures_);
        image->setObjectName(EmoticonPictureName(n));
        image->setPixmap(QPixmap::fromImage(EmoticonPicture(n)));
    }
    emoticonPictures_->hide();
}

bool MainWindow::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip && hintLabel_) {
        // Panel 0 shows the long hint of what is under the pointer; where
        // nothing there has a hint, the frame's own.
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        hintLabel_->setText(tip.isEmpty() ? FrameHint() : tip);
        return true;
    }
    if (event->type() == QEvent::WindowActivate) FrameActivated();
    return QMainWindow::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == awayLine_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        onAwayLineKey(key);
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::onNewWindowTriggered() { NewRoomWindow(); }

void MainWindow::onExitTriggered() { close(); }

void MainWindow::onExitClicked() { close(); }

void MainWindow::onAboutTriggered() { AboutDialog()->exec(); }

void MainWindow::onUpdatesTriggered()
{
    if (!QDesktopServices::openUrl(QUrl(product::kWebAddress)))
        prompts().Information(this, QStringLiteral("No web browser could be started. The address is:\n%1")
                                        .arg(product::kWebAddress));
}

// The frame window's controls: menus, tool bar, status bar, away panel and
// the hidden emoticon pictures, with their hints and their start state.
#include "shell/main_window.h"
#include "shell/tls_status.h"
#include "shell/tls_switch.h"
#include "shell/window_tabs.h"

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
    const int index = servercombo->findText(host, Qt::MatchFixedString);
    if (index >= 0)
        servercombo->setCurrentIndex(index);
    else
        servercombo->setEditText(host);
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
    setObjectName("MainForm");
    setWindowTitle(product::kName);
    setWindowIcon(GlyphIcon(Glyph::AppIcon));
    ActionList1 = new QObject(this);
    ActionList1->setObjectName("ActionList1");

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
    windowTabs_ = new WindowTabs(mdiArea_, Window1, this, [this](QWidget* child) { BringToFront(child); });
    lists_ = new UserLists(*this, this, Favorites1, Buddies1);
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
    form4_ = new RoomListWindow;
    form4_->SetFrame(this);
    QMdiSubWindow* roomListFrame =
        mdiArea_->addSubWindow(form4_, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                           Qt::WindowMinMaxButtonsHint);  // the styles draw "close" with the system menu
    ChildFrame::DropCloseKeys(roomListFrame);
    roomListFrame->resize(483, 430);
    // The user's going to the room list gives it its working size; another
    // window closing never moves or resizes it (it may sit in a tiling).
    connect(roomListFrame, &QMdiSubWindow::aboutToActivate, roomListFrame, [this, roomListFrame] {
        if (windows_->WindowClosing()) return;
        if (!roomListFrame->isMaximized() && !roomListFrame->isMinimized()) roomListFrame->resize(544, 430);
    });
    form4_->show();
    roomListFrame->show();
    UpdateWindowActions();
    ApplyDisconnectedLook();
    lists_->SetIgnoreList(std::nullopt);  // none until the first connection
    Connectitem->setText(QStringLiteral("&Connect"));
}

void MainWindow::BuildMenus()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName("MainMenu1");

    File1 = MainMenu1->addMenu(QStringLiteral("&Chat"));
    File1->setObjectName("File1");
    File1->menuAction()->setStatusTip(QStringLiteral("File related commands"));
    newitem = MakeAction(ActionList1, "newitem", QStringLiteral("New"));
    newitem->setIcon(GlyphIcon(Glyph::NewWindow));
    Connectitem = MakeAction(ActionList1, "Connectitem", QStringLiteral("&Connect"));
    Options1 = MakeAction(ActionList1, "Options1", QStringLiteral("Options"));
    FileExitItem = MakeAction(ActionList1, "FileExitItem", QStringLiteral("E&xit"), QStringLiteral("Exit|Exit application"));
    File1->addAction(newitem);
    File1->addSeparator();
    File1->addAction(Connectitem);
    File1->addSeparator();
    File1->addAction(Options1);
    File1->addSeparator();
    File1->addAction(FileExitItem);
    connect(newitem, &QAction::triggered, this, &MainWindow::newitemClick);
    connect(Connectitem, &QAction::triggered, this, &MainWindow::ConnectitemClick);
    connect(FileExitItem, &QAction::triggered, this, &MainWindow::FileExit1Execute);
    connect(Options1, &QAction::triggered, this, &MainWindow::Options1Click);

    // Filled per server and nick once a connection exists.
    Favorites1 = MainMenu1->addMenu(QStringLiteral("Favorites"));
    Favorites1->setObjectName("Favorites1");
    Buddies1 = MainMenu1->addMenu(QStringLiteral("Buddies"));
    Buddies1->setObjectName("Buddies1");

    Window1 = MainMenu1->addMenu(QStringLiteral("&Window"));
    Window1->setObjectName("Window1");
    Window1->menuAction()->setStatusTip(QStringLiteral("Window related commands"));
    WindowCascadeItem = MakeAction(ActionList1, "WindowCascadeItem", QStringLiteral("&Cascade"), QStringLiteral("Cascade"));
    WindowCascadeItem->setIcon(GlyphIcon(Glyph::Cascade));
    WindowTileItem = MakeAction(ActionList1, "WindowTileItem", QStringLiteral("Tile &Horizontally"),
                                QStringLiteral("Tile Horizontal"));
    WindowTileItem->setIcon(GlyphIcon(Glyph::TileHorizontal));
    WindowTileItem2 = MakeAction(ActionList1, "WindowTileItem2", QStringLiteral("&Tile Vertically"),
                                 QStringLiteral("Tile Vertical"));
    WindowTileItem2->setIcon(GlyphIcon(Glyph::TileVertical));
    WindowMinimizeItem = MakeAction(ActionList1, "WindowMinimizeItem", QStringLiteral("&Minimize All"),
                                    QStringLiteral("Minimize All"));
    WindowArrangeItem = MakeAction(ActionList1, "WindowArrangeItem", QStringLiteral("&Arrange"));
    Window1->addActions({WindowCascadeItem, WindowTileItem, WindowTileItem2, WindowMinimizeItem, WindowArrangeItem});
    connect(WindowCascadeItem, &QAction::triggered, this, &MainWindow::WindowCascade1Execute);
    connect(WindowTileItem, &QAction::triggered, this, &MainWindow::WindowTileHorizontal1Execute);
    connect(WindowTileItem2, &QAction::triggered, this, &MainWindow::WindowTileVertical1Execute);
    connect(WindowMinimizeItem, &QAction::triggered, this, &MainWindow::WindowMinimizeAll1Execute);
    connect(WindowArrangeItem, &QAction::triggered, this, &MainWindow::WindowArrange1Execute);
    connect(Window1, &QMenu::aboutToShow, this, &MainWindow::FillWindowMenu);
    // The keys of a child window's Close (Ctrl+W, Ctrl+F4), held once here
    // for whichever child is active.
    closeChildAction_ = new QAction(this);
    closeChildAction_->setObjectName("closeChildAction");
    closeChildAction_->setShortcuts(QKeySequence::Close);
    addAction(closeChildAction_);
    connect(closeChildAction_, &QAction::triggered, this, [this] {
        if (QAction* close = ChildFrame::CloseActionOf(mdiArea_->activeSubWindow())) close->trigger();
    });

    Help1 = MainMenu1->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName("Help1");
    Help1->menuAction()->setStatusTip(QStringLiteral("Help topics"));
    Checkforupdates1 = MakeAction(ActionList1, "Checkforupdates1", QStringLiteral("Check for Updated Version"),
                                  QStringLiteral("Browse URL"));
    WebSite1 = MakeAction(ActionList1, "WebSite1", product::kWebSiteName, QStringLiteral("Browse URL"));
    HelpAboutItem = MakeAction(ActionList1, "HelpAboutItem", QStringLiteral("&About..."),
                               QStringLiteral("About|Displays program information, version number, and copyright"));
    Help1->addAction(Checkforupdates1);
    Help1->addAction(WebSite1);
    Help1->addSeparator();
    Help1->addAction(HelpAboutItem);
    connect(Checkforupdates1, &QAction::triggered, this, &MainWindow::Checkforupdates1Click);
    connect(WebSite1, &QAction::triggered, this, &MainWindow::Checkforupdates1Click);
    connect(HelpAboutItem, &QAction::triggered, this, &MainWindow::HelpAbout1Execute);
}

void MainWindow::BuildToolBar()
{
    ToolBar2 = addToolBar(QStringLiteral("ToolBar2"));
    ToolBar2->setObjectName("ToolBar2");
    ToolBar2->setMovable(false);
    ToolBar2->setFloatable(false);
    ToolBar2->setIconSize(QSize(22, 22));
    ToolBar2->toggleViewAction()->setVisible(false);

    ToolButton6 = MakeButton(ToolBar2, "ToolButton6", Glyph::NewWindow, QStringLiteral("New chat window"));
    connect(ToolButton6, &QToolButton::clicked, this, &MainWindow::newitemClick);
    ToolBar2->addSeparator();

    servercombo = new QComboBox(ToolBar2);
    servercombo->setObjectName("servercombo");
    servercombo->setEditable(true);
    servercombo->setInsertPolicy(QComboBox::NoInsert);
    servercombo->setFixedWidth(233);
    servercombo->addItems(PresetServers());
    ToolBar2->addWidget(servercombo);
    tlsbtn = new TlsSwitch(servercombo, ToolBar2);
    ToolBar2->addWidget(tlsbtn);

    ToolButton9 = MakeButton(ToolBar2, "ToolButton9", Glyph::Connect, QStringLiteral("Connect"));
    ToolButton1 = MakeButton(ToolBar2, "ToolButton1", Glyph::Disconnect, QStringLiteral("Disconnect"));
    connect(ToolButton9, &QToolButton::clicked, this, &MainWindow::ConnectitemClick);
    connect(ToolButton1, &QToolButton::clicked, this, &MainWindow::ConnectitemClick);
    ToolBar2->addSeparator();

    // The window arrangement buttons mirror their menu items (state and hint).
    ToolButton5 = new QToolButton(ToolBar2);
    ToolButton5->setObjectName("ToolButton5");
    ToolButton5->setDefaultAction(WindowTileItem);
    ToolButton8 = new QToolButton(ToolBar2);
    ToolButton8->setObjectName("ToolButton8");
    ToolButton8->setDefaultAction(WindowTileItem2);
    ToolButton10 = new QToolButton(ToolBar2);
    ToolButton10->setObjectName("ToolButton10");
    ToolButton10->setDefaultAction(WindowCascadeItem);
    for (QToolButton* b : {ToolButton5, ToolButton8, ToolButton10}) {
        b->setAutoRaise(true);
        ToolBar2->addWidget(b);
    }
    ToolBar2->addSeparator();

    awaybtn = MakeButton(ToolBar2, "awaybtn", Glyph::Away, QStringLiteral("Set your status to away"));
    awaybtn->setCheckable(true);
    connect(awaybtn, &QToolButton::clicked, this, &MainWindow::awaybtnClick);
    roomlistbtn = MakeButton(ToolBar2, "roomlistbtn", Glyph::RoomList, QStringLiteral("Fetch Room list"));
    connect(roomlistbtn, &QToolButton::clicked, this, &MainWindow::roomlistbtnClick);
    ToolBar2->addSeparator();
    ToolButton12 = MakeButton(ToolBar2, "ToolButton12", Glyph::Exit, QStringLiteral("Exit"));
    connect(ToolButton12, &QToolButton::clicked, this, &MainWindow::ToolButton12Click);
}

void MainWindow::BuildStatusBar()
{
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    setStatusBar(StatusBar);
    StatusPanel0 = MakePanel(StatusBar, "StatusPanel0", 485);
    StatusPanel1 = MakePanel(StatusBar, "StatusPanel1", 100);
    StatusPanel2 = MakePanel(StatusBar, "StatusPanel2", 50);  // drawn by its owner, which draws nothing
    tlsStatus_ = new TlsStatus(StatusBar);
    StatusBar->addPermanentWidget(tlsStatus_);
}

void MainWindow::BuildAwayPanel()
{
    Panel1 = new QFrame(mdiArea_);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setAutoFillBackground(true);
    Panel1->setGeometry(256, 168, 329, 89);

    Label1 = new QLabel(QStringLiteral("Away Message "), Panel1);
    Label1->setObjectName("Label1");
    Label1->setGeometry(12, 8, 305, 18);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(12, 28, 305, 24);
    KeepOnOneLine(Edit1);  // the away text goes out as one line
    Edit1->installEventFilter(this);
    Button1 = new QPushButton(QStringLiteral("Ok"), Panel1);
    Button1->setObjectName("Button1");
    Button1->setGeometry(160, 58, 75, 25);
    Button2 = new QPushButton(QStringLiteral("Cancel"), Panel1);
    Button2->setObjectName("Button2");
    Button2->setGeometry(242, 58, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &MainWindow::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &MainWindow::Button2Click);
    Panel1->hide();
}


void MainWindow::BuildPictures()
{
    // The emoticon pictures, kept here by their names and never shown.
    Panel8 = new QWidget(this);
    Panel8->setObjectName("Panel8");
    for (int n = 1; n <= kEmoticonCount; ++n) {
        auto* image = new QLabel(Panel8);
        image->setObjectName(EmoticonPictureName(n));
        image->setPixmap(QPixmap::fromImage(EmoticonPicture(n)));
    }
    Panel8->hide();
}

bool MainWindow::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip && StatusPanel0) {
        // Panel 0 shows the long hint of what is under the pointer; where
        // nothing there has a hint, the frame's own.
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        StatusPanel0->setText(tip.isEmpty() ? FrameHint() : tip);
        return true;
    }
    if (event->type() == QEvent::WindowActivate) FrameActivated();
    return QMainWindow::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        Edit1KeyDown(key);
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::newitemClick() { NewRoomWindow(); }

void MainWindow::FileExit1Execute() { close(); }

void MainWindow::ToolButton12Click() { close(); }

void MainWindow::HelpAbout1Execute() { AboutDialog()->exec(); }

void MainWindow::Checkforupdates1Click()
{
    if (!QDesktopServices::openUrl(QUrl(product::kWebAddress)))
        prompts().Information(this, QStringLiteral("No web browser could be started. The address is:\n%1")
                                        .arg(product::kWebAddress));
}

// The frame's two ways of making a room window.
#include "chat/room_window.h"
#include "shell/main_form.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>

TForm1* TMainForm::NewRoomWindow()
{
    auto* window = new TForm1(this);
    window->SetTitle(QStringLiteral("No Room"));
    AddChildWindow(window, [window](QMdiSubWindow*) { window->FormCreate(); });
    return window;
}

TForm1* TMainForm::OpenRoomWindow(const QString& room, const std::string& wireName)
{
    auto* window = new TForm1(this);
    AddChildWindow(window, [window](QMdiSubWindow*) { window->FormCreate(); });
    window->SetTitle(room);
    window->SetRoomOnWire(wireName);
    window->titleid->setText(room);
    window->ComboBoxEx1->setEditText(window->Title());
    window->joinbtnClick();
    return window;
}

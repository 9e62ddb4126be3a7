// TEMPORARY: replaced by the room window's author.
#include "shell/main_form.h"

TForm1* TMainForm::NewRoomWindow() { return nullptr; }
TForm1* TMainForm::OpenRoomWindow(const QString&) { return nullptr; }

// TEMPORARY: replaced by the private window's author.
#include "shell/main_form.h"

TForm3* TMainForm::OpenPrivateWindowRequest() { return nullptr; }
TForm3* TMainForm::OpenPrivateWindowFromUser(const QString&) { return nullptr; }
void TMainForm::IgnorePartnerNotification(const QString&) {}

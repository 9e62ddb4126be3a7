#pragma once
// What the program's fixed-size dialogs (login, registration, about box)
// show in their title bar.
#include <Qt>

// A caption and a close button only, no minimise or maximise button. Without
// the customise hint the window system may add its own default buttons.
inline constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                     Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

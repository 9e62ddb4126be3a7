#pragma once
// The product's name, version and web page. The version and the address come
// from the build's project definition.
#include "shell/product_version.h"

#include <QString>

namespace product {

inline const QString kName = QStringLiteral("Talvessa");
// The bare version number, as --version prints it after the name.
inline const QString kVersionNumber = QStringLiteral(TALVESSA_VERSION);
// As the about box and the splash show it.
inline const QString kVersion = QStringLiteral("Version " TALVESSA_VERSION);
// Opened by both Help items and shown on the splash.
inline const QString kWebAddress = QStringLiteral(TALVESSA_WEB_ADDRESS);
// The desktop's id of the program: its menu entry and its icon are named so.
inline const QString kAppId = QStringLiteral(TALVESSA_APP_ID);
// The caption of the second Help item.
inline const QString kWebSiteName = QStringLiteral("talvessa.example.org");

}  // namespace product

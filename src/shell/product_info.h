#pragma once
// The product's name, version and web page: the one place that holds them.
#include <QString>

namespace product {

inline const QString kName = QStringLiteral("Talvessa");
inline const QString kVersion = QStringLiteral("Version 2.3");
// Opened by both Help items and shown on the splash.
inline const QString kWebAddress = QStringLiteral("https://talvessa.example.org/");
// The caption of the second Help item.
inline const QString kWebSiteName = QStringLiteral("talvessa.example.org");

}  // namespace product

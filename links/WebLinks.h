#pragma once

#include <QString>

class QWidget;

namespace bmi {

class Platform;

inline constexpr const char* kHomePage = "bmi_index.html";
inline constexpr const char* kSuitePage = "trevala_index.html";

// The address of a page at the root of the maker's site.
QString makerPageUrl(const char* page);

// Hands the page to the shell; tells the user when the shell reports a failure.
void openWebPage(Platform& platform, QWidget* owner, const QString& address);

} // namespace bmi

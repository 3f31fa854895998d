#pragma once

class QApplication;

namespace bmi {

inline constexpr const char* kAppVersion = "1.00";
// The maker's web site, scheme and host; the window caption and the web links derive
// from it.
inline constexpr const char* kMakerSite = "https://www.trevala.example";

// Name, version, style and default font, shared by the program and its tests so that
// both lay out the same pixels.
void configureApplication(QApplication& app);

} // namespace bmi

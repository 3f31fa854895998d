#pragma once
// The help viewer program: BMI-Trevala-help "<file>.chm>Main".
//
// With --check it shows nothing: it loads the file, prints the default topic, the
// window caption and the default topic's title, and exits 0, or prints why the file
// cannot be shown and exits 1. Without it, it shows the help window, or a message box
// and exits 1.

namespace bmi::help {

inline constexpr int kExitOk = 0;
inline constexpr int kExitCannotOpen = 1;
inline constexpr int kExitUsage = 2;

int RunViewer(int argc, char** argv);

} // namespace bmi::help

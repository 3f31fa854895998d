#pragma once
// The help viewer program: BMI-Trevala-help "<file>.chm>Main".
//
// With --check it shows nothing: it loads the file, lays out every topic the window
// could reach (each object once, however many names lead to it), prints the default
// topic, the window caption, the default topic's title and how many topics it laid out,
// and exits 0; or it prints why the file cannot be shown and exits 1. A check whose
// topics hold more text than it may lay out stops there and says so on a line of its own.
// Without --check, it shows the help window, or a message box and exits 1.

#include <QString>

#include <memory>

class QMessageBox;

namespace bmi::help {

inline constexpr int kExitOk = 0;
inline constexpr int kExitCannotOpen = 1;
inline constexpr int kExitUsage = 2;

int runViewer(int argc, char** argv);

// Text from the help file (or a file name) without control characters, fit to print to
// a terminal.
QString printable(const QString& text);

// The viewer's own warning, its text shown as plain text.
std::unique_ptr<QMessageBox> errorBox(const QString& text);

} // namespace bmi::help

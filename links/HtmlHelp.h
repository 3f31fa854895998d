#pragma once

class QWidget;

namespace bmi {

class Platform;

// Opens the program's help file at its default topic in the "Main" window. The only
// failure reported is a missing help viewer; every other one is swallowed.
void ShowHelp(Platform& platform, QWidget* mainWindow);

} // namespace bmi

#pragma once

namespace bmi {

// The pictures live in a static library, which the linker drops unless something
// references it: call this once, after the QApplication exists and before the first
// ":/..." path is opened.
void initResources();

} // namespace bmi

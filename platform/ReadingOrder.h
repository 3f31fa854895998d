#pragma once
// What a screen reader walks inside a frame: its controls as the eye reads them.

namespace bmi {

// Makes assistive tools read every Frame's controls in that order. Qt would otherwise
// read them in stacking order, which the design fixes for drawing, not for reading.
void readFramesInReadingOrder();

} // namespace bmi

#pragma once
// The design measures in twips: 15 of them make one device-independent pixel. Models
// keep real-valued twips; only drawing rounds.

#include <QColor>
#include <QPalette>
#include <QRect>

#include <cmath>
#include <cstdint>

namespace bmi {

inline constexpr double kTwipsPerPixel = 15.0;

inline int twipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

// Rounds both edges rather than the size, so shapes that meet in twips also meet in
// pixels (the scale's bands lie edge to edge).
inline QRect twipsRect(double left, double top, double width, double height) {
    const int l = twipsToPixels(left);
    const int t = twipsToPixels(top);
    return {l, t, twipsToPixels(left + width) - l, twipsToPixels(top + height) - t};
}

// A position or size as the design keeps it: rounded to single precision. The volatile
// store keeps the rounding; GCC 12 at -O2 was seen to drop a float round trip when it
// vectorised the arithmetic around it.
inline float toSingle(double value) {
    volatile float single = static_cast<float>(value);
    return single;
}

// Colours are written &H00BBGGRR; &H800000nn names system colour nn.
inline constexpr std::uint32_t kNoColor = 0xFFFFFFFFu;
inline constexpr std::uint32_t kSysWindowBackground = 0x80000005u;
inline constexpr std::uint32_t kSysWindowText = 0x80000008u;

inline QColor designColor(std::uint32_t value, const QPalette& palette) {
    if (value == kSysWindowBackground)
        return palette.color(QPalette::Active, QPalette::Base);
    if (value == kSysWindowText)
        return palette.color(QPalette::Active, QPalette::Text);
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

// Text on a background the design fixes, whatever the desktop's palette: black or white,
// whichever stands out more by relative luminance (as legibility contrast is judged).
inline QColor textColourOn(const QColor& back) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double luminance =
        0.2126 * linear(back.red()) + 0.7152 * linear(back.green()) + 0.0722 * linear(back.blue());
    return (luminance + 0.05) / 0.05 >= 1.05 / (luminance + 0.05) ? QColor(Qt::black)
                                                                  : QColor(Qt::white);
}

// A text colour the palette already has is left inherited: a palette of its own in
// every control costs memory and start-up for nothing on a light desktop.
inline void setTextLegibleOn(QPalette& palette, QPalette::ColorRole text, const QColor& back) {
    const QColor legible = textColourOn(back);
    if (palette.color(text) != legible)
        palette.setColor(text, legible);
}

} // namespace bmi

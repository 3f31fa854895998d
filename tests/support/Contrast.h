#pragma once
// Legibility as the guidelines define it (WCAG 2), for the window tests: contrast of
// relative luminances from 1 to 21, read off grabbed pieces of a window, and the desktop
// palettes the windows must stay legible under.

#include <QApplication>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QPalette>
#include <QString>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <tuple>
#include <utility>

namespace bmi::test {

inline double luminance(QRgb c) {
    const auto lin = [](int v) {
        const double x = v / 255.0;
        return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
}

inline double contrast(QRgb a, QRgb b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// In a piece of a window showing one text: its commonest colour is what the text sits
// on, and the colour that stands out most from that is the text's own.
inline double textContrast(const QImage& piece) {
    QHash<QRgb, int> counts;
    for (int y = 0; y < piece.height(); ++y)
        for (int x = 0; x < piece.width(); ++x)
            ++counts[piece.pixel(x, y) | 0xFF000000u];
    QRgb back = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            std::tie(back, most) = std::pair(it.key(), it.value());
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrast(back, it.key()));
    return best;
}

inline QPalette desktopPalette(const char* window, const char* text, const char* base,
                               const char* baseText, const char* button, const char* highlight) {
    QPalette p(QColor(QString::fromLatin1(button)), QColor(QString::fromLatin1(window)));
    p.setColor(QPalette::WindowText, QColor(QString::fromLatin1(text)));
    p.setColor(QPalette::ButtonText, QColor(QString::fromLatin1(text)));
    p.setColor(QPalette::Base, QColor(QString::fromLatin1(base)));
    p.setColor(QPalette::Text, QColor(QString::fromLatin1(baseText)));
    p.setColor(QPalette::Highlight, QColor(QString::fromLatin1(highlight)));
    p.setColor(QPalette::Link, QColor(QString::fromLatin1(highlight)));
    return p;
}

struct PaletteRow {
    const char* name;
    QPalette (*make)();

    friend void PrintTo(const PaletteRow& row, std::ostream* os) { *os << row.name; }
};

// The style's own light palette, a dark one and an inverse (high-contrast) one.
inline const PaletteRow kPalettes[] = {
    {"light", [] { return QApplication::style()->standardPalette(); }},
    {"dark",
     [] {
         return desktopPalette("#353535", "#eeeeee", "#2a2a2a", "#eeeeee", "#454545", "#2a82da");
     }},
    {"inverse",
     [] {
         return desktopPalette("#000000", "#ffffff", "#000000", "#ffffff", "#000000", "#ffff00");
     }},
};

} // namespace bmi::test

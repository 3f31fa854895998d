#pragma once
// A window's design as one static table, and the one loop that builds it.

#include "platform/Twips.h"

#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <span>

class QWidget;

namespace bmi {

enum class Kind { Frame, Label, TextBox, ComboBox, CommandButton, Image, Slider, Line };

struct FontSpec {
    const char* family; // first choice; metric-compatible fallbacks follow it
    double points;
    bool bold;
};

// The windows' default font: 8 points of a metric-compatible sans face fit the
// designed 21-pixel boxes at 96 dpi.
inline constexpr FontSpec kDefaultFont{"MS Sans Serif", 8.0, false};
inline constexpr FontSpec kSansSerif12Bold{"MS Sans Serif", 12.0, true};
inline constexpr FontSpec kArial8{"Arial", 8.25, false};

enum DesignFlag : unsigned {
    kAutoSize = 1u << 0,     // label fits itself to its caption
    kCentered = 1u << 1,     // caption centred
    kSingleBorder = 1u << 2, // thin single-line border
};

struct ControlDesign {
    const char* name; // objectName; indexed members as "name(index)"
    Kind kind;
    const char* parent; // nullptr: the window itself
    const char* caption;
    double left, top, width, height; // twips; X1, Y1, X2, Y2 for lines
    int tabIndex = -1;               // -1: none
    std::uint32_t backColor = kNoColor;
    std::uint32_t foreColor = kNoColor;
    const FontSpec* font = nullptr;
    const char* toolTip = nullptr;
    unsigned flags = 0;
    const char* picture = nullptr; // resource path
    // For controls that show no text: what assistive tools announce.
    const char* accessibleName = nullptr;
};

struct BuiltDesign {
    QHash<QString, QWidget*> byName;

    // The control of that name and kind; the design tables make it a programming error
    // for one to be missing.
    template <typename T> T* control(const QString& name) const {
        auto* w = qobject_cast<T*>(byName.value(name));
        Q_ASSERT_X(w, "BuiltDesign", qPrintable(name));
        return w;
    }
};

// Creates every control of the table inside window, in table order (later rows stack
// above earlier ones), and chains the focus order by tab index.
BuiltDesign BuildDesign(QWidget* window, std::span<const ControlDesign> table);

QFont DesignFont(const FontSpec& face);

// A compiled-in picture, read by the decoder its suffix names. Left to guess, Qt loads and
// asks every image-format plugin before it tries its own PNG and BMP decoders; the
// windows' pictures are all PNG or BMP, so start-up loads no plugin.
QPixmap DesignPicture(const QString& path);

} // namespace bmi

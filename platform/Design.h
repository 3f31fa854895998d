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
#include <string_view>

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

enum class DesignFlag : unsigned {
    None = 0,
    AutoSize = 1u << 0,     // label fits itself to its caption
    Centered = 1u << 1,     // caption centred
    SingleBorder = 1u << 2, // thin single-line border
};

constexpr DesignFlag operator|(DesignFlag a, DesignFlag b) {
    return DesignFlag(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

constexpr bool hasFlag(DesignFlag flags, DesignFlag flag) {
    return (static_cast<unsigned>(flags) & static_cast<unsigned>(flag)) != 0;
}

// One row of a design table, written with designated initializers: a row names only
// what differs from these defaults.
struct ControlDesign {
    const char* name; // objectName; indexed members as "name(index)"
    Kind kind;
    const char* parent = nullptr; // nullptr: the window itself
    const char* caption = "";
    double left = 0, top = 0, width = 0, height = 0; // twips; X1, Y1, X2, Y2 for lines
    int tabIndex = -1;                               // -1: none
    std::uint32_t backColor = kNoColor;
    std::uint32_t foreColor = kNoColor;
    const FontSpec* font = nullptr;
    const char* toolTip = nullptr;
    DesignFlag flags = DesignFlag::None;
    const char* picture = nullptr; // resource path
    // What assistive tools announce: for controls that show no text, and for lists,
    // whose shown text is only their value.
    const char* accessibleName = nullptr;
    // For a label: the control it names, for assistive tools (no access key is added).
    const char* labelFor = nullptr;
};

struct BuiltDesign {
    QHash<QString, QWidget*> byName;

    // The control of that name and kind. A name the table lacks is a programming error
    // that stops the program in every build, not only in debug builds.
    template <typename T> T* control(const QString& name) const {
        auto* w = qobject_cast<T*>(byName.value(name));
        if (!w)
            qFatal("BuiltDesign: no control %s of the kind asked for", qPrintable(name));
        return w;
    }
};

// Creates every control of the table inside window, in table order (later rows stack
// above earlier ones), and chains the focus order by tab index.
BuiltDesign buildDesign(QWidget* window, std::span<const ControlDesign> table);

// The row of that name: handlers read the designed numbers from the table itself.
const ControlDesign& designRow(std::span<const ControlDesign> table, std::string_view name);

QFont designFont(const FontSpec& face);

// Gives w the design's colour for its background role. A system colour comes with its
// palette's own text colour; a fixed one gets the text colour that stands out on it.
void setDesignBack(QWidget* w, QPalette::ColorRole back, QPalette::ColorRole text,
                   std::uint32_t color);

// A compiled-in picture: stored pixels (".pixels", see PictureData.h) are copied, any
// other picture is read by the decoder its suffix names. Left to guess, Qt loads and
// asks every image-format plugin before it tries its own PNG and BMP decoders.
QPixmap designPicture(const QString& path);

} // namespace bmi

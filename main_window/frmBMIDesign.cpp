#include "main_window/frmBMIDesign.h"

#include <array>

namespace bmi {

namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;
constexpr std::uint32_t kCyan = 0x00FFFF00;
constexpr std::uint32_t kGreen = 0x0000FF00;
constexpr std::uint32_t kYellow = 0x0000FFFF;
constexpr std::uint32_t kSalmon = 0x008080FF;
constexpr std::uint32_t kRed = 0x000000FF;

using K = Kind;

// Rows in stacking order: a later row lies above an earlier one in the same container.
// The scale's pieces stack as designed: bands, then ticks and the result label, then
// numbers and the axis, with the slider above them all.
constexpr std::array kDesign{
    // name, kind, parent, caption, left, top, width, height, tab, back, fore, font, tip,
    // flags, picture, accessible name
    ControlDesign{"Frame1", K::Frame, nullptr, "", 30, -30, 9105, 4245, 8},
    ControlDesign{"Label1(0)", K::Label, "Frame1", "Height:", 1245, 810, 510, 195, 20, kNoColor,
                  kNoColor, nullptr, nullptr, kAutoSize},
    ControlDesign{"txtHT", K::TextBox, "Frame1", "", 1950, 750, 525, 315, 0, kWhite, kNoColor,
                  nullptr, nullptr, 0, nullptr, "Height"},
    ControlDesign{"Label1(1)", K::Label, "Frame1", "in", 2580, 810, 120, 195, 21, kNoColor,
                  kNoColor, nullptr, nullptr, kAutoSize},
    ControlDesign{"cmbHT", K::ComboBox, "Frame1", "", 2820, 750, 1155, 315, 1, kWhite},
    ControlDesign{"CmdDetail", K::CommandButton, "Frame1", "", 4050, 780, 300, 300, 18, kNoColor,
                  kNoColor, nullptr, "Sugar Test Time", 0, ":/calculator.png",
                  "Feet and inches to inches"},
    ControlDesign{"Label1(2)", K::Label, "Frame1", "Weight:", 1230, 1230, 525, 195, 24, kNoColor,
                  kNoColor, nullptr, nullptr, kAutoSize},
    ControlDesign{"txtWT", K::TextBox, "Frame1", "", 1950, 1170, 525, 315, 2, kWhite, kNoColor,
                  nullptr, nullptr, 0, nullptr, "Weight"},
    ControlDesign{"Label1(3)", K::Label, "Frame1", "in", 2580, 1230, 120, 195, 23, kNoColor,
                  kNoColor, nullptr, nullptr, kAutoSize},
    ControlDesign{"cmbWT", K::ComboBox, "Frame1", "", 2820, 1170, 1155, 315, 3, kWhite},
    ControlDesign{"lblPerson", K::Label, "Frame1", "Select Person", 180, 240, 990, 195, 22,
                  kNoColor, kNoColor, nullptr, nullptr, kAutoSize},
    ControlDesign{"cmbPerson", K::ComboBox, "Frame1", "", 1500, 180, 2475, 315, 19},
    ControlDesign{"cmdCalculate", K::CommandButton, "Frame1", "Ca&lculate", 4320, 2250, 975, 405,
                  4},
    ControlDesign{"cmdHLP", K::CommandButton, "Frame1", "&Help", 5505, 2250, 975, 405, 5, kNoColor,
                  kNoColor, nullptr, "Topic Help"},
    ControlDesign{"cmdClose", K::CommandButton, "Frame1", "&Close", 6705, 2250, 975, 405, 7},
    ControlDesign{"cmdHomePage", K::CommandButton, "Frame1", "Home &Page", 7920, 2250, 975, 405, 6,
                  kNoColor, kNoColor, nullptr, "Topic Help"},
    ControlDesign{"imgAD", K::Image, "Frame1", "", 4470, 240, 4455, 1710, -1, kNoColor, kNoColor,
                  nullptr, nullptr, 0, ":/advert.bmp", "Trevala Health Records web page"},
    ControlDesign{"Frame2", K::Frame, "Frame1", "BMI:           ", 180, 2670, 8745, 1455, 9,
                  kNoColor, kNoColor, &kSansSerif12Bold, nullptr, 0, nullptr, "BMI scale"},
    ControlDesign{"lblColor(1)", K::Label, "Frame2", "Healthy", 6780, 1020, 1110, 225, 11, kGreen,
                  kNoColor, &kArial8, nullptr, kCentered},
    ControlDesign{"lblColor(3)", K::Label, "Frame2", "Obese", 4320, 1020, 2115, 225, 13, kSalmon,
                  kNoColor, &kArial8, nullptr, kCentered},
    ControlDesign{"lblColor(2)", K::Label, "Frame2", "Overweight", 3150, 1020, 1035, 225, 14,
                  kYellow, kNoColor, &kArial8, nullptr, kCentered},
    ControlDesign{"lblColor(4)", K::Label, "Frame2", "Severly Obese", 1710, 990, 1260, 225, 12,
                  kRed, kNoColor, &kArial8, nullptr, kCentered},
    ControlDesign{"lblColor(0)", K::Label, "Frame2", "Underweight", 240, 930, 1230, 225, 15, kCyan,
                  kNoColor, &kArial8, nullptr, kCentered},
    ControlDesign{"Tick(0)", K::Line, "Frame2", "", 1530, 1050, 1530, 1320},
    ControlDesign{"lblBMI", K::Label, "Frame2", "", 750, 0, 795, 345, 17, kSysWindowBackground,
                  kSysWindowText, &kSansSerif12Bold, nullptr, kCentered | kSingleBorder},
    ControlDesign{"lblBMIValue(0)", K::Label, "Frame2", "20", 1440, 1200, 180, 195, 16, kNoColor,
                  kNoColor, nullptr, nullptr, kAutoSize},
    ControlDesign{"LineSlider", K::Line, "Frame2", "", 240, 930, 8460, 930},
    ControlDesign{"Slider1", K::Slider, "Frame2", "", 120, 570, 8505, 345, 10, kNoColor, kNoColor,
                  nullptr, nullptr, 0, nullptr, "BMI marker"},
};

} // namespace

std::span<const ControlDesign> MainWindowDesign() {
    return kDesign;
}

} // namespace bmi

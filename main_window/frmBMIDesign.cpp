#include "main_window/frmBMIDesign.h"

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
// One row, one control: kept as written.
// clang-format off
constexpr ControlDesign kDesign[]{
    {.name = "Frame1", .kind = K::Frame, .left = 30, .top = -30, .width = 9105, .height = 4245,
     .tabIndex = 8},
    {.name = "Label1(0)", .kind = K::Label, .parent = "Frame1", .caption = "Height:", .left = 1245,
     .top = 810, .width = 510, .height = 195, .tabIndex = 20, .flags = DesignFlag::AutoSize,
     .labelFor = "txtHT"},
    {.name = "txtHT", .kind = K::TextBox, .parent = "Frame1", .left = 1950, .top = 750,
     .width = 525, .height = 315, .tabIndex = 0, .backColor = kWhite, .accessibleName = "Height"},
    {.name = "Label1(1)", .kind = K::Label, .parent = "Frame1", .caption = "in", .left = 2580,
     .top = 810, .width = 120, .height = 195, .tabIndex = 21, .flags = DesignFlag::AutoSize},
    {.name = "cmbHT", .kind = K::ComboBox, .parent = "Frame1", .left = 2820, .top = 750,
     .width = 1155, .height = 315, .tabIndex = 1, .backColor = kWhite,
     .accessibleName = "Height unit"},
    {.name = "CmdDetail", .kind = K::CommandButton, .parent = "Frame1", .left = 4050, .top = 780,
     .width = 300, .height = 300, .tabIndex = 18, .toolTip = "Sugar Test Time",
     .picture = ":/calculator.pixels", .accessibleName = "Feet and inches to inches"},
    {.name = "Label1(2)", .kind = K::Label, .parent = "Frame1", .caption = "Weight:", .left = 1230,
     .top = 1230, .width = 525, .height = 195, .tabIndex = 24, .flags = DesignFlag::AutoSize,
     .labelFor = "txtWT"},
    {.name = "txtWT", .kind = K::TextBox, .parent = "Frame1", .left = 1950, .top = 1170,
     .width = 525, .height = 315, .tabIndex = 2, .backColor = kWhite, .accessibleName = "Weight"},
    {.name = "Label1(3)", .kind = K::Label, .parent = "Frame1", .caption = "in", .left = 2580,
     .top = 1230, .width = 120, .height = 195, .tabIndex = 23, .flags = DesignFlag::AutoSize},
    {.name = "cmbWT", .kind = K::ComboBox, .parent = "Frame1", .left = 2820, .top = 1170,
     .width = 1155, .height = 315, .tabIndex = 3, .backColor = kWhite,
     .accessibleName = "Weight unit"},
    {.name = "lblPerson", .kind = K::Label, .parent = "Frame1", .caption = "Select Person",
     .left = 180, .top = 240, .width = 990, .height = 195, .tabIndex = 22,
     .flags = DesignFlag::AutoSize, .labelFor = "cmbPerson"},
    {.name = "cmbPerson", .kind = K::ComboBox, .parent = "Frame1", .left = 1500, .top = 180,
     .width = 2475, .height = 315, .tabIndex = 19, .accessibleName = "Person"},
    {.name = "cmdCalculate", .kind = K::CommandButton, .parent = "Frame1", .caption = "Ca&lculate",
     .left = 4320, .top = 2250, .width = 975, .height = 405, .tabIndex = 4},
    {.name = "cmdHLP", .kind = K::CommandButton, .parent = "Frame1", .caption = "&Help",
     .left = 5505, .top = 2250, .width = 975, .height = 405, .tabIndex = 5,
     .toolTip = "Topic Help"},
    {.name = "cmdClose", .kind = K::CommandButton, .parent = "Frame1", .caption = "&Close",
     .left = 6705, .top = 2250, .width = 975, .height = 405, .tabIndex = 7},
    {.name = "cmdHomePage", .kind = K::CommandButton, .parent = "Frame1", .caption = "Home &Page",
     .left = 7920, .top = 2250, .width = 975, .height = 405, .tabIndex = 6,
     .toolTip = "Topic Help"},
    {.name = "imgAD", .kind = K::Image, .parent = "Frame1", .left = 4470, .top = 240, .width = 4455,
     .height = 1710, .picture = ":/advert.pixels",
     .accessibleName = "Trevala Health Records web page"},
    {.name = "Frame2", .kind = K::Frame, .parent = "Frame1", .caption = "BMI:           ",
     .left = 180, .top = 2670, .width = 8745, .height = 1455, .tabIndex = 9,
     .font = &kSansSerif12Bold, .accessibleName = "BMI scale"},
    {.name = "lblColor(1)", .kind = K::Label, .parent = "Frame2", .caption = "Healthy",
     .left = 6780, .top = 1020, .width = 1110, .height = 225, .tabIndex = 11, .backColor = kGreen,
     .font = &kArial8, .flags = DesignFlag::Centered},
    {.name = "lblColor(3)", .kind = K::Label, .parent = "Frame2", .caption = "Obese", .left = 4320,
     .top = 1020, .width = 2115, .height = 225, .tabIndex = 13, .backColor = kSalmon,
     .font = &kArial8, .flags = DesignFlag::Centered},
    {.name = "lblColor(2)", .kind = K::Label, .parent = "Frame2", .caption = "Overweight",
     .left = 3150, .top = 1020, .width = 1035, .height = 225, .tabIndex = 14, .backColor = kYellow,
     .font = &kArial8, .flags = DesignFlag::Centered},
    {.name = "lblColor(4)", .kind = K::Label, .parent = "Frame2", .caption = "Severly Obese",
     .left = 1710, .top = 990, .width = 1260, .height = 225, .tabIndex = 12, .backColor = kRed,
     .font = &kArial8, .flags = DesignFlag::Centered},
    {.name = "lblColor(0)", .kind = K::Label, .parent = "Frame2", .caption = "Underweight",
     .left = 240, .top = 930, .width = 1230, .height = 225, .tabIndex = 15, .backColor = kCyan,
     .font = &kArial8, .flags = DesignFlag::Centered},
    {.name = "Tick(0)", .kind = K::Line, .parent = "Frame2", .left = 1530, .top = 1050,
     .width = 1530, .height = 1320},
    {.name = "lblBMI", .kind = K::Label, .parent = "Frame2", .left = 750, .top = 0, .width = 795,
     .height = 345, .tabIndex = 17, .backColor = kSysWindowBackground, .foreColor = kSysWindowText,
     .font = &kSansSerif12Bold, .flags = DesignFlag::Centered | DesignFlag::SingleBorder},
    {.name = "lblBMIValue(0)", .kind = K::Label, .parent = "Frame2", .caption = "20", .left = 1440,
     .top = 1200, .width = 180, .height = 195, .tabIndex = 16, .flags = DesignFlag::AutoSize},
    {.name = "LineSlider", .kind = K::Line, .parent = "Frame2", .left = 240, .top = 930,
     .width = 8460, .height = 930},
    {.name = "Slider1", .kind = K::Slider, .parent = "Frame2", .left = 120, .top = 570,
     .width = 8505, .height = 345, .tabIndex = 10, .accessibleName = "BMI marker"},
};
// clang-format on

} // namespace

std::span<const ControlDesign> mainWindowDesign() {
    return kDesign;
}

} // namespace bmi

#pragma once

#include "platform/Design.h"

#include <span>

namespace bmi {

// Window size in twips: the client area is 611 by 281 pixels.
inline constexpr double kMainScaleWidth = 9165;
inline constexpr double kMainScaleHeight = 4215;
inline constexpr std::uint32_t kMainBackColor = 0x00C0C0C0;

std::span<const ControlDesign> mainWindowDesign();

} // namespace bmi

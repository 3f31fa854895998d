#include "links/AdvertPointer.h"

#include "platform/Controls.h"
#include "platform/Platform.h"

namespace bmi {

void advertMouseMove(Platform& platform, Image& image) {
    image.setBorderStyle(0);
    // Asked again on every move, as the pointer may have been changed meanwhile.
    if (const auto hand = platform.loadHandCursor())
        platform.SetCursor(&image, *hand);
}

void advertMouseUp(Image& image) {
    image.setBorderStyle(1);
}

} // namespace bmi

#include "links/AdvertPointer.h"

#include "platform/Controls.h"
#include "platform/Platform.h"

namespace bmi {

void AdvertMouseMove(Platform& platform, Image& image) {
    image.setBorderStyle(0);
    // Asked again on every move, as the pointer may have been changed meanwhile.
    if (const auto hand = platform.LoadHandCursor())
        platform.SetCursor(&image, *hand);
}

void AdvertMouseUp(Image& image) {
    image.setBorderStyle(1);
}

} // namespace bmi

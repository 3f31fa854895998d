#pragma once

namespace bmi {

class Image;
class Platform;

// The advert reads as a link: no border and the hand pointer while the mouse moves
// over it, a thin border once a button is released over it.
void advertMouseMove(Platform& platform, Image& image);
void advertMouseUp(Image& image);

} // namespace bmi

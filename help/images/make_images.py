#!/usr/bin/python3
"""Draws the pictures of the help topics. Run by hand after a change; the PNGs are
committed because the help compiler only copies files, and a help viewer needs raster
images.

    /usr/bin/python3 help/images/make_images.py
"""
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

HERE = Path(__file__).resolve().parent
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# Lower limit of each band, its caption and its colour on the program's scale.
BANDS = [
    (15, "Underweight", (0, 255, 255)),
    (20, "Healthy", (0, 255, 0)),
    (25, "Overweight", (255, 255, 0)),
    (30, "Obese", (255, 128, 128)),
    (40, "Severly Obese", (255, 0, 0)),
]
SCALE_LOW, SCALE_HIGH = 15, 45


def draw_bands(path: Path) -> None:
    unit = 15  # pixels per BMI point; the picture must fit a narrow help pane
    margin = 14
    band_top, band_height = 6, 34
    width = (SCALE_HIGH - SCALE_LOW) * unit + 2 * margin
    height = 78
    image = Image.new("RGB", (width, height), (255, 255, 255))
    draw = ImageDraw.Draw(image)
    label_font = ImageFont.truetype(FONT_BOLD, 10)
    tick_font = ImageFont.truetype(FONT, 11)

    def x_of(value: float) -> int:
        return margin + round((value - SCALE_LOW) * unit)

    for i, (low, caption, colour) in enumerate(BANDS):
        high = BANDS[i + 1][0] if i + 1 < len(BANDS) else SCALE_HIGH
        left, right = x_of(low), x_of(high)
        draw.rectangle([left, band_top, right - 1, band_top + band_height], fill=colour)
        text_colour = (255, 255, 255) if caption == "Severly Obese" else (0, 0, 0)
        # A caption too wide for its band goes on two lines.
        text = caption
        if draw.textbbox((0, 0), text, font=label_font)[2] > right - left - 4:
            text = caption.replace(" ", "\n", 1)
        box = draw.multiline_textbbox((0, 0), text, font=label_font, align="center", spacing=1)
        text_w, text_h = box[2] - box[0], box[3] - box[1]
        draw.multiline_text(((left + right - text_w) / 2 - box[0],
                             band_top + (band_height - text_h) / 2 - box[1]),
                            text, font=label_font, fill=text_colour, align="center", spacing=1)
    draw.rectangle([x_of(SCALE_LOW), band_top, x_of(SCALE_HIGH) - 1, band_top + band_height],
                   outline=(90, 90, 90))

    tick_top = band_top + band_height + 4
    for value in range(SCALE_LOW, SCALE_HIGH + 1):
        x = x_of(value)
        major = value % 5 == 0
        draw.line([x, tick_top, x, tick_top + (8 if major else 4)], fill=(60, 60, 60))
        if major:
            text = str(value)
            box = draw.textbbox((0, 0), text, font=tick_font)
            draw.text((x - (box[2] - box[0]) / 2, tick_top + 11), text, font=tick_font,
                      fill=(0, 0, 0))
    image.save(path, optimize=True)


if __name__ == "__main__":
    draw_bands(HERE / "bands.png")

#!/usr/bin/env python3
"""Writes monkey_expected.inc: what Calculate must answer for each set of entries the
monkey test fills in, worked out from the documented rules with Python's own decimal
and single-precision arithmetic, so that the test's expectations share no code with
the program. Run it after changing the entries below and commit both files:

    python3 tests/monkey_expected.py > tests/monkey_expected.inc
"""
import itertools
import struct
from decimal import ROUND_HALF_EVEN, ROUND_HALF_UP, Decimal

# The entries, per unit: some inside the unit's range, some just outside it.
HEIGHTS = {"inches": ["70", "36", "108.01"], "centimeters": ["175", "275", "89.9"]}
WEIGHTS = {"pounds": ["154", "250", "19.9"], "kilograms": ["76.5", "10", "400.5"]}

AGAIN = "\\r\\nPlease re-enter again."
# Every refusal Calculate may give: message and message box style.
REFUSALS = [
    ("You need to enter the height and weight.", 48),
    ("You need to enter the height.", 48),
    ("You need to enter the weight.", 48),
    ("The height should be between 3 feet(36 inches) and 9 feet (108 inches)." + AGAIN, 48),
    ("The height should be between 90 and 275 centimeters." + AGAIN, 48),
    ("The units must be either inches or centimeters.\\r\\nChoose the units and calculate again.", 64),
    ("The weight should be between 20 and 800 pounds." + AGAIN, 48),
    ("The weight should be between 10 and 400 kilograms." + AGAIN, 48),
    ("The units must be either pounds or kilograms.\\r\\nChoose the units and calculate again.", 64),
]

# Unit: lowest, highest, conversion to metres or kilograms, index of the range refusal.
UNITS = {
    "inches": (36, 108, lambda v: v * 0.0254, 3),
    "centimeters": (90, 275, lambda v: v / 100, 4),
    "pounds": (20, 800, lambda v: v / 2.2, 6),
    "kilograms": (10, 400, lambda v: v, 7),
}


def bits(x):
    return struct.unpack("<I", struct.pack("<f", x))[0]


def from_bits(b):
    return struct.unpack("<f", struct.pack("<I", b))[0]


def single(x):
    """A double rounded once to the nearest single-precision value."""
    return struct.unpack("<f", struct.pack("<f", x))[0]


def nearest_single(d):
    """The single-precision value nearest the exact decimal d (positive, in range)."""
    guess = bits(single(float(d)))
    candidates = [from_bits(guess + k) for k in (-1, 0, 1)]
    return min(candidates, key=lambda f: (abs(Decimal(f) - d), bits(f) % 2))


def calculate(height, height_unit, weight, weight_unit):
    """Index of the refusal, or the result as (text, slider value, band)."""
    metric = []
    for text, unit in ((height, height_unit), (weight, weight_unit)):
        low, high, convert, refusal = UNITS[unit]
        if not low <= Decimal(text) <= high:
            return refusal
        metric.append(single(convert(nearest_single(Decimal(text)))))
    height_m, weight_kg = metric
    bmi = single(weight_kg / height_m / height_m)
    tenths = Decimal(bmi) * 10
    # Rounding of a value this close to a half would depend on how it is read; keep the
    # table clear of such entries.
    assert abs(tenths - tenths.to_integral_value() - Decimal("0.5")) > Decimal("1e-4")
    tenth = Decimal(bmi).quantize(Decimal("0.1"), rounding=ROUND_HALF_UP)
    rounded = nearest_single(tenth)
    # Far below 2^23 a one-decimal number is the shortest text of its nearest float.
    assert tenth < 100000
    text = str(tenth).removesuffix(".0")
    slider = int(Decimal(rounded).to_integral_value(rounding=ROUND_HALF_EVEN))
    band = sum(rounded >= limit for limit in (20, 25, 30, 40))
    return text, slider, band


def main():
    print("// Written by monkey_expected.py from the documented rules; do not edit.")
    print("inline constexpr DesignRefusal kDesignRefusals[] = {")
    for text, style in REFUSALS:
        print(f'    {{"{text}", {style}}},')
    print("};")
    print("inline constexpr ExpectedCalculation kExpectedCalculations[] = {")
    heights = [(t, u) for u, texts in HEIGHTS.items() for t in texts]
    weights = [(t, u) for u, texts in WEIGHTS.items() for t in texts]
    for (h, hu), (w, wu) in itertools.product(heights, weights):
        outcome = calculate(h, hu, w, wu)
        if isinstance(outcome, int):
            print(f'    {{"{h}", "{hu}", "{w}", "{wu}", nullptr, 0, 0, {outcome}}},')
        else:
            text, slider, band = outcome
            print(f'    {{"{h}", "{hu}", "{w}", "{wu}", "{text}", {slider}, {band}, -1}},')
    print("};")


if __name__ == "__main__":
    main()

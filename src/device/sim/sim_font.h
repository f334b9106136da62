#pragma once
// A 5 x 7 bitmap font (digits, capital letters and a few signs) for the test picture.
#include <cstdint>

namespace device::sim {

// The 7 rows of a glyph, 5 bits each (bit 4 is the leftmost pixel); blank for unknown
// characters. Lower-case letters use the capitals.
const uint8_t* glyphRows(char c);

}  // namespace device::sim

#pragma once
// The six filters: five fixed swatch colours and the custom colour the user chooses.

#include "velmor/engine/colorvalues.h"

#include <array>
#include <string_view>

namespace engine {

constexpr int kFilterCount = 6;
constexpr int kCustomFilter = 5;

// Swatch colours of filters 0 to 4 (0x00BBGGRR); filter 5 takes the custom colour.
constexpr std::array<ColorValue, 5> kFixedFilterColors = {
    0x00808080, // monochrome
    0x0040C0C0, // sepia
    0x004040C0, // red
    0x00C04040, // blue
    0x0040C040, // green
};

// Names for the command line, by index.
constexpr std::array<std::string_view, kFilterCount> kFilterNames = {"mono", "sepia", "red", "blue", "green", "custom"};

inline ColorValue filterColor(int index, ColorValue customColor)
{
    return index == kCustomFilter ? customColor : kFixedFilterColors[static_cast<std::size_t>(index)];
}

} // namespace engine

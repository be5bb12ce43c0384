// Build-time half of the catalogue encoding: the exact inverse of the program's descrambler.
#pragma once

#include <string>
#include <string_view>

namespace kvn::scramble {

inline constexpr std::string_view kCatalogueKey = "vKe7wTnRzDqaHmLc";

// Each byte c becomes two key characters: K[c mod 16], rotate K right, K[c div 16], rotate K right.
std::string ScrambleBytes(std::string_view plain, std::string_view key = kCatalogueKey);

// Counts the lines a catalogue loader treats as data: not empty once trimmed, not a "#" comment.
int CountDataLines(std::string_view text);

// Half the sum of the km column (third comma field) of the distance table, rounded down.
long long HalfKmTotal(std::string_view distanceText);

} // namespace kvn::scramble

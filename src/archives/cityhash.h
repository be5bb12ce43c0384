// CityHash64 as HashFS archives use it to find an entry by its path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kvn::archives {

// Google's CityHash64 as released in 1.0.3, the last of the 1.0.x family (MIT licence). The readers
// that work on the game's archives all carry this code. 1.0.2 hashes inputs over 64 bytes
// differently and 1.1 changed most lengths, so a packaged cityhash library would miss entries.
std::uint64_t CityHash64(const char *Data, std::size_t Length);

inline std::uint64_t CityHash64(std::string_view Text)
{
    return CityHash64(Text.data(), Text.size());
}

} // namespace kvn::archives

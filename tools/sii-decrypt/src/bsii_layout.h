#pragma once
// The class layouts that structure blocks of a binary SII file declare. Names point into the
// payload buffer, which outlives the decoding.
#include <cstdint>
#include <string_view>
#include <vector>

namespace siicodec {

struct Ordinal {
    uint32_t value;
    std::string_view text;
};

struct FieldLayout {
    uint32_t type;
    std::string_view name;
    uint32_t ordinalBegin = 0; // slice of StructureLayout::ordinals, sorted by value
    uint32_t ordinalCount = 0;
};

struct StructureLayout {
    uint32_t id = 0;
    std::string_view className;
    std::vector<FieldLayout> fields;
    std::vector<Ordinal> ordinals;
};

// Where a value line sits: the attribute itself or item `index` of an array.
struct ItemPos {
    bool item = false;
    uint32_t index = 0;
};

// A unit name or reference as stored: `parts` 0 = null, 255 = nameless (one u64), else tokens.
struct IdRef {
    uint8_t parts;
    const uint8_t *data;
};

} // namespace siicodec

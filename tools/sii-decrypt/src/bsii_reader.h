#pragma once
// Reads binary SII ("BSII", format versions 1 to 3): structure blocks declare class layouts, data
// blocks hold one unit each in the layout of an earlier structure. The reader checks everything
// and hands each value to a sink: the text writer, or a sink that drops them (for timing).
#include "bsii_layout.h"
#include "byte_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>

namespace siicodec {

namespace bsii {
constexpr uint32_t kMagic = 0x49495342; // "BSII"
constexpr size_t kMinimumSize = 13;     // header and the end-of-file block
std::string TypeName(uint32_t type);
bool IsKnownType(uint32_t type);
inline bool HasOrdinalTable(uint32_t type)
{
    return type == 0x37 || type == 0x38;
}
} // namespace bsii

// A sink that receives nothing; the reader does all of its checks regardless.
struct DiscardingSink {
    void Begin() {}
    void End() {}
    void UnitBegin(const StructureLayout &, IdRef) {}
    void UnitEnd() {}
    void Count(const FieldLayout &, uint32_t) {}
    void String(const FieldLayout &, ItemPos, std::string_view) {}
    void Token(const FieldLayout &, ItemPos, uint64_t) {}
    void Float(const FieldLayout &, ItemPos, float) {}
    void FloatTuple(const FieldLayout &, ItemPos, const float *, int) {}
    void Quaternion(const FieldLayout &, ItemPos, const float *) {}
    void Placement(const FieldLayout &, ItemPos, const float *) {}
    void Int3(const FieldLayout &, ItemPos, const int32_t *) {}
    void Signed(const FieldLayout &, ItemPos, int64_t) {}
    void Unsigned(const FieldLayout &, ItemPos, uint64_t) {}
    void Nil(const FieldLayout &, ItemPos) {}
    void Bool(const FieldLayout &, ItemPos, bool) {}
    void Id(const FieldLayout &, ItemPos, IdRef) {}
};

template <class Sink> class BsiiReader {
public:
    BsiiReader(std::span<const uint8_t> data, Sink &sink) : FIn(data), FSink(sink) {}

    static uint32_t PeekVersion(std::span<const uint8_t> data)
    {
        return data.size() >= 8 ? ByteReader::LoadU32(data.data() + 4) : 0;
    }

    void Run()
    {
        if (FIn.U32() != bsii::kMagic)
            Fail(Status::UnknownForm, "the file is not a binary save");
        FVersion = FIn.U32();
        if (FVersion < 1 || FVersion > 3)
            Fail(Status::Unsupported,
                 "the binary save has format version " + std::to_string(FVersion) + ", which is not supported");
        FSink.Begin();
        for (;;) {
            const uint32_t blockType = FIn.U32();
            if (blockType == 0) {
                if (!ReadStructure())
                    break;
            } else {
                ReadUnit(blockType);
            }
        }
        FSink.End();
    }

private:
    // Returns false at the end-of-file block.
    bool ReadStructure()
    {
        if (FIn.U8() == 0)
            return false;
        const uint32_t id = FIn.U32();
        if (id == 0)
            Fail(Status::Damaged, "the binary save declares a structure with id 0");
        auto [it, inserted] = FStructures.try_emplace(id);
        if (!inserted)
            Fail(Status::Damaged, "the binary save declares structure " + std::to_string(id) + " twice");
        StructureLayout &s = it->second;
        s.id = id;
        s.className = FIn.String();
        for (;;) {
            const uint32_t type = FIn.U32();
            if (type == 0)
                break;
            FieldLayout f{type, FIn.String()};
            if (!bsii::IsKnownType(type))
                Fail(Status::Unsupported, "the save uses a value type this decrypter does not know (type id " +
                                              bsii::TypeName(type) + ", field '" + Printable(f.name) +
                                              "' of structure '" + Printable(s.className) + "')");
            if (bsii::HasOrdinalTable(type))
                ReadOrdinals(s, f);
            s.fields.push_back(f);
        }
        return true;
    }

    void ReadOrdinals(StructureLayout &s, FieldLayout &f)
    {
        const uint32_t count = FIn.U32();
        FIn.NeedElements(count, 8);
        f.ordinalBegin = static_cast<uint32_t>(s.ordinals.size());
        f.ordinalCount = count;
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t value = FIn.U32();
            s.ordinals.push_back({value, FIn.String()});
        }
        // Stable, so that the first text of a repeated value wins.
        std::stable_sort(s.ordinals.begin() + f.ordinalBegin, s.ordinals.end(),
                         [](const Ordinal &a, const Ordinal &b) { return a.value < b.value; });
    }

    void ReadUnit(uint32_t structureId)
    {
        if (structureId != FLastId) {
            auto it = FStructures.find(structureId);
            if (it == FStructures.end())
                Fail(Status::Damaged,
                     "the binary save uses structure " + std::to_string(structureId) + " before declaring it");
            FLast = &it->second;
            FLastId = structureId;
        }
        const StructureLayout &s = *FLast;
        FSink.UnitBegin(s, ReadId());
        for (const FieldLayout &f : s.fields)
            ReadField(s, f);
        FSink.UnitEnd();
    }

    IdRef ReadId()
    {
        const uint8_t parts = FIn.U8();
        if (parts == 0)
            return {0, nullptr};
        const size_t bytes = parts == 255 ? 8 : size_t(parts) * 8;
        return {parts, FIn.Take(bytes)};
    }

    float F32() { return ByteReader::LoadF32(FIn.Take(4)); }

    // Calls `one(pos)` for a single value, or reads a count and calls it per element.
    template <class Fn> void Values(const FieldLayout &f, bool array, size_t minElementBytes, Fn one)
    {
        if (!array) {
            one(ItemPos{});
            return;
        }
        const uint32_t count = FIn.U32();
        FIn.NeedElements(count, minElementBytes);
        FSink.Count(f, count);
        for (uint32_t i = 0; i < count; ++i)
            one(ItemPos{true, i});
    }

    void ReadField(const StructureLayout &s, const FieldLayout &f)
    {
        const uint32_t t = f.type;
        switch (t) {
        case 0x01:
        case 0x02:
            return Values(f, t == 0x02, 4, [&](ItemPos p) { FSink.String(f, p, FIn.String()); });
        case 0x03:
        case 0x04:
            return Values(f, t == 0x04, 8, [&](ItemPos p) { FSink.Token(f, p, FIn.U64()); });
        case 0x05:
        case 0x06:
            return Values(f, t == 0x06, 4, [&](ItemPos p) { FSink.Float(f, p, F32()); });
        case 0x07:
        case 0x08:
        case 0x09:
        case 0x0A: {
            const int n = t <= 0x08 ? 2 : 3;
            return Values(f, t == 0x08 || t == 0x0A, 4 * n, [&](ItemPos p) {
                float v[3];
                const uint8_t *b = FIn.Take(4 * n);
                for (int i = 0; i < n; ++i)
                    v[i] = ByteReader::LoadF32(b + 4 * i);
                FSink.FloatTuple(f, p, v, n);
            });
        }
        case 0x11:
        case 0x12:
            return Values(f, t == 0x12, 12, [&](ItemPos p) {
                const uint8_t *b = FIn.Take(12);
                int32_t v[3];
                for (int i = 0; i < 3; ++i)
                    v[i] = static_cast<int32_t>(ByteReader::LoadU32(b + 4 * i));
                FSink.Int3(f, p, v);
            });
        case 0x17:
        case 0x18:
            return Values(f, t == 0x18, 16, [&](ItemPos p) {
                const uint8_t *b = FIn.Take(16);
                float v[4];
                for (int i = 0; i < 4; ++i)
                    v[i] = ByteReader::LoadF32(b + 4 * i);
                FSink.Quaternion(f, p, v);
            });
        case 0x19:
        case 0x1A: {
            const size_t bytes = FVersion == 1 ? 28 : 32;
            return Values(f, t == 0x1A, bytes, [&](ItemPos p) {
                float v[7];
                ReadPlacement(s, f, FIn.Take(bytes), v);
                FSink.Placement(f, p, v);
            });
        }
        case 0x25:
        case 0x26:
            return Values(f, t == 0x26, 4, [&](ItemPos p) { FSink.Signed(f, p, static_cast<int32_t>(FIn.U32())); });
        case 0x27:
        case 0x28:
            return Values(f, t == 0x28, 4, [&](ItemPos p) {
                const uint32_t v = FIn.U32();
                if (v == 0xFFFFFFFFu)
                    FSink.Nil(f, p);
                else
                    FSink.Unsigned(f, p, v);
            });
        case 0x29:
        case 0x2A:
            return Values(f, t == 0x2A, 2, [&](ItemPos p) {
                const uint8_t *b = FIn.Take(2);
                FSink.Signed(f, p, static_cast<int16_t>(uint16_t(b[0] | b[1] << 8)));
            });
        case 0x2B:
        case 0x2C:
            return Values(f, t == 0x2C, 2, [&](ItemPos p) {
                const uint8_t *b = FIn.Take(2);
                const uint16_t v = uint16_t(b[0] | b[1] << 8);
                if (v == 0xFFFF)
                    FSink.Nil(f, p);
                else
                    FSink.Unsigned(f, p, v);
            });
        case 0x2F:
            return FSink.Unsigned(f, ItemPos{}, FIn.U32());
        case 0x31:
        case 0x32:
            return Values(f, t == 0x32, 8, [&](ItemPos p) { FSink.Signed(f, p, static_cast<int64_t>(FIn.U64())); });
        case 0x33:
        case 0x34:
            return Values(f, t == 0x34, 8, [&](ItemPos p) {
                const uint64_t v = FIn.U64();
                if (v == ~uint64_t(0))
                    FSink.Nil(f, p);
                else
                    FSink.Unsigned(f, p, v);
            });
        case 0x35:
        case 0x36:
            return Values(f, t == 0x36, 1, [&](ItemPos p) { FSink.Bool(f, p, FIn.U8() != 0); });
        case 0x37:
        case 0x38:
            return Values(f, t == 0x38, 4, [&](ItemPos p) { FSink.String(f, p, OrdinalText(s, f, FIn.U32())); });
        case 0x39:
        case 0x3A:
        case 0x3B:
        case 0x3C:
        case 0x3D:
        case 0x3E:
            return Values(f, t == 0x3A || t == 0x3C || t == 0x3E, 1, [&](ItemPos p) { FSink.Id(f, p, ReadId()); });
        default:
            // Structures only admit known types, so this is unreachable.
            Fail(Status::Unsupported, "unknown value type " + bsii::TypeName(t));
        }
    }

    // Versions 2 and 3 store x and z as offsets inside a grid cell whose position is packed into
    // a hidden bias float; version 1 stores the position directly.
    void ReadPlacement(const StructureLayout &s, const FieldLayout &f, const uint8_t *b, float *out)
    {
        if (FVersion == 1) {
            for (int i = 0; i < 7; ++i)
                out[i] = ByteReader::LoadF32(b + 4 * i);
            return;
        }
        const float bias = ByteReader::LoadF32(b + 12);
        if (!(bias > -2147483648.0f && bias < 2147483648.0f))
            Fail(Status::Damaged, "the position in field '" + Printable(f.name) + "' of structure '" +
                                      Printable(s.className) + "' is damaged");
        const int32_t k = static_cast<int32_t>(bias);
        const int32_t dx = ((k & 0xFFF) - 2048) * 512;
        const int32_t dz = (((k >> 12) & 0xFFF) - 2048) * 512;
        out[0] = ByteReader::LoadF32(b) + static_cast<float>(dx);
        out[1] = ByteReader::LoadF32(b + 4);
        out[2] = ByteReader::LoadF32(b + 8) + static_cast<float>(dz);
        for (int i = 3; i < 7; ++i)
            out[i] = ByteReader::LoadF32(b + 4 * (i + 1));
    }

    std::string_view OrdinalText(const StructureLayout &s, const FieldLayout &f, uint32_t value) const
    {
        const Ordinal *begin = s.ordinals.data() + f.ordinalBegin;
        const Ordinal *end = begin + f.ordinalCount;
        const Ordinal *it =
            std::lower_bound(begin, end, value, [](const Ordinal &o, uint32_t v) { return o.value < v; });
        if (it == end || it->value != value)
            Fail(Status::Damaged, "value " + std::to_string(value) + " of field '" + Printable(f.name) +
                                      "' of structure '" + Printable(s.className) + "' has no name in its table");
        return it->text;
    }

    // Names from a damaged file may hold anything; messages show at most 60 plain characters.
    static std::string Printable(std::string_view name)
    {
        std::string out;
        for (char c : name.substr(0, 60))
            out += (c >= 0x20 && c < 0x7F) ? c : '?';
        if (name.size() > 60)
            out += "...";
        return out;
    }

    ByteReader FIn;
    Sink &FSink;
    uint32_t FVersion = 0;
    std::unordered_map<uint32_t, StructureLayout> FStructures;
    const StructureLayout *FLast = nullptr;
    uint32_t FLastId = 0;
};

} // namespace siicodec

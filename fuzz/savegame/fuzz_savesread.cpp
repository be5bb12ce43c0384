// Feeds arbitrary bytes to the reading of the index of saves read for distances: whatever it
// keeps must come back unchanged when written and read again.
#include "savegame/savesread.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    if (Size > std::size_t(kvn::TReadSavesIndex::kMaxFileBytes) + 16)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(Data), static_cast<qsizetype>(Size));
    const kvn::TReadSavesIndex index = kvn::TReadSavesIndex::Parse(bytes);
    if (index.Count() > kvn::TReadSavesIndex::kMaxEntries)
        __builtin_trap();
    const QByteArray written = index.Serialise();
    const kvn::TReadSavesIndex again = kvn::TReadSavesIndex::Parse(written);
    if (again.Count() != index.Count() || again.Serialise() != written)
        __builtin_trap();
    return 0;
}

// Feeds arbitrary bytes as the kept copy of an installed game's definitions.
#include "catalogue/gamedefscache.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(Data), qsizetype(Size));
    kvn::GameDefinitionsFromCacheBytes(bytes, QStringLiteral("key"));
    return 0;
}

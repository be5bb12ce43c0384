// Feeds arbitrary bytes to the reading of the learnt-distances file and to the table built from
// it; a file without a byte-order mark must come back byte for byte when written unchanged.
#include "catalogue/distances.h"
#include "shared/encoding.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    if (Size > 1 << 20)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(Data), static_cast<qsizetype>(Size));
    kvn::TTextEncoding encoding = kvn::TTextEncoding::Ansi;
    bool hasBom = false;
    const QString text = kvn::DecodeDistanceUserBytes(bytes, &encoding, &hasBom);
    if (!hasBom && kvn::EncodeText(text, encoding, false) != bytes)
        __builtin_trap();
    static const QStringList compiled{QStringLiteral("berlin,hamburg,289,0"), QStringLiteral("calais,dover,120,90")};
    const auto table = kvn::TDistanceTable::Build(compiled, kvn::SplitDistanceUserText(text));
    if (table->Entries().size() < compiled.size())
        __builtin_trap();
    for (const auto &e : table->Entries())
        (void)table->GetDistance(e.Departure(), e.Destination());
    return 0;
}

// Feeds arbitrary bytes to the SII line reader and the indexed look-ups; checks the round trip.
#include "savegame/gamesavelines.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(Data), qsizetype(Size));
    kvn::GameSaveLines save;
    save.LoadFromBytes(bytes);
    const QByteArray back = kvn::EncodeSiiLines(save.Lines(), save.Form());
    // Only Latin-1 input is guaranteed to come back byte for byte (UTF-8/16 may hold invalid units).
    if (save.Form().Encoding == kvn::SiiEncoding::Latin1 && back != bytes)
        std::abort();
    for (const char16_t *prefix : {u"company : company.volatile.", u"job_offer_data : x {", u"}", u"a : "}) {
        const QStringView p(prefix);
        if (save.FindLineFrom(p, 0) != kvn::FindLineFrom(save.Lines(), p, 0))
            std::abort();
    }
    kvn::IsPlainSiiBytes(bytes);
    return 0;
}

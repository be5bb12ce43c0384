// Feeds arbitrary bytes to the SII line reader, the indexed look-ups and the check for a whole
// save; checks the round trip, and that a save found whole stops being whole without its last line.
#include "savegame/gamesavelines.h"
#include "savegame/savestructure.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(Data), qsizetype(Size));
    kvn::TGameSaveLines save;
    save.LoadFromBytes(bytes);
    const QByteArray back = kvn::EncodeSiiLines(save.Lines(), save.Form());
    // Only Latin-1 input is guaranteed to come back byte for byte (UTF-8/16 may hold invalid units).
    if (save.Form().Encoding == kvn::TSiiEncoding::Latin1 && back != bytes)
        std::abort();
    for (const char16_t *prefix : {u"company : company.volatile.", u"job_offer_data : x {", u"}", u"a : "}) {
        const QStringView p(prefix);
        if (save.FindLineFrom(p, 0) != kvn::FindLineFrom(save.Lines(), p, 0))
            std::abort();
    }
    kvn::IsPlainSiiBytes(bytes);

    const kvn::TSaveStructureCheck check = kvn::CheckSaveStructure(save.Lines());
    if (check.Ok()) {
        if (!save.Line(0).startsWith(QLatin1String("SiiNunit")) || save.FindLineFrom(u"economy : ", 0) < 0)
            std::abort();
        QStringList cut = save.Lines();
        while (!cut.isEmpty() && kvn::TrimmedView(cut.back()).isEmpty())
            cut.removeLast();
        cut.removeLast(); // the file's closing brace
        if (kvn::CheckSaveStructure(cut).Ok())
            std::abort();
    } else if (check.Line < 0 || check.Line > save.Count() + 1 || kvn::DescribeSaveFault(check, nullptr).isEmpty()) {
        std::abort();
    }
    return 0;
}

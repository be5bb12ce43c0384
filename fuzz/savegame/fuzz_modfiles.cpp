// Feeds arbitrary bytes as the small SII files of the game and its mods (version.sii,
// manifest.sii, versions.sii) and as a profile's mod list.
#include "savegame/gameinstall.h"
#include "savegame/gamemods.h"
#include "savegame/siiattributes.h"
#include "savegame/siitext.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(Data), qsizetype(Size));
    const auto attributes = kvn::ReadSiiAttributes(bytes);
    if (attributes.size() > 5000)
        std::abort();
    const kvn::TGameVersion version = kvn::ParseGameVersion(bytes);
    for (const kvn::TSiiAttribute &a : attributes)
        kvn::VersionMatches(a.Value, version.Version.isEmpty() ? QStringLiteral("1.58.1.5") : version.Version);

    QStringList lines;
    kvn::TSiiTextForm form;
    kvn::ReadSiiBytes(bytes, lines, form);
    for (const kvn::TActiveMod &mod : kvn::ParseActiveMods(lines))
        kvn::WorkshopItemId(mod.Package);
    return 0;
}

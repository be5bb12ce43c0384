// Feeds arbitrary bytes as a save and as a profile.sii to the readers of a profile load:
// profile names, game time and city, companies, cargo offers and the learner's walk.
#include "catalogue/catalogue.h"
#include "savegame/companies.h"
#include "savegame/gamesavelines.h"
#include "savegame/profiles.h"
#include "savegame/profilesession.h"
#include "savegame/savegamecargos.h"
#include "savegame/unknowndistances.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    static kvn::TCatalogue *catalogue = [] {
        auto *c = new kvn::TCatalogue;
        c->LoadTrailersAndCargos();
        c->Distances.SetCompiledLines({"a,b,10,0", "berlin,praha,350,0"});
        c->Distances.ReloadDistances();
        return c;
    }();
    kvn::TGameSaveLines save;
    save.LoadFromBytes(QByteArray(reinterpret_cast<const char *>(Data), qsizetype(Size)));

    // Names are shown as read: never with a control character the escapes stood for.
    const kvn::TProfileNames names = kvn::ReadProfileNames(save.Lines());
    for (const QString &name : {names.ProfileName, names.CompanyName})
        for (const QChar c : name)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                std::abort();
    kvn::ReadGameTimeAndLastCity(save.Lines());
    kvn::TCompanyList companies;
    kvn::LoadCompaniesFromGameFile(save, companies);
    kvn::LoadCargosFromGameFileToClasses(save, catalogue->CargoInfoList, catalogue->TrailerDefinitionDataList, nullptr);
    // A save whose offers name a trailer the catalogue knows is never called too old.
    if (kvn::OffersNameNoTrailers(save) && kvn::CompatibleCargoCount(catalogue->CargoInfoList) != 0)
        std::abort();
    const auto table = catalogue->Distances.Snapshot();
    const auto indexed = kvn::CollectUnknownDistances(save, *table);
    const auto scanned = kvn::CollectUnknownDistancesByScan(save.Lines(), *table);
    if (indexed.size() != scanned.size())
        std::abort();
    return 0;
}

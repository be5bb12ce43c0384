// Feeds arbitrary bytes to the reader of the game's definition files as a whole def/ tree: the
// input is cut at "\n@@@\n" into the files below, which may include one another, so includes,
// cycles and the walk of the tree are exercised along with the text itself.
#include "catalogue/gamedefs.h"
#include "catalogue/gamedefslocale.h"
#include "common/memorygamefiles.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

constexpr const char *kPaths[] = {
    "def/city.sii",
    "def/city/a.sui",
    "def/company.sii",
    "def/company/x/editor/e.sii",
    "def/company/x/out/o.sii",
    "def/vehicle/trailer_defs/t.sii",
    "def/cargo.dlc_x.sii",
    "locale/de_de/local.sii",
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    if (Size > 1 << 20)
        return 0;
    std::string_view input(reinterpret_cast<const char *>(Data), Size);
    kvntest::TMemoryGameFiles files;
    for (const char *path : kPaths) {
        const std::size_t cut = input.find("\n@@@\n");
        files.Add(path, input.substr(0, cut));
        if (cut == std::string_view::npos)
            break;
        input.remove_prefix(cut + 5);
    }

    const kvn::TGameDefinitions defs = kvn::ReadGameDefinitions(files);
    kvn::TCargoInfoList cargos;
    kvn::BuildCargos(defs, cargos);
    kvn::TTrailerDefinitionDataList trailers;
    kvn::BuildTrailerDefinitions(defs, trailers);
    if (kvn::CountryLinesOf(defs).size() > static_cast<qsizetype>(defs.Cities.size()))
        __builtin_trap();

    const QHash<QString, QString> names = kvn::ReadLocaleNames(files, QStringLiteral("de_de"));
    for (const kvn::TGameCity &city : defs.Cities)
        (void)kvn::ResolveLocalised(city.Name, names);
    return 0;
}

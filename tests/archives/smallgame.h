// A small installed game for tests: def.scs with a version, one country, two cities (alpha named by a
// locale key that locale.scs resolves in German only), one cargo and one trailer, beside a DLC
// archive that is damaged.
#pragma once

#include "archivewriter.h"

#include <QDir>
#include <QString>

namespace kvn::archives::testing {

inline bool WriteSmallGame(const QString &Folder, const std::string &Version)
{
    if (!QDir().mkpath(Folder))
        return false;
    const auto city = [](const std::string &Token, const std::string &Name) {
        return "city_data: city." + Token + "\n{\n\tcity_name: \"" + Name + "\"\n\tcountry: testland\n}\n";
    };
    TTestArchive def;
    def.Files = {
        {"version.sii",
         "SiiNunit\n{\nfs_pack_set: .set\n{\n\tapplication: eut2\n\tversion: \"" + Version + "\"\n}\n}\n", false},
        {"def/country.sii", "SiiNunit\n{\n@include \"country/testland.sui\"\n}\n", false},
        {"def/country/testland.sui", "country_data: country.data.testland\n{\n\tname: \"Testland\"\n}\n", false},
        {"def/city.sii", "SiiNunit\n{\n@include \"city/alpha.sui\"\n@include \"city/beta.sui\"\n}\n", false},
        {"def/city/alpha.sui", city("alpha", "@@alpha_city@@"), true},
        {"def/city/beta.sui", city("beta", "Beta"), false},
        {"def/cargo.sii", "SiiNunit\n{\n@include \"cargo/glass.sui\"\n}\n", false},
        {"def/cargo/glass.sui",
         "cargo_data: cargo.glass\n{\n\tmass: 100\n\tvolume: 1\n\tunit_reward_per_km: 0.5\n\tbody_types[]: "
         "curtainside\n}\n",
         false},
        {"def/vehicle/trailer_defs/dryvan.sii",
         "SiiNunit\n{\ntrailer_def : trailer_def.scs.box.single_3.dryvan\n{\n\tgross_trailer_weight_limit: 40000\n"
         "\tchassis_mass: 7000\n\tlength: 13.6\n\taxles: 3\n\tvolume: 90\n\tbody_type: curtainside\n"
         "\tchain_type: single\n}\n}\n",
         true}};
    TTestArchive locale;
    locale.Files = {{"locale/de_de/local.sii",
                     "SiiNunit\n{\nlocalization_db : .localization\n{\n key[]: \"alpha_city\"\n val[]: "
                     "\"Alphastadt\"\n}\n}\n",
                     false}};
    return WriteFileBytes((Folder + "/def.scs").toStdString(), WriteHashFsV2(def)) &&
           WriteFileBytes((Folder + "/locale.scs").toStdString(), WriteHashFsV2(locale)) &&
           WriteFileBytes((Folder + "/dlc_broken.scs").toStdString(), {'S', 'C', 'S', '#', 9, 9, 9});
}

} // namespace kvn::archives::testing

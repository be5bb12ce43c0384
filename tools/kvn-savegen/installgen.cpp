#include "installgen.h"

#include "catalogue/resources.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <bit>
#include <cstdint>

namespace kvn::savegen {

using archives::testing::TTestArchive;
using archives::testing::TTestFile;

namespace {

// The compiled catalogue's lines of one list, without the empty ones.
QStringList CompiledLines(const QString &ResName)
{
    QStringList lines = CatalogueLines(ResName, true);
    lines.removeAll(QString());
    return lines;
}

// The IEEE single notation of a value a float holds exactly; empty when it does not.
QString HexWhenExact(const QString &Decimal)
{
    const double value = Decimal.toDouble();
    const float single = static_cast<float>(value);
    if (static_cast<double>(single) != value)
        return {};
    return QStringLiteral("&%1").arg(std::bit_cast<std::uint32_t>(single), 8, 16, QChar(u'0'));
}

const QStringList kGroupBits = {QStringLiteral("nogroup"),      QStringLiteral("bulk"),
                                QStringLiteral("construction"), QStringLiteral("containers"),
                                QStringLiteral("machinery"),    QStringLiteral("refrigerated"),
                                QStringLiteral("gooseneck"),    QStringLiteral("liquid"),
                                QStringLiteral("livestock"),    QStringLiteral("inloader")};

// The body type every generated trailer has, and so the one the mod's cargo asks for.
const QString kBodyType = QStringLiteral("curtainside");

void AddCities(std::vector<TTestFile> &Files)
{
    QSet<QString> keyed;
    for (const auto &[token, name] : GermanCityNames())
        keyed.insert(token);
    QString countryList = QStringLiteral("SiiNunit\n{\n");
    QString cityLists[2] = {QStringLiteral("SiiNunit\n{\n"), QStringLiteral("SiiNunit\n{\n")};
    QSet<QString> countries;
    int i = 0;
    for (const QString &line : CompiledLines(QStringLiteral("Countries"))) {
        const QString city = line.section(u';', 0, 0);
        const QString country = line.section(u';', 1).toLower();
        cityLists[i % 2] += QStringLiteral("@include \"city/%1.sui\"\n").arg(city);
        const QString name = i % 5 == 0 && !keyed.contains(city) ? city : QStringLiteral("@@%1@@").arg(city);
        const QString body =
            i % 5 == 0 ? QStringLiteral("city_data : city.%1 { city_name: \"%3\" /* one line */ country: %2 }\n")
                       : QStringLiteral("city_data: city.%1\n{\n\tcity_name: \"%3\"\n\tcountry: %2 // token\n}\n");
        Files.push_back(
            {"def/city/" + city.toStdString() + ".sui", body.arg(city, country, name).toStdString(), i % 2 == 1});
        if (!countries.contains(country)) {
            countries.insert(country);
            countryList += QStringLiteral("@include \"country/%1.sui\"\n").arg(country);
            Files.push_back(
                {"def/country/" + country.toStdString() + ".sui",
                 QStringLiteral("country_data: country.data.%1\n{\n\tname: \"@@%1@@\"\n\tcountry_code: \"XX\"\n}\n")
                     .arg(country)
                     .toStdString(),
                 false});
        }
        ++i;
    }
    Files.push_back({"def/country.sii", (countryList + u'}').toStdString(), false});
    Files.push_back({"def/city.sii", (cityLists[0] + u'}').toStdString(), false});
    Files.push_back({"def/city.dlc_north.sii", (cityLists[1] + u'}').toStdString(), false});
}

void AddCargos(std::vector<TTestFile> &Files)
{
    QString cargoLists[2] = {QStringLiteral("SiiNunit\n{\n"), QStringLiteral("SiiNunit\n{\n")};
    int i = 0;
    for (const QString &line : CompiledLines(QStringLiteral("Cargos"))) {
        const QStringList f = line.split(u';');
        if (f.size() != 10)
            continue;
        const QString name = f[0].section(u'.', 1);
        cargoLists[i % 2] += QStringLiteral("@include \"cargo/%1.sui\"\n").arg(name);
        QString body = QStringLiteral("cargo_data: %1\n{\n\tname: \"@@cn_%2@@\"\n").arg(f[0], name);
        if (f[1] != QStringLiteral("1"))
            body += QStringLiteral("\tfragility: %1\n").arg(f[1]);
        if (f[2] == QStringLiteral("1"))
            body += QStringLiteral("\tvaluable: true\n");
        if (f[3] != QStringLiteral("0"))
            body += QStringLiteral("\tadr_class: %1\n").arg(f[3]);
        const int mask = f[4].toInt();
        for (int bit = 0; bit < kGroupBits.size(); ++bit) {
            // "nogroup" is what a cargo without groups gets; half of them spell it out.
            if ((mask >> bit) & 1 && (bit > 0 || i % 2))
                body += QStringLiteral("\tgroup[]: %1\n").arg(kGroupBits[bit]);
        }
        if (i % 3 == 0)
            body += QStringLiteral("\tgroup[]: adr\n"); // a game group the program does not sort by
        const auto number = [&](const QString &Text) {
            const QString hex = HexWhenExact(Text);
            return i % 2 && !hex.isEmpty() ? hex : Text;
        };
        body += QStringLiteral("\tvolume: %1\n\tmass: %2\n\tunit_reward_per_km: %3\n")
                    .arg(number(f[5]), number(f[6]), number(f[7]));
        if (f[8] == QStringLiteral("1"))
            body += QStringLiteral("\toverweight: true\n");
        if (f[9] != QStringLiteral("-1"))
            body += QStringLiteral("\tmaximum_distance: %1\n").arg(f[9]);
        body += QStringLiteral("\tminimum_distance: 50\n\tbody_types[]: %1\n}\n").arg(kBodyType);
        Files.push_back({"def/cargo/" + name.toStdString() + ".sui", body.toStdString(), i % 4 == 1});
        ++i;
    }
    Files.push_back({"def/cargo.sii", (cargoLists[0] + u'}').toStdString(), false});
    Files.push_back({"def/cargo.dlc_trailers.sii", (cargoLists[1] + u'}').toStdString(), false});
}

void AddTrailers(std::vector<TTestFile> &Files)
{
    int i = 0;
    for (const QString &line : CompiledLines(QStringLiteral("TrailerDefinitions"))) {
        const QStringList f = line.split(u';');
        if (f.size() < 6)
            continue;
        const int mass = f[2].toInt();
        const int body = mass >= 1000 && i % 2 ? 700 : 0;
        QString unit = QStringLiteral("SiiNunit\n{\ntrailer_def : %1\n{\n\tgross_trailer_weight_limit: %2\n"
                                      "\tchassis_mass: %3\n\tlength: %4\n\taxles: %5\n\tvolume: %6\n"
                                      "\tbody_type: %7\n\tchain_type: single\n")
                           .arg(f[0], f[1], QString::number(mass - body), f[3], f[4], f[5], kBodyType);
        if (body)
            unit += QStringLiteral("\tbody_mass: %1\n").arg(body);
        if (f.size() == 7) {
            for (const QString &country : f[6].split(u','))
                unit += QStringLiteral("\tcountry_validity[]: %1\n").arg(country);
        }
        unit += QStringLiteral("}\n}\n");
        const std::string folder = i % 3 == 0 ? "def/vehicle/trailer_defs/" : "def/vehicle/trailer_defs/scs/box/";
        Files.push_back({folder + "t" + std::to_string(i) + ".sii", unit.toStdString(), i % 2 == 0});
        ++i;
    }
}

bool WriteArchive(const QString &Path, const std::vector<std::uint8_t> &Bytes, QString *Error)
{
    if (archives::testing::WriteFileBytes(QDir::toNativeSeparators(Path).toStdString(), Bytes))
        return true;
    if (Error)
        *Error = QStringLiteral("cannot write %1").arg(Path);
    return false;
}

bool MakeFolder(const QString &Folder, QString *Error)
{
    if (QDir().mkpath(Folder))
        return true;
    if (Error)
        *Error = QStringLiteral("cannot create %1").arg(Folder);
    return false;
}

} // namespace

std::vector<TTestFile> CompiledDefTree()
{
    std::vector<TTestFile> files;
    AddCities(files);
    AddCargos(files);
    AddTrailers(files);
    return files;
}

const std::vector<std::pair<QString, QString>> &GermanCityNames()
{
    static const std::vector<std::pair<QString, QString>> names = {
        {QStringLiteral("koln"), QStringLiteral("K\u00f6ln")},
        {QStringLiteral("munchen"), QStringLiteral("M\u00fcnchen")},
        {QStringLiteral("milano"), QStringLiteral("Mailand")},
        {QStringLiteral("napoli"), QStringLiteral("Neapel")},
        {QStringLiteral("warszawa"), QStringLiteral("Warschau")},
        {QStringLiteral("geneve"), QStringLiteral("Genf")},
    };
    return names;
}

QString GeneratedGameVersion()
{
    return CatalogueGameVersion() + QStringLiteral(".1.5");
}

bool WriteInstalledGame(const QString &Folder, QString *Error)
{
    if (!MakeFolder(Folder, Error))
        return false;
    TTestArchive def;
    def.Files = CompiledDefTree();

    TTestArchive version;
    version.Files = {{"version.sii",
                      "SiiNunit\n{\nfs_pack_set: .set\n{\n\tapplication: eut2\n\tversion: \"" +
                          GeneratedGameVersion().toStdString() + "\"\n}\n}\n",
                      false}};

    QString keys, values;
    for (const auto &[token, name] : GermanCityNames()) {
        keys += QStringLiteral(" key[]: \"%1\"\n").arg(token);
        values += QStringLiteral(" val[]: \"%1\"\n").arg(name);
    }
    TTestArchive locale;
    locale.Files = {{"locale/de_de/local.sii",
                     ("SiiNunit\n{\nlocalization_db : .localization\n{\n" + keys + values + "}\n}\n").toStdString(),
                     true}};

    const QDir folder(Folder);
    return WriteArchive(folder.filePath(QStringLiteral("def.scs")), archives::testing::WriteHashFsV2(def), Error) &&
           WriteArchive(folder.filePath(QStringLiteral("version.scs")), archives::testing::WriteHashFsV2(version),
                        Error) &&
           WriteArchive(folder.filePath(QStringLiteral("locale.scs")), archives::testing::WriteHashFsV2(locale), Error);
}

bool IsModPackageName(const QString &Name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
    return pattern.match(Name).hasMatch();
}

bool WriteModPackage(const QString &ModFolder, const QString &Name, QString *Error)
{
    if (!IsModPackageName(Name)) {
        if (Error)
            *Error = QStringLiteral("\"%1\" cannot name a mod package (letters, digits, _ and -)").arg(Name);
        return false;
    }
    if (!MakeFolder(ModFolder, Error))
        return false;
    const std::string cargo = ModCargoName;
    const std::string name = Name.toStdString();
    TTestArchive mod;
    mod.Files = {{"manifest.sii",
                  "SiiNunit\n{\nmod_package : .package_name\n{\n\tpackage_version: \"1.0\"\n\tdisplay_name: \"" + name +
                      "\"\n\tauthor: \"kvn-savegen\"\n\tcategory[]: \"cargo\"\n\tcompatible_versions[]: \"" +
                      CatalogueGameVersion().toStdString() + ".*\"\n}\n}\n",
                  false},
                 // A list of its own beside the game's, as mods add cargos without replacing the game's lists.
                 {"def/cargo." + name + ".sii", "SiiNunit\n{\n@include \"cargo/" + cargo + ".sui\"\n}\n", false},
                 {"def/cargo/" + cargo + ".sui",
                  "cargo_data: cargo." + cargo + "\n{\n\tname: \"Tundra tea\"\n\tfragility: 0.3\n\tvolume: " +
                      std::to_string(int(ModCargoVolume)) +
                      "\n\tmass: 120\n"
                      "\tunit_reward_per_km: 0.42\n\tminimum_distance: 50\n\tbody_types[]: " +
                      kBodyType.toStdString() + "\n}\n",
                  true}};
    return WriteArchive(QDir(ModFolder).filePath(Name + QStringLiteral(".scs")), archives::testing::WriteZip(mod),
                        Error);
}

QString ActiveModEntry(const QString &Name)
{
    return Name + QStringLiteral("|") + Name;
}

} // namespace kvn::savegen

#include "catalogue/gamedefs.h"

#include <QMap>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kvn {
namespace {

using archives::IGameFileSource;
using archives::TFolderEntry;

// How deep the trailer definition folders are walked; the game keeps them one or two levels down.
constexpr int kMaxTrailerFolderDepth = 4;

// A whole number as the compiled data writes it: truncated toward zero; Default when the value is
// missing or beyond 32 bits.
std::int32_t ToInt32(std::optional<double> Value, std::int32_t Default)
{
    if (!Value || !std::isfinite(*Value))
        return Default;
    const double truncated = std::trunc(*Value);
    if (truncated < std::numeric_limits<std::int32_t>::min() || truncated > std::numeric_limits<std::int32_t>::max())
        return Default;
    return static_cast<std::int32_t>(truncated);
}

// The token a unit name stands for: what follows Prefix, or else the last dot part.
QString TokenOf(const QString &UnitName, const QString &Prefix)
{
    if (UnitName.startsWith(Prefix))
        return UnitName.mid(Prefix.size());
    return UnitName.mid(UnitName.lastIndexOf(u'.') + 1);
}

QStringList SortedUnique(QStringList List)
{
    List.removeAll(QString());
    List.sort();
    List.removeDuplicates();
    return List;
}

QStringList LowerTrimmed(const QStringList &List)
{
    QStringList out;
    out.reserve(List.size());
    for (const QString &item : List)
        out.append(item.trimmed().toLower());
    return out;
}

bool EndsWithSii(const std::string &Name)
{
    return Name.size() > 4 && Name.compare(Name.size() - 4, 4, ".sii") == 0;
}

// The multi-file lists of def/: "city.sii", "city.<suffix>.sii" and the same for countries,
// companies and cargos.
bool IsListFile(const std::string &Name)
{
    static const QRegularExpression pattern(QStringLiteral("^(city|country|company|cargo)(\\..+)?\\.sii$"));
    return pattern.match(QString::fromStdString(Name)).hasMatch();
}

std::vector<TFolderEntry> SortedListing(const IGameFileSource &Files, const std::string &Folder)
{
    std::vector<TFolderEntry> entries;
    if (!Files.ListFolder(Folder, entries))
        return {};
    std::sort(entries.begin(), entries.end(),
              [](const TFolderEntry &A, const TFolderEntry &B) { return A.Name < B.Name; });
    return entries;
}

bool IsSafeName(const std::string &Name)
{
    return !Name.empty() && Name != "." && Name != ".." && Name.find('/') == std::string::npos;
}

// One top-level file to read, and where its units go: the common list (Bucket -1) or one company
// folder. Listing everything first gives the number of files before the slow part starts.
struct TPlannedFile {
    std::string Path;
    int Bucket = -1;
    bool OnlyIfUnread = false; // a folder's file may already have come in through an @include
};

// Plans every .sii file of Folder, and of its subfolders down to Depth.
void PlanFolder(const IGameFileSource &Files, const std::string &Folder, int Depth, int Bucket,
                std::vector<TPlannedFile> &Plan)
{
    for (const TFolderEntry &entry : SortedListing(Files, Folder)) {
        if (!IsSafeName(entry.Name))
            continue;
        const std::string path = Folder + '/' + entry.Name;
        if (entry.IsFolder) {
            if (Depth > 0)
                PlanFolder(Files, path, Depth - 1, Bucket, Plan);
        } else if (EndsWithSii(entry.Name)) {
            Plan.push_back({path, Bucket, true});
        }
    }
}

enum class TCompanyPart : std::uint8_t { In, Out, Editor };

struct TCompanyFolderUnits {
    QString Company;
    TCompanyPart Part;
    std::vector<TDefUnit> Units;
};

void AttachCompanyFolder(std::vector<TGameCompany> &Companies, const TCompanyFolderUnits &Folder)
{
    const auto company = std::find_if(Companies.begin(), Companies.end(),
                                      [&](const TGameCompany &C) { return C.Token == Folder.Company; });
    // The game hangs these folders on a company_permanent unit; without one there is no company.
    if (company == Companies.end())
        return;
    for (const TDefUnit &unit : Folder.Units) {
        if (Folder.Part == TCompanyPart::Editor && unit.Class == QStringLiteral("company_def")) {
            company->Cities.append(TokenOf(unit.Text(QStringLiteral("city")).trimmed(), QStringLiteral("city.")));
        } else if (Folder.Part != TCompanyPart::Editor && unit.Class == QStringLiteral("cargo_def")) {
            const QString cargo = unit.Text(QStringLiteral("cargo")).trimmed();
            const qsizetype dot = cargo.indexOf(u'.');
            (Folder.Part == TCompanyPart::In ? company->CargoIn : company->CargoOut)
                .append(dot < 0 ? cargo : cargo.mid(dot + 1));
        }
    }
    company->Cities = SortedUnique(company->Cities);
    company->CargoIn = SortedUnique(company->CargoIn);
    company->CargoOut = SortedUnique(company->CargoOut);
}

TGameCargo CargoOf(const TDefUnit &Unit)
{
    TGameCargo cargo;
    cargo.Token = Unit.Name;
    cargo.Name = Unit.Text(QStringLiteral("name"));
    cargo.Fragility = Unit.Number(QStringLiteral("fragility")).value_or(cargo.Fragility);
    cargo.Valuable = Unit.Bool(QStringLiteral("valuable")).value_or(false);
    cargo.Overweight = Unit.Bool(QStringLiteral("overweight")).value_or(false);
    cargo.AdrClass = ToInt32(Unit.Number(QStringLiteral("adr_class")), 0);
    cargo.Groups = Unit.Array(QStringLiteral("group"));
    cargo.Volume = Unit.Number(QStringLiteral("volume")).value_or(cargo.Volume);
    cargo.Mass = Unit.Number(QStringLiteral("mass")).value_or(cargo.Mass);
    cargo.RewardPerKm = Unit.Number(QStringLiteral("unit_reward_per_km")).value_or(cargo.RewardPerKm);
    cargo.MinimumDistance = ToInt32(Unit.Number(QStringLiteral("minimum_distance")), 0);
    cargo.MaximumDistance = ToInt32(Unit.Number(QStringLiteral("maximum_distance")), -1);
    cargo.BodyTypes = Unit.Array(QStringLiteral("body_types"));
    return cargo;
}

TGameTrailer TrailerOf(const TDefUnit &Unit)
{
    TGameTrailer trailer;
    trailer.Token = Unit.Name;
    trailer.GrossWeightLimit = ToInt32(Unit.Number(QStringLiteral("gross_trailer_weight_limit")), 0);
    trailer.ChassisMass = ToInt32(Unit.Number(QStringLiteral("chassis_mass")), 0);
    trailer.BodyMass = ToInt32(Unit.Number(QStringLiteral("body_mass")), 0);
    trailer.Length = Unit.Number(QStringLiteral("length")).value_or(trailer.Length);
    trailer.Axles = ToInt32(Unit.Number(QStringLiteral("axles")), 0);
    trailer.Volume = Unit.Number(QStringLiteral("volume")).value_or(trailer.Volume);
    trailer.BodyType = Unit.Text(QStringLiteral("body_type"));
    trailer.ChainType = Unit.Text(QStringLiteral("chain_type"));
    trailer.CountryValidity = SortedUnique(LowerTrimmed(Unit.Array(QStringLiteral("country_validity"))));
    return trailer;
}

template <typename T> std::vector<T> ValuesOf(const QMap<QString, T> &Map)
{
    return std::vector<T>(Map.cbegin(), Map.cend());
}

} // namespace

TGameDefinitions GameDefinitionsFromUnits(const std::vector<TDefUnit> &Units)
{
    QMap<QString, TGameCountry> countries;
    QMap<QString, TGameCity> cities;
    QMap<QString, TGameCompany> companies;
    QMap<QString, TGameCargo> cargos;
    QMap<QString, TGameTrailer> trailers;
    for (const TDefUnit &unit : Units) {
        if (unit.Class == QStringLiteral("country_data")) {
            TGameCountry country{TokenOf(unit.Name, QStringLiteral("country.data.")), unit.Text(QStringLiteral("name")),
                                 unit.Text(QStringLiteral("country_code"))};
            if (!country.Token.isEmpty())
                countries.insert(country.Token, country);
        } else if (unit.Class == QStringLiteral("city_data")) {
            TGameCity city{TokenOf(unit.Name, QStringLiteral("city.")), unit.Text(QStringLiteral("city_name")),
                           unit.Text(QStringLiteral("country")).trimmed().toLower()};
            if (!city.Token.isEmpty())
                cities.insert(city.Token, city);
        } else if (unit.Class == QStringLiteral("company_permanent")) {
            TGameCompany company;
            company.Token = TokenOf(unit.Name, QStringLiteral("company.permanent."));
            company.Name = unit.Text(QStringLiteral("name"));
            if (!company.Token.isEmpty())
                companies.insert(company.Token, company);
        } else if (unit.Class == QStringLiteral("cargo_data")) {
            if (!unit.Name.isEmpty())
                cargos.insert(unit.Name, CargoOf(unit));
        } else if (unit.Class == QStringLiteral("trailer_def")) {
            if (!unit.Name.isEmpty())
                trailers.insert(unit.Name, TrailerOf(unit));
        }
    }
    TGameDefinitions defs;
    defs.Countries = ValuesOf(countries);
    defs.Cities = ValuesOf(cities);
    defs.Companies = ValuesOf(companies);
    defs.Cargos = ValuesOf(cargos);
    defs.Trailers = ValuesOf(trailers);
    return defs;
}

TGameDefinitions ReadGameDefinitions(const IGameFileSource &Files, const TDefReadLimits &Limits)
{
    return *ReadGameDefinitions(Files, Limits, TDefReadControl{});
}

std::optional<TGameDefinitions> ReadGameDefinitions(const IGameFileSource &Files, const TDefReadLimits &Limits,
                                                    const TDefReadControl &Control)
{
    std::vector<TPlannedFile> plan;
    for (const TFolderEntry &entry : SortedListing(Files, "def")) {
        if (!entry.IsFolder && IsListFile(entry.Name))
            plan.push_back({"def/" + entry.Name, -1, false});
    }
    // Companies are often kept one file each beside their folders instead of in a list.
    PlanFolder(Files, "def/company", 0, -1, plan);
    PlanFolder(Files, "def/vehicle/trailer_defs", kMaxTrailerFolderDepth, -1, plan);

    std::vector<TCompanyFolderUnits> companyFolders;
    for (const TFolderEntry &company : SortedListing(Files, "def/company")) {
        if (!company.IsFolder || !IsSafeName(company.Name))
            continue;
        static const std::pair<const char *, TCompanyPart> parts[] = {
            {"in", TCompanyPart::In}, {"out", TCompanyPart::Out}, {"editor", TCompanyPart::Editor}};
        for (const auto &[folder, part] : parts) {
            const std::size_t before = plan.size();
            PlanFolder(Files, "def/company/" + company.Name + '/' + folder, 0, int(companyFolders.size()), plan);
            if (plan.size() != before)
                companyFolders.push_back({QString::fromStdString(company.Name), part, {}});
        }
    }

    TDefinitionReader reader(Files, Limits);
    std::vector<TDefUnit> units;
    const int total = int(std::min<std::size_t>(plan.size(), std::numeric_limits<int>::max()));
    int done = 0;
    for (const TPlannedFile &file : plan) {
        if (Control.Stop && Control.Stop->load())
            return std::nullopt;
        if (!file.OnlyIfUnread || !reader.FilesRead().contains(file.Path))
            reader.ReadFile(file.Path, file.Bucket < 0 ? units : companyFolders[std::size_t(file.Bucket)].Units);
        if (Control.Progress && done < total)
            Control.Progress(++done, total);
    }
    if (Control.Stop && Control.Stop->load())
        return std::nullopt;

    TGameDefinitions defs = GameDefinitionsFromUnits(units);
    for (const TCompanyFolderUnits &folder : companyFolders)
        if (!folder.Units.empty())
            AttachCompanyFolder(defs.Companies, folder);
    defs.Problems = reader.Problems();
    return defs;
}

QString CountryDisplayName(const QString &Token)
{
    const QString token = Token.trimmed().toLower();
    if (token.size() <= 2)
        return token.toUpper();
    return token.left(1).toUpper() + token.mid(1);
}

QStringList CountryLinesOf(const TGameDefinitions &Defs)
{
    QStringList lines;
    for (const TGameCity &city : Defs.Cities) {
        if (!city.Token.trimmed().isEmpty() && !city.CountryToken.isEmpty())
            lines.append(city.Token + u';' + CountryDisplayName(city.CountryToken));
    }
    return lines;
}

void BuildTrailerDefinitions(const TGameDefinitions &Defs, TTrailerDefinitionDataList &List)
{
    List.clear();
    List.reserve(Defs.Trailers.size());
    for (const TGameTrailer &t : Defs.Trailers) {
        auto trailer = std::make_unique<TTrailerDefinitionData>();
        trailer->SetTrailerDefinition(t.Token);
        trailer->SetWeightLimit(t.GrossWeightLimit);
        // The empty trailer weighs its chassis plus its body, as the game adds them up.
        const std::int64_t empty = std::int64_t(t.ChassisMass) + t.BodyMass;
        trailer->SetChassisMass(static_cast<std::int32_t>(std::clamp<std::int64_t>(
            empty, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max())));
        trailer->SetLength(t.Length);
        trailer->SetAxles(t.Axles);
        trailer->SetVolume(t.Volume);
        trailer->SetIsDoubleTrailer(t.Token.contains(QStringLiteral("double")));
        if (!t.CountryValidity.isEmpty())
            trailer->AddCountryValidityList(t.CountryValidity.join(u','));
        List.push_back(std::move(trailer));
    }
}

void BuildCargos(const TGameDefinitions &Defs, TCargoInfoList &List)
{
    static const QStringList groupBits = {QStringLiteral("nogroup"),      QStringLiteral("bulk"),
                                          QStringLiteral("construction"), QStringLiteral("containers"),
                                          QStringLiteral("machinery"),    QStringLiteral("refrigerated"),
                                          QStringLiteral("gooseneck"),    QStringLiteral("liquid"),
                                          QStringLiteral("livestock"),    QStringLiteral("inloader")};
    List.clear();
    List.reserve(Defs.Cargos.size());
    for (const TGameCargo &c : Defs.Cargos) {
        auto cargo = std::make_unique<TCargoInfo>();
        const qsizetype dot = c.Token.indexOf(u'.');
        cargo->SetCargoName(dot < 0 ? c.Token : c.Token.mid(dot + 1));
        cargo->SetCargoFragility(c.Fragility);
        cargo->SetCargoIsValuable(c.Valuable);
        cargo->SetCargoADR(c.AdrClass);
        TCargoGroupSet groups;
        for (const QString &group : c.Groups) {
            // Game groups the program does not sort by (e.g. "adr") are left out.
            const qsizetype bit = groupBits.indexOf(group.trimmed());
            if (bit >= 0)
                groups.Include(static_cast<TCargoGroups>(bit));
        }
        if (groups.Bits() == 0)
            groups.Include(TCargoGroups::nogroup);
        cargo->SetCargoGroups(groups);
        cargo->SetCargoVolume(c.Volume);
        cargo->SetCargoWeightInKG(c.Mass);
        cargo->SetCargoRewardPerKM(c.RewardPerKm);
        cargo->SetIsHeavy(c.Overweight);
        cargo->SetIsFragile(c.Fragility >= kFragileFrom);
        cargo->SetCargoMaximumDistance(c.MaximumDistance);
        List.push_back(std::move(cargo));
    }
}

} // namespace kvn

#include "savegen.h"

#include "catalogue/resources.h"
#include "gameclasses.h"
#include "installgen.h"
#include "siicodec/encoder.h"

#include <QBuffer>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <array>
#include <random>
#include <span>

namespace kvn::savegen {

namespace {

// Company tokens as the game spells them; which company sits in which city is the generator's own.
const char *const kCompanyTokens[] = {
    "stokes",    "transinet", "itcc",       "eurogoodies", "tree_et",   "euroacres", "dfh",       "sellplan",
    "quarry",    "trameri",   "rt_log",     "posped",      "nbfc",      "kaarfor",   "lkwlog",    "wgcc",
    "bcp",       "fcp",       "gnt",        "sanbuilders", "tradeaux",  "eviksi",    "cont_port", "voitureux",
    "aria_food", "marina",    "polar_fish", "renar",       "subse",     "ee_paper",  "fle",       "huilant",
    "konstnr",   "libellula", "norrsken",   "nucleon",     "ocean_sol", "piac",      "polaris",   "sal_srl"};
constexpr int kCompanyTokenCount = int(sizeof kCompanyTokens / sizeof kCompanyTokens[0]);

const char *const kTrucks[] = {"daf_xf_euro6_4x2_b", "scania_r_2016_4x2_a", "volvo_fh16_2012_6x4_c",
                               "mercedes_actros_4x2_b", "man_tgx_18_4x2_a"};
// Unit names are tokens: at most 12 characters per part.
const char *const kVariants[] = {"trailer.scs_box_b", "trailer.scs_flat_b", "trailer.scs_cont_a",
                                 "trailer.scs_lowbed_b", "trailer.scs_tank_a"};

class Writer {
public:
    explicit Writer(QIODevice &Out) : FOut(Out) { FBuffer.reserve(1 << 20); }
    ~Writer() { Flush(); }
    void Line(const QByteArray &Text)
    {
        FBuffer += Text;
        FBuffer += "\r\n";
        ++FLines;
        if (FBuffer.size() > (1 << 20))
            Flush();
    }
    void Flush()
    {
        if (!FBuffer.isEmpty())
            FOut.write(FBuffer);
        FBuffer.clear();
    }
    std::int64_t Lines() const { return FLines; }

private:
    QIODevice &FOut;
    QByteArray FBuffer;
    std::int64_t FLines = 0;
};

// Unit names in the game's "_nameless.x.xxxx.xxxx" form, unique within one save.
class NamelessIds {
public:
    explicit NamelessIds(std::uint64_t Seed) : FNext((Seed * 0x9E3779B97F4A7C15ull) & 0xFFFFFFull) {}
    QByteArray Next()
    {
        const std::uint64_t n = FNext++;
        return "_nameless." + QByteArray::number(quint64(0x1b0 + ((n >> 32) & 0xFFF)), 16) + '.' +
               QByteArray::number(quint64((n >> 16) & 0xFFFF), 16).rightJustified(4, '0') + '.' +
               QByteArray::number(quint64(n & 0xFFFF), 16).rightJustified(4, '0');
    }

private:
    std::uint64_t FNext;
};

struct Branch {
    QByteArray Company;
    QByteArray City;
};

struct Offer {
    QByteArray Id;
    QByteArray Target; // empty: an offer the game has not filled
    int Km = 0;
    int Ferry = 0;
    int Cargo = -1;
    int Trailer = -1;
    int Units = 0;
};

const char *const kAccessoryPaths[] = {"/def/vehicle/truck/scania.r_2016/badge/r370.sii",
                                       "/def/vehicle/truck/daf.xf_euro6/accessory/sunshield/sunshield_01.sii",
                                       "/def/vehicle/truck/volvo.fh16_2012/head_light/led_xenon.sii",
                                       "/def/vehicle/trailer_owned/scs.box/body/dry_van.sii",
                                       "/def/vehicle/truck/man.tgx_2020/toyaccessory/cabin_lamp.sii"};

QByteArray Number(std::mt19937_64 &Random, std::uint64_t Range)
{
    return QByteArray::number(quint64(Random() % Range));
}

// Units the readers skip, in the shapes and mix the game writes them (drivers, their jobs and profit
// logs, vehicle accessories).
void FillerUnit(Writer &W, NamelessIds &Ids, std::mt19937_64 &Random)
{
    switch (Random() % 4) {
    case 0: {
        const QByteArray job = Ids.Next();
        W.Line("driver_ai : driver." + Number(Random, 900) + " {");
        for (const char *skill : {"adr", "long_dist", "heavy", "fragile", "urgent", "mechanical"})
            W.Line(" " + QByteArray(skill) + ": " + Number(Random, 7));
        W.Line(" hometown: \"\"");
        W.Line(" current_city: \"\"");
        W.Line(" state: 1");
        W.Line(" on_duty_timer: 0");
        W.Line(" extra_maintenance: 0");
        W.Line(" driver_job: " + job);
        W.Line(" experience_points: " + Number(Random, 300000));
        W.Line(" training_policy: 0");
        W.Line(" adopted_truck: null");
        W.Line(" assigned_truck: null");
        W.Line(" assigned_truck_efficiency: 1");
        W.Line(" assigned_truck_axle_count: 2");
        W.Line(" assigned_truck_mass: 10000");
        W.Line(" slot_truck_efficiency: 1");
        W.Line(" slot_truck_axle_count: 2");
        W.Line(" slot_truck_mass: 10000");
        W.Line(" adopted_trailer: null");
        W.Line(" assigned_trailer: null");
        W.Line(" old_hometown: \"\"");
        W.Line(" profit_log: " + Ids.Next());
        W.Line("}");
        W.Line("");
        W.Line("job_info : " + job + " {");
        for (const char *key :
             {"cargo: null", "source_company: null", "target_company: null", "cargo_model_index: 0",
              "is_articulated: false", "is_cargo_market_job: false", "start_time: 0", "planned_distance_km: 0",
              "ferry_time: 0", "ferry_price: 0", "urgency: nil", "special: null", "units_count: 0", "fill_ratio: 1"})
            W.Line(" " + QByteArray(key));
        break;
    }
    case 1:
        W.Line("profit_log : " + Ids.Next() + " {");
        W.Line(" stats_data: 0");
        W.Line(" acc_distance_free: " + Number(Random, 5000));
        W.Line(" acc_distance_on_job: " + Number(Random, 50000));
        W.Line(" history_age: " + Number(Random, 30));
        break;
    case 2:
        W.Line("vehicle_wheel_accessory : " + Ids.Next() + " {");
        W.Line(" offset: 0");
        W.Line(" paint_color: (1, 1, 1)");
        W.Line(" data_path: \"/def/vehicle/t_wheel/steel_" + Number(Random, 40) + ".sii\"");
        W.Line(" refund: " + Number(Random, 900));
        break;
    default:
        W.Line("vehicle_addon_accessory : " + Ids.Next() + " {");
        W.Line(" slot_name: 0");
        W.Line(" slot_hookup: 0");
        W.Line(" paint_color: (1, 1, 1)");
        W.Line(" data_path: \"" + QByteArray(kAccessoryPaths[Random() % 5]) + "\"");
        W.Line(" refund: " + Number(Random, 5000));
        break;
    }
    W.Line("}");
    W.Line("");
}

} // namespace

int Catalogue::DistanceKm(const QString &From, const QString &To) const
{
    auto it = Distances.constFind(From + u',' + To);
    if (it != Distances.constEnd())
        return it.value();
    it = Distances.constFind(To + u',' + From);
    return it != Distances.constEnd() ? it.value() : -1;
}

Catalogue Catalogue::FromResources()
{
    Catalogue cat;
    for (const QString &line : CatalogueLines(QStringLiteral("Countries"), true)) {
        const QStringList f = line.split(u';');
        if (f.size() == 2 && !f[0].trimmed().isEmpty() && !cat.Cities.contains(f[0].trimmed()))
            cat.Cities << f[0].trimmed();
    }
    for (const QString &line : CatalogueLines(QStringLiteral("Cargos"), true)) {
        const QStringList f = line.split(u';');
        if (line.startsWith(u'#') || f.size() != 10)
            continue;
        const qsizetype dot = f[0].indexOf(u'.');
        cat.Cargos.push_back({dot < 0 ? f[0] : f[0].mid(dot + 1), std::max(0.01, f[5].toDouble())});
    }
    for (const QString &line : CatalogueLines(QStringLiteral("TrailerDefinitions"), true)) {
        const QStringList f = line.split(u';');
        if (line.startsWith(u'#') || f.size() < 6)
            continue;
        cat.Trailers.push_back({f[0], f[5].toDouble()});
    }
    for (const QString &line : CatalogueLines(QStringLiteral("Distances"), false)) {
        const QStringList f = line.split(u',');
        if (line.startsWith(u'#') || f.size() != 4)
            continue;
        cat.Distances.insert(f[0] + u',' + f[1], f[2].toInt());
    }
    return cat;
}

QByteArray EncryptSii(const QByteArray &Payload, std::uint64_t Seed)
{
    std::mt19937_64 random(Seed ^ 0x5CC5CC5Cull);
    std::array<std::uint8_t, 16> iv;
    for (std::uint8_t &b : iv)
        b = std::uint8_t(random() & 0xFF);
    std::vector<std::uint8_t> file;
    const auto payload = std::span(reinterpret_cast<const std::uint8_t *>(Payload.constData()), size_t(Payload.size()));
    if (!siicodec::EncryptContainer(payload, iv, file).Ok())
        return {};
    return QByteArray(reinterpret_cast<const char *>(file.data()), qsizetype(file.size()));
}

bool ParseSaveForm(const QString &Name, SaveForm &Form)
{
    static const std::pair<const char *, SaveForm> names[] = {{"text", SaveForm::Text},
                                                              {"binary", SaveForm::Binary},
                                                              {"encrypted", SaveForm::Encrypted},
                                                              {"encrypted-text", SaveForm::EncryptedText}};
    for (const auto &[name, form] : names)
        if (Name == QLatin1String(name)) {
            Form = form;
            return true;
        }
    return false;
}

SaveForm Options::FormOfProfile(int Profile) const
{
    if (Forms.empty())
        return SaveForm::Text;
    return Forms[size_t(std::clamp(Profile, 0, int(Forms.size()) - 1))];
}

QByteArray StoreGameSii(const QByteArray &Text, SaveForm Form, std::uint64_t Seed, QString *Error)
{
    if (Form == SaveForm::Text)
        return Text;
    QByteArray stored = Text;
    if (Form == SaveForm::Binary || Form == SaveForm::Encrypted) {
        std::vector<std::uint8_t> binary;
        const siicodec::Result r =
            siicodec::EncodeBinary(std::string_view(Text.constData(), size_t(Text.size())), GameSiiClasses(), binary);
        if (!r.Ok()) {
            if (Error)
                *Error =
                    QStringLiteral("cannot store game.sii in binary form: %1").arg(QString::fromStdString(r.message));
            return {};
        }
        stored = QByteArray(reinterpret_cast<const char *>(binary.data()), qsizetype(binary.size()));
    }
    if (Form == SaveForm::Encrypted || Form == SaveForm::EncryptedText) {
        stored = EncryptSii(stored, Seed);
        if (stored.isEmpty() && Error)
            *Error = QStringLiteral("cannot encrypt game.sii");
    }
    return stored;
}

QByteArray StoreProfileSii(const QByteArray &Text, SaveForm Form, std::uint64_t Seed)
{
    return Form == SaveForm::Encrypted || Form == SaveForm::EncryptedText ? EncryptSii(Text, Seed) : Text;
}

QString ProfileFolderName(const QString &ProfileName)
{
    return QString::fromLatin1(ProfileName.toUtf8().toHex().toUpper());
}

QByteArray ProfileSii(const QString &ProfileName, const QString &CompanyName, std::uint64_t Seed,
                      const QStringList &ActiveMods)
{
    NamelessIds ids(Seed);
    QByteArray t = "SiiNunit\r\n{\r\nuser_profile : " + ids.Next() + " {\r\n";
    t += " face: 0\r\n brand: scania\r\n map_path: \"/map/europe.mbd\"\r\n logo: scs_logo_1\r\n";
    if (!ActiveMods.isEmpty()) {
        t += " active_mods: " + QByteArray::number(ActiveMods.size()) + "\r\n";
        for (qsizetype i = 0; i < ActiveMods.size(); ++i)
            t += " active_mods[" + QByteArray::number(i) + "]: \"" + ActiveMods[i].toUtf8() + "\"\r\n";
    }
    t += " company_name: \"" + CompanyName.toUtf8() + "\"\r\n male: true\r\n cached_experience: 0\r\n";
    t += " cached_distance: 0\r\n version: 5\r\n online_user_name: \"\"\r\n online_password: \"\"\r\n";
    t += " profile_name: \"" + ProfileName.toUtf8() + "\"\r\n creation_time: 1733700000\r\n";
    t += " save_time: 1733790000\r\n}\r\n\r\n}\r\n";
    return t;
}

Summary WriteGameSii(const Catalogue &Cat, const Options &Opt, QIODevice &Out)
{
    Summary summary;
    std::mt19937_64 random(Opt.Seed);
    NamelessIds ids(Opt.Seed + 17);
    Writer w(Out);
    const std::int64_t targetLines = std::max<std::int64_t>(Opt.Lines, 200);

    // About half of a real save are companies with their offers and events (~95 lines a branch).
    QStringList cities = Cat.Cities.isEmpty() ? QStringList{"berlin", "praha", "wien"} : Cat.Cities;
    const std::int64_t maxBranches = std::int64_t(cities.size()) * kCompanyTokenCount;
    const int branchCount = int(std::clamp<std::int64_t>(targetLines / 2 / 95, 2, maxBranches));
    std::vector<Branch> branches;
    {
        std::vector<std::int64_t> picks(static_cast<size_t>(maxBranches));
        for (std::int64_t i = 0; i < maxBranches; ++i)
            picks[size_t(i)] = i;
        std::shuffle(picks.begin(), picks.end(), random);
        picks.resize(size_t(branchCount));
        QSet<QByteArray> tokens;
        QSet<QString> usedCities;
        for (std::int64_t s : picks) {
            const QByteArray token = kCompanyTokens[s % kCompanyTokenCount];
            const QString city = cities[int(s / kCompanyTokenCount)];
            branches.push_back({token, city.toUtf8()});
            tokens.insert(token);
            usedCities.insert(city);
        }
        summary.Companies = int(tokens.size());
        summary.Cities = QStringList(usedCities.begin(), usedCities.end());
        summary.Cities.sort();
    }
    summary.CompanyBranches = branchCount;
    summary.GameTime = 600 + int(random() % 200000);
    summary.LastVisitedCity = Opt.LastVisitedCity.isEmpty() ? QString::fromUtf8(branches[0].City) : Opt.LastVisitedCity;

    // Offers per branch and what they carry.
    std::vector<std::vector<Offer>> offers(branches.size());
    QSet<QString> unknownPairs;
    std::vector<int> trailerOfCargo(Cat.Cargos.size(), -1);
    for (size_t c = 0; c < Cat.Cargos.size(); ++c) {
        std::vector<int> fitting;
        for (size_t t = 0; t < Cat.Trailers.size(); ++t)
            if (Cat.Trailers[t].Volume >= Cat.Cargos[c].Volume)
                fitting.push_back(int(t));
        if (!fitting.empty())
            trailerOfCargo[c] = fitting[size_t(random() % fitting.size())];
    }
    for (size_t b = 0; b < branches.size(); ++b) {
        const int count = 1 + int(random() % 5);
        for (int k = 0; k < count; ++k) {
            Offer o;
            o.Id = ids.Next();
            const size_t cargo = Cat.Cargos.empty() ? 0 : size_t(random() % Cat.Cargos.size());
            const bool filled = random() % 12 != 0 && !Cat.Cargos.empty() && trailerOfCargo[cargo] >= 0;
            if (filled) {
                const Branch &to = branches[size_t(random() % branches.size())];
                o.Target = to.Company + '.' + to.City;
                const QString from = QString::fromUtf8(branches[b].City);
                const QString dest = QString::fromUtf8(to.City);
                const int known = Cat.DistanceKm(from, dest);
                o.Km = known > 0 ? known : 40 + int(random() % 2400);
                if (known <= 0 && from != dest)
                    unknownPairs.insert(from < dest ? from + u',' + dest : dest + u',' + from);
                o.Ferry = random() % 10 == 0 ? 60 + int(random() % 600) : 0;
                o.Cargo = int(cargo);
                o.Trailer = trailerOfCargo[cargo];
                const double units = Cat.Trailers[size_t(o.Trailer)].Volume / Cat.Cargos[cargo].Volume;
                o.Units = std::max(1, int(units));
                ++summary.FilledOffers;
            }
            offers[b].push_back(o);
            ++summary.JobOffers;
        }
    }
    // After the random picks and without a random number, so that the rest of the save is the same
    // with and without it.
    std::vector<CargoEntry> cargos = Cat.Cargos;
    if (!Opt.AlwaysOfferedCargo.Name.isEmpty()) {
        // As the catalogue's volumes are read: never zero, so that the unit count stays finite.
        const double volume = std::max(0.01, Opt.AlwaysOfferedCargo.Volume);
        cargos.push_back({Opt.AlwaysOfferedCargo.Name, volume});
        // On the curtainside trailers its body type asks for, as far as the catalogue has them.
        std::vector<int> fitting, curtains;
        for (size_t t = 0; t < Cat.Trailers.size(); ++t) {
            if (Cat.Trailers[t].Volume < volume)
                continue;
            fitting.push_back(int(t));
            if (Cat.Trailers[t].Definition.contains(QStringLiteral(".curtain")))
                curtains.push_back(int(t));
        }
        if (!curtains.empty())
            fitting = curtains;
        for (size_t b = 0; b < branches.size() && !fitting.empty(); b += 3) {
            const auto first =
                std::find_if(offers[b].begin(), offers[b].end(), [](const Offer &O) { return !O.Target.isEmpty(); });
            if (first == offers[b].end())
                continue;
            first->Cargo = int(cargos.size() - 1);
            first->Trailer = fitting[b % fitting.size()];
            first->Units = std::max(1, int(Cat.Trailers[size_t(first->Trailer)].Volume / volume));
            ++summary.AlwaysOfferedCargoOffers;
        }
    }
    summary.UnknownDistancePairs = int(unknownPairs.size());

    // The save, in the game's order of units.
    const QByteArray queueId = ids.Next();
    w.Line("SiiNunit");
    w.Line("{");
    w.Line("economy : " + ids.Next() + " {");
    w.Line(" bank: " + ids.Next());
    w.Line(" player: " + ids.Next());
    w.Line(" companies: " + QByteArray::number(qsizetype(branches.size())));
    for (size_t b = 0; b < branches.size(); ++b)
        w.Line(" companies[" + QByteArray::number(qsizetype(b)) + "]: company.volatile." + branches[b].Company + '.' +
               branches[b].City);
    w.Line(" garages: 0");
    w.Line(" garage_ignore_list: 0");
    w.Line(" game_progress: " + ids.Next());
    w.Line(" event_queue: " + queueId);
    w.Line(" game_time: " + QByteArray::number(summary.GameTime));
    w.Line(" game_time_secs: &40d20742");
    w.Line(" game_time_initial: 600");
    w.Line(" new_game: false");
    w.Line(" total_distance: " + QByteArray::number(quint64(random() % 100000)));
    w.Line(" experience_points: " + QByteArray::number(quint64(random() % 300000)));
    w.Line(" time_zone: 120");
    w.Line(" time_zone_name: \"@@tz_cest@@\"");
    w.Line(" last_ferry_position: (2147483647, 2147483647, 2147483647)");
    w.Line(" visited_cities: 1");
    w.Line(" visited_cities[0]: " + summary.LastVisitedCity.toUtf8());
    w.Line(" visited_cities_count: 1");
    w.Line(" visited_cities_count[0]: 1");
    w.Line(" last_visited_city: " + summary.LastVisitedCity.toUtf8());
    w.Line(" default_training_policy: balanced");
    w.Line("}");
    w.Line("");

    // Some player units before the companies, as the game writes them.
    for (std::int64_t i = 0; i < std::clamp<std::int64_t>(targetLines / 2000, 1, 40); ++i)
        FillerUnit(w, ids, random);

    std::vector<std::pair<QByteArray, int>> events; // event id, branch
    for (size_t b = 0; b < branches.size(); ++b) {
        w.Line("company : company.volatile." + branches[b].Company + '.' + branches[b].City + " {");
        w.Line(" permanent_data: company.permanent." + branches[b].Company);
        w.Line(" delivered_trailer: null");
        w.Line(" delivered_pos: 0");
        w.Line(" job_offer: " + QByteArray::number(qsizetype(offers[b].size())));
        for (size_t k = 0; k < offers[b].size(); ++k)
            w.Line(" job_offer[" + QByteArray::number(qsizetype(k)) + "]: " + offers[b][k].Id);
        w.Line(" cargo_offer_seeds: 10");
        for (int s = 0; s < 10; ++s)
            w.Line(" cargo_offer_seeds[" + QByteArray::number(s) +
                   "]: " + QByteArray::number(quint64(random() % 3000)));
        w.Line(" discovered: false");
        w.Line(" reserved_trailer_slot: nil");
        w.Line(" state: 0");
        w.Line("}");
        w.Line("");
        for (const Offer &o : offers[b]) {
            const bool filled = !o.Target.isEmpty();
            w.Line("job_offer_data : " + o.Id + " {");
            w.Line(" target: \"" + o.Target + "\"");
            w.Line(filled ? " expiration_time: " + QByteArray::number(summary.GameTime + 60 + int(random() % 900))
                          : QByteArray(" expiration_time: nil"));
            w.Line(filled ? " urgency: " + QByteArray::number(quint64(random() % 3)) : QByteArray(" urgency: nil"));
            w.Line(" shortest_distance_km: " + QByteArray::number(o.Km));
            w.Line(" ferry_time: " + QByteArray::number(o.Ferry));
            w.Line(" ferry_price: " + QByteArray::number(o.Ferry > 0 ? 100 + int(random() % 900) : 0));
            if (filled) {
                w.Line(" cargo: cargo." + cargos[size_t(o.Cargo)].Name.toUtf8());
                w.Line(" company_truck: " + QByteArray(kTrucks[random() % 5]));
                w.Line(" trailer_variant: " + QByteArray(kVariants[random() % 5]));
                w.Line(" trailer_definition: " + Cat.Trailers[size_t(o.Trailer)].Definition.toUtf8());
            } else {
                w.Line(" cargo: null");
                w.Line(" company_truck: \"\"");
                w.Line(" trailer_variant: null");
                w.Line(" trailer_definition: null");
            }
            w.Line(" units_count: " + QByteArray::number(o.Units));
            w.Line(" fill_ratio: 1");
            w.Line(" trailer_place: 0");
            w.Line("}");
            w.Line("");
            events.emplace_back(ids.Next(), int(b));
        }
    }

    std::shuffle(events.begin(), events.end(), random);
    for (const auto &[id, b] : events) {
        w.Line("economy_event : " + id + " {");
        w.Line(" time: " + QByteArray::number(summary.GameTime + int(random() % 2000)));
        w.Line(" unit_link: company.volatile." + branches[size_t(b)].Company + '.' + branches[size_t(b)].City);
        w.Line(" param: " + QByteArray::number(quint64(random() % 5)));
        w.Line("}");
        w.Line("");
    }
    w.Line("economy_event_queue : " + queueId + " {");
    w.Line(" data: " + QByteArray::number(qsizetype(events.size())));
    for (size_t i = 0; i < events.size(); ++i)
        w.Line(" data[" + QByteArray::number(qsizetype(i)) + "]: " + events[i].first);
    w.Line("}");
    w.Line("");

    while (w.Lines() < targetLines - 2)
        FillerUnit(w, ids, random);
    w.Line("}");
    w.Line("");
    w.Flush();
    summary.Lines = w.Lines();
    return summary;
}

bool WriteGameFolder(const Catalogue &Cat, const Options &Opt, const QString &Folder, QString *Error)
{
    if (!Opt.ModName.isEmpty() && !WriteModPackage(QDir(Folder).filePath(QStringLiteral("mod")), Opt.ModName, Error))
        return false;
    static const char *const names[] = {"Kestrel Driver", "Night Hauler", "Alpine Freight", "North Sea", "Ostwind"};
    for (int p = 0; p < Opt.Profiles; ++p) {
        const QString name = p < 5 ? QString::fromLatin1(names[p]) : QStringLiteral("Driver %1").arg(p + 1);
        const QString company = name + QStringLiteral(" Logistics");
        const QString profile = QDir(Folder).filePath(QStringLiteral("profiles/") + ProfileFolderName(name));
        const QString quick = profile + QStringLiteral("/save/quicksave");
        if (!QDir().mkpath(quick)) {
            if (Error)
                *Error = QStringLiteral("cannot create %1").arg(quick);
            return false;
        }
        QSaveFile sii(profile + QStringLiteral("/profile.sii"));
        const bool withMod = p == 0 && !Opt.ModName.isEmpty();
        const SaveForm form = Opt.FormOfProfile(p);
        const QByteArray profileBytes =
            StoreProfileSii(ProfileSii(name, company, Opt.Seed + quint64(p),
                                       withMod ? QStringList{ActiveModEntry(Opt.ModName)} : QStringList()),
                            form, Opt.Seed + quint64(p));
        if (!sii.open(QIODevice::WriteOnly) || profileBytes.isEmpty() || sii.write(profileBytes) < 0 || !sii.commit()) {
            if (Error)
                *Error = QStringLiteral("cannot write %1").arg(sii.fileName());
            return false;
        }
        Options one = Opt;
        one.Seed = Opt.Seed + 1000 * quint64(p);
        one.Lines = p == 0 ? Opt.Lines : std::max<std::int64_t>(400, Opt.Lines / 4);
        // Only the profile with the mod has its cargo.
        if (withMod)
            one.AlwaysOfferedCargo = {QString::fromLatin1(ModCargoName), ModCargoVolume};
        QSaveFile game(quick + QStringLiteral("/game.sii"));
        if (!game.open(QIODevice::WriteOnly)) {
            if (Error)
                *Error = QStringLiteral("cannot write %1").arg(game.fileName());
            return false;
        }
        bool written = true;
        if (form != SaveForm::Text) {
            QBuffer text;
            text.open(QIODevice::WriteOnly);
            WriteGameSii(Cat, one, text);
            QString why;
            const QByteArray stored = StoreGameSii(text.data(), form, one.Seed, &why);
            if (stored.isEmpty()) {
                if (Error)
                    *Error = why;
                return false;
            }
            written = game.write(stored) == stored.size();
        } else {
            WriteGameSii(Cat, one, game);
        }
        if (!written || !game.commit()) {
            if (Error)
                *Error = QStringLiteral("cannot write %1").arg(game.fileName());
            return false;
        }
    }
    return true;
}

} // namespace kvn::savegen

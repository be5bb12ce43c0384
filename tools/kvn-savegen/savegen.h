// Synthetic game folders for tests, benchmarks and the demo: profiles with profile.sii and a
// quick-save game.sii shaped like the game's own saves (the economy unit with its companies list,
// company units each followed by their job offer units, economy events, the event queue, and other
// units as filler), consistent with the compiled-in catalogue, and the same for the same seed.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace kvn::savegen {

struct CargoEntry {
    QString Name; // without "cargo."
    double Volume = 1;
};
struct TrailerEntry {
    QString Definition;
    double Volume = 100;
};

// What the generator takes from the catalogue.
struct Catalogue {
    QStringList Cities;
    std::vector<CargoEntry> Cargos;
    std::vector<TrailerEntry> Trailers;
    QHash<QString, int> Distances; // "from,to" -> km
    int DistanceKm(const QString &From, const QString &To) const;

    static Catalogue FromResources();
};

// How a file is stored. The game writes game.sii as binary units inside its encrypted container and
// profile.sii as text inside it; with its text-save setting both are plain text.
enum class SaveForm {
    Text,          // plain SII text, CR LF
    Binary,        // binary units ("BSII"); profile.sii stays text
    Encrypted,     // game.sii binary inside the encrypted container ("ScsC"), profile.sii text inside it
    EncryptedText, // both files text inside the encrypted container
};
// "text", "binary", "encrypted", "encrypted-text"; false for anything else.
bool ParseSaveForm(const QString &Name, SaveForm &Form);

struct Options {
    std::uint64_t Seed = 1;
    std::int64_t Lines = 20000; // approximate length of game.sii
    int Profiles = 2;
    QString LastVisitedCity; // empty: one of the save's cities
    // The form of each profile's files in turn; the last one also serves the profiles after it.
    std::vector<SaveForm> Forms = {SaveForm::Text};
    SaveForm FormOfProfile(int Profile) const;
    // WriteGameSii: a cargo beside the catalogue's (a mod's) that the first offer of every third
    // company carries. Empty name: none.
    CargoEntry AlwaysOfferedCargo{};
    // WriteGameFolder: a mod package "<folder>/mod/<ModName>.scs" adding installgen's ModCargoName,
    // active in the first profile, whose quick-save then offers that cargo. Empty: no mod.
    QString ModName;
};

// What a generated save holds, for tests to compare a reader's findings with.
struct Summary {
    std::int64_t Lines = 0;
    int Companies = 0;       // distinct company tokens
    int CompanyBranches = 0; // company units (company and city)
    int JobOffers = 0;       // job offer units
    int FilledOffers = 0;    // offers with a target and a cargo
    int UnknownDistancePairs = 0;
    int AlwaysOfferedCargoOffers = 0;
    int GameTime = 0;
    QString LastVisitedCity;
    QStringList Cities;
};

// Writes game.sii to Out (plain text, CR LF).
Summary WriteGameSii(const Catalogue &Cat, const Options &Opt, QIODevice &Out);
// ActiveMods: the profile's "active_mods" values ("<package>|<name>"), lowest priority first.
QByteArray ProfileSii(const QString &ProfileName, const QString &CompanyName, std::uint64_t Seed,
                      const QStringList &ActiveMods = {});

// Wraps Payload in the game's encrypted container (zlib, then AES-256-CBC with the game's key);
// the initialisation vector comes from Seed, so the same seed gives the same bytes. Empty on failure.
QByteArray EncryptSii(const QByteArray &Payload, std::uint64_t Seed);

// The bytes of a game.sii written by WriteGameSii (Text) in the given form; empty on failure, with
// the reason in Error. Decoding them gives Text back.
QByteArray StoreGameSii(const QByteArray &Text, SaveForm Form, std::uint64_t Seed, QString *Error = nullptr);
// The bytes of a profile.sii (text) in the given form.
QByteArray StoreProfileSii(const QByteArray &Text, SaveForm Form, std::uint64_t Seed);

// Writes Folder/profiles/<hex name>/profile.sii and .../save/quicksave/game.sii for every profile.
// The first profile gets a save of Opt.Lines lines, the others smaller ones.
bool WriteGameFolder(const Catalogue &Cat, const Options &Opt, const QString &Folder, QString *Error = nullptr);

// The game names a profile folder by the hex digits of the profile name's UTF-8 bytes.
QString ProfileFolderName(const QString &ProfileName);

} // namespace kvn::savegen

// kvn-savegen: writes a synthetic game folder (or a single game.sii) for tests, benchmarks and demos.
#include "installgen.h"
#include "savegen.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Writes a synthetic Euro Truck Simulator 2 game folder: profiles with profile.sii and a quick-save "
        "game.sii shaped like the game's own, consistent with the compiled-in catalogue.");
    parser.addHelpOption();
    parser.addOption({"out", "Game folder to write (profiles/ goes inside).", "folder"});
    parser.addOption({"game-sii", "Write only one game.sii to this file.", "file"});
    parser.addOption({"seed", "Seed; the same seed gives the same files.", "n", "1"});
    parser.addOption({"lines", "Approximate number of lines of the (first) game.sii.", "n", "20000"});
    parser.addOption({"profiles", "Number of profiles.", "n", "2"});
    parser.addOption({"city", "Last visited city of the save.", "city"});
    parser.addOption({"form",
                      "How the files are stored: text (default), binary (binary units), encrypted (as the game "
                      "writes them: binary game.sii and text profile.sii inside the encrypted container) or "
                      "encrypted-text (text inside the container). A comma list gives each profile its own form; "
                      "the last one serves the rest.",
                      "form[,form...]", "text"});
    parser.addOption({"install",
                      "Also write an installed game to this folder: def.scs, version.scs and locale.scs made from "
                      "the compiled-in catalogue.",
                      "folder"});
    parser.addOption({"mod",
                      "With --out: write the mod package <out>/mod/<name>.scs, which adds one cargo, and make it "
                      "active in the first profile, whose quick-save then offers that cargo.",
                      "name"});
    parser.process(app);

    kvn::savegen::Options options;
    bool seedOk = false, linesOk = false, profilesOk = false;
    options.Seed = parser.value("seed").toULongLong(&seedOk);
    const qlonglong lines = parser.value("lines").toLongLong(&linesOk);
    options.Lines = lines;
    const int profiles = parser.value("profiles").toInt(&profilesOk);
    bool ok = seedOk && linesOk && profilesOk;
    options.Profiles = profiles;
    options.LastVisitedCity = parser.value("city");
    options.Forms.clear();
    for (const QString &name : parser.value("form").split(u',')) {
        kvn::savegen::SaveForm form = kvn::savegen::SaveForm::Text;
        ok = ok && kvn::savegen::ParseSaveForm(name.trimmed(), form);
        options.Forms.push_back(form);
    }
    options.ModName = parser.value("mod");
    const bool install = parser.isSet("install");
    const bool saves = parser.isSet("out") || parser.isSet("game-sii");
    if (!ok || lines < 1 || lines > 50000000 || profiles < 1 || profiles > 100 ||
        (parser.isSet("out") && parser.isSet("game-sii")) || (!saves && !install) ||
        (parser.isSet("mod") && (!parser.isSet("out") || !kvn::savegen::IsModPackageName(options.ModName)))) {
        std::fprintf(stderr, "kvn-savegen: give --out <folder> or --game-sii <file> and/or --install <folder>, "
                             "sensible numbers, known forms (text, binary, encrypted, encrypted-text), and --mod "
                             "<name> (letters, digits, _ and -) only with --out.\n");
        return 2;
    }
    if (install) {
        QString error;
        if (!kvn::savegen::WriteInstalledGame(parser.value("install"), &error)) {
            std::fprintf(stderr, "kvn-savegen: %s\n", qPrintable(error));
            return 1;
        }
        if (!saves)
            return 0;
    }
    const kvn::savegen::Catalogue catalogue = kvn::savegen::Catalogue::FromResources();
    if (parser.isSet("game-sii")) {
        QSaveFile file(parser.value("game-sii"));
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "kvn-savegen: cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
        kvn::savegen::Summary summary;
        if (options.Forms.front() != kvn::savegen::SaveForm::Text) {
            QBuffer text;
            text.open(QIODevice::WriteOnly);
            summary = kvn::savegen::WriteGameSii(catalogue, options, text);
            QString error;
            const QByteArray stored =
                kvn::savegen::StoreGameSii(text.data(), options.Forms.front(), options.Seed, &error);
            if (stored.isEmpty()) {
                std::fprintf(stderr, "kvn-savegen: %s\n", qPrintable(error));
                return 1;
            }
            file.write(stored);
        } else {
            summary = kvn::savegen::WriteGameSii(catalogue, options, file);
        }
        if (!file.commit()) {
            std::fprintf(stderr, "kvn-savegen: cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
        std::printf("%lld lines, %d company branches, %d job offers\n", static_cast<long long>(summary.Lines),
                    summary.CompanyBranches, summary.JobOffers);
        return 0;
    }
    QString error;
    if (!kvn::savegen::WriteGameFolder(catalogue, options, parser.value("out"), &error)) {
        std::fprintf(stderr, "kvn-savegen: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

#include "installgen.h"
#include "savegen.h"

#include "catalogue/catalogue.h"
#include "savegame/gamesavelines.h"
#include "savegame/profiles.h"
#include "savegame/profilesession.h"
#include "savegame/programcatalogue.h"
#include "savegame/siidecryption.h"
#include "siicodec/siicodec.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QtTest>

#include <span>

using namespace kvn;

class TestSavegen : public QObject {
    Q_OBJECT
private slots:
    void deterministicAndSized_data()
    {
        QTest::addColumn<qint64>("lines");
        QTest::newRow("few hundred") << qint64(300);
        QTest::newRow("fifty thousand") << qint64(50000);
    }
    void deterministicAndSized()
    {
        QFETCH(qint64, lines);
        const savegen::Catalogue cat = savegen::Catalogue::FromResources();
        QVERIFY(cat.Cities.size() > 100);
        QVERIFY(!cat.Cargos.empty() && !cat.Trailers.empty());
        savegen::Options opt;
        opt.Seed = 42;
        opt.Lines = lines;
        QBuffer a, b;
        a.open(QIODevice::WriteOnly);
        b.open(QIODevice::WriteOnly);
        const savegen::Summary s = savegen::WriteGameSii(cat, opt, a);
        savegen::WriteGameSii(cat, opt, b);
        QCOMPARE(a.data(), b.data());
        opt.Seed = 43;
        QBuffer c;
        c.open(QIODevice::WriteOnly);
        savegen::WriteGameSii(cat, opt, c);
        QVERIFY(a.data() != c.data());

        TGameSaveLines save;
        save.LoadFromBytes(a.data());
        QCOMPARE(qint64(save.Count()), s.Lines);
        QVERIFY(s.Lines >= lines && s.Lines <= lines + std::max<qint64>(60, lines / 2));
        QVERIFY(save.Lines().first() == "SiiNunit");
        // The structure the readers rely on: one company unit per companies[] item, offers after it.
        int companyUnits = 0, offerUnits = 0;
        for (int i = save.FindLineFrom(u"company : company.volatile.", 0); i >= 0;
             i = save.FindLineFrom(u"company : company.volatile.", i + 1))
            ++companyUnits;
        for (int i = save.FindLineFrom(u"job_offer_data : ", 0); i >= 0;
             i = save.FindLineFrom(u"job_offer_data : ", i + 1))
            ++offerUnits;
        QCOMPARE(companyUnits, s.CompanyBranches);
        QCOMPARE(offerUnits, s.JobOffers);
        QCOMPARE(save.ReadUnitValue(u"companies: ", 0, save.Count()).toInt(), s.CompanyBranches);
        QCOMPARE(save.ReadUnitValue(u"last_visited_city:", 0, save.Count()), s.LastVisitedCity);
        QVERIFY(save.FindLineFrom(u"economy_event_queue : ", 0) > 0);
    }

    void gameFolderIsListed()
    {
        QTemporaryDir dir;
        savegen::Options opt;
        opt.Lines = 500;
        opt.Profiles = 3;
        QVERIFY(savegen::WriteGameFolder(savegen::Catalogue::FromResources(), opt, dir.path()));
        TProfileList list;
        TSiiDecrypter decrypter(dir.path());
        ListProfiles(list, decrypter, {dir.path() + "/"});
        QCOMPARE(list.Count(), 3);
        QStringList names;
        for (int i = 0; i < 3; ++i) {
            names << list.At(i)->ProfileName();
            QVERIFY(QFile::exists(list.At(i)->GameFilePath()));
            QCOMPARE(list.At(i)->CompanyName(), list.At(i)->ProfileName() + " Logistics");
        }
        names.sort();
        QCOMPARE(names, (QStringList{"Alpine Freight", "Kestrel Driver", "Night Hauler"}));
        QCOMPARE(savegen::ProfileFolderName("ab"), QString("6162"));
    }

    // Every stored form decodes to the text form of the same seed, line for line (the binary
    // form's decoder ends the file with one line break where the generator leaves an empty line).
    void storedFormsDecodeToTheText_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<QByteArray>("outer");
        QTest::addColumn<QByteArray>("inner");
        QTest::addColumn<qint64>("lines");
        QTest::newRow("binary, small") << int(savegen::SaveForm::Binary) << QByteArray("BSII") << QByteArray() << 300ll;
        QTest::newRow("binary") << int(savegen::SaveForm::Binary) << QByteArray("BSII") << QByteArray() << 30000ll;
        QTest::newRow("encrypted") << int(savegen::SaveForm::Encrypted) << QByteArray("ScsC") << QByteArray("BSII")
                                   << 30000ll;
        QTest::newRow("encrypted text") << int(savegen::SaveForm::EncryptedText) << QByteArray("ScsC")
                                        << QByteArray("SiiN") << 3000ll;
    }
    void storedFormsDecodeToTheText()
    {
        QFETCH(int, form);
        QFETCH(QByteArray, outer);
        QFETCH(QByteArray, inner);
        QFETCH(qint64, lines);
        const savegen::Catalogue cat = savegen::Catalogue::FromResources();
        savegen::Options opt;
        opt.Seed = 7;
        opt.Lines = lines;
        QBuffer text;
        text.open(QIODevice::WriteOnly);
        savegen::WriteGameSii(cat, opt, text);
        QString error;
        const QByteArray stored = savegen::StoreGameSii(text.data(), savegen::SaveForm(form), opt.Seed, &error);
        QVERIFY2(!stored.isEmpty(), qPrintable(error));
        QVERIFY(stored.startsWith(outer));
        QCOMPARE(savegen::StoreGameSii(text.data(), savegen::SaveForm(form), opt.Seed), stored);
        const auto bytes = std::span(reinterpret_cast<const uint8_t *>(stored.constData()), size_t(stored.size()));
        if (!inner.isEmpty()) {
            std::vector<uint8_t> payload;
            QVERIFY(siicodec::DecryptContainer(bytes, payload).Ok());
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(payload.data()), 4), inner);
        }
        siicodec::TextBuffer decoded;
        const siicodec::Result r = siicodec::ConvertToText(bytes, decoded);
        QVERIFY2(r.Ok(), r.message.c_str());
        const QByteArray back(decoded.View().data(), qsizetype(decoded.View().size()));
        QByteArray expected = text.data();
        if (inner != "SiiN")
            expected.chop(2); // "}\r\n\r\n" -> "}\r\n"
        QCOMPARE(back.size(), expected.size());
        QVERIFY(back == expected);
    }

    // A last visited city the binary form cannot hold as a token is refused, not stored broken.
    void binaryRefusesWhatItCannotStore()
    {
        QTemporaryDir dir;
        savegen::Options opt;
        opt.Lines = 300;
        opt.Profiles = 1;
        opt.Forms = {savegen::SaveForm::Encrypted};
        opt.LastVisitedCity = "Den Haag";
        QString error;
        QVERIFY(!savegen::WriteGameFolder(savegen::Catalogue::FromResources(), opt, dir.path(), &error));
        QVERIFY2(error.contains("'Den Haag' is not a token"), qPrintable(error));
        opt.Forms = {savegen::SaveForm::Text};
        QVERIFY(savegen::WriteGameFolder(savegen::Catalogue::FromResources(), opt, dir.path(), &error));
    }

    // A game folder as the game writes it today (encrypted binary save, encrypted text profile)
    // is listed and loads through our decrypter; each profile may have its own form.
    void encryptedFolderLoads()
    {
        QTemporaryDir dir;
        savegen::Options opt;
        opt.Lines = 3000;
        opt.Profiles = 2;
        opt.Forms = {savegen::SaveForm::Encrypted, savegen::SaveForm::Text};
        const savegen::Catalogue cat = savegen::Catalogue::FromResources();
        QVERIFY(savegen::WriteGameFolder(cat, opt, dir.path()));
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        if (!QFile::exists(decrypter.DecrypterPath()))
            QSKIP("decrypter not built");
        const QString first = dir.path() + "/profiles/" + savegen::ProfileFolderName("Kestrel Driver");
        const QString second = dir.path() + "/profiles/" + savegen::ProfileFolderName("Night Hauler");
        QVERIFY(IsSiiFileEncrypted(first + "/profile.sii"));
        QVERIFY(IsSiiFileEncrypted(first + "/save/quicksave/game.sii"));
        QVERIFY(!IsSiiFileEncrypted(second + "/save/quicksave/game.sii"));

        TProfileSession session;
        ListProfiles(session.ProfileList(), decrypter, {dir.path() + "/"});
        QCOMPARE(session.ProfileList().Count(), 2);
        int index = -1;
        for (int i = 0; i < 2; ++i)
            if (session.ProfileList().At(i)->ProfileName() == "Kestrel Driver")
                index = i;
        QVERIFY(index >= 0);
        QCOMPARE(session.ProfileList().At(index)->CompanyName(), QString("Kestrel Driver Logistics"));
        const QString game = session.ProfileList().At(index)->GameFilePath();
        TCatalogue catalogue;
        catalogue.LoadTrailersAndCargos();
        TProfileLoadContext context{catalogue, decrypter, nullptr, nullptr, false};
        const TProfileLoadResult result = session.LoadProfile(index + 1, context);
        QVERIFY2(result.Loaded(), qPrintable(result.StatusText));
        QVERIFY(!IsSiiFileEncrypted(game));

        // The text our decrypter left is the generator's text of that profile.
        savegen::Options one = opt;
        QBuffer plain;
        plain.open(QIODevice::WriteOnly);
        const savegen::Summary summary = savegen::WriteGameSii(cat, one, plain);
        QFile f(game);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray expected = plain.data();
        expected.chop(2);
        QVERIFY(f.readAll() == expected);
        QCOMPARE(session.CompanyList().Count(), summary.Companies);
        QCOMPARE(session.CompanyList().BranchCount(), summary.CompanyBranches);
    }
    // The generated game reads as the compiled catalogue under the generated version, with German
    // city names from its locale; the mod adds its cargo for the profile that has it, whose save
    // offers that cargo, and for no other. The same call writes the same bytes.
    void installedGameWithAMod()
    {
        const savegen::Catalogue cat = savegen::Catalogue::FromResources();
        savegen::Options opt;
        opt.Seed = 5;
        opt.Lines = 2000;
        opt.ModName = "kvn_tea";
        QTemporaryDir dir, again;
        for (const QTemporaryDir *d : {&dir, &again})
            QVERIFY(savegen::WriteInstalledGame(d->filePath("game")) &&
                    savegen::WriteGameFolder(cat, opt, d->filePath("docs")));
        const QString modded = "docs/profiles/" + savegen::ProfileFolderName("Kestrel Driver");
        const QString plain = "docs/profiles/" + savegen::ProfileFolderName("Night Hauler");
        const auto bytes = [](const QString &Path) {
            QFile f(Path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        for (const QString &file :
             {QString("game/def.scs"), QString("game/version.scs"), QString("game/locale.scs"),
              QString("docs/mod/kvn_tea.scs"), modded + "/profile.sii", modded + "/save/quicksave/game.sii"}) {
            QVERIFY2(!bytes(dir.filePath(file)).isEmpty(), qPrintable(file));
            QVERIFY2(bytes(dir.filePath(file)) == bytes(again.filePath(file)), qPrintable(file));
        }
        const QByteArray offer = "cargo: cargo." + QByteArray(savegen::ModCargoName);

        // The mod's cargo changes only the offers that carry it.
        QBuffer without, with;
        without.open(QIODevice::WriteOnly);
        with.open(QIODevice::WriteOnly);
        savegen::WriteGameSii(cat, opt, without);
        savegen::Options withCargo = opt;
        withCargo.AlwaysOfferedCargo = {savegen::ModCargoName, savegen::ModCargoVolume};
        const savegen::Summary summary = savegen::WriteGameSii(cat, withCargo, with);
        const QList<QByteArray> a = without.data().split('\n'), b = with.data().split('\n');
        QCOMPARE(a.size(), b.size());
        int carried = 0;
        for (qsizetype i = 0; i < a.size(); ++i) {
            carried += b[i].contains(offer) ? 1 : 0;
            if (a[i] != b[i])
                QVERIFY2(b[i].startsWith(" cargo:") || b[i].startsWith(" trailer_definition: trailer_def.") ||
                             b[i].startsWith(" units_count:"),
                         b[i].constData());
            if (b[i].contains(offer))
                QVERIFY2(b[i + 3].contains(".curtain"), b[i + 3].constData());
        }
        QVERIFY(carried > 0);
        QCOMPARE(carried, summary.AlwaysOfferedCargoOffers);
        QVERIFY(bytes(dir.filePath(modded + "/save/quicksave/game.sii")).contains(offer));
        QVERIFY(!bytes(dir.filePath(plain + "/save/quicksave/game.sii")).contains(offer));

        TCatalogue compiled;
        compiled.LoadTrailersAndCargos();
        TProgramCatalogueRequest request;
        request.PlayerGameFolder = dir.filePath("game");
        request.LanguageCode = "de";
        TCatalogue catalogue;
        LoadProgramCatalogue(catalogue, request);
        QCOMPARE(catalogue.Source.Origin, TCatalogueOrigin::Game);
        QCOMPARE(catalogue.Source.GameVersion, savegen::GeneratedGameVersion());
        QVERIFY2(catalogue.Source.Skipped.isEmpty(), qPrintable(catalogue.Source.Skipped.join(", ")));
        QCOMPARE(catalogue.CargoInfoList.size(), compiled.CargoInfoList.size());
        QCOMPARE(catalogue.TrailerDefinitionDataList.size(), compiled.TrailerDefinitionDataList.size());
        for (const auto &[token, name] : savegen::GermanCityNames())
            QVERIFY2(catalogue.GameNameLines.contains("city;" + token + ";" + name), qPrintable(token));

        TProfileModsResult result = UseProfileMods(catalogue, request, dir.filePath(modded));
        QVERIFY(result.Replaced);
        QVERIFY2(result.SkippedNames.isEmpty() && result.Failure.isEmpty(), qPrintable(result.SkippedNames.join(", ")));
        QCOMPARE(catalogue.Source.ModCount, 1);
        QVERIFY(CargoExists(catalogue.CargoInfoList, savegen::ModCargoName));
        QCOMPARE(catalogue.CargoInfoList.size(), compiled.CargoInfoList.size() + 1);

        result = UseProfileMods(catalogue, request, dir.filePath(plain));
        QVERIFY(result.Replaced);
        QCOMPARE(catalogue.Source.ModCount, 0);
        QVERIFY(!CargoExists(catalogue.CargoInfoList, savegen::ModCargoName));
    }
};

QTEST_GUILESS_MAIN(TestSavegen)
#include "test_savegen.moc"

#include "savegen.h"

#include "catalogue/catalogue.h"
#include "savegame/gamesavelines.h"
#include "savegame/profiles.h"
#include "savegame/profilesession.h"
#include "savegame/siidecryption.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QtTest>

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

        GameSaveLines save;
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
        SiiDecrypter decrypter(dir.path());
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

    // An encrypted game folder loads like a plain one: our decrypter turns both files into text.
    void encryptedFolderLoads()
    {
        QTemporaryDir dir;
        savegen::Options opt;
        opt.Lines = 3000;
        opt.Profiles = 1;
        opt.Encrypted = true;
        const savegen::Catalogue cat = savegen::Catalogue::FromResources();
        QVERIFY(savegen::WriteGameFolder(cat, opt, dir.path()));
        SiiDecrypter decrypter(KVN_BIN_DIR);
        if (!QFile::exists(decrypter.DecrypterPath()))
            QSKIP("decrypter not built");
        TProfileSession session;
        ListProfiles(session.ProfileList(), decrypter, {dir.path() + "/"});
        QCOMPARE(session.ProfileList().Count(), 1);
        const QString game = session.ProfileList().At(0)->GameFilePath();
        QVERIFY(IsSiiFileEncrypted(game));
        TCatalogue catalogue;
        catalogue.LoadTrailersAndCargos();
        ProfileLoadContext context{catalogue, decrypter, nullptr, nullptr, false};
        const ProfileLoadResult result = session.LoadProfile(1, context);
        QVERIFY2(result.Loaded(), qPrintable(result.StatusText));
        QVERIFY(!IsSiiFileEncrypted(game));

        // The plain text inside is exactly what the generator writes for that profile.
        savegen::Options one = opt;
        one.Encrypted = false;
        QBuffer plain;
        plain.open(QIODevice::WriteOnly);
        savegen::WriteGameSii(cat, one, plain);
        QFile f(game);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), plain.data());
    }
};

QTEST_GUILESS_MAIN(TestSavegen)
#include "test_savegen.moc"

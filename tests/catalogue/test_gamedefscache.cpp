// The kept copy of the definitions read from an installed game: read back only when it is whole
// and was written for the same game.
#include "catalogue/gamedefscache.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvn;

namespace {

TGameDefinitions SomeDefinitions()
{
    TGameDefinitions d;
    d.Countries.push_back({"germany", "@@germany@@", "DE"});
    d.Cities.push_back({"berlin", "Berlin", "germany"});
    d.Cities.push_back({"a_coruna", QString::fromUtf8("A Coruña"), "spain"});
    TGameCompany company;
    company.Token = "posped";
    company.Cities = {"berlin", "a_coruna"};
    company.CargoOut = {"glass"};
    d.Companies.push_back(company);
    TGameCargo cargo;
    cargo.Token = "cargo.glass";
    cargo.Fragility = 0.75;
    cargo.Valuable = true;
    cargo.AdrClass = 3;
    cargo.Groups = {"containers"};
    cargo.Mass = 1234.5;
    cargo.MaximumDistance = 900;
    d.Cargos.push_back(cargo);
    TGameTrailer trailer;
    trailer.Token = "trailer_def.scs.box.single_3.dryvan";
    trailer.Axles = 3;
    trailer.Length = 13.6;
    trailer.CountryValidity = {"norway", "sweden"};
    d.Trailers.push_back(trailer);
    d.Problems.push_back({TDefProblemKind::IncludeMissing, "def/city.sii", 4, "city/gone.sui"});
    return d;
}

QByteArray CacheBytes(const TGameDefinitions &Defs, const QString &Key)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cache.dat");
    if (!WriteGameDefinitionsCache(path, Key, Defs))
        return {};
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestGameDefsCache : public QObject {
    Q_OBJECT

private slots:
    void readsBackWhatWasWrittenForTheSameGame()
    {
        const QByteArray bytes = CacheBytes(SomeDefinitions(), "game 1.58 / 20 archives");
        QVERIFY(!bytes.isEmpty());
        const auto back = GameDefinitionsFromCacheBytes(bytes, "game 1.58 / 20 archives");
        QVERIFY(back);
        QCOMPARE(back->Cities.size(), size_t(2));
        QCOMPARE(back->Cities[1].Name, QString::fromUtf8("A Coruña"));
        QCOMPARE(back->Companies[0].Cities, QStringList({"berlin", "a_coruna"}));
        QCOMPARE(back->Cargos[0].Fragility, 0.75);
        QCOMPARE(back->Cargos[0].MaximumDistance, 900);
        QVERIFY(back->Cargos[0].Valuable);
        QCOMPARE(back->Trailers[0].CountryValidity, QStringList({"norway", "sweden"}));
        QCOMPARE(back->Problems[0].Kind, TDefProblemKind::IncludeMissing);
        QCOMPARE(back->Problems[0].Line, 4);
        // Every field is kept: written again, the bytes are the same.
        QCOMPARE(CacheBytes(*back, "game 1.58 / 20 archives"), bytes);
    }

    void anotherGameOrADamagedFileIsNoCache()
    {
        const QByteArray bytes = CacheBytes(SomeDefinitions(), "key");
        QVERIFY(!GameDefinitionsFromCacheBytes(bytes, "other key"));
        QVERIFY(!GameDefinitionsFromCacheBytes({}, "key"));
        // Cut anywhere: never taken for a whole cache.
        for (qsizetype n = 0; n < bytes.size(); ++n)
            QVERIFY2(!GameDefinitionsFromCacheBytes(bytes.left(n), "key"), qPrintable(QString::number(n)));
        QVERIFY(!GameDefinitionsFromCacheBytes(bytes + "x", "key"));
        // A count that promises more records than the file holds is refused before anything is made.
        QByteArray huge = bytes;
        const qsizetype countAt = bytes.indexOf(QByteArray("\x00\x00\x00\x01", 4), 12);
        QVERIFY(countAt > 0);
        huge.replace(countAt, 4, QByteArray("\x7f\xff\xff\xff", 4));
        QVERIFY(!GameDefinitionsFromCacheBytes(huge, "key"));
        QVERIFY(!ReadGameDefinitionsCache("/nonexistent/cache.dat", "key"));
    }
};

QTEST_GUILESS_MAIN(TestGameDefsCache)
#include "test_gamedefscache.moc"

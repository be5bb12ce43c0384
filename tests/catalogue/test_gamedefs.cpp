// The catalogue read from the game's own definition files: the SII text reader (syntax, includes,
// 3nK, limits), the walk of a def/ tree, and that a def/ tree made from the compiled data builds
// exactly the catalogue the compiled loaders build.
#include "catalogue/catalogue.h"
#include "catalogue/gamedefs.h"
#include "catalogue/gamedefslocale.h"
#include "common/memorygamefiles.h"
#include "installgen.h"
#include "shared/strings.h"

#include <QFile>
#include <QTest>
#include <bit>
#include <cmath>

using namespace kvn;
using kvntest::TMemoryGameFiles;

namespace {

QString KindName(TDefProblemKind Kind)
{
    switch (Kind) {
    case TDefProblemKind::CannotRead:
        return QStringLiteral("CannotRead");
    case TDefProblemKind::NotText:
        return QStringLiteral("NotText");
    case TDefProblemKind::TooLarge:
        return QStringLiteral("TooLarge");
    case TDefProblemKind::Syntax:
        return QStringLiteral("Syntax");
    case TDefProblemKind::IncludeMissing:
        return QStringLiteral("IncludeMissing");
    case TDefProblemKind::IncludeTooDeep:
        return QStringLiteral("IncludeTooDeep");
    case TDefProblemKind::IncludeCycle:
        return QStringLiteral("IncludeCycle");
    }
    return {};
}

// "Kind@file:line" for each problem, in order.
QString DumpProblems(const std::vector<TDefProblem> &Problems)
{
    QStringList out;
    for (const TDefProblem &p : Problems)
        out.append(KindName(p.Kind) + u'@' + p.File + u':' + QString::number(p.Line));
    return out.join(u' ');
}

// "class name {key=value, array[]=a|b}", keys sorted, one line per unit.
QString DumpUnits(const std::vector<TDefUnit> &Units)
{
    QStringList out;
    for (const TDefUnit &unit : Units) {
        QStringList parts;
        QStringList keys = unit.Values.keys();
        keys.sort();
        for (const QString &key : keys)
            parts.append(key + u'=' + unit.Values.value(key));
        QStringList arrays = unit.Arrays.keys();
        arrays.sort();
        for (const QString &key : arrays)
            parts.append(key + QStringLiteral("[]=") + unit.Array(key).join(u'|'));
        out.append(unit.Class + u' ' + unit.Name + QStringLiteral(" {") + parts.join(QStringLiteral(", ")) + u'}');
    }
    return out.join(u'\n');
}

// The game's 3nK scrambling: a 6-byte header, then each byte XOR-ed with a key byte that runs
// on from the seed.
std::string Scramble3nK(const std::string &Text, std::uint8_t Seed)
{
    std::string out("3nK\x01\x00", 5);
    out += static_cast<char>(Seed);
    for (std::size_t j = 0; j < Text.size(); ++j) {
        const unsigned i = (Seed + j) & 0xFFu;
        const unsigned key = ((((i << 2) ^ ~i) << 3) ^ i) & 0xFFu;
        out += static_cast<char>(static_cast<unsigned char>(Text[j]) ^ key);
    }
    return out;
}

struct TReadResult {
    std::vector<TDefUnit> Units;
    std::vector<TDefProblem> Problems;
    std::set<std::string> FilesRead;
};

TReadResult ReadOne(const TMemoryGameFiles &Files, const std::string &Path, TDefReadLimits Limits = {})
{
    TReadResult result;
    TDefinitionReader reader(Files, Limits);
    reader.ReadFile(Path, result.Units);
    result.Problems = reader.Problems();
    result.FilesRead = reader.FilesRead();
    return result;
}

// The def/ tree kvn-savegen writes into its installed game, made from the compiled data.
void AddDefTreeFromCompiledData(TMemoryGameFiles &Files)
{
    for (const archives::testing::TTestFile &file : savegen::CompiledDefTree())
        Files.Add(file.Path, file.Content);
}

} // namespace

class TestGameDefs : public QObject {
    Q_OBJECT

private slots:
    void readsUnits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("problems");

        QTest::newRow("one line, every kind of value")
            << "SiiNunit\n{\nsome_unit : .my_mod.unit { n: 40 s: \"TEST STRING\" t: TEST v: (1.0, 1.0, 1.0) "
               "f: &40490f5a }\n}\n"
            << "some_unit .my_mod.unit {f=&40490f5a, n=40, s=TEST STRING, t=TEST, v=(1.0, 1.0, 1.0)}"
            << "";
        QTest::newRow("included form: no magic, brace below, CR LF")
            << "cargo_data: cargo.glass\r\n{\r\n\tgroup[]: construction\r\n\tmass: 212.2\r\n}\r\n"
            << "cargo_data cargo.glass {mass=212.2, group[]=construction}"
            << "";
        QTest::newRow("comments of every kind")
            << "/* head\n * more */\na : b.c { # note\n x: 1 // trailing\n /* inside */ y: 2 }\n"
            << "a b.c {x=1, y=2}"
            << "";
        QTest::newRow("strings: escapes, comment marks, empty")
            << "a : b { s: \"K\\xc3\\xb6gel\" q: \"say \\\"hi\\\"\" c: \"x # y // z\" e: \"\" }"
            << QStringLiteral("a b {c=x # y // z, e=, q=say \"hi\", s=K\u00f6gel}") << "";
        QTest::newRow("arrays: appended, indexed out of order, count line")
            << "a : b { g[]: x g[]: y h[1]: second h[0]: first h: 2 }"
            << "a b {h=2, g[]=x|y, h[]=first|second}"
            << "";
        QTest::newRow("placement value, then an empty unit") << "u : .a { p: (1, 2, 3) (1; 0, 0, 0) q: 1 } w : .b { }"
                                                             << "u .a {p=(1, 2, 3) (1; 0, 0, 0), q=1}\nw .b {}"
                                                             << "";
        QTest::newRow("unclosed string: earlier units kept, rest of file dropped")
            << "a : .one { x: 1 }\nb : .two { s: \"open\n y: 2 }\nc : .three { }\n"
            << "a .one {x=1}"
            << "Syntax@def/t.sii:2";
        QTest::newRow("bracket never closed") << "a : .one { x: 1 }\nb : .two { p: (1, 2 }\n"
                                              << "a .one {x=1}"
                                              << "Syntax@def/t.sii:2";
        QTest::newRow("a backslash does not carry a string over the line end") << "c : .three { s: \"x\\\n\" }\n"
                                                                               << ""
                                                                               << "Syntax@def/t.sii:1";
        QTest::newRow("missing colon after the class") << "a .one { }"
                                                       << ""
                                                       << "Syntax@def/t.sii:1";
        QTest::newRow("unit never closed") << "a : .one { x: 1"
                                           << ""
                                           << "Syntax@def/t.sii:1";
        QTest::newRow("bad array index") << "a : .one { x[9999999999]: 1 }"
                                         << ""
                                         << "Syntax@def/t.sii:1";
        QTest::newRow("stray braces and colons") << "}}}{{{::: \""
                                                 << ""
                                                 << "Syntax@def/t.sii:1";
        QTest::newRow("indented include is not a directive") << "a : .one { }\n  @include \"x.sui\"\n"
                                                             << "a .one {}"
                                                             << "Syntax@def/t.sii:2";
    }

    void readsUnits()
    {
        QFETCH(QString, text);
        QFETCH(QString, units);
        QFETCH(QString, problems);
        TMemoryGameFiles files;
        files.Add("def/t.sii", text.toStdString());
        const TReadResult read = ReadOne(files, "def/t.sii");
        QCOMPARE(DumpUnits(read.Units), units);
        QCOMPARE(DumpProblems(read.Problems), problems);
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("value");
        QTest::newRow("integer") << "40" << true << 40.0;
        QTest::newRow("decimal") << "0.266" << true << 0.266;
        QTest::newRow("negative exponent") << "-1.5e3" << true << -1500.0;
        QTest::newRow("hex one") << "&3f800000" << true << 1.0;
        QTest::newRow("hex upper case") << "&3F000000" << true << 0.5;
        QTest::newRow("hex pi") << "&40490f5a" << true << double(std::bit_cast<float>(0x40490f5au));
        QTest::newRow("hex NaN") << "&7fc00000" << false << 0.0;
        QTest::newRow("hex too short") << "&3f80" << false << 0.0;
        QTest::newRow("hex bad digit") << "&3f80000g" << false << 0.0;
        QTest::newRow("word") << "true" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
    }

    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, value);
        const std::optional<double> parsed = ParseDefNumber(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }

    void includePaths_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("path"); // "-" for none
        QTest::newRow("beside the file") << "def/city.sii"
                                         << "city/a.sui"
                                         << "def/city/a.sui";
        QTest::newRow("from the root") << "def/city.sii"
                                       << "/def/x.sui"
                                       << "def/x.sui";
        QTest::newRow("parent folder") << "def/city/a.sui"
                                       << "../b.sui"
                                       << "def/b.sui";
        QTest::newRow("dot parts") << "a.sii"
                                   << "./x/./b.sui"
                                   << "x/b.sui";
        QTest::newRow("above the root") << "def/a.sii"
                                        << "../../x.sui"
                                        << "-";
        QTest::newRow("nothing named") << "def/a.sii"
                                       << ""
                                       << "-";
        QTest::newRow("a folder") << "def/a.sii"
                                  << "city/"
                                  << "-";
    }

    void includePaths()
    {
        QFETCH(QString, from);
        QFETCH(QString, target);
        QFETCH(QString, path);
        const auto resolved = ResolveIncludePath(from.toStdString(), target.toStdString());
        QCOMPARE(resolved ? QString::fromStdString(*resolved) : QStringLiteral("-"), path);
    }

    void followsIncludes()
    {
        TMemoryGameFiles files;
        files.Add("def/city.sii",
                  "SiiNunit\n{\n@include \"city/a.sui\"\n@include \"/def/city/b.sui\"\n"
                  "@include \"city/missing.sui\"\nholder : .h {\n@include \"../parts/attrs.sui\"\n}\n}\n");
        files.Add("def/city/a.sui", "city_data: city.a { country: x }\n");
        files.Add("def/city/b.sui", "@include \"c.sui\"\ncity_data: city.b { country: y }\n");
        files.Add("def/city/c.sui", "city_data: city.c { country: z }\n");
        files.Add("parts/attrs.sui", "k: v\n");
        const TReadResult read = ReadOne(files, "def/city.sii");
        QCOMPARE(DumpUnits(read.Units), QStringLiteral("city_data city.a {country=x}\ncity_data city.c {country=z}\n"
                                                       "city_data city.b {country=y}\nholder .h {k=v}"));
        QCOMPARE(DumpProblems(read.Problems), QStringLiteral("IncludeMissing@def/city.sii:5"));
        QCOMPARE(read.FilesRead.size(), std::size_t(5));
        QCOMPARE(read.Units[1].File, QStringLiteral("def/city/c.sui"));
    }

    // Includes are outside input like the rest: a cycle, a deep chain and a file that includes
    // another over and over all end, with the fault named.
    void boundsIncludes()
    {
        TMemoryGameFiles files;
        files.Add("a.sii", "@include \"b.sui\"\nu : .a { }\n");
        files.Add("b.sui", "@include \"a.sii\"\nu : .b { }\n");
        TReadResult read = ReadOne(files, "a.sii");
        QCOMPARE(DumpUnits(read.Units), QStringLiteral("u .b {}\nu .a {}"));
        QCOMPARE(DumpProblems(read.Problems), QStringLiteral("IncludeCycle@b.sui:1"));

        for (int i = 0; i < 40; ++i)
            files.Add("chain/f" + std::to_string(i) + ".sui",
                      "u : .f" + std::to_string(i) + " { }\n@include \"f" + std::to_string(i + 1) + ".sui\"\n");
        read = ReadOne(files, "chain/f0.sui");
        QCOMPARE(read.Units.size(), std::size_t(TDefReadLimits().MaxIncludeDepth + 1));
        QCOMPARE(read.Problems.size(), std::size_t(1));
        QCOMPARE(read.Problems[0].Kind, TDefProblemKind::IncludeTooDeep);

        // Each level includes the next twice: 2^15 includes unless the byte budget stops it.
        for (int i = 0; i < 15; ++i) {
            const std::string next = "@include \"g" + std::to_string(i + 1) + ".sui\"\n";
            files.Add("bomb/g" + std::to_string(i) + ".sui", next + next);
        }
        files.Add("bomb/g15.sui", "u : .leaf { }\n");
        TDefReadLimits small;
        small.MaxTotalBytes = 64 * 1024;
        read = ReadOne(files, "bomb/g0.sui", small);
        QVERIFY(read.Units.size() < 2000);
        QCOMPARE(read.Problems.size(), std::size_t(1));
        QCOMPARE(read.Problems[0].Kind, TDefProblemKind::TooLarge);
    }

    void readsScrambledAndRefusesBinary()
    {
        // The example of the format notes: seed 0, "SiiNunit" CR LF "{".
        const std::string vector = Scramble3nK("SiiNunit\r\n{", 0);
        QCOMPARE(QByteArray::fromStdString(vector).toHex(' '),
                 QByteArray("33 6e 4b 01 00 00 ab b8 c3 cd 29 1b 67 53 bd 93 99"));

        const std::string text = "SiiNunit\n{\ncity_data: city.k { city_name: \"K\\xc3\\xb6ln\" }\n}\n";
        TMemoryGameFiles files;
        files.Add("def/plain.sii", text);
        files.Add("def/scrambled.sii", Scramble3nK(text, 0xFE));
        files.Add("def/binary.sii", std::string("BSII\x02\x00\x00\x00", 8));
        files.Add("def/encrypted.sii", std::string("ScsC") + std::string(60, '\0'));
        QCOMPARE(DumpUnits(ReadOne(files, "def/scrambled.sii").Units),
                 DumpUnits(ReadOne(files, "def/plain.sii").Units));
        QCOMPARE(ReadOne(files, "def/plain.sii").Units.at(0).Text(QStringLiteral("city_name")),
                 QStringLiteral("K\u00f6ln"));
        QCOMPARE(DumpProblems(ReadOne(files, "def/binary.sii").Problems), QStringLiteral("NotText@def/binary.sii:0"));
        QCOMPARE(DumpProblems(ReadOne(files, "def/encrypted.sii").Problems),
                 QStringLiteral("NotText@def/encrypted.sii:0"));
        TDefReadLimits small;
        small.MaxFileBytes = 16;
        QCOMPARE(DumpProblems(ReadOne(files, "def/plain.sii", small).Problems),
                 QStringLiteral("TooLarge@def/plain.sii:0"));
    }

    // The whole compiled catalogue, written out as a def/ tree, comes back field for field.
    void buildsTheCompiledCatalogue()
    {
        TMemoryGameFiles files;
        AddDefTreeFromCompiledData(files);
        QVERIFY(files.Count() > 1000);
        const TGameDefinitions defs = ReadGameDefinitions(files);
        QCOMPARE(DumpProblems(defs.Problems), QString());

        TTrailerDefinitionDataList compiledTrailers, trailers;
        LoadTrailerDefinitionsFromResource(compiledTrailers);
        BuildTrailerDefinitions(defs, trailers);
        QCOMPARE(trailers.size(), compiledTrailers.size());
        QVERIFY(!trailers.empty());
        for (std::size_t i = 0; i < trailers.size(); ++i) {
            const TTrailerDefinitionData &a = *trailers[i];
            const TTrailerDefinitionData &b = *compiledTrailers[i];
            QCOMPARE(a.TrailerDefinition(), b.TrailerDefinition());
            QCOMPARE(a.WeightLimit(), b.WeightLimit());
            QCOMPARE(a.ChassisMass(), b.ChassisMass());
            QCOMPARE(a.Axles(), b.Axles());
            QCOMPARE(a.Volume(), b.Volume());
            QCOMPARE(a.Length(), b.Length());
            QCOMPARE(a.IsDoubleTrailer(), b.IsDoubleTrailer());
            QCOMPARE(a.IsCountryBoundTrailer(), b.IsCountryBoundTrailer());
            QCOMPARE(a.CountryValidityList().Items(), b.CountryValidityList().Items());
            QCOMPARE(a.CountryValidityListCommaList(), b.CountryValidityListCommaList());
        }

        TCargoInfoList compiledCargos, cargos;
        LoadCargosFromResource(compiledCargos);
        BuildCargos(defs, cargos);
        QCOMPARE(cargos.size(), compiledCargos.size());
        QVERIFY(!cargos.empty());
        for (std::size_t i = 0; i < cargos.size(); ++i) {
            const TCargoInfo &a = *cargos[i];
            const TCargoInfo &b = *compiledCargos[i];
            QCOMPARE(a.CargoName(), b.CargoName());
            QCOMPARE(a.CargoFragility(), b.CargoFragility());
            QCOMPARE(a.CargoVolume(), b.CargoVolume());
            QCOMPARE(a.CargoWeightInKG(), b.CargoWeightInKG());
            QCOMPARE(a.CargoWeightInT(), b.CargoWeightInT());
            QCOMPARE(a.CargoRewardPerKM(), b.CargoRewardPerKM());
            QCOMPARE(a.CargoADR(), b.CargoADR());
            QCOMPARE(a.CargoMaximumDistance(), b.CargoMaximumDistance());
            QCOMPARE(a.CargoIsValuable(), b.CargoIsValuable());
            QCOMPARE(a.IsHeavy(), b.IsHeavy());
            QCOMPARE(a.IsFragile(), b.IsFragile());
            QCOMPARE(a.CargoGroups().Bits(), b.CargoGroups().Bits());
        }

        QStringList compiledCountries = CatalogueLines(QStringLiteral("Countries"), true);
        compiledCountries.removeAll(QString());
        QCOMPARE(CountryLinesOf(defs), compiledCountries);
        // The countries a profile is offered come out the same from either list.
        const QStringList save = {QStringLiteral("companies: 3"),
                                  QStringLiteral("companies[0]: company.volatile.a.berlin"),
                                  QStringLiteral("companies[1]: company.volatile.b.london"),
                                  QStringLiteral("companies[2]: company.volatile.c.praha")};
        TCountries fromDefs, fromCompiled;
        fromDefs.LoadCountriesToDataClasses(save, CountryLinesOf(defs), nullptr, nullptr);
        fromCompiled.LoadCountriesToDataClasses(save, nullptr, nullptr);
        QCOMPARE(fromDefs.CountryInfoList().size(), fromCompiled.CountryInfoList().size());
        for (std::size_t i = 0; i < fromDefs.CountryInfoList().size(); ++i) {
            QCOMPARE(fromDefs.CountryInfoList()[i]->Country(), fromCompiled.CountryInfoList()[i]->Country());
            QCOMPARE(fromDefs.CountryInfoList()[i]->CityList(), fromCompiled.CountryInfoList()[i]->CityList());
        }

        // What the compiled data does not hold is read too.
        QCOMPARE(defs.Cargos.front().MinimumDistance, 50);
        QCOMPARE(defs.Cargos.front().BodyTypes, QStringList{QStringLiteral("curtainside")});
        QVERIFY(!defs.Countries.empty());
        QCOMPARE(defs.Countries.front().Code, QStringLiteral("XX"));
    }

    void readsCompanies()
    {
        TMemoryGameFiles files;
        files.Add("def/company.sii", "SiiNunit\n{\n@include \"company/posped.sui\"\n}\n");
        files.Add("def/company/posped.sui", "company_permanent: company.permanent.posped { name: \"Posped\" }\n");
        files.Add("def/company/tradeaux.sii",
                  "SiiNunit\n{\ncompany_permanent : company.permanent.tradeaux\n{\n name: \"TradeAux\"\n}\n}\n");
        files.Add("def/company/posped/out/wood.sii", "SiiNunit { cargo_def : .posped.wood { cargo: \"cargo.wood\" } }");
        files.Add("def/company/posped/out/logs.sii", "SiiNunit { cargo_def : .posped.logs { cargo: cargo.logs } }");
        files.Add("def/company/posped/in/glass.sii", "SiiNunit { cargo_def : .posped.glass { cargo: cargo.glass } }");
        files.Add("def/company/posped/editor/berlin.sii",
                  "SiiNunit { company_def : .posped.berlin { city: berlin prefab: prefab.dep } }");
        files.Add("def/company/posped/editor/praha.sii",
                  "SiiNunit { company_def : .posped.praha { city: city.praha prefab: prefab.dep } }");
        files.Add("def/company/posped/editor/praha2.sii",
                  "SiiNunit { company_def : .posped.praha2 { city: praha prefab: prefab.dep2 } }");
        files.Add("def/company/ghost/editor/berlin.sii", "SiiNunit { company_def : .ghost.berlin { city: berlin } }");

        const TGameDefinitions defs = ReadGameDefinitions(files);
        QCOMPARE(DumpProblems(defs.Problems), QString());
        QCOMPARE(defs.Companies.size(), std::size_t(2));
        const TGameCompany &posped = defs.Companies[0];
        QCOMPARE(posped.Token, QStringLiteral("posped"));
        QCOMPARE(posped.Name, QStringLiteral("Posped"));
        QCOMPARE(posped.Cities, (QStringList{QStringLiteral("berlin"), QStringLiteral("praha")}));
        QCOMPARE(posped.CargoIn, QStringList{QStringLiteral("glass")});
        QCOMPARE(posped.CargoOut, (QStringList{QStringLiteral("logs"), QStringLiteral("wood")}));
        QCOMPARE(defs.Companies[1].Token, QStringLiteral("tradeaux"));
        QVERIFY(defs.Companies[1].Cities.isEmpty());
    }

    // A mod's list that redefines a unit wins over the base; a broken file costs only itself.
    void laterDefinitionsWinAndFaultsStayLocal()
    {
        TMemoryGameFiles files;
        files.Add("def/cargo.sii", "SiiNunit\n{\n@include \"cargo/glass.sui\"\n@include \"cargo/gone.sui\"\n"
                                   "@include \"cargo/wood.sui\"\n}\n");
        files.Add("def/cargo/glass.sui", "cargo_data: cargo.glass { mass: 100 volume: 1 }\n");
        files.Add("def/cargo/wood.sui", "cargo_data: cargo.wood { mass: 300 }\n");
        files.Add("def/cargo.zz_mod.sii", "SiiNunit\n{\n@include \"cargo/glass.zz_mod.sui\"\n}\n");
        files.Add("def/cargo/glass.zz_mod.sui", "cargo_data: cargo.glass { mass: 150 }\n");
        files.Add("def/cargo.broken.sii", std::string("BSII\x03\x00\x00\x00", 8));
        files.Add("def/city.sii",
                  "SiiNunit\n{\ncity_data: city.a { country: Hungary }\ncity_data: city.b { country: \n}\n");

        const TGameDefinitions defs = ReadGameDefinitions(files);
        QCOMPARE(DumpProblems(defs.Problems),
                 QStringLiteral("NotText@def/cargo.broken.sii:0 IncludeMissing@def/cargo.sii:4 Syntax@def/city.sii:5"));
        QCOMPARE(defs.Cargos.size(), std::size_t(2));
        QCOMPARE(defs.Cargos[0].Token, QStringLiteral("cargo.glass"));
        QCOMPARE(defs.Cargos[0].Mass, 150.0);
        QCOMPARE(defs.Cargos[0].Volume, 1.0); // the mod's unit replaces the base one whole
        QCOMPARE(defs.Cargos[1].Mass, 300.0);
        QCOMPARE(CountryLinesOf(defs), QStringList{QStringLiteral("a;Hungary")});
    }

    void readsLocaleNames()
    {
        TMemoryGameFiles files;
        files.Add(
            "locale/de_de/local.sii",
            Scramble3nK(
                "SiiNunit\n{\nlocalization_db : .localization\n{\n key[]: \"cn_glass\"\n val[]: \"Glas\"\n"
                " key[]: \"koeln\"\n val[]: \"K\\xc3\\xb6ln\"\n key[]: \"germany\"\n val[]: \"Deutschland\"\n}\n}\n",
                0x42));
        files.Add("locale/de_de/local.override.sii", "SiiNunit\n{\nlocalization_db : .override\n{\n key[]: cn_glass\n "
                                                     "val[]: \"Flachglas\"\n key[]: orphan\n}\n}\n");
        files.Add("locale/de_de/other.sii", "SiiNunit { localization_db : .x { key[]: germany val[]: nope } }");
        files.Add("locale/en_us/local.sii", "SiiNunit { localization_db : .l { key[]: cn_glass val[]: Glass } }");

        QCOMPARE(LocaleFolders(files), (QStringList{QStringLiteral("de_de"), QStringLiteral("en_us")}));
        std::vector<TDefProblem> problems;
        const QHash<QString, QString> names = ReadLocaleNames(files, QStringLiteral("de_de"), &problems);
        QCOMPARE(DumpProblems(problems), QString());
        QCOMPARE(names.size(), 3);
        QCOMPARE(names.value(QStringLiteral("cn_glass")), QStringLiteral("Flachglas"));
        QCOMPARE(names.value(QStringLiteral("koeln")), QStringLiteral("K\u00f6ln"));
        QCOMPARE(names.value(QStringLiteral("germany")), QStringLiteral("Deutschland"));
        QVERIFY(ReadLocaleNames(files, QStringLiteral("../locale")).isEmpty());

        QCOMPARE(ResolveLocalised(QStringLiteral("@@cn_glass@@"), names), QStringLiteral("Flachglas"));
        QCOMPARE(ResolveLocalised(QStringLiteral("to @@koeln@@ (@@germany@@)"), names),
                 QStringLiteral("to K\u00f6ln (Deutschland)"));
        QCOMPARE(ResolveLocalised(QStringLiteral("@@unknown@@ and @@open"), names),
                 QStringLiteral("@@unknown@@ and @@open"));
    }

    void localeFolderForLanguage_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("folder");
        QTest::newRow("region folder") << "de"
                                       << "de_de";
        QTest::newRow("upper-case code") << "EN"
                                         << "en_gb";
        QTest::newRow("exact name first") << "pt"
                                          << "pt";
        QTest::newRow("first of several regions") << "es"
                                                  << "es_es";
        QTest::newRow("none") << "fi"
                              << "";
        QTest::newRow("empty code") << ""
                                    << "";
    }

    void localeFolderForLanguage()
    {
        QFETCH(QString, code);
        QFETCH(QString, folder);
        const QStringList folders = {QStringLiteral("de_de"), QStringLiteral("en_gb"), QStringLiteral("en_us"),
                                     QStringLiteral("es_es"), QStringLiteral("es_la"), QStringLiteral("pt"),
                                     QStringLiteral("pt_br")};
        QCOMPARE(LocaleFolderForLanguage(folders, code), folder);
    }
};

QTEST_GUILESS_MAIN(TestGameDefs)
#include "test_gamedefs.moc"

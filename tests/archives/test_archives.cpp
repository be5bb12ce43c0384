// The archive readers on archives the tests write themselves: lookup, listings, compression,
// priorities, and damaged input that must end in a clear message, never a crash.
#include "archivewriter.h"

#include "archives/cityhash.h"
#include "archives/foldersource.h"
#include "archives/hashfsarchive.h"
#include "archives/layeredfilesystem.h"
#include "archives/opengamearchive.h"
#include "archives/ziparchive.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <functional>
#include <thread>

using namespace kvn::archives;
using namespace kvn::archives::testing;
using TBytes = std::vector<std::uint8_t>;

Q_DECLARE_METATYPE(TBytes)

namespace {

enum class TFormat { V1, V2, Zip, Folder };

std::string Text(const TBytes &b)
{
    return std::string(b.begin(), b.end());
}

TTestArchive SampleArchive()
{
    TTestArchive a;
    a.Files = {{"def/city.sii", "SiiNunit\n{\n}\n", false},
               {"def/city/berlin.sui", std::string(3000, 'b') + "city_data: city.berlin {}", true},
               {"def/cargo.mymod.sii", "@include \"cargo/glass.sui\"\n", true},
               {"manifest.sii", "mod_package: .package_name {}", false}};
    return a;
}

TBytes Write(TFormat Format, const TTestArchive &A)
{
    switch (Format) {
    case TFormat::V1:
        return WriteHashFsV1(A);
    case TFormat::V2:
        return WriteHashFsV2(A);
    default:
        return WriteZip(A);
    }
}

std::unique_ptr<IGameFileSource> OpenBytes(TBytes Bytes, std::string &Error)
{
    return OpenGameArchive(MemoryBytes(std::move(Bytes)), "test.scs", Error);
}

// The archive on disk (or unpacked into a folder), opened as the program opens mods.
std::unique_ptr<IGameFileSource> OpenOnDisk(TFormat Format, const TTestArchive &A, const QTemporaryDir &Dir,
                                            std::string &Error)
{
    const QString path = Dir.filePath(Format == TFormat::Folder ? "unpacked" : "archive.scs");
    if (Format == TFormat::Folder) {
        for (const TTestFile &f : A.Files) {
            const QString file = path + "/" + QString::fromStdString(f.Path);
            QDir().mkpath(QFileInfo(file).path());
            QFile out(file);
            if (!out.open(QIODevice::WriteOnly))
                return nullptr;
            out.write(f.Content.data(), qint64(f.Content.size()));
        }
    } else if (!WriteFileBytes(path.toStdString(), Write(Format, A))) {
        return nullptr;
    }
    return OpenGameArchive(std::filesystem::path(path.toStdU16String()), Error);
}

std::vector<std::string> Names(const std::vector<TFolderEntry> &Entries)
{
    std::vector<std::string> names;
    for (const TFolderEntry &e : Entries)
        names.push_back((e.IsFolder ? "*" : "") + e.Name);
    std::sort(names.begin(), names.end());
    return names;
}

bool AnyContains(const std::vector<std::string> &Lines, const std::string &Part)
{
    return std::any_of(Lines.begin(), Lines.end(),
                       [&](const std::string &l) { return l.find(Part) != std::string::npos; });
}

void SetU32(TBytes &b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

// The data of the central directory's first entry and the end record of a written ZIP.
std::size_t CentralAt(const TBytes &Zip)
{
    const std::size_t end = Zip.size() - 22;
    return std::size_t(Zip[end + 16]) | std::size_t(Zip[end + 17]) << 8 | std::size_t(Zip[end + 18]) << 16;
}

} // namespace

class TestArchives : public QObject {
    Q_OBJECT

private slots:
    void cityHashMatchesReferenceValues_data();
    void cityHashMatchesReferenceValues();
    void readsEveryFormat_data();
    void readsEveryFormat();
    void saltedArchivesHashTheSaltToo_data();
    void saltedArchivesHashTheSaltToo();
    void lockedZipIsReadFromCentralDirectory_data();
    void lockedZipIsReadFromCentralDirectory();
    void v1TableAtTheEndIsFound();
    void malformedListingNamesAreDropped_data();
    void malformedListingNamesAreDropped();
    void unreadableEntriesAreSkippedNotFatal();
    void damagedArchivesAreRefused_data();
    void damagedArchivesAreRefused();
    void damagedEntriesFailAlone_data();
    void damagedEntriesFailAlone();
    void layersGiveOneWinnerAndMergedListings();
    void readsFromSeveralThreads();
};

// The reference library's own test data (CityHash 1.0.3, city-test.cc): hashes of a pseudo-random
// buffer at offset n*n, length n, covering every length band of the function.
void TestArchives::cityHashMatchesReferenceValues_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<quint64>("expected");
    const std::pair<int, quint64> rows[] = {
        {0, 0x9ae16a3b2f90404fULL},      {1, 0x75e9dee28ded761dULL},   {3, 0x69cfe9fca1cc683aULL},
        {4, 0x675b04c582a34966ULL},      {8, 0xf214b86cffeab596ULL},   {9, 0xeba670441d1a4f7dULL},
        {16, 0x2994f9245194a7e2ULL},     {17, 0x32e2ed6fa03e5b22ULL},  {32, 0x81247c01ab6a9cc1ULL},
        {33, 0xc17f3ebd3257cb8bULL},     {64, 0x16468c55a1b3f2b4ULL},  {65, 0x1a2bd6641870b0e4ULL},
        {128, 0xf4b56421eae4c4e7ULL},    {129, 0xc07fcb8ae7b4e480ULL}, {298, 0x91288884ebfcf145ULL},
        {1 << 20, 0x754c7e98ae3495eaULL}};
    for (const auto &[length, expected] : rows)
        QTest::newRow(qPrintable(QString::number(length))) << length << expected;
}

void TestArchives::cityHashMatchesReferenceValues()
{
    QFETCH(int, length);
    QFETCH(quint64, expected);
    static std::vector<char> data = [] {
        std::vector<char> d(1 << 20);
        const std::uint64_t k0 = 0xc3a5c85c97cb3127ULL;
        std::uint64_t a = 9, b = 777;
        for (std::size_t i = 0; i < d.size(); ++i) {
            a = (a ^ (a >> 41)) * k0 + b;
            b = (b ^ (b >> 41)) * k0 + i;
            d[i] = static_cast<char>(static_cast<std::uint8_t>(b >> 37));
        }
        return d;
    }();
    const std::size_t offset = length == (1 << 20) ? 0 : std::size_t(length) * std::size_t(length);
    QCOMPARE(quint64(CityHash64(data.data() + offset, std::size_t(length))), expected);
}

void TestArchives::readsEveryFormat_data()
{
    QTest::addColumn<TFormat>("format");
    QTest::newRow("HashFS v1") << TFormat::V1;
    QTest::newRow("HashFS v2") << TFormat::V2;
    QTest::newRow("ZIP") << TFormat::Zip;
    QTest::newRow("folder") << TFormat::Folder;
}

void TestArchives::readsEveryFormat()
{
    QFETCH(TFormat, format);
    QTemporaryDir dir;
    const TTestArchive sample = SampleArchive();
    std::string error;
    auto source = OpenOnDisk(format, sample, dir, error);
    QVERIFY2(source, error.c_str());
    QVERIFY(source->Problems().empty());

    for (const TTestFile &f : sample.Files) {
        TBytes bytes;
        QVERIFY(source->HasFile(f.Path));
        QVERIFY2(source->ReadFile(f.Path, bytes, error), error.c_str());
        QCOMPARE(Text(bytes), f.Content);
    }
    // A leading slash or doubled slashes name the same file; ".." never leaves the archive.
    QVERIFY(source->HasFile("/def//city.sii"));
    QVERIFY(!source->HasFile("def/../manifest.sii"));

    std::vector<TFolderEntry> entries;
    QVERIFY(source->ListFolder("", entries));
    QCOMPARE(Names(entries), (std::vector<std::string>{"*def", "manifest.sii"}));
    QVERIFY(source->ListFolder("def", entries));
    QCOMPARE(Names(entries), (std::vector<std::string>{"*city", "cargo.mymod.sii", "city.sii"}));
    QVERIFY(!source->ListFolder("def/company", entries));
    QVERIFY(entries.empty());

    TBytes bytes;
    QVERIFY(!source->HasFile("def"));
    QVERIFY(!source->ReadFile("def/missing.sii", bytes, error));
    QVERIFY2(error.find("def/missing.sii") != std::string::npos, error.c_str());
    QVERIFY(bytes.empty());
}

void TestArchives::saltedArchivesHashTheSaltToo_data()
{
    QTest::addColumn<TFormat>("format");
    QTest::newRow("HashFS v1") << TFormat::V1;
    QTest::newRow("HashFS v2") << TFormat::V2;
}

void TestArchives::saltedArchivesHashTheSaltToo()
{
    QFETCH(TFormat, format);
    TTestArchive salted = SampleArchive();
    salted.Salt = 371;
    std::string error;
    auto source = OpenBytes(Write(format, salted), error);
    QVERIFY2(source, error.c_str());
    TBytes bytes;
    QVERIFY2(source->ReadFile("def/city.sii", bytes, error), error.c_str());
    std::vector<TFolderEntry> entries;
    QVERIFY(source->ListFolder("def/city", entries));
    QCOMPARE(Names(entries), std::vector<std::string>{"berlin.sui"});
}

void TestArchives::lockedZipIsReadFromCentralDirectory_data()
{
    QTest::addColumn<bool>("brokenLocalHeaders");
    QTest::addColumn<bool>("centralExtra");
    QTest::newRow("local headers broken") << true << false;
    QTest::newRow("local headers broken, central extra field") << true << true;
    QTest::newRow("intact, central extra field only") << false << true;
}

void TestArchives::lockedZipIsReadFromCentralDirectory()
{
    QFETCH(bool, brokenLocalHeaders);
    QFETCH(bool, centralExtra);
    TTestArchive locked = SampleArchive();
    locked.ZipBreakLocalHeaders = brokenLocalHeaders;
    locked.ZipCentralExtra = centralExtra;
    std::string error;
    // The first bytes are no longer "PK": the central directory alone makes it a ZIP.
    auto source = OpenBytes(WriteZip(locked), error);
    QVERIFY2(source, error.c_str());
    for (const TTestFile &f : locked.Files) {
        TBytes bytes;
        QVERIFY2(source->ReadFile(f.Path, bytes, error), error.c_str());
        QCOMPARE(Text(bytes), f.Content);
    }
}

void TestArchives::v1TableAtTheEndIsFound()
{
    TTestArchive a = SampleArchive();
    a.V1TableAtEnd = true;
    std::string error;
    auto source = OpenBytes(WriteHashFsV1(a), error);
    QVERIFY2(source, error.c_str());
    TBytes bytes;
    QVERIFY2(source->ReadFile("def/city/berlin.sui", bytes, error), error.c_str());
    QCOMPARE(Text(bytes), a.Files[1].Content);
}

void TestArchives::malformedListingNamesAreDropped_data()
{
    saltedArchivesHashTheSaltToo_data();
}

// A listing naming itself ("", "." or a path) or its parent would send a walker round in circles.
void TestArchives::malformedListingNamesAreDropped()
{
    QFETCH(TFormat, format);
    TTestArchive a = SampleArchive();
    a.Listings["def"] = {{"", true},     {".", true},         {"..", true},       {"city/../city", true},
                         {"city", true}, {"city.sii", false}, {"city.sii", false}};
    std::string error;
    auto source = OpenBytes(Write(format, a), error);
    QVERIFY2(source, error.c_str());
    std::vector<TFolderEntry> entries;
    QVERIFY(source->ListFolder("def", entries));
    QCOMPARE(Names(entries), (std::vector<std::string>{"*city", "city.sii"}));
    QVERIFY(AnyContains(source->Problems(), "listing of \"def\""));
}

// Textures and kinds of data added by later game versions sit beside the definitions: an entry
// the reader cannot use fails alone and is reported, the rest of the archive reads.
void TestArchives::unreadableEntriesAreSkippedNotFatal()
{
    TTestArchive a = SampleArchive();
    a.Files.push_back({"material/road.tobj", "texture", false, -1, 1});
    a.Files.push_back({"def/future.sii", "future", false, -1, 200});
    a.Files.push_back({"def/gdeflate.sii", "packed", false, 3, 128});
    std::string error;
    auto source = OpenBytes(WriteHashFsV2(a), error);
    QVERIFY2(source, error.c_str());
    TBytes bytes;
    QVERIFY(!source->ReadFile("material/road.tobj", bytes, error));
    QVERIFY(!source->ReadFile("def/future.sii", bytes, error));
    QVERIFY2(error.find("200") != std::string::npos, error.c_str());
    QVERIFY(!source->ReadFile("def/gdeflate.sii", bytes, error));
    QVERIFY2(error.find("compression method 3") != std::string::npos, error.c_str());
    QVERIFY(AnyContains(source->Problems(), "def/gdeflate.sii"));
    QVERIFY2(source->ReadFile("def/city.sii", bytes, error), error.c_str());
    std::vector<TFolderEntry> entries;
    QVERIFY(source->ListFolder("def", entries));
}

void TestArchives::damagedArchivesAreRefused_data()
{
    QTest::addColumn<TBytes>("bytes");
    QTest::addColumn<QString>("message");
    const TTestArchive a = SampleArchive();
    const TBytes v1 = WriteHashFsV1(a);
    const TBytes v2 = WriteHashFsV2(a);
    const TBytes zip = WriteZip(a);

    QTest::newRow("v1 cut inside its header") << TBytes(v1.begin(), v1.begin() + 10) << "too short";
    QTest::newRow("v1 cut inside its entry table") << TBytes(v1.begin(), v1.begin() + 60) << "more than the file";
    TBytes v1Huge = v1;
    SetU32(v1Huge, 12, 0xFFFFFFF0);
    QTest::newRow("v1 with a huge entry count") << v1Huge << "more than the file can hold";
    TBytes v1Outside = v1;
    SetU32(v1Outside, 16, 0x7FFFFFF0);
    v1Outside.resize(v1Outside.size() - 1); // the end of the file no longer holds the table either
    QTest::newRow("v1 table outside the file") << v1Outside << "outside the file";
    TBytes version3 = v1;
    version3[4] = 3;
    QTest::newRow("HashFS version 3") << version3 << "version 3";

    QTest::newRow("v2 cut in half") << TBytes(v2.begin(), v2.begin() + v2.size() / 2) << "outside the file";
    TBytes v2Huge = v2;
    SetU32(v2Huge, 20, 0x40000000);
    QTest::newRow("v2 with a huge metadata count") << v2Huge << "more than the file can hold";
    TBytes v2Table = v2;
    v2Table[v2Table.size() - 8] ^= 0xFF;
    QTest::newRow("v2 metadata table damaged") << v2Table << "metadata table is damaged";

    QTest::newRow("zip cut before its end record") << TBytes(zip.begin(), zip.end() - 5) << "no ZIP central directory";
    TBytes zipOutside = zip;
    SetU32(zipOutside, zipOutside.size() - 6, 0x7FFFFFFF);
    QTest::newRow("zip directory outside the file") << zipOutside << "outside the file";
    TBytes zipCount = zip;
    zipCount[zipCount.size() - 12] = 0xFF;
    zipCount[zipCount.size() - 11] = 0xFE;
    QTest::newRow("zip with a huge entry count") << zipCount << "more than it can hold";
    QTest::newRow("empty file") << TBytes{} << "too short";
}

void TestArchives::damagedArchivesAreRefused()
{
    QFETCH(TBytes, bytes);
    QFETCH(QString, message);
    std::string error;
    auto source = OpenBytes(bytes, error);
    QVERIFY(!source);
    QVERIFY2(QString::fromStdString(error).contains(message), error.c_str());
    QVERIFY2(error.starts_with("test.scs: "), error.c_str());
}

void TestArchives::damagedEntriesFailAlone_data()
{
    QTest::addColumn<TBytes>("bytes");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    TTestArchive a = SampleArchive();
    const TBytes v1 = WriteHashFsV1(a);
    const auto v1Record = [&](const std::string &path) {
        const std::uint64_t hash = CityHash64(path);
        for (std::size_t at = 32; at + 32 <= v1.size(); at += 32)
            if (std::memcmp(v1.data() + at, &hash, 8) == 0)
                return at;
        return std::size_t(0);
    };
    TBytes v1Outside = v1;
    SetU32(v1Outside, v1Record("manifest.sii") + 8, 0x7FFFFFF0);
    QTest::newRow("v1 entry pointing outside the file") << v1Outside << "manifest.sii"
                                                        << "outside the file";
    TBytes v1Huge = v1;
    SetU32(v1Huge, v1Record("def/city/berlin.sui") + 24, 0xFFFFFFF0);
    QTest::newRow("v1 entry declaring a huge size") << v1Huge << "def/city/berlin.sui"
                                                    << "declares";
    TBytes v1Short = v1;
    SetU32(v1Short, v1Record("def/city/berlin.sui") + 24, 100);
    QTest::newRow("v1 entry holding more than declared") << v1Short << "def/city/berlin.sui"
                                                         << "more data";

    TBytes zip = WriteZip(a);
    const std::size_t central = CentralAt(zip);
    // Second entry (compressed): its uncompressed size.
    const std::size_t second = central + 46 + a.Files[0].Path.size();
    TBytes zipHuge = zip;
    SetU32(zipHuge, second + 24, 0xF0000000);
    QTest::newRow("zip entry declaring a huge size") << zipHuge << "def/city/berlin.sui"
                                                     << "declares";
    TBytes zipCrc = zip;
    zipCrc[second + 16] ^= 0x55;
    QTest::newRow("zip entry failing its checksum") << zipCrc << "def/city/berlin.sui"
                                                    << "checksum";
    TBytes zipMethod = zip;
    zipMethod[second + 10] = 14;
    QTest::newRow("zip entry with an unknown method") << zipMethod << "def/city/berlin.sui"
                                                      << "compression method 14";
    TBytes zipData = zip;
    zipData[second + 42] = 0xF0; // local header offset far away
    zipData[second + 45] = 0x70;
    QTest::newRow("zip entry pointing outside the file") << zipData << "def/city/berlin.sui"
                                                         << "outside the file";
}

void TestArchives::damagedEntriesFailAlone()
{
    QFETCH(TBytes, bytes);
    QFETCH(QString, path);
    QFETCH(QString, message);
    std::string error;
    auto source = OpenBytes(bytes, error);
    QVERIFY2(source, error.c_str());
    TBytes content;
    QVERIFY(!source->ReadFile(path.toStdString(), content, error));
    QVERIFY2(QString::fromStdString(error).contains(message), error.c_str());
    QVERIFY2(QString::fromStdString(error).contains(path), error.c_str());
    QVERIFY(content.empty());
    QVERIFY(AnyContains(source->Problems(), path.toStdString()));
    QVERIFY2(source->ReadFile("def/city.sii", content, error), error.c_str());
}

void TestArchives::layersGiveOneWinnerAndMergedListings()
{
    QTemporaryDir dir;
    std::string error;
    TTestArchive base = SampleArchive();
    TTestArchive dlc;
    dlc.Files = {{"def/city.dlc_north.sii", "north", true}, {"def/city.sii", "dlc city", false}};
    TTestArchive modLow;
    modLow.Files = {{"def/city.sii", "low mod city", true}, {"def/company/tree_et/in/glass.sii", "in", false}};
    TTestArchive modHigh;
    modHigh.Files = {{"def/city.sii", "high mod city", false}};

    TLayeredFileSystem layers;
    layers.AddSource(OpenOnDisk(TFormat::Folder, base, dir, error), 0);
    layers.AddSource(OpenBytes(WriteHashFsV2(modHigh), error), 20);
    layers.AddSource(OpenBytes(WriteHashFsV1(dlc), error), 0); // same priority as base, added later
    layers.AddSource(OpenBytes(WriteZip(modLow), error), 10);

    TBytes bytes;
    QVERIFY2(layers.ReadFile("def/city.sii", bytes, error), error.c_str());
    QCOMPARE(Text(bytes), std::string("high mod city"));
    QVERIFY(layers.ReadFile("def/city/berlin.sui", bytes, error));
    QCOMPARE(Text(bytes), base.Files[1].Content);
    QVERIFY(layers.Winner("manifest.sii") && layers.Winner("manifest.sii")->Describe().ends_with("unpacked"));

    // A tie goes to the source added later: the DLC's file over the base folder's.
    TLayeredFileSystem tie;
    tie.AddSource(OpenOnDisk(TFormat::Folder, base, dir, error), 0);
    tie.AddSource(OpenBytes(WriteHashFsV1(dlc), error), 0);
    QVERIFY(tie.ReadFile("def/city.sii", bytes, error));
    QCOMPARE(Text(bytes), std::string("dlc city"));

    std::vector<TFolderEntry> entries;
    QVERIFY(layers.ListFolder("def", entries));
    QCOMPARE(Names(entries),
             (std::vector<std::string>{"*city", "*company", "cargo.mymod.sii", "city.dlc_north.sii", "city.sii"}));
    QVERIFY(layers.ListFolder("def/company/tree_et", entries));
    QCOMPARE(Names(entries), std::vector<std::string>{"*in"});
    QVERIFY(!layers.ListFolder("def/nothing", entries));
    QVERIFY(!layers.ReadFile("def/nothing.sii", bytes, error));
    QVERIFY(!error.empty());

    // A damaged winner is reported, not replaced by the file it overrides.
    TBytes broken = WriteZip(modHigh);
    broken[CentralAt(broken) + 16] ^= 1;
    TLayeredFileSystem damaged;
    damaged.AddSource(OpenOnDisk(TFormat::Folder, base, dir, error), 0);
    damaged.AddSource(OpenBytes(broken, error), 10);
    QVERIFY(!damaged.ReadFile("def/city.sii", bytes, error));
    QVERIFY2(error.find("checksum") != std::string::npos, error.c_str());
    QVERIFY(AnyContains(damaged.Problems(), "test.scs: \"def/city.sii\""));
}

void TestArchives::readsFromSeveralThreads()
{
    QTemporaryDir dir;
    std::string error;
    const TTestArchive sample = SampleArchive();
    auto source = OpenOnDisk(TFormat::V2, sample, dir, error);
    QVERIFY2(source, error.c_str());
    std::atomic<int> wrong = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i) {
                const TTestFile &f = sample.Files[std::size_t(i + t) % sample.Files.size()];
                TBytes bytes;
                std::string why;
                if (!source->ReadFile(f.Path, bytes, why) || Text(bytes) != f.Content)
                    ++wrong;
            }
        });
    for (std::thread &t : threads)
        t.join();
    QCOMPARE(wrong.load(), 0);
}

QTEST_GUILESS_MAIN(TestArchives)
#include "test_archives.moc"

#include "savegame/gamefolders.h"
#include "savegame/profiles.h"
#include "savegame/siidecryption.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvn;

namespace {

void WriteFile(const QString &Path, const QByteArray &Bytes)
{
    QDir().mkpath(QFileInfo(Path).path());
    QFile f(Path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Bytes);
}

QByteArray ProfileSii(const QByteArray &Company, const QByteArray &Name)
{
    return "SiiNunit\r\n{\r\nuser_profile : _nameless.1 {\r\n face: 0\r\n" + Company + "\r\n brand: x\r\n" + Name +
           "\r\n}\r\n\r\n}\r\n";
}

} // namespace

class TestProfiles : public QObject {
    Q_OBJECT
    QTemporaryDir FHome;

private slots:
    void initTestCase()
    {
        QVERIFY(FHome.isValid());
        qputenv("HOME", FHome.path().toUtf8());
        qputenv("XDG_DATA_HOME", (FHome.path() + "/.local/share").toUtf8());
    }

    void readsNames_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("company");
        QTest::newRow("quoted") << QStringList{" company_name: \"My Company\"", " profile_name: \"My Profile\""} << true
                                << "My Profile"
                                << "My Company";
        QTest::newRow("bare") << QStringList{" company_name: dasda", " profile_name: adiack"} << true << "adiack"
                              << "dasda";
        QTest::newRow("\\x16 removed") << QStringList{" profile_name: \"\\x16Trucker\""} << true << "Trucker"
                                       << "";
        QTest::newRow("name before company") << QStringList{" profile_name: a", " company_name: b"} << true << "a"
                                             << "";
        QTest::newRow("name with colon") << QStringList{" profile_name: \"a:b\""} << false << ""
                                         << "";
        QTest::newRow("company with colon") << QStringList{" company_name: \"x:y\"", " profile_name: p"} << true << "p"
                                            << "";
        QTest::newRow("no names") << QStringList{"SiiNunit", "{", "}"} << false << ""
                                  << "";
        // The game writes letters outside ASCII as the bytes of their UTF-8 form.
        QTest::newRow("escaped letters")
            << QStringList{" company_name: \"K\\xc3\\xb6gel \\xc5\\x81\\xc3\\xb3d\\xc5\\xba\"",
                           " profile_name: J\\xc3\\xbcrgen"}
            << true << QStringLiteral("J\u00fcrgen") << QStringLiteral("K\u00f6gel \u0141\u00f3d\u017a");
        QTest::newRow("control escapes dropped")
            << QStringList{" company_name: \"\\x0e\\x0eMastodonte\"", " profile_name: \"\\x16\\x16Ana\""} << true
            << "Ana"
            << "Mastodonte";
        QTest::newRow("no escape kept") << QStringList{" profile_name: \"back\\slash \\xZZ\""} << true
                                        << "back\\slash \\xZZ"
                                        << "";
        QTest::newRow("broken sequence") << QStringList{" profile_name: \"a\\xc3b\\x\\x4\""} << true
                                         << QStringLiteral("a\ufffdb\\x\\x4") << "";
    }
    void readsNames()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, found);
        QFETCH(QString, name);
        QFETCH(QString, company);
        const TProfileNames names = ReadProfileNames(lines);
        QCOMPARE(names.HasProfileName, found);
        if (found) {
            QCOMPARE(names.ProfileName, name);
            QCOMPARE(names.CompanyName, company);
        }
    }

    void parsesLibraryFolders()
    {
        const QByteArray vdf =
            "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/u/.local/share/Steam\"\n"
            "\t\t\"apps\" { \"227300\" \"1\" }\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"D:\\\\Games\\\\Steam\"\n"
            "\t}\n\t\"2\" { \"PATH\" \"/mnt/x\" \"path\"";
        QCOMPARE(ParseSteamLibraryPaths(vdf),
                 (QStringList{"/home/u/.local/share/Steam", "D:\\Games\\Steam", "/mnt/x"}));
        QVERIFY(ParseSteamLibraryPaths(QByteArray(3 << 20, '"')).isEmpty());
    }

    // Native folder first, then the Proton prefix of every library, then the Steam Cloud copies;
    // the profiles of all of them are listed, each place's profiles in the folder's own order.
    void listsEveryPlace()
    {
        const QString home = FHome.path();
        const QString native = home + "/.local/share/Euro Truck Simulator 2/";
        const QString steam = home + "/.local/share/Steam/";
        const QString library = home + "/games/SteamLibrary/";
        QDir().mkpath(library);
        WriteFile(steam + "steamapps/libraryfolders.vdf", "\"libraryfolders\" { \"0\" { \"path\" \"" + steam.toUtf8() +
                                                              "\" } \"1\" { \"path\" \"" + library.toUtf8() + "\" } }");
        const QString proton =
            library + "steamapps/compatdata/227300/pfx/drive_c/users/steamuser/Documents/Euro Truck Simulator 2/";
        const QString cloud = steam + "userdata/12345/227300/remote/";

        const QStringList places = GameFolderCandidates();
        QCOMPARE(places.first(), native);
        QVERIFY(places.contains(proton));
        QVERIFY(places.indexOf(proton) < places.indexOf(cloud) || !places.contains(cloud));

        TSiiDecrypter decrypter(KVN_BIN_DIR);
        TProfileList list;
        TProfileSearchResult none = ListProfiles(list, decrypter);
        QCOMPARE(none.Count, 0);
        QVERIFY(!none.GameFolderExists);
        QCOMPARE(none.GameDocumentsFolder, native);
        QCOMPARE(QString(ProfileSearchStatusKey(none)), QString(NoGameFolderStatusKey()));

        QDir().mkpath(native + "profiles");
        TProfileSearchResult empty = ListProfiles(list, decrypter);
        QCOMPARE(QString(ProfileSearchStatusKey(empty)), QString("status-no-profiles-found"));

        WriteFile(native + "profiles/4142/profile.sii",
                  ProfileSii(" company_name: \"Native Co\"", " profile_name: \"Native\""));
        WriteFile(native + "profiles/empty/profile.sii", "");
        QDir().mkpath(native + "profiles/nofile");
        WriteFile(native + "profiles/noname/profile.sii", ProfileSii(" company_name: x", " brand: y"));
        WriteFile(proton + "profiles/50/profile.sii", ProfileSii(" company_name: Bare", " profile_name: Proton"));
        WriteFile(cloud + "profiles/60/profile.sii", ProfileSii(" company_name: C", " profile_name: Cloud"));

        const TProfileSearchResult found = ListProfiles(list, decrypter);
        QCOMPARE(found.Count, 3);
        QCOMPARE(ProfileCount(list), 3);
        QCOMPARE(found.GameDocumentsFolder, native);
        QCOMPARE(list.At(0)->ProfileName(), QString("Native"));
        QCOMPARE(list.At(0)->CompanyName(), QString("Native Co"));
        QCOMPARE(list.At(0)->ProfileID(), QString("4142"));
        QCOMPARE(list.At(0)->ProfilePath(), native + "profiles/4142/");
        QCOMPARE(list.At(0)->QuickSavePath(), native + "profiles/4142/save/quicksave/");
        QVERIFY(QDir(list.At(0)->QuickSavePath()).exists());
        QCOMPARE(list.At(1)->ProfileName(), QString("Proton"));
        QCOMPARE(list.At(1)->CompanyName(), QString("Bare"));
        QCOMPARE(list.At(2)->ProfileName(), QString("Cloud"));
        QCOMPARE(list.At(2)->GameFolder(), cloud);
        QCOMPARE(list.At(3), nullptr);
        QCOMPARE(QString(ProfileCountLabelKey(3)), QString("label-profiles-found"));
        QCOMPARE(QString(ProfileCountLabelKey(1)), QString("label-profile-found"));
    }

    // Windows through the same code: Documents first, then the Steam Cloud copies of the Steam
    // folder the registry names and of every library it lists; a library that points nowhere is
    // left out, and without a registry value the default install folder is used.
    void windowsPlacesWithAFakeSteam()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        const QString steam = root + "/Program Files (x86)/Steam/";
        const QString library = root + "/D/SteamLibrary/";
        QDir().mkpath(steam + "userdata/111/227300/remote/profiles");
        QDir().mkpath(steam + "userdata/222/other");
        QDir().mkpath(library + "userdata/333/227300/remote");
        QString nativeLibrary = QDir::toNativeSeparators(library);
        nativeLibrary.replace("\\", "\\\\");
        WriteFile(steam + "steamapps/libraryfolders.vdf", "\"libraryfolders\" { \"0\" { \"path\" \"" +
                                                              nativeLibrary.toUtf8() +
                                                              "\" } \"1\" { \"path\" \"E:\\\\gone\" } }");

        TGameFolderEnvironment windows;
        windows.Windows = true;
        windows.Documents = root + "/Documents";
        windows.SteamRoots = WindowsSteamRoots(QDir::toNativeSeparators(steam), root + "/elsewhere");
        QCOMPARE(windows.SteamRoots, QStringList{steam});
        QCOMPARE(SteamLibraryFolders(windows.SteamRoots), (QStringList{steam, library}));
        QCOMPARE(GameFolderCandidates(windows),
                 (QStringList{root + "/Documents/Euro Truck Simulator 2/", steam + "userdata/111/227300/remote/",
                              steam + "userdata/222/227300/remote/", library + "userdata/333/227300/remote/"}));

        // No registry value, or one that points nowhere: the default install folder.
        QCOMPARE(WindowsSteamRoots("", steam), QStringList{steam});
        QCOMPARE(WindowsSteamRoots(root + "/nowhere", steam), QStringList{steam});
        windows.SteamRoots = {root + "/missing/"};
        QCOMPARE(GameFolderCandidates(windows), QStringList{root + "/Documents/Euro Truck Simulator 2/"});
    }

    // A profile in "profiles/" and its Steam Cloud copy in "steam_profiles/" or in userdata is
    // listed once: the copy with the newest quick-save, which says where it lives.
    void aProfileInTwoPlacesIsListedOnce()
    {
        QTemporaryDir dir;
        const QString game = dir.path() + "/Euro Truck Simulator 2/";
        const QString cloud = dir.path() + "/Steam/userdata/1/227300/remote/";
        WriteFile(game + "profiles/4142/profile.sii", ProfileSii(" company_name: Local", " profile_name: Anna"));
        WriteFile(game + "profiles/4142/save/quicksave/game.sii", "old");
        WriteFile(game + "steam_profiles/4142/profile.sii", ProfileSii(" company_name: Synced", " profile_name: Anna"));
        WriteFile(game + "steam_profiles/4142/save/quicksave/game.sii", "new");
        WriteFile(game + "steam_profiles/5150/profile.sii", ProfileSii(" company_name: Only", " profile_name: Ben"));
        WriteFile(cloud + "profiles/4142/profile.sii", ProfileSii(" company_name: Remote", " profile_name: Anna"));
        WriteFile(cloud + "profiles/4142/save/quicksave/game.sii", "older");
        const QDateTime now = QDateTime::currentDateTime();
        const auto touch = [](const QString &Path, const QDateTime &Time) {
            QFile f(Path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(Time, QFileDevice::FileModificationTime));
        };
        touch(game + "profiles/4142/save/quicksave/game.sii", now.addDays(-2));
        touch(game + "steam_profiles/4142/save/quicksave/game.sii", now.addDays(-1));
        touch(cloud + "profiles/4142/save/quicksave/game.sii", now.addDays(-3));

        TSiiDecrypter decrypter(dir.path());
        TProfileList list;
        QCOMPARE(ListProfiles(list, decrypter, {game, cloud}).Count, 2);
        QCOMPARE(list.At(0)->CompanyName(), QString("Synced"));
        QCOMPARE(list.At(0)->ProfilePath(), game + "steam_profiles/4142/");
        QCOMPARE(ProfileLocationText(*list.At(0)), QDir::toNativeSeparators(game + "steam_profiles"));
        QCOMPARE(list.At(1)->ProfileName(), QString("Ben"));

        touch(cloud + "profiles/4142/save/quicksave/game.sii", now);
        ListProfiles(list, decrypter, {game, cloud});
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list.At(0)->CompanyName(), QString("Remote"));
        QCOMPARE(list.At(0)->GameFolder(), cloud);
    }

    void encryptionTest()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath("plain.sii"), "SiiNunit\r\n{\r\n}\r\n");
        WriteFile(dir.filePath("enc.sii"), "ScsC\x01\x02\x03");
        QVERIFY(!IsSiiFileEncrypted(dir.filePath("plain.sii")));
        QVERIFY(IsSiiFileEncrypted(dir.filePath("enc.sii")));
        QVERIFY(!IsSiiFileEncrypted(dir.filePath("missing.sii")));
        QVERIFY(!IsSiiFileEncrypted(dir.path()));

        TSiiDecrypter nowhere(dir.path());
        QCOMPARE(nowhere.DecryptSiiFile(dir.filePath("plain.sii")), TSiiDecryptStatus::AlreadyPlain);
        QCOMPARE(nowhere.DecryptSiiFile(dir.filePath("enc.sii")), TSiiDecryptStatus::StartFailed);
        // A decrypter that runs but leaves the file as it was is reported, not taken as success.
        TSiiDecrypter ours(KVN_BIN_DIR);
        if (!QFile::exists(ours.DecrypterPath()))
            QSKIP("decrypter not built");
        const TSiiDecryptStatus status = ours.DecryptSiiFile(dir.filePath("enc.sii"));
        QCOMPARE(status, TSiiDecryptStatus::NotDecoded);
        // Without a scratch folder nothing is decoded, and no copy lands in the working folder.
        QString readable;
        QCOMPARE(ours.DecryptCopy(dir.filePath("enc.sii"), QString(), readable), TSiiDecryptStatus::NotDecoded);
        QCOMPARE(readable, dir.filePath("enc.sii"));
        QVERIFY(!QFile::exists("enc.sii"));
    }

    void realEncryptedProfile()
    {
        const QString source = QStringLiteral(KVN_SHARED_DIR "/realsaves/encrypted-2025/profile.sii");
        if (!QFile::exists(source))
            QSKIP("real profile not available");
        QTemporaryDir dir;
        const QString copy = dir.filePath("profiles/4d79/profile.sii");
        QDir().mkpath(QFileInfo(copy).path());
        QVERIFY(QFile::copy(source, copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        TSiiDecrypter decrypter(KVN_BIN_DIR);
        if (decrypter.DecryptSiiFile(copy) != TSiiDecryptStatus::Converted)
            QSKIP("this build's decrypter does not convert yet");
        TProfileList list;
        ListProfiles(list, decrypter, {dir.path() + "/"});
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.At(0)->ProfileName(), QString("My Profile"));
        QCOMPARE(list.At(0)->CompanyName(), QString("My Company"));
    }
};

QTEST_GUILESS_MAIN(TestProfiles)
#include "test_profiles.moc"

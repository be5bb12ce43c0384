#include "common/testfiles.h"
#include "shared/inifile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace kvn;
using namespace kvntest;

Q_DECLARE_METATYPE(kvn::TTextEncoding)

namespace {

QByteArray Utf16LE(const char *Ascii)
{
    QByteArray out;
    for (const char *p = Ascii; *p; ++p) {
        out += *p;
        out += '\0';
    }
    return out;
}

QByteArray Utf16BE(const char *Ascii)
{
    QByteArray out;
    for (const char *p = Ascii; *p; ++p) {
        out += '\0';
        out += *p;
    }
    return out;
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    // Every encoding, read, changed by one entry, written back byte for byte.
    void encodingRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("added");
        QTest::addColumn<TTextEncoding>("encoding");
        QTest::addColumn<QByteArray>("output");
        const QByteArray bom8("\xEF\xBB\xBF");
        QTest::newRow("UTF-8 mark kept") << bom8 + "[s]\r\na=\xC3\xA9\r\n"
                                         << "x" << TTextEncoding::Utf8 << bom8 + "[s]\r\na=\xC3\xA9\r\nb=x\r\n\r\n";
        QTest::newRow("ASCII gains a UTF-8 mark once changed")
            << QByteArray("[s]\na=1\n") << "x" << TTextEncoding::Utf8 << bom8 + "[s]\r\na=1\r\nb=x\r\n\r\n";
        QTest::newRow("E9 and a letter stay Latin-1 without a mark")
            << QByteArray("[s]\r\na=caf\xE9s\r\n") << QString::fromLatin1("\xFC") << TTextEncoding::Ansi
            << QByteArray("[s]\r\na=caf\xE9s\r\nb=\xFC\r\n\r\n");
        QTest::newRow("Latin-1 text that gains a character beyond Latin-1 turns UTF-8")
            << QByteArray("[s]\r\na=caf\xE9\r\n") << QString::fromUtf8("\xC5\x81\xC3\xB3\xC5\xBA") << TTextEncoding::Ansi
            << bom8 + "[s]\r\na=caf\xC3\xA9\r\nb=\xC5\x81\xC3\xB3\xC5\xBA\r\n\r\n";
        QTest::newRow("last byte C3 counts as UTF-8") << QByteArray("[s]\r\na=1\xC3") << "x" << TTextEncoding::Utf8
                                                      << bom8 + "[s]\r\na=1\xEF\xBF\xBD\r\nb=x\r\n\r\n";
        QTest::newRow("FF FE 00 00 is UTF-16LE")
            << QByteArray("\xFF\xFE\0\0", 4) + Utf16LE("[s]\r\na=1\r\n") << "x" << TTextEncoding::Utf16LE
            << QByteArray("\xFF\xFE") + Utf16LE("[s]\r\na=1\r\nb=x\r\n\r\n");
        QTest::newRow("UTF-16BE") << QByteArray("\xFE\xFF") + Utf16BE("[s]\r\na=1\r\n") << "x" << TTextEncoding::Utf16BE
                                  << QByteArray("\xFE\xFF") + Utf16BE("[s]\r\na=1\r\nb=x\r\n\r\n");
        QTest::newRow("UTF-7 stays UTF-7 and recognisable")
            << QByteArray("+/v8-[s]\r\na=caf+AOk-\r\n") << QString::fromUtf8("\xC3\xA9+") << TTextEncoding::Utf7
            << QByteArray("+/v8-[s]\r\na=caf+AOk-\r\nb=+AOk-+-\r\n\r\n");
    }
    void encodingRoundTrip()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, added);
        QFETCH(TTextEncoding, encoding);
        QFETCH(QByteArray, output);
        QTemporaryDir dir;
        const QString path = dir.filePath("Kvn-settings.ini");
        WriteRaw(path, input);
        {
            TMemIniFile ini(path);
            QCOMPARE(ini.Encoding(), encoding);
            QCOMPARE(ini.ReadString("S", "A", "missing").isEmpty(), false);
            ini.WriteString("s", "b", added);
        }
        QCOMPARE(ReadRaw(path), output);
        TMemIniFile again(path, true);
        QCOMPARE(again.ReadString("s", "b", "missing"), added);
    }

    void untouchedFileStaysIdentical_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("odd layout") << QByteArray("; note\n\n  [ s ]  \nk = v\nloose line\r\n[s]\rk2=v2");
        QTest::newRow("Latin-1") << QByteArray("[s]\r\na=\xE9\xFF\r\n");
        QTest::newRow("UTF-16LE without final break") << QByteArray("\xFF\xFE") + Utf16LE("[s]\r\na=1");
    }
    void untouchedFileStaysIdentical()
    {
        QFETCH(QByteArray, input);
        QTemporaryDir dir;
        const QString path = dir.filePath("job-history.ini");
        WriteRaw(path, input);
        {
            TMemIniFile ini(path);
            QVERIFY(ini.IsOpened());
            QVERIFY(!ini.ReadSections().isEmpty());
            QVERIFY(!ini.Modified());
        }
        QCOMPARE(ReadRaw(path), input);
    }

    void readOnlyNeverWrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        const QByteArray input("[s]\na=1\n");
        WriteRaw(path, input);
        {
            TMemIniFile ini(path, true);
            ini.WriteString("s", "a", "2");
            ini.WriteBool("s", "b", true);
            ini.DeleteKey("s", "a");
            ini.EraseSection("s");
            QVERIFY(ini.ReadOnlyMode());
            QVERIFY(!ini.Modified());
            QCOMPARE(ini.ReadString("s", "a", ""), QString("1"));
            QVERIFY(ini.UpdateFile());
        }
        QCOMPARE(ReadRaw(path), input);
        {
            TMemIniFile ini(dir.filePath("new.ini"), true);
            ini.WriteString("s", "a", "1");
        }
        QVERIFY(!QFile::exists(dir.filePath("new.ini")));
    }

    void parsing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        WriteRaw(path, "orphan=1\n"
                       "  [ Settings ]  \n"
                       "; comment=1\n"
                       "  min-distance   =   250  \n"
                       "formula=a=b\n"
                       "flag\n"
                       "dup=first\n"
                       "dup=second\n"
                       "[other]\n"
                       "x=1\n"
                       "[SETTINGS]\n"
                       "later=yes\n"
                       "[]\n"
                       "empty=\n");
        TMemIniFile ini(path);
        QCOMPARE(ini.ReadSections(), (QStringList{"Settings", "other", ""}));
        QCOMPARE(ini.ReadSection("settings"), (QStringList{"min-distance", "formula", "flag", "dup", "dup", "later"}));
        QCOMPARE(ini.ReadInteger("settings", "MIN-DISTANCE", 0), 250);
        QCOMPARE(ini.ReadString("Settings", "formula", ""), QString("a=b"));
        QVERIFY(ini.ValueExists("settings", "flag"));
        QCOMPARE(ini.ReadString("settings", "flag", "default"), QString());
        QCOMPARE(ini.ReadString("settings", "dup", ""), QString("first"));
        QCOMPARE(ini.ReadString("", "empty", "default"), QString());
        QVERIFY(!ini.ValueExists("settings", "orphan"));
        QVERIFY(!ini.SectionExists("comment"));
        QVERIFY(ini.ReadSection("missing").isEmpty());

        ini.DeleteKey("settings", "dup");
        QCOMPARE(ini.ReadString("settings", "dup", ""), QString("second"));
        ini.WriteString("SETTINGS", "Dup", "third");
        QCOMPARE(ini.ReadString("settings", "dup", ""), QString("third"));
        QCOMPARE(ini.ReadSection("settings").count("dup"), 1);
    }

    void largeSectionFindsLikeSmallOne_data()
    {
        QTest::addColumn<int>("fillers");
        QTest::newRow("small section") << 2;
        QTest::newRow("large section") << 40;
    }
    void largeSectionFindsLikeSmallOne()
    {
        QFETCH(int, fillers);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        QByteArray text = "[s]\nKey=first\n";
        for (int i = 0; i < fillers; ++i)
            text += "filler" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n";
        text += "KEY=second\n";
        WriteRaw(path, text);
        TMemIniFile ini(path, false);
        QCOMPARE(ini.ReadString("S", "kEy", ""), QString("first"));
        QCOMPARE(ini.ReadInteger("s", "FILLER1", -1), 1);
        ini.DeleteKey("s", "key");
        QCOMPARE(ini.ReadString("s", "key", ""), QString("second"));
        ini.DeleteKey("s", "key");
        QVERIFY(!ini.ValueExists("s", "key"));
        ini.WriteString("s", "Key", "third");
        QCOMPARE(ini.ReadSection("s").last(), QString("Key"));
        QCOMPARE(ini.ReadString("s", "KEY", ""), QString("third"));
    }

    void numbersAndBooleans()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        {
            TMemIniFile ini(path);
            ini.WriteBool("settings", "valuable-active", true);
            ini.WriteBool("settings", "fragile-active", false);
            ini.WriteInteger("settings", "adr-class", -3);
            ini.WriteInt64("0", "date", 4102444800LL);
            ini.WriteString("1", "weight", "12,5");
            ini.WriteString("1", "bad", "12x");
            QVERIFY(ini.Modified());
        }
        QCOMPARE(ReadRaw(path),
                 QByteArray("\xEF\xBB\xBF[settings]\r\nvaluable-active=1\r\nfragile-active=0\r\nadr-class=-3\r\n\r\n"
                            "[0]\r\ndate=4102444800\r\n\r\n[1]\r\nweight=12,5\r\nbad=12x\r\n\r\n"));
        TMemIniFile ini(path);
        QCOMPARE(ini.ReadBool("settings", "valuable-active", false), true);
        QCOMPARE(ini.ReadBool("settings", "fragile-active", true), false);
        QCOMPARE(ini.ReadBool("settings", "missing", true), true);
        QCOMPARE(ini.ReadBool("1", "weight", true), true); // not a number: the default
        QCOMPARE(ini.ReadInteger("settings", "adr-class", 1), -3);
        QCOMPARE(ini.ReadInteger("1", "bad", 7), 7);
        QCOMPARE(ini.ReadInteger("0", "date", -1), -1); // does not fit 32 bits
        QCOMPARE(ini.ReadInt64("0", "date", -1), 4102444800LL);
        QCOMPARE(ini.ReadFloat("1", "weight", 0), 12.5);
        QCOMPARE(ini.ReadFloat("1", "bad", 2.5), 2.5);
    }

    void deleteAndErase()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        WriteRaw(path, "[0]\r\nitems=2\r\n[1]\r\na=1\r\n[2]\r\na=2\r\n");
        {
            TMemIniFile ini(path);
            ini.EraseSection("1");
            ini.DeleteKey("0", "ITEMS");
            QVERIFY(ini.Modified());
        }
        QCOMPARE(ReadRaw(path), QByteArray("\xEF\xBB\xBF[0]\r\n\r\n[2]\r\na=2\r\n\r\n"));
    }

    void lineBreaksCannotSplitAnEntry()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        {
            TMemIniFile ini(path);
            ini.WriteString("s", "city", "berlin\r\n[evil]\nx=1");
        }
        TMemIniFile ini(path);
        QCOMPARE(ini.ReadSections(), QStringList{"s"});
        QCOMPARE(ini.ReadString("s", "city", ""), QString("berlin  [evil] x=1"));
    }

    void newFileAndFolders()
    {
        QTemporaryDir dir;
        {
            TMemIniFile ini(dir.filePath("deep/er/new.ini"));
            QVERIFY(ini.IsOpened());
            QVERIFY(ini.ReadSections().isEmpty());
            QVERIFY(QFileInfo(dir.filePath("deep/er")).isDir());
            ini.WriteString("s", "a", "1");
            QVERIFY(ini.UpdateFile());
            QVERIFY(!ini.Modified());
            QVERIFY(!ini.LastSaveFailed());
        }
        QCOMPARE(ReadRaw(dir.filePath("deep/er/new.ini")), QByteArray("\xEF\xBB\xBF[s]\r\na=1\r\n\r\n"));
        {
            TMemIniFile ini("bare.ini", false, dir.path());
            QCOMPARE(ini.FileName(), dir.filePath("bare.ini"));
            ini.WriteString("s", "a", "1");
        }
        QVERIFY(QFile::exists(dir.filePath("bare.ini")));
    }

    void unopenedStoreHarmlessAndReportsLostChanges_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        QTest::newRow("empty name") << "  "
                                    << "";
        QTest::newRow("bare name without a folder") << "a.ini"
                                                    << "";
        QTest::newRow("folder that cannot be made") << "blocker/a.ini"
                                                    << "";
        QTest::newRow("name is a folder") << "sub"
                                          << "";
    }
    void unopenedStoreHarmlessAndReportsLostChanges()
    {
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QTemporaryDir dir;
        WriteRaw(dir.filePath("blocker"), "x");
        QVERIFY(QDir().mkpath(dir.filePath("sub")));
        const QString path = name.contains('/') || name == "sub" ? dir.filePath(name) : name;
        auto ini = std::make_unique<TMemIniFile>(path, false, folder);
        QVERIFY(!ini->IsOpened());
        QCOMPARE(ini->ReadString("s", "a", "default"), QString("default"));
        QVERIFY(ini->UpdateFile()); // nothing to save yet
        ini->WriteString("s", "a", "1");
        QCOMPARE(ini->ReadString("s", "a", "default"), QString("1"));
        QVERIFY(!ini->UpdateFile());
        QVERIFY(ini->LastSaveFailed());
        QVERIFY(!ini->LastError().isEmpty());
        QVERIFY(!ini->Modified());
        ini.reset();
        QCOMPARE(ReadRaw(dir.filePath("blocker")), QByteArray("x"));
        QVERIFY(QFileInfo(dir.filePath("sub")).isDir());
    }

    void failedSaveIsReportedAndNotRetried()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("sub/job-history.ini");
        TMemIniFile ini(path);
        QVERIFY(ini.IsOpened());
        // The folder vanishes and a file takes its name: nothing can be saved there now.
        QVERIFY(QDir(dir.filePath("sub")).removeRecursively());
        WriteRaw(dir.filePath("sub"), "x");
        ini.WriteInteger("0", "items", 1);
        QVERIFY(!ini.UpdateFile());
        QVERIFY(ini.LastSaveFailed());
        QVERIFY(ini.LastError().contains("sub"));
        QVERIFY(!ini.Modified());
        QVERIFY(ini.UpdateFile()); // nothing pending any more
        QVERIFY(ini.LastSaveFailed());

        // Once the place is usable again the next change is saved and the failure forgotten.
        QVERIFY(QFile::remove(dir.filePath("sub")));
        ini.WriteInteger("0", "items", 2);
        QVERIFY(ini.UpdateFile());
        QVERIFY(!ini.LastSaveFailed());
        QVERIFY(ini.LastError().isEmpty());
        QCOMPARE(TMemIniFile(path, true).ReadInteger("0", "items", 0), 2);
    }

    void unreadableOrHugeFileIsNotOverwritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("big.ini");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(TMemIniFile::MaxFileSize + 1)); // sparse, costs no disk
        }
        {
            TMemIniFile ini(path);
            QVERIFY(!ini.IsOpened());
            ini.WriteString("s", "a", "1");
        }
        QCOMPARE(QFileInfo(path).size(), TMemIniFile::MaxFileSize + 1);
    }

    void longLinesAndManySections()
    {
        QByteArray text;
        const QByteArray longValue(2 * 1024 * 1024, 'v');
        text += "[s]\nlong=" + longValue + "\n";
        for (int i = 0; i < 20000; ++i)
            text += "[" + QByteArray::number(i) + "]\nk=" + QByteArray::number(i) + "\n";
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        WriteRaw(path, text);
        TMemIniFile ini(path, true);
        QCOMPARE(ini.ReadString("s", "long", "").size(), longValue.size());
        QCOMPARE(ini.ReadSections().size(), 20001);
        QCOMPARE(ini.ReadInteger("19999", "k", 0), 19999);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_inifile.moc"

// SII_Decrypt.exe as the program runs it (in place, all or nothing, exit codes, one line on
// stderr) and the real encrypted files of the game.
#include "savegame/gamesavelines.h"
#include "sii_fixtures.h"
#include "siicodec/siicodec.h"

#include <QtTest>

using namespace siifixtures;
using siicodec::Status;

Q_DECLARE_METATYPE(siifixtures::Bytes)

namespace {

const QString kDecrypter = QStringLiteral(KVN_BIN_DIR "/SII_Decrypt.exe");
const QString kRealSaves = QStringLiteral(KVN_SHARED_DIR "/realsaves/encrypted-2025");

struct Run {
    int exitCode = -1;
    QByteArray stderrText;
};

Run Decrypter(const QStringList &args)
{
    QProcess p;
    p.start(kDecrypter, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), p.readAllStandardError()};
}

bool WriteFile(const QString &path, const Bytes &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) &&
           f.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size())) == qint64(bytes.size());
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray Expected(const Bytes &bytes)
{
    siicodec::TextBuffer text;
    siicodec::ConvertToText(bytes, text);
    return QByteArray(text.Data(), qsizetype(text.Size()));
}

Bytes Load(const QString &path)
{
    const QByteArray b = ReadFile(path);
    return Bytes(b.begin(), b.end());
}

// Structural checks of decoded text: the frame, unit headers and closers, one-space
// indentation, and that every array count line is followed by exactly that many items.
QString CheckStructure(const QByteArray &text, int &units)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() < 4 || lines[0] != "SiiNunit\r" || lines[1] != "{\r" || lines[lines.size() - 2] != "}\r" ||
        !lines.last().isEmpty())
        return "frame";
    units = 0;
    bool inUnit = false;
    QByteArray arrayKey;
    qint64 arrayLeft = 0;
    qint64 nextIndex = 0;
    for (qsizetype i = 2; i < lines.size() - 2; ++i) {
        const QByteArray &l = lines[i];
        if (!l.endsWith('\r'))
            return QString("line %1 lacks CR").arg(i);
        const QByteArray line = l.chopped(1);
        if (!inUnit) {
            if (line.isEmpty())
                continue;
            if (!line.endsWith(" {") || !line.contains(" : ") || line.startsWith(' '))
                return QString("line %1: not a unit header").arg(i);
            inUnit = true;
            ++units;
            continue;
        }
        if (line == "}") {
            if (arrayLeft != 0 || i + 1 >= lines.size() || lines[i + 1] != "\r")
                return QString("line %1: unit ends badly").arg(i);
            inUnit = false;
            continue;
        }
        if (!line.startsWith(' ') || line.startsWith("  "))
            return QString("line %1: indentation").arg(i);
        const qsizetype colon = line.indexOf(": ");
        if (colon < 0)
            return QString("line %1: no colon").arg(i);
        const QByteArray key = line.mid(1, colon - 1);
        if (arrayLeft > 0) {
            if (key != arrayKey + '[' + QByteArray::number(nextIndex) + ']')
                return QString("line %1: array item expected").arg(i);
            ++nextIndex;
            --arrayLeft;
            continue;
        }
        bool isNumber = false;
        const qint64 n = line.mid(colon + 2).toLongLong(&isNumber);
        const bool nextIsItem = i + 1 < lines.size() && lines[i + 1].startsWith(' ' + key + "[0]: ");
        if (isNumber && nextIsItem) {
            arrayKey = key;
            arrayLeft = n;
            nextIndex = 0;
        }
    }
    return inUnit ? "unclosed unit" : QString();
}

int CountLinesStartingWith(const QByteArray &text, const QByteArray &prefix)
{
    int n = text.startsWith(prefix) ? 1 : 0;
    return n + int(text.count("\n" + prefix));
}

} // namespace

class TestSiiDecryptProgram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(QFile::exists(kDecrypter), qPrintable(kDecrypter)); }

    void inPlace_data()
    {
        QTest::addColumn<Bytes>("input");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("messagePart");
        BsiiWriter unknownType(3);
        unknownType.Structure(1, "vehicle", {{0x16, "wheel_frames"}}).End();
        BsiiWriter job(3);
        job.Structure(1, "job_offer_data", {{0x01, "target"}, {0x27, "urgency"}, {0x2B, "ferry_time"}});
        job.Unit(1).IdNameless(0x28211A9F520).Str("nord_crown.orebro").U32(1).U16(0xFFFF).End();
        const Bytes plain = ToBytes("SiiNunit\r\n{\r\n}\r\n");
        QTest::newRow("encrypted binary") << MakeContainer(job.Data()) << 0 << "converted";
        QTest::newRow("binary") << job.Data() << 0 << "converted";
        QTest::newRow("encrypted text") << MakeContainer(plain) << 0 << "converted";
        QTest::newRow("3nK") << Make3nK("SiiNunit\r\n{\r\n}\r\n", 77) << 0 << "converted";
        QTest::newRow("already plain") << plain << 1 << "already plain";
        QTest::newRow("already plain after BOM") << ToBytes("\xEF\xBB\xBFSiiNunit\r\n{\r\n}") << 1 << "already plain";
        QTest::newRow("unknown") << ToBytes("PK\3\4 not a save") << 10 << "not a save";
        QTest::newRow("too short") << ToBytes("Sc") << 11 << "too short";
        QTest::newRow("unknown type") << MakeContainer(unknownType.Data()) << 12
                                      << "type id 0x16, field 'wheel_frames' of structure 'vehicle'";
        QTest::newRow("format version 7") << BsiiWriter(7).End().Data() << 12 << "version 7";
        QTest::newRow("bad padding") << MakeContainer(job.Data(), {.badPadding = true}) << 13 << "padding";
        QTest::newRow("corrupt zlib") << MakeContainer(job.Data(), {.corruptZlib = true}) << 13 << "damaged";
        Bytes cut = job.Data();
        cut.resize(cut.size() - 7);
        QTest::newRow("truncated binary") << MakeContainer(cut) << 13 << "cut off";
    }
    void inPlace()
    {
        QFETCH(Bytes, input);
        QFETCH(int, exitCode);
        QFETCH(QString, messagePart);
        QTemporaryDir dir;
        const QString file = dir.filePath("game.sii");
        QVERIFY(WriteFile(file, input));
        const Run run = Decrypter({file});
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.stderrText.count('\n'), 1);
        QVERIFY2(run.stderrText.contains(messagePart.toUtf8()), run.stderrText.constData());
        if (exitCode == 0) {
            QCOMPARE(ReadFile(file), Expected(input));
        } else {
            QCOMPARE(ReadFile(file), QByteArray(reinterpret_cast<const char *>(input.data()), qsizetype(input.size())));
            if (exitCode != 1)
                QVERIFY(run.stderrText.contains("left as it was"));
        }
        // No temporary file stays behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"game.sii"});
    }

    void outputOption()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath("game.sii");
        const QString out = dir.filePath("game.txt");
        BsiiWriter w(2);
        w.Structure(1, "a", {{0x35, "b"}}).Unit(1).IdNull().U8(1).End();
        const Bytes input = MakeContainer(w.Data());
        QVERIFY(WriteFile(in, input));
        QCOMPARE(Decrypter({in, "-o", out}).exitCode, 0);
        QCOMPARE(Load(in), input);
        QCOMPARE(ReadFile(out), QByteArray("SiiNunit\r\n{\r\na : null {\r\n b: true\r\n}\r\n\r\n}\r\n"));
        // A plain input is reported as such and copied, so inspection tools always find the text.
        QCOMPARE(Decrypter({"-o", dir.filePath("copy.txt"), out}).exitCode, 1);
        QCOMPARE(ReadFile(dir.filePath("copy.txt")), ReadFile(out));
    }

    void cannotWriteOrRead()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath("game.sii");
        const Bytes input = MakeContainer(ToBytes("SiiNunit\r\n{\r\n}\r\n"));
        QVERIFY(WriteFile(in, input));
        const Run run = Decrypter({in, "-o", dir.filePath("missing-folder/out.sii")});
        QCOMPARE(run.exitCode, 14);
        QVERIFY(run.stderrText.contains("could not be written"));
        QCOMPARE(Load(in), input);
        QCOMPARE(Decrypter({dir.filePath("nothing.sii")}).exitCode, 15);
        QCOMPARE(Decrypter({dir.path()}).exitCode, 15);
        QCOMPARE(Decrypter({}).exitCode, 2);
    }

    void convertedFileKeepsItsPermissions()
    {
#ifdef Q_OS_UNIX
        QTemporaryDir dir;
        const QString file = dir.filePath("profile.sii");
        QVERIFY(WriteFile(file, MakeContainer(ToBytes("SiiNunit\r\n{\r\n}\r\n"))));
        const QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(file, mode));
        QCOMPARE(Decrypter({file}).exitCode, 0);
        QCOMPARE(QFile::permissions(file) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), mode);
#else
        QSKIP("POSIX permissions");
#endif
    }

    void realEncryptedFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("payloadSha256");
        QTest::addColumn<int>("payloadBytes");
        QTest::newRow("game.sii, binary v3")
            << "save/1/game.sii" << QByteArray("109e83e69b3e6d9041902f31dabc7aa8c58f1e45371f4e51b5c1e2e5fcbfcc98")
            << 2847938;
        QTest::newRow("info.sii, text") << "save/1/info.sii"
                                        << QByteArray(
                                               "c9a0851ff1bc432d8ba4e4d1ebac9b38d709eb8b46e28d704db52ed131c2be68")
                                        << 7842;
        QTest::newRow("profile.sii, text")
            << "profile.sii" << QByteArray("cbb833d19e444ca40062cdd7a3e6e7198d6b337a4aed350987f752dcc7b51a83") << 24953;
    }
    void realEncryptedFiles()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, payloadSha256);
        QFETCH(int, payloadBytes);
        const QString file = kRealSaves + "/" + path;
        if (!QFile::exists(file))
            QSKIP("the real saves are not here");
        const Bytes input = Load(file);
        std::vector<uint8_t> payload;
        QVERIFY(siicodec::DecryptContainer(input, payload).Ok());
        QCOMPARE(int(payload.size()), payloadBytes);
        const QByteArray payloadBytesArray(reinterpret_cast<const char *>(payload.data()), qsizetype(payload.size()));
        QCOMPARE(QCryptographicHash::hash(payloadBytesArray, QCryptographicHash::Sha256).toHex(), payloadSha256);

        QTemporaryDir dir;
        const QString copy = dir.filePath("copy.sii");
        QVERIFY(WriteFile(copy, input));
        QCOMPARE(Decrypter({copy}).exitCode, 0);
        const QByteArray text = ReadFile(copy);
        if (siicodec::DetectForm(payload) == siicodec::Form::PlainText)
            QCOMPARE(text, payloadBytesArray); // the game's own text, byte for byte
        else
            QCOMPARE(text, Expected(input));
        QCOMPARE(Decrypter({copy}).exitCode, 1);
    }

    void realBinarySaveStructure()
    {
        const QString file = kRealSaves + "/save/1/game.sii";
        if (!QFile::exists(file))
            QSKIP("the real saves are not here");
        const QByteArray text = Expected(Load(file));
        // With our final line break the number of line ends equals the number of lines.
        QCOMPARE(text.count("\r\n"), 339580);
        QCOMPARE(text.count('\n'), 339580);
        const qsizetype firstUnit = text.indexOf("\r\n", text.indexOf("{\r\n") + 3);
        QCOMPARE(text.mid(13, firstUnit - 13), QByteArray("economy : _nameless.284.1bc3.8fc0 {"));
        int units = 0;
        const QString problem = CheckStructure(text, units);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(units, 26012);
        QCOMPARE(CountLinesStartingWith(text, "company : company.volatile."), 3091);
        QCOMPARE(CountLinesStartingWith(text, "job_offer_data : "), 8584);
        QCOMPARE(CountLinesStartingWith(text, "economy_event : "), 8655);
        QCOMPARE(CountLinesStartingWith(text, "economy_event_queue : "), 1);
        QVERIFY(text.contains("\r\n target: \"nord_crown.orebro\"\r\n"));
        QVERIFY(text.contains("\r\n cargo: cargo.apples\r\n"));
        QVERIFY(text.endsWith("}\r\n\r\n}\r\n"));
    }

    // The decoded save goes through the program's own line reader: companies, their offers, the
    // offers' units and the economy events are all found where the program looks for them.
    void realBinarySaveReadsBackThroughTheLineReader()
    {
        const QString file = kRealSaves + "/save/1/game.sii";
        if (!QFile::exists(file))
            QSKIP("the real saves are not here");
        const QByteArray text = Expected(Load(file));
        kvn::TGameSaveLines save;
        save.LoadFromBytes(text);
        QCOMPARE(save.Count(), 339580);
        QVERIFY(save.Form().LineEnd == kvn::TSiiLineEnd::CrLf);
        QVERIFY(save.Form().FinalLineEnd);
        QCOMPARE(kvn::EncodeSiiLines(save.Lines(), save.Form()), text);

        QVERIFY(save.FindLineFrom(u"game_time", 0) > 0);
        QVERIFY(!save.ReadUnitValue(u"last_visited_city:", 0, save.Count()).isEmpty());
        const int companiesLine = save.FindLineFrom(u"companies: ", 0);
        QVERIFY(companiesLine > 0);
        const int companies = kvn::ToIntDefault(kvn::SiiLineValue(save.Line(companiesLine)), -1);
        QCOMPARE(companies, 3091);
        int offersSeen = 0;
        int line = companiesLine;
        for (int i = 0; i < companies; i += 97) {
            line = save.FindLineFrom(QString("companies[%1]: ").arg(i), companiesLine);
            QVERIFY(line > 0);
            const QString name = kvn::SiiLineValue(save.Line(line));
            QVERIFY(name.startsWith("company.volatile."));
            const int header = save.FindLineFrom(QString("company : %1 {").arg(name), 0);
            QVERIFY2(header > 0, qPrintable(name));
            const int end = save.FindUnitEnd(header);
            const int count = kvn::ToIntDefault(save.ReadUnitValue(u"job_offer:", header, end), -1);
            QVERIFY(count >= 0);
            for (int k = 0; k < count; ++k) {
                const QString offer = save.ReadUnitValue(QString("job_offer[%1]: ").arg(k), header, end);
                const int offerHeader = save.FindLineFrom(QString("job_offer_data : %1 {").arg(offer), 0);
                QVERIFY2(offerHeader > 0, qPrintable(offer));
                const int offerEnd = save.FindUnitEnd(offerHeader);
                QVERIFY(offerEnd >= offerHeader + 13);
                for (const char *key :
                     {"target:", "expiration_time:", "urgency:", "shortest_distance_km:", "ferry_time:", "ferry_price:",
                      "cargo:", "trailer_definition:", "units_count:", "fill_ratio:", "trailer_place:"})
                    QVERIFY2(!save.ReadUnitValue(QString::fromLatin1(key), offerHeader, offerEnd).isEmpty(), key);
                ++offersSeen;
            }
        }
        QVERIFY(offersSeen > 50);
        const int event = save.FindLineFrom(u"economy_event : ", 0);
        QVERIFY(event > 0);
        QVERIFY(save.Line(event + 2).trimmed().startsWith("unit_link: "));
        const int queue = save.FindLineFrom(u"economy_event_queue : ", 0);
        QVERIFY(queue > 0);
        QCOMPARE(kvn::ToIntDefault(kvn::SiiLineValue(save.Line(queue + 1)), -1), 8655);
        QVERIFY(save.Line(queue + 2).startsWith(" data[0]: _nameless."));
    }
};

QTEST_GUILESS_MAIN(TestSiiDecryptProgram)
#include "test_sii_decrypt.moc"

#include "shared/encoding.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace kvn;

Q_DECLARE_METATYPE(kvn::TTextEncoding)

class TestEncoding : public QObject {
    Q_OBJECT
private slots:
    void detect_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<TTextEncoding>("expected");
        QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF[a]") << TTextEncoding::Utf8;
        QTest::newRow("UTF-16LE mark") << QByteArray("\xFF\xFE[\0", 4) << TTextEncoding::Utf16LE;
        QTest::newRow("UTF-16BE mark") << QByteArray("\xFE\xFF\0[", 4) << TTextEncoding::Utf16BE;
        QTest::newRow("FF FE 00 00 decided by the FF FE row") << QByteArray("\xFF\xFE\0\0", 4) << TTextEncoding::Utf16LE;
        QTest::newRow("00 00 FE FF") << QByteArray("\0\0\xFE\xFF", 4) << TTextEncoding::Utf16LE;
        QTest::newRow("UTF-7 signature") << QByteArray("+/v8-x") << TTextEncoding::Utf7;
        QTest::newRow("ASCII only") << QByteArray("[a]\r\nb=c\r\n") << TTextEncoding::Utf8;
        QTest::newRow("E9 then a letter") << QByteArray("caf\xE9s") << TTextEncoding::Ansi;
        QTest::newRow("last byte C3 cut off") << QByteArray("abc\xC3") << TTextEncoding::Utf8;
        QTest::newRow("well-formed two-byte") << QByteArray("caf\xC3\xA9") << TTextEncoding::Utf8;
        QTest::newRow("four-byte") << QByteArray("\xF0\x9F\x98\x80") << TTextEncoding::Utf8;
        QTest::newRow("lead C0 rejected") << QByteArray("\xC0\x80") << TTextEncoding::Ansi;
        QTest::newRow("lead F5 rejected") << QByteArray("\xF5\x80\x80\x80") << TTextEncoding::Ansi;
        QTest::newRow("lone continuation") << QByteArray("a\x80") << TTextEncoding::Ansi;
        QTest::newRow("lead then ASCII") << QByteArray("\xE2\x82x") << TTextEncoding::Ansi;
        QTest::newRow("empty gives the default") << QByteArray() << TTextEncoding::Utf16BE;
    }
    void detect()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(TTextEncoding, expected);
        QCOMPARE(DetectBytesEncoding(bytes, TTextEncoding::Utf16BE), expected);

        QTemporaryDir dir;
        const QString path = dir.filePath("f.ini");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QCOMPARE(DetectFileEncoding(path, TTextEncoding::Utf16BE), expected);
    }

    void detectFileAcrossChunks()
    {
        // A two-byte sequence split across the reader's chunk boundary is still well-formed,
        // and a bad byte far beyond the first chunk is still seen.
        QTemporaryDir dir;
        QByteArray bytes(64 * 1024 - 1, 'a');
        bytes += "\xC3\xA9";
        const QString path = dir.filePath("big.ini");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QCOMPARE(DetectFileEncoding(path, TTextEncoding::Ansi), TTextEncoding::Utf8);
        QVERIFY(file.open(QIODevice::Append));
        file.write(QByteArray(200000, 'b') + "\xFF");
        file.close();
        QCOMPARE(DetectFileEncoding(path, TTextEncoding::Utf8), TTextEncoding::Ansi);
        QCOMPARE(DetectFileEncoding(dir.filePath("missing"), TTextEncoding::Utf7), TTextEncoding::Utf7);
        QCOMPARE(DetectFileEncoding(dir.path(), TTextEncoding::Utf7), TTextEncoding::Utf7);
    }

    void wellFormedEmptyIsFalse() { QVERIFY(!IsWellFormedUtf8(QByteArray())); }

    void roundTrip_data()
    {
        QTest::addColumn<TTextEncoding>("enc");
        QTest::addColumn<QString>("text");
        const QString mixed = QString::fromUtf8("[Łódź]\r\nkey=café + ~\\ 1-2 \xF0\x9F\x9A\x9A\r\n");
        QTest::newRow("UTF-8") << TTextEncoding::Utf8 << mixed;
        QTest::newRow("UTF-16LE") << TTextEncoding::Utf16LE << mixed;
        QTest::newRow("UTF-16BE") << TTextEncoding::Utf16BE << mixed;
        QTest::newRow("UTF-7") << TTextEncoding::Utf7 << mixed;
        QTest::newRow("UTF-7 plus signs") << TTextEncoding::Utf7 << QString("a+b++-c+");
        QTest::newRow("Ansi") << TTextEncoding::Ansi << QString::fromLatin1("caf\xE9 \xFF\x80");
    }
    void roundTrip()
    {
        QFETCH(TTextEncoding, enc);
        QFETCH(QString, text);
        for (const bool bom : {false, true}) {
            const QByteArray bytes = EncodeText(text, enc, bom);
            QVERIFY(bytes.startsWith(TByteOrderMark(enc)) || !bom);
            QCOMPARE(DecodeText(bytes, enc), text);
            if (bom)
                QCOMPARE(DetectBytesEncoding(bytes, TTextEncoding::Ansi), enc);
        }
    }

    void utf7KnownForms()
    {
        // Examples from RFC 2152.
        QCOMPARE(DecodeText("Hi Mom -+Jjo--!", TTextEncoding::Utf7), QString::fromUtf8("Hi Mom -\xE2\x98\xBA-!"));
        QCOMPARE(DecodeText("A+ImIDkQ.", TTextEncoding::Utf7), QString::fromUtf8("A\xE2\x89\xA2\xCE\x91."));
        QCOMPARE(DecodeText("+ZeVnLIqe-", TTextEncoding::Utf7),
                 QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"));
        QCOMPARE(EncodeText(QString::fromUtf8("A\xE2\x89\xA2\xCE\x91."), TTextEncoding::Utf7, false),
                 QByteArray("A+ImIDkQ-."));
        QCOMPARE(DecodeText("+/v8-abc", TTextEncoding::Utf7), QString("abc"));
        // A signature that shares its last base64 digit with the next character.
        QCOMPARE(DecodeText(EncodeText(QChar(0xFEFF) + QString::fromUtf8("\xC3\xA9x"), TTextEncoding::Utf7, false),
                            TTextEncoding::Utf7),
                 QString::fromUtf8("\xC3\xA9x"));
        QCOMPARE(DecodeText("1 + 1", TTextEncoding::Utf7), QString("1 + 1"));
    }

    void decodeSkipsOnlyMatchingMark()
    {
        QCOMPARE(DecodeText("\xEF\xBB\xBFx", TTextEncoding::Utf8), QString("x"));
        QCOMPARE(DecodeText("\xEF\xBB\xBFx", TTextEncoding::Ansi), QString::fromLatin1("\xEF\xBB\xBFx"));
        QCOMPARE(DecodeText(QByteArray("\xFF\xFEx\0", 4), TTextEncoding::Utf16LE), QString("x"));
        QCOMPARE(DecodeText(QByteArray("\0x", 2), TTextEncoding::Utf16BE), QString("x"));
        QCOMPARE(DecodeText(QByteArray("x\0y", 3), TTextEncoding::Utf16LE),
                 QString("x") + QChar(QChar::ReplacementCharacter));
    }

    void ansiBytesComeBackIdentical()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
        QCOMPARE(EncodeText(DecodeText(all, TTextEncoding::Ansi), TTextEncoding::Ansi, true), all);
        QVERIFY(!CanEncodeLosslessly(QString::fromUtf8("\xC5\x81"), TTextEncoding::Ansi));
        QVERIFY(CanEncodeLosslessly(QString::fromUtf8("\xC5\x81"), TTextEncoding::Utf7));
    }
};

QTEST_GUILESS_MAIN(TestEncoding)
#include "test_encoding.moc"

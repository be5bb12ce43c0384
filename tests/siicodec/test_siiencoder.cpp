// The writing side of the library: text encoded into binary units decodes to the same text, the
// documented layout byte for byte, positions kept exactly, text that cannot be stored refused with
// its line, and the encrypted container opened by the decoder.
#include "sii_fixtures.h"
#include "siicodec/encoder.h"
#include "siicodec/siicodec.h"

#include <QtTest>

#include <cstring>

using namespace siifixtures;
using siicodec::ClassDecl;
using siicodec::Status;

namespace {

std::string Decode(const Bytes &in, siicodec::Result *result = nullptr)
{
    siicodec::TextBuffer buffer;
    const siicodec::Result r = siicodec::ConvertToText(in, buffer);
    if (result)
        *result = r;
    return std::string(buffer.View());
}

siicodec::Result Encode(const std::string &text, const std::vector<ClassDecl> &classes, Bytes &out,
                        uint32_t version = 3)
{
    return siicodec::EncodeBinary(text, classes, out, version);
}

// A text of one unit of class "u" whose attribute lines are `body` (CR LF each).
std::string OneUnit(const std::string &body)
{
    return "SiiNunit\r\n{\r\nu : null {\r\n" + body + "}\r\n\r\n}\r\n";
}

} // namespace

class TestSiiEncoder : public QObject {
    Q_OBJECT
private slots:
    // The worked example of the format notes is exactly what the encoder makes of its text.
    void workedExampleByteForByte()
    {
        const std::vector<ClassDecl> classes = {{"demo_unit",
                                                 {{0x01, "target"},
                                                  {0x27, "expiration_time"},
                                                  {0x05, "fill_ratio"},
                                                  {0x3D, "cargo"},
                                                  {0x03, "company_truck"},
                                                  {0x36, "flags"}}}};
        Bytes binary;
        const siicodec::Result r = Encode(kWorkedExampleText, classes, binary);
        QVERIFY2(r.Ok(), r.message.c_str());
        QCOMPARE(binary, WorkedExample());
    }

    // Every value type, every version: decode, encode, decode again gives the same text.
    void allTypesRoundTrip_data()
    {
        QTest::addColumn<uint>("version");
        QTest::newRow("v1") << 1u;
        QTest::newRow("v2") << 2u;
        QTest::newRow("v3") << 3u;
    }
    void allTypesRoundTrip()
    {
        QFETCH(uint, version);
        const std::string text = Decode(AllTypesSample(version));
        QVERIFY(!text.empty());
        Bytes binary;
        const siicodec::Result r = Encode(text, {{"all_types", AllTypesFields()}}, binary, version);
        QVERIFY2(r.Ok(), r.message.c_str());
        QCOMPARE(Decode(binary), text);
    }

    // Positions anywhere on the map come back exactly, and x and z are stored as offsets inside
    // their grid cell as the game does (at most 256 away from the cell's centre).
    void placements_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("identity") << "(0, 0, 0) (1; 0, 0, 0)";
        QTest::newRow("fractions") << "(&c71f6d85, &41480000, &4708002a) (&3f3504f3; 0, &bf3504f3, 0)";
        QTest::newRow("near a cell edge") << "(256, -1, -256) (1; 0, 0, 0)";
        QTest::newRow("far east") << "(1048000, 3, -1048064) (1; 0, 0, 0)";
        QTest::newRow("small fraction") << "(&3dcccccd, 0, &bdcccccd) (1; 0, 0, 0)";
    }
    void placements()
    {
        QFETCH(QString, value);
        const std::string text = OneUnit(" p: " + value.toStdString() + "\r\n");
        Bytes binary;
        const siicodec::Result r = Encode(text, {{"u", {{0x19, "p"}}}}, binary);
        QVERIFY2(r.Ok(), r.message.c_str());
        QCOMPARE(Decode(binary), text);
        // Structure block: 4+1+4+(4+1) + field (4+4+1) + 4 end; unit: 4 block type + 1 id byte.
        const size_t values = 8 + 14 + 9 + 4 + 5;
        QCOMPARE(binary.size(), values + 32 + 5);
        for (size_t offset : {values, values + 8}) {
            float stored;
            std::memcpy(&stored, binary.data() + offset, 4);
            QVERIFY2(std::fabs(stored) <= 256.0f, qPrintable(QString::number(stored)));
        }
    }

    // What cannot be stored is refused with the line it stands on.
    void refused_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("message");
        QTest::newRow("attribute missing") << " a: 1\r\n"
                                           << "line 5: attribute 'b'";
        QTest::newRow("attributes swapped") << " b: 2\r\n a: 1\r\n t: 0\r\n"
                                            << "line 4: attribute 'a'";
        QTest::newRow("attribute left over") << " a: 1\r\n b: 2\r\n t: 0\r\n c: 3\r\n"
                                             << "line 7: '}' was expected";
        QTest::newRow("nil sentinel as a number") << " a: 4294967295\r\n b: 2\r\n t: 0\r\n"
                                                  << "line 4: '4294967295'";
        QTest::newRow("negative unsigned") << " a: -1\r\n b: 2\r\n t: 0\r\n"
                                           << "line 4: '-1'";
        QTest::newRow("not a number") << " a: 1x\r\n b: 2\r\n t: 0\r\n"
                                      << "line 4: '1x'";
        QTest::newRow("array index skips") << " a: 1\r\n b: 2\r\n t: 2\r\n t[0]: a\r\n t[2]: b\r\n"
                                           << "line 8: attribute 't[1]'";
        QTest::newRow("array count short") << " a: 1\r\n b: 2\r\n t: 1\r\n t[0]: a\r\n t[1]: b\r\n"
                                           << "line 8: '}' was expected";
        QTest::newRow("token too long") << " a: 1\r\n b: 2\r\n t: 1\r\n t[0]: abcdefghijklm\r\n"
                                        << "line 7: 'abcdefghijklm' is not a token";
        QTest::newRow("token upper case") << " a: 1\r\n b: 2\r\n t: 1\r\n t[0]: Berlin\r\n"
                                          << "line 7: 'Berlin' is not a token";
    }
    void refused()
    {
        QFETCH(QString, body);
        QFETCH(QString, message);
        const std::vector<ClassDecl> classes = {{"u", {{0x27, "a"}, {0x27, "b"}, {0x04, "t"}}}};
        Bytes binary = {1, 2, 3};
        const siicodec::Result r = Encode(OneUnit(body.toStdString()), classes, binary);
        QVERIFY(!r.Ok());
        QVERIFY2(QString::fromStdString(r.message).startsWith(message), r.message.c_str());
        QVERIFY(binary.empty());
    }

    // Values whose text has the right shape for no type are refused, one row per value kind.
    void refusedValues_data()
    {
        QTest::addColumn<uint>("type");
        QTest::addColumn<QString>("value");
        QTest::newRow("bool") << 0x35u << "yes";
        QTest::newRow("u16 too large") << 0x2Bu << "70000";
        QTest::newRow("i32 too large") << 0x25u << "2147483648";
        QTest::newRow("float word") << 0x05u << "abc";
        QTest::newRow("float hex too short") << 0x05u << "&3f00";
        QTest::newRow("float3 with two") << 0x09u << "(1, 2)";
        QTest::newRow("float3 item missing") << 0x09u << "(1, , 3)";
        QTest::newRow("float3 item doubled") << 0x09u << "(1 2, 3, 4)";
        QTest::newRow("placement empty") << 0x19u << "(, , ) (; , , )";
        QTest::newRow("int3 with floats") << 0x11u << "(1.5, 2, 3)";
        QTest::newRow("quaternion without ;") << 0x17u << "(1, 0, 0, 0)";
        QTest::newRow("ordinal unknown") << 0x37u << "sporty";
        QTest::newRow("string unterminated") << 0x01u << "\"abc";
        QTest::newRow("string bare quote") << 0x01u << "\"a\"b\"";
        QTest::newRow("string bad escape") << 0x01u << "\"a\\xZZ\"";
        QTest::newRow("id part too long") << 0x3Du << "cargo.abcdefghijklmn";
        QTest::newRow("id with space") << 0x3Du << "cargo.ab cd";
        QTest::newRow("nameless long group") << 0x39u << "_nameless.1.12345";
        QTest::newRow("nameless five groups") << 0x39u << "_nameless.1.0000.0000.0000.0000";
        QTest::newRow("value missing") << 0x01u << "";
    }
    void refusedValues()
    {
        QFETCH(uint, type);
        QFETCH(QString, value);
        const std::vector<ClassDecl> classes = {{"u", {{type, "v", {{1, "balanced"}}}}}};
        Bytes binary;
        const siicodec::Result r = Encode(OneUnit(" v: " + value.toStdString() + "\r\n"), classes, binary);
        QVERIFY2(!r.Ok(), value.toUtf8());
        QVERIFY2(QString::fromStdString(r.message).startsWith("line 4: "), r.message.c_str());
    }

    void refusedShapes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("no SiiNunit") << "{\r\nu : null {\r\n}\r\n}\r\n"
                                     << "the text does not start";
        QTest::newRow("class not declared") << "SiiNunit\r\n{\r\nz : null {\r\n}\r\n\r\n}\r\n"
                                            << "line 3: unit class 'z' is not declared";
        QTest::newRow("no final brace") << "SiiNunit\r\n{\r\nu : null {\r\n}\r\n"
                                        << "line 4: a unit header";
        QTest::newRow("text after the end") << "SiiNunit\r\n{\r\n}\r\nu : null {\r\n}\r\n"
                                            << "line 4: text after";
        QTest::newRow("header without brace") << "SiiNunit\r\n{\r\nu : null\r\n}\r\n}\r\n"
                                              << "line 3: a unit header";
    }
    void refusedShapes()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        Bytes binary;
        const siicodec::Result r = Encode(text.toStdString(), {{"u", {}}}, binary);
        QVERIFY(!r.Ok());
        QVERIFY2(QString::fromStdString(r.message).startsWith(message), r.message.c_str());
    }

    // LF line ends and blank lines between units are read as well.
    void lfText()
    {
        Bytes binary;
        const siicodec::Result r = Encode("SiiNunit\n{\nu : a.b {\n v: 3\n}\n\n\nu : _nameless.1.0000 {\n v: nil\n}\n}",
                                          {{"u", {{0x27, "v"}}}}, binary);
        QVERIFY2(r.Ok(), r.message.c_str());
        QCOMPARE(Decode(binary), std::string("SiiNunit\r\n{\r\nu : a.b {\r\n v: 3\r\n}\r\n\r\n"
                                             "u : _nameless.1.0000 {\r\n v: nil\r\n}\r\n\r\n}\r\n"));
    }

    void tokens_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint64>("value");
        QTest::addColumn<bool>("ok");
        QTest::newRow("empty") << "" << quint64(0) << true;
        QTest::newRow("a") << "a" << quint64(0xB) << true;
        QTest::newRow("cargo") << "cargo" << quint64(0x32A4607) << true;
        QTest::newRow("scania_r") << "scania_r" << quint64(0x3040E3AF1E7) << true;
        QTest::newRow("twelve underscores") << "____________" << quint64(0x7DCFF8986EA30FFF) << true;
        QTest::newRow("thirteen") << "aaaaaaaaaaaaa" << quint64(0) << false;
        QTest::newRow("dot") << "a.b" << quint64(0) << false;
    }
    void tokens()
    {
        QFETCH(QString, text);
        QFETCH(quint64, value);
        QFETCH(bool, ok);
        uint64_t v = 1;
        QCOMPARE(siicodec::EncodeToken(text.toStdString(), v), ok);
        if (ok)
            QCOMPARE(quint64(v), value);
    }

    // The container the encoder makes opens to the same payload, with the IV where the header keeps it.
    void container()
    {
        const Bytes payload = AllTypesSample(3);
        uint8_t iv[16];
        for (int i = 0; i < 16; ++i)
            iv[i] = uint8_t(0xA0 + i);
        Bytes file;
        QVERIFY(siicodec::EncryptContainer(payload, std::span<const uint8_t, 16>(iv), file).Ok());
        QCOMPARE(siicodec::DetectForm(file), siicodec::Form::Encrypted);
        QVERIFY(std::memcmp(file.data() + 36, iv, 16) == 0);
        QCOMPARE(file.size() % 16, size_t(56 % 16));
        Bytes opened;
        QVERIFY(siicodec::DecryptContainer(file, opened).Ok());
        QCOMPARE(opened, payload);
        QCOMPARE(Decode(file), Decode(payload));
    }
};

QTEST_APPLESS_MAIN(TestSiiEncoder)
#include "test_siiencoder.moc"

// The decoder library: recognising forms, the container, every value type's text, the exact
// shape of the output, and that malformed input of every kind ends in its status, never a crash.
#include "sii_fixtures.h"
#include "siicodec/siicodec.h"

#include <QtTest>

#include <functional>
#include <limits>

using namespace siifixtures;
using siicodec::Form;
using siicodec::Status;

Q_DECLARE_METATYPE(siicodec::Form)
Q_DECLARE_METATYPE(siicodec::Status)
Q_DECLARE_METATYPE(siifixtures::Bytes)
Q_DECLARE_METATYPE(siifixtures::FieldDecl)

namespace {

siicodec::Result Convert(const Bytes &in, std::string &text, siicodec::Options options = {})
{
    siicodec::TextBuffer buffer;
    const siicodec::Result r = siicodec::ConvertToText(in, buffer, options);
    text.assign(buffer.View());
    return r;
}

// The bytes that BsiiWriter calls append, without the file header.
Bytes V(const std::function<void(BsiiWriter &)> &build)
{
    BsiiWriter w(0);
    build(w);
    return Bytes(w.Data().begin() + 8, w.Data().end());
}

QByteArray Lf(const std::string &crlf)
{
    return QByteArray::fromStdString(crlf).replace("\r\n", "\n");
}

// Decodes a file with one structure of one field and one unit; returns that unit's field lines
// with LF line ends.
QByteArray FieldLines(uint32_t version, const FieldDecl &field, const Bytes &value, Status *status = nullptr)
{
    BsiiWriter w(version);
    w.Structure(1, "u", {field}).Unit(1).IdNull().Raw(value).End();
    std::string text;
    const siicodec::Result r = Convert(w.Data(), text);
    if (status)
        *status = r.status;
    if (!r.Ok())
        return QByteArray("error: ") + r.message.c_str();
    const std::string head = "SiiNunit\r\n{\r\nu : null {\r\n";
    const std::string tail = "}\r\n\r\n}\r\n";
    if (text.rfind(head, 0) != 0 || text.size() < head.size() + tail.size() ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
        return QByteArray("bad shape: ") + text.c_str();
    return Lf(text.substr(head.size(), text.size() - head.size() - tail.size()));
}

} // namespace

class TestSiiCodec : public QObject {
    Q_OBJECT
private slots:
    void detectForm_data()
    {
        QTest::addColumn<Bytes>("data");
        QTest::addColumn<Form>("form");
        QTest::addColumn<Status>("status");
        const Bytes container = MakeContainer(ToBytes("SiiNunit\r\n{\r\n}\r\n"));
        QTest::newRow("encrypted") << container << Form::Encrypted << Status::Converted;
        QTest::newRow("encrypted, header cut")
            << Bytes(container.begin(), container.begin() + 55) << Form::TooShort << Status::TooShort;
        QTest::newRow("binary") << WorkedExample() << Form::Binary << Status::Converted;
        QTest::newRow("binary, 12 bytes") << ToBytes("BSII\3\0\0\0\0\0\0\0") << Form::TooShort << Status::TooShort;
        QTest::newRow("plain") << ToBytes("SiiNunit\r\n{\r\n}\r\n") << Form::PlainText << Status::AlreadyPlain;
        QTest::newRow("plain after BOM") << ToBytes("\xEF\xBB\xBFSiiNunit\n{\n}\n") << Form::PlainText
                                         << Status::AlreadyPlain;
        QTest::newRow("3nK") << Make3nK("SiiNunit\r\n{", 0) << Form::Scrambled3nK << Status::Converted;
        QTest::newRow("3nK, header only") << Make3nK("", 9) << Form::Scrambled3nK << Status::Converted;
        QTest::newRow("3nK, 5 bytes") << Bytes{0x33, 0x6E, 0x4B, 0x01, 0} << Form::TooShort << Status::TooShort;
        QTest::newRow("lower-case siin") << ToBytes("siinunit\r\n{\r\n}") << Form::Unknown << Status::UnknownForm;
        QTest::newRow("random") << Bytes{0x89, 'P', 'N', 'G', 1, 2, 3, 4, 5, 6} << Form::Unknown << Status::UnknownForm;
        QTest::newRow("3 bytes") << ToBytes("Sii") << Form::TooShort << Status::TooShort;
        QTest::newRow("empty") << Bytes{} << Form::TooShort << Status::TooShort;
    }
    void detectForm()
    {
        QFETCH(Bytes, data);
        QFETCH(Form, form);
        QFETCH(Status, status);
        QCOMPARE(siicodec::DetectForm(data), form);
        std::string text;
        QCOMPARE(Convert(data, text).status, status);
        if (status == Status::AlreadyPlain)
            QCOMPARE(text, std::string(data.begin(), data.end()));
    }

    void workedExample()
    {
        std::string text;
        siicodec::Options asOriginalTool;
        asOriginalTool.finalLineBreak = false;
        QVERIFY(Convert(WorkedExample(), text, asOriginalTool).Ok());
        QCOMPARE(text, std::string(kWorkedExampleText));
        // Our default ends like the game's own files: one line break after the final brace.
        QVERIFY(Convert(WorkedExample(), text).Ok());
        QCOMPARE(text, std::string(kWorkedExampleText) + "\r\n");
        // The same payload inside an encrypted container gives the same text.
        QVERIFY(Convert(MakeContainer(WorkedExample()), text).Ok());
        QCOMPARE(text, std::string(kWorkedExampleText) + "\r\n");
    }

    void threeNk_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("seed 0") << QByteArray::fromHex("336e4b010000abb8c3cd291b6753bd9399");
        QTest::newRow("seed 0xfe, key wraps") << QByteArray::fromHex("336e4b0100fe6576919fdfed3501032dcb");
    }
    void threeNk()
    {
        QFETCH(QByteArray, file);
        std::string text;
        QVERIFY(Convert(Bytes(file.begin(), file.end()), text).Ok());
        QCOMPARE(text, std::string("SiiNunit\r\n{"));
        // Scrambled text inside a container is descrambled too.
        QVERIFY(Convert(MakeContainer(Bytes(file.begin(), file.end())), text).Ok());
        QCOMPARE(text, std::string("SiiNunit\r\n{"));
        QCOMPARE(Make3nK("SiiNunit\r\n{", uint8_t(file[5])), Bytes(file.begin(), file.end()));
    }

    void container_data()
    {
        QTest::addColumn<Bytes>("file");
        QTest::addColumn<Status>("status");
        const Bytes text =
            ToBytes("SiiNunit\r\n{\r\nuser_profile : _nameless.1.0000 {\r\n name: \"x\"\r\n}\r\n\r\n}\r\n");
        QTest::newRow("text payload") << MakeContainer(text) << Status::Converted;
        QTest::newRow("binary payload") << MakeContainer(WorkedExample()) << Status::Converted;
        QTest::newRow("size field one too big") << MakeContainer(text, {.sizeFieldDelta = 1}) << Status::Damaged;
        QTest::newRow("size field one too small") << MakeContainer(text, {.sizeFieldDelta = -1}) << Status::Damaged;
        QTest::newRow("size field absurd") << MakeContainer(text, {.sizeFieldDelta = 0x7FFFFFFF}) << Status::Damaged;
        QTest::newRow("ciphertext not whole blocks") << MakeContainer(text, {.dropCipherBytes = 5}) << Status::Damaged;
        QTest::newRow("last block missing") << MakeContainer(text, {.dropCipherBytes = 16}) << Status::Damaged;
        QTest::newRow("no ciphertext") << MakeContainer(text, {.dropCipherBytes = 9999}) << Status::Damaged;
        QTest::newRow("bad padding") << MakeContainer(text, {.badPadding = true}) << Status::Damaged;
        QTest::newRow("corrupt zlib data") << MakeContainer(text, {.corruptZlib = true}) << Status::Damaged;
        QTest::newRow("not zlib at all") << MakeContainer(text, {.rawZlib = true}) << Status::Damaged;
        QTest::newRow("container in container") << MakeContainer(MakeContainer(text)) << Status::Unsupported;
        QTest::newRow("payload of unknown kind") << MakeContainer(ToBytes("hello world")) << Status::UnknownForm;
        QTest::newRow("payload too short") << MakeContainer(ToBytes("BS")) << Status::Damaged;
        QTest::newRow("empty payload") << MakeContainer(Bytes{}) << Status::Damaged;
    }
    void container()
    {
        QFETCH(Bytes, file);
        QFETCH(Status, status);
        std::string text;
        const siicodec::Result r = Convert(file, text);
        QCOMPARE(r.status, status);
        if (status == Status::Converted) {
            QVERIFY(text.starts_with("SiiNunit\r\n{\r\n"));
        } else {
            QVERIFY(text.empty());
            QVERIFY(!r.message.empty());
        }
    }

    void textPayloadIsKeptByteForByte()
    {
        // LF line ends, a missing final line break and escapes all stay as the game wrote them.
        const Bytes text = ToBytes("SiiNunit\n{\nx : y {\n a: \"K\\xc3\\xb6gel\"\n}\n\n}");
        std::string out;
        QVERIFY(Convert(MakeContainer(text), out).Ok());
        QCOMPARE(out, std::string(text.begin(), text.end()));
        const Bytes withBom = ToBytes("\xEF\xBB\xBFSiiNunit\r\n{\r\n}\r\n");
        QVERIFY(Convert(MakeContainer(withBom), out).Ok());
        QCOMPARE(out, std::string(withBom.begin(), withBom.end()));
    }

    void values_data()
    {
        QTest::addColumn<uint>("version");
        QTest::addColumn<FieldDecl>("field");
        QTest::addColumn<Bytes>("value");
        QTest::addColumn<QByteArray>("lines");
        auto row = [](const char *name, uint version, FieldDecl f, Bytes v, const char *lines) {
            QTest::newRow(name) << version << f << v << QByteArray(lines);
        };
        const FieldDecl tok{0x03, "t"};
        row("token a", 3, tok, V([](auto &w) { w.U64(0xB); }), " t: a\n");
        row("token _", 3, tok, V([](auto &w) { w.U64(0x25); }), " t: _\n");
        row("token cargo", 3, tok, V([](auto &w) { w.U64(0x32A4607); }), " t: cargo\n");
        row("token apples", 3, tok, V([](auto &w) { w.U64(0x8AE634EF); }), " t: apples\n");
        row("token scania_r", 3, tok, V([](auto &w) { w.U64(0x3040E3AF1E7); }), " t: scania_r\n");
        row("token 12 x _", 3, tok, V([](auto &w) { w.U64(0x7DCFF8986EA30FFF); }), " t: ____________\n");
        row("token empty", 3, tok, V([](auto &w) { w.U64(0); }), " t: \"\"\n");
        row("token bit 63 ignored", 3, tok, V([](auto &w) { w.U64(0x32A4607 | (1ull << 63)); }), " t: cargo\n");
        row("token array", 3, {0x04, "t"}, V([](auto &w) { w.U32(2).U64(Token("ab")).U64(0); }),
            " t: 2\n t[0]: ab\n t[1]: \"\"\n");

        const FieldDecl id{0x39, "id"};
        row("nameless 3 groups", 3, id, V([](auto &w) { w.IdNameless(0x0807060504030201); }),
            " id: _nameless.807.0605.0403.0201\n");
        row("nameless 2 groups", 2, id, V([](auto &w) { w.IdNameless(0x28211A9F520); }),
            " id: _nameless.282.11a9.f520\n");
        row("nameless 1.0000", 3, id, V([](auto &w) { w.IdNameless(0x10000); }), " id: _nameless.1.0000\n");
        row("nameless ffff", 3, id, V([](auto &w) { w.IdNameless(0xFFFF); }), " id: _nameless.ffff\n");
        row("nameless 0", 3, id, V([](auto &w) { w.IdNameless(0); }), " id: _nameless.0\n");
        row("nameless v1 small", 1, id, V([](auto &w) { w.IdNameless(0xFFFF); }), " id: _nameless.0000.FFFF\n");
        row("nameless v1 zero", 1, id, V([](auto &w) { w.IdNameless(0); }), " id: _nameless.0000.0000\n");
        row("nameless v1 large", 1, {0x3B, "id"}, V([](auto &w) { w.IdNameless(0x28211A9F520); }),
            " id: _nameless.282.11a9.f520\n");
        row("null", 3, {0x3D, "id"}, V([](auto &w) { w.IdNull(); }), " id: null\n");
        row("named", 3, {0x3D, "id"}, V([](auto &w) { w.IdNamed("cargo.apples"); }), " id: cargo.apples\n");
        row("named, empty part", 3, id, V([](auto &w) { w.U8(3).U64(Token("a")).U64(0).U64(Token("b")); }),
            " id: a..b\n");
        row("id array", 3, {0x3C, "data"},
            V([](auto &w) { w.U32(3).IdNull().IdNamed("company.volatile.a.b").IdNameless(0x11A9F520); }),
            " data: 3\n data[0]: null\n data[1]: company.volatile.a.b\n data[2]: _nameless.11a9.f520\n");

        const FieldDecl f{0x05, "f"};
        auto floatRow = [&](const char *name, float v, const char *text) {
            row(name, 3, f, V([v](auto &w) { w.F32(v); }), (std::string(" f: ") + text + "\n").c_str());
        };
        floatRow("float 0", 0.0f, "0");
        floatRow("float 1", 1.0f, "1");
        floatRow("float -1", -1.0f, "-1");
        floatRow("float 0.5", 0.5f, "&3f000000");
        floatRow("float 0.1", 0.1f, "&3dcccccd");
        floatRow("float 9999999", 9999999.0f, "9999999");
        floatRow("float 1e7", 1e7f, "&4b189680");
        floatRow("float -2e7", -2e7f, "-20000000");
        floatRow("float 16777216", 16777216.0f, "&4b800000");
        floatRow("float NaN", std::numeric_limits<float>::quiet_NaN(), "&7fc00000");
        floatRow("float -0", -0.0f, "-0");
        floatRow("float +inf", std::numeric_limits<float>::infinity(), "&7f800000");
        floatRow("float -inf", -std::numeric_limits<float>::infinity(), "&ff800000");
        floatRow("float -3e38", -3e38f, "&ff61b1e6");
        row("float array", 3, {0x06, "f"}, V([](auto &w) { w.U32(2).F32(2).F32(-0.5f); }),
            " f: 2\n f[0]: 2\n f[1]: &bf000000\n");
        row("float2", 3, {0x07, "v"}, V([](auto &w) { w.F32(1).F32(0.5f); }), " v: (1, &3f000000)\n");
        row("float2 array", 3, {0x08, "v"}, V([](auto &w) { w.U32(1).F32(1).F32(2); }), " v: 1\n v[0]: (1, 2)\n");
        row("float3", 3, {0x09, "v"}, V([](auto &w) { w.F32(1).F32(2).F32(3); }), " v: (1, 2, 3)\n");
        row("float3 array", 3, {0x0A, "v"}, V([](auto &w) { w.U32(0); }), " v: 0\n");
        row("int3", 3, {0x11, "v"}, V([](auto &w) { w.U32(uint32_t(-3373740)).U32(14926).U32(uint32_t(-1587312)); }),
            " v: (-3373740, 14926, -1587312)\n");
        row("int3 array", 3, {0x12, "v"}, V([](auto &w) { w.U32(1).U32(1).U32(2).U32(3); }),
            " v: 1\n v[0]: (1, 2, 3)\n");
        row("quaternion", 3, {0x17, "q"}, V([](auto &w) { w.F32(1).F32(0).F32(-0.5f).F32(2); }),
            " q: (1; 0, &bf000000, 2)\n");
        row("quaternion array", 3, {0x18, "q"}, V([](auto &w) { w.U32(1).F32(1).F32(0).F32(0).F32(0); }),
            " q: 1\n q[0]: (1; 0, 0, 0)\n");

        const FieldDecl p{0x19, "p"};
        row("placement with bias", 3, p,
            V([](auto &w) { w.F32(-365.517f).F32(2).F32(0.25f).F32(8669105).F32(1).F32(0).F32(0).F32(0); }),
            " p: (&c71f6d84, 2, &47080040) (1; 0, 0, 0)\n");
        row("placement, neutral bias", 2, p,
            V([](auto &w) { w.F32(0).F32(0).F32(0).F32(0x800800).F32(1).F32(0).F32(0).F32(0); }),
            " p: (0, 0, 0) (1; 0, 0, 0)\n");
        row("placement v1, no bias", 1, p, V([](auto &w) { w.F32(1).F32(2).F32(3).F32(1).F32(0).F32(0).F32(0); }),
            " p: (1, 2, 3) (1; 0, 0, 0)\n");
        row("placement array", 3, {0x1A, "p"},
            V([](auto &w) { w.U32(1).F32(0).F32(0).F32(0).F32(0x800800).F32(1).F32(0).F32(0).F32(0); }),
            " p: 1\n p[0]: (0, 0, 0) (1; 0, 0, 0)\n");

        row("int32 min", 3, {0x25, "i"}, V([](auto &w) { w.U32(0x80000000); }), " i: -2147483648\n");
        row("int32 max", 3, {0x25, "i"}, V([](auto &w) { w.U32(0x7FFFFFFF); }), " i: 2147483647\n");
        row("int32 array", 3, {0x26, "i"}, V([](auto &w) { w.U32(1).U32(uint32_t(-1)); }), " i: 1\n i[0]: -1\n");
        row("uint32 max below nil", 3, {0x27, "u"}, V([](auto &w) { w.U32(0xFFFFFFFE); }), " u: 4294967294\n");
        row("uint32 nil", 3, {0x27, "u"}, V([](auto &w) { w.U32(0xFFFFFFFF); }), " u: nil\n");
        row("uint32 array with nil", 3, {0x28, "u"}, V([](auto &w) { w.U32(2).U32(0).U32(0xFFFFFFFF); }),
            " u: 2\n u[0]: 0\n u[1]: nil\n");
        row("int16 min", 3, {0x29, "h"}, V([](auto &w) { w.U16(0x8000); }), " h: -32768\n");
        row("int16 array", 3, {0x2A, "h"}, V([](auto &w) { w.U32(1).U16(0x7FFF); }), " h: 1\n h[0]: 32767\n");
        row("uint16 max below nil", 3, {0x2B, "u"}, V([](auto &w) { w.U16(0xFFFE); }), " u: 65534\n");
        row("uint16 nil", 3, {0x2B, "u"}, V([](auto &w) { w.U16(0xFFFF); }), " u: nil\n");
        row("uint16 array", 3, {0x2C, "u"}, V([](auto &w) { w.U32(2).U16(0xFFFF).U16(7); }),
            " u: 2\n u[0]: nil\n u[1]: 7\n");
        row("uint32 of type 2F has no nil", 3, {0x2F, "refund"}, V([](auto &w) { w.U32(0xFFFFFFFF); }),
            " refund: 4294967295\n");
        row("int64 min", 3, {0x31, "l"}, V([](auto &w) { w.U64(0x8000000000000000); }), " l: -9223372036854775808\n");
        row("int64 array", 3, {0x32, "l"}, V([](auto &w) { w.U32(1).U64(uint64_t(-2)); }), " l: 1\n l[0]: -2\n");
        row("uint64 below nil", 3, {0x33, "u"}, V([](auto &w) { w.U64(~uint64_t(1)); }), " u: 18446744073709551614\n");
        row("uint64 nil", 3, {0x33, "u"}, V([](auto &w) { w.U64(~uint64_t(0)); }), " u: nil\n");
        // Only all ones means nil; a value with one all-ones half is a number like any other.
        row("uint64 low half all ones", 3, {0x33, "u"}, V([](auto &w) { w.U64(0xFFFFFFFF); }), " u: 4294967295\n");
        row("uint64 high half all ones", 3, {0x34, "u"}, V([](auto &w) { w.U32(1).U64(0xFFFFFFFF00000000); }),
            " u: 1\n u[0]: 18446744069414584320\n");
        row("bool", 3, {0x35, "b"}, V([](auto &w) { w.U8(2); }), " b: true\n");
        row("bool array", 3, {0x36, "flags"}, V([](auto &w) { w.U32(2).U8(1).U8(0); }),
            " flags: 2\n flags[0]: true\n flags[1]: false\n");
        row("empty array", 3, {0x36, "flags"}, V([](auto &w) { w.U32(0); }), " flags: 0\n");

        const FieldDecl s{0x01, "s"};
        auto stringRow = [&](const char *name, const char *value, const char *text) {
            row(name, 3, s, V([value](auto &w) { w.Str(value); }), (std::string(" s: ") + text + "\n").c_str());
        };
        stringRow("string bare", "abc_09", "abc_09");
        stringRow("string empty", "", "\"\"");
        stringRow("string with dot", "a.b", "\"a.b\"");
        stringRow("string negative number", "-5", "\"-5\"");
        stringRow("string with space", "My Company", "\"My Company\"");
        stringRow("string UTF-8", "Z\xc3\xbcrich", "\"Z\\xc3\\xbcrich\"");
        stringRow("string control bytes", "\x0e\x0eMastodonte", "\"\\x0e\\x0eMastodonte\"");
        stringRow("string DEL", "a\x7f", "\"a\\x7f\"");
        stringRow("string quote and backslash", "a\"b\\c", "\"a\\\"b\\\\c\"");
        row("string array", 3, {0x02, "s"}, V([](auto &w) { w.U32(2).Str("x").Str("x y"); }),
            " s: 2\n s[0]: x\n s[1]: \"x y\"\n");

        const FieldDecl o{0x37, "o", {{2, "adr"}, {1, "balanced"}, {7, "eco mode"}, {2, "second"}}};
        row("ordinal", 3, o, V([](auto &w) { w.U32(1); }), " o: balanced\n");
        row("ordinal, first text of a repeated value", 3, o, V([](auto &w) { w.U32(2); }), " o: adr\n");
        row("ordinal quoted", 3, o, V([](auto &w) { w.U32(7); }), " o: \"eco mode\"\n");
        row("ordinal array", 3, {0x38, "o", {{0, "x"}, {1, "y"}}}, V([](auto &w) { w.U32(2).U32(1).U32(0); }),
            " o: 2\n o[0]: y\n o[1]: x\n");
    }
    void values()
    {
        QFETCH(uint, version);
        QFETCH(FieldDecl, field);
        QFETCH(Bytes, value);
        QFETCH(QByteArray, lines);
        QCOMPARE(FieldLines(version, field, value), lines);
    }

    void unitShape()
    {
        BsiiWriter w(3);
        w.Structure(1, "empty_unit", {}).Structure(2, "job", {{0x27, "urgency"}, {0x3D, "cargo"}});
        w.Unit(2).IdNamed("a.b").U32(1).IdNamed("cargo.apples");
        w.Unit(1).IdNameless(0x10000);
        // A structure may be declared between units.
        w.Structure(3, "late", {{0x35, "b"}}).Unit(3).IdNull().U8(0);
        std::string text;
        QVERIFY(Convert(w.End().Data(), text).Ok());
        QCOMPARE(text, std::string("SiiNunit\r\n{\r\njob : a.b {\r\n urgency: 1\r\n cargo: cargo.apples\r\n}\r\n\r\n"
                                   "empty_unit : _nameless.1.0000 {\r\n}\r\n\r\nlate : null {\r\n b: false\r\n}\r\n\r\n"
                                   "}\r\n"));
        // A file without units.
        QVERIFY(Convert(BsiiWriter(2).End().Data(), text).Ok());
        QCOMPARE(text, std::string("SiiNunit\r\n{\r\n}\r\n"));
    }

    void malformed_data()
    {
        QTest::addColumn<Bytes>("data");
        QTest::addColumn<Status>("status");
        QTest::addColumn<QString>("messagePart");
        auto file = [](uint32_t version, const std::function<void(BsiiWriter &)> &body) {
            BsiiWriter w(version);
            body(w);
            return w.Data();
        };
        QTest::newRow("unknown type") << file(3, [](auto &w) {
            w.Structure(4, "trailer", {{0x01, "a"}, {0x41, "wheel_offsets"}}).End();
        }) << Status::Unsupported << "type id 0x41, field 'wheel_offsets' of structure 'trailer'";
        QTest::newRow("version 4") << file(4, [](auto &w) { w.End(); }) << Status::Unsupported << "version 4";
        QTest::newRow("version 0") << file(0, [](auto &w) { w.End(); }) << Status::Unsupported << "version 0";
        QTest::newRow("structure used before declaration")
            << file(3, [](auto &w) { w.Unit(7).IdNull().End(); }) << Status::Damaged << "structure 7";
        QTest::newRow("structure declared twice")
            << file(3, [](auto &w) { w.Structure(1, "a", {}).Structure(1, "b", {}).End(); }) << Status::Damaged
            << "twice";
        QTest::newRow("structure id 0") << file(3, [](auto &w) { w.Structure(0, "a", {}).End(); }) << Status::Damaged
                                        << "id 0";
        QTest::newRow("no end block") << file(3, [](auto &w) { w.Structure(1, "a", {}).Unit(1).IdNull(); })
                                      << Status::Damaged << "cut off";
        QTest::newRow("absurd array count") << file(3, [](auto &w) {
            w.Structure(1, "a", {{0x36, "b"}}).Unit(1).IdNull().U32(0xFFFFFFF0).End();
        }) << Status::Damaged << "cut off";
        QTest::newRow("absurd string length") << file(3, [](auto &w) {
            w.Structure(1, "a", {{0x01, "s"}}).Unit(1).IdNull().U32(0x7FFFFFFF).End();
        }) << Status::Damaged << "cut off";
        QTest::newRow("absurd class name length")
            << file(3, [](auto &w) { w.U32(0).U8(1).U32(1).U32(0xFFFFFFFF).End(); }) << Status::Damaged << "cut off";
        QTest::newRow("absurd ordinal count")
            << file(3, [](auto &w) { w.U32(0).U8(1).U32(1).Str("a").U32(0x37).Str("o").U32(0x40000000).End(); })
            << Status::Damaged << "cut off";
        QTest::newRow("ID with too many parts")
            << file(3, [](auto &w) { w.Structure(1, "a", {}).Unit(1).U8(200).U64(1).End(); }) << Status::Damaged
            << "cut off";
        QTest::newRow("token with a zero digit") << file(3, [](auto &w) {
            w.Structure(1, "a", {{0x03, "t"}}).Unit(1).IdNull().U64(38).End();
        }) << Status::Damaged << "token";
        QTest::newRow("unit name with a zero digit")
            << file(3, [](auto &w) { w.Structure(1, "a", {}).Unit(1).U8(1).U64(38 * 38).End(); }) << Status::Damaged
            << "token";
        QTest::newRow("ordinal without text") << file(3, [](auto &w) {
            w.Structure(1, "veh", {{0x37, "mode", {{1, "x"}}}}).Unit(1).IdNull().U32(5).End();
        }) << Status::Damaged << "value 5 of field 'mode'";
        QTest::newRow("placement bias NaN") << file(3, [](auto &w) {
            w.Structure(1, "a", {{0x19, "p"}}).Unit(1).IdNull();
            w.F32(0).F32(0).F32(0).F32(std::numeric_limits<float>::quiet_NaN()).F32(1).F32(0).F32(0).F32(0);
            w.End();
        }) << Status::Damaged << "'p'";
    }
    void malformed()
    {
        QFETCH(Bytes, data);
        QFETCH(Status, status);
        QFETCH(QString, messagePart);
        std::string text;
        const siicodec::Result r = Convert(data, text);
        QCOMPARE(r.status, status);
        QVERIFY2(QString::fromStdString(r.message).contains(messagePart), r.message.c_str());
        QVERIFY(text.empty());
        // Inside a container the verdict is the same.
        QCOMPARE(Convert(MakeContainer(data), text).status, status);
    }

    // Cut at every byte, a file is refused as too short or damaged, never decoded half.
    void truncatedAtEveryByte_data()
    {
        QTest::addColumn<Bytes>("data");
        QTest::newRow("worked example") << WorkedExample();
        QTest::newRow("all types v1") << AllTypesSample(1);
        QTest::newRow("all types v3") << AllTypesSample(3);
        QTest::newRow("container") << MakeContainer(AllTypesSample(2));
    }
    void truncatedAtEveryByte()
    {
        QFETCH(Bytes, data);
        std::string text;
        QVERIFY(Convert(data, text).Ok());
        for (size_t n = 0; n < data.size(); ++n) {
            const Bytes cut(data.begin(), data.begin() + n);
            const Status s = Convert(cut, text).status;
            QVERIFY2(s == Status::Damaged || s == Status::TooShort, qPrintable(QString::number(n)));
            QVERIFY(text.empty());
        }
    }

    void allTypesSampleDecodes()
    {
        std::string text;
        QVERIFY(Convert(AllTypesSample(3), text).Ok());
        QVERIFY(text.find(" s: \"My \\\"Company\\\"\"\r\n") != std::string::npos);
        QVERIFY(text.find(" o: 2\r\n") == std::string::npos);
        QVERIFY(text.find(" oa[1]: adr\r\n") != std::string::npos);
        QVERIFY(text.find(" ula[0]: 4294967295\r\n") != std::string::npos);
        QVERIFY(siicodec::WalkBinary(AllTypesSample(3)).Ok());
    }

    void textLimit()
    {
        // A small file whose text would be large (a long field name repeated per array item)
        // is refused instead of filling memory.
        BsiiWriter w(3);
        w.Structure(1, "a", {{0x36, std::string(4000, 'n')}}).Unit(1).IdNull().U32(100000);
        for (int i = 0; i < 100000; ++i)
            w.U8(1);
        siicodec::Options small;
        small.maxTextBytes = 64 << 20;
        std::string text;
        const siicodec::Result r = Convert(w.End().Data(), text, small);
        QCOMPARE(r.status, Status::Unsupported);
        QVERIFY(text.empty());
    }
};

QTEST_APPLESS_MAIN(TestSiiCodec)
#include "test_siicodec.moc"

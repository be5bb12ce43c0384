#include "shared/encoding.h"

#include <QFile>
#include <QFileInfo>

namespace kvn {

namespace {

bool StartsWith(const QByteArray &Bytes, std::initializer_list<unsigned char> Prefix)
{
    if (Bytes.size() < static_cast<qsizetype>(Prefix.size()))
        return false;
    qsizetype i = 0;
    for (const unsigned char b : Prefix) {
        if (static_cast<unsigned char>(Bytes[i++]) != b)
            return false;
    }
    return true;
}

// Decides from the first bytes alone; false when they carry no known mark.
bool EncodingFromMark(const QByteArray &Head, TTextEncoding &Enc)
{
    if (StartsWith(Head, {0x2B, 0x2F, 0x76}))
        Enc = TTextEncoding::Utf7;
    else if (StartsWith(Head, {0xEF, 0xBB, 0xBF}))
        Enc = TTextEncoding::Utf8;
    else if (StartsWith(Head, {0xFE, 0xFF}))
        Enc = TTextEncoding::Utf16BE;
    else if (StartsWith(Head, {0xFF, 0xFE}))
        Enc = TTextEncoding::Utf16LE;
    else if (StartsWith(Head, {0x00, 0x00, 0xFE, 0xFF}))
        Enc = TTextEncoding::Utf16LE; // kept as the files of earlier versions were detected
    else
        return false;
    return true;
}

// --- UTF-7 (RFC 2152) ---

int Base64Value(unsigned char C)
{
    if (C >= 'A' && C <= 'Z')
        return C - 'A';
    if (C >= 'a' && C <= 'z')
        return C - 'a' + 26;
    if (C >= '0' && C <= '9')
        return C - '0' + 52;
    if (C == '+')
        return 62;
    if (C == '/')
        return 63;
    return -1;
}

constexpr char Base64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Characters written as themselves: set D, the optional set O and the four white-space characters.
// "\" and "~" are left out on purpose (not in either set), "+" opens a shifted run.
bool IsUtf7Direct(char16_t C)
{
    if (C >= 0x80)
        return false;
    if ((C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9'))
        return true;
    static constexpr char Others[] = "'(),-./:? \t\r\n!\"#$%&*;<=>@[]^_`{|}";
    for (const char o : Others) {
        if (o != '\0' && C == static_cast<char16_t>(o))
            return true;
    }
    return false;
}

QString DecodeUtf7(const QByteArray &Bytes)
{
    QString out;
    out.reserve(Bytes.size());
    bool shifted = false;
    bool emittedInShift = false;
    quint32 bits = 0;
    int bitCount = 0;
    const qsizetype n = Bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(Bytes[i]);
        if (!shifted) {
            if (c == '+') {
                if (i + 1 < n && Bytes[i + 1] == '-') {
                    out += QLatin1Char('+');
                    ++i;
                } else {
                    shifted = true;
                    emittedInShift = false;
                    bits = 0;
                    bitCount = 0;
                }
            } else {
                out += QChar(c); // bytes above 7F are not UTF-7; taking them as Latin-1 loses nothing
            }
            continue;
        }
        const int v = Base64Value(c);
        if (v >= 0) {
            bits = (bits << 6) | static_cast<quint32>(v);
            bitCount += 6;
            if (bitCount >= 16) {
                bitCount -= 16;
                out += QChar(static_cast<char16_t>((bits >> bitCount) & 0xFFFF));
                bits &= (1u << bitCount) - 1;
                emittedInShift = true;
            }
            continue;
        }
        shifted = false;
        bits = 0;
        bitCount = 0;
        if (c == '-')
            continue; // the explicit end of a shifted run is absorbed
        if (!emittedInShift)
            out += QLatin1Char('+'); // a lone "+" from a careless writer: keep it
        out += QChar(c);
    }
    return out;
}

QByteArray EncodeUtf7(QStringView Text)
{
    QByteArray out;
    out.reserve(Text.size() + 8);
    const qsizetype n = Text.size();
    for (qsizetype i = 0; i < n;) {
        const char16_t c = Text[i].unicode();
        if (c == u'+') {
            out += "+-";
            ++i;
            continue;
        }
        if (IsUtf7Direct(c)) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        out += '+';
        quint32 bits = 0;
        int bitCount = 0;
        while (i < n && !IsUtf7Direct(Text[i].unicode()) && Text[i].unicode() != u'+') {
            bits = (bits << 16) | Text[i].unicode();
            bitCount += 16;
            while (bitCount >= 6) {
                bitCount -= 6;
                out += Base64Digits[(bits >> bitCount) & 0x3F];
            }
            bits &= (1u << bitCount) - 1;
            ++i;
        }
        if (bitCount > 0)
            out += Base64Digits[(bits << (6 - bitCount)) & 0x3F];
        out += '-'; // always closed, so the next direct character can never be read as base64
    }
    return out;
}

// --- UTF-16 ---

QString DecodeUtf16(const QByteArray &Bytes, qsizetype Start, bool BigEndian)
{
    QString out;
    const qsizetype units = (Bytes.size() - Start) / 2;
    out.reserve(units + 1);
    const auto *p = reinterpret_cast<const unsigned char *>(Bytes.constData()) + Start;
    for (qsizetype i = 0; i < units; ++i, p += 2) {
        const char16_t u =
            BigEndian ? static_cast<char16_t>((p[0] << 8) | p[1]) : static_cast<char16_t>((p[1] << 8) | p[0]);
        out += QChar(u);
    }
    if ((Bytes.size() - Start) % 2 != 0)
        out += QChar(QChar::ReplacementCharacter);
    return out;
}

QByteArray EncodeUtf16(QStringView Text, bool BigEndian)
{
    QByteArray out;
    out.resize(Text.size() * 2);
    char *p = out.data();
    for (const QChar ch : Text) {
        const char16_t u = ch.unicode();
        const char hi = static_cast<char>(u >> 8);
        const char lo = static_cast<char>(u & 0xFF);
        *p++ = BigEndian ? hi : lo;
        *p++ = BigEndian ? lo : hi;
    }
    return out;
}

} // namespace

bool TUtf8FormChecker::Feed(const char *Data, qsizetype Size)
{
    if (Size > 0)
        FSeenAny = true;
    for (qsizetype i = 0; i < Size && FValid; ++i) {
        const auto b = static_cast<unsigned char>(Data[i]);
        if (FPending > 0) {
            if (b < 0x80 || b > 0xBF)
                FValid = false;
            else
                --FPending;
        } else if (b < 0x80) {
            // stands alone
        } else if (b >= 0xC2 && b <= 0xDF) {
            FPending = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            FPending = 2;
        } else if (b >= 0xF0 && b <= 0xF4) {
            FPending = 3;
        } else {
            FValid = false;
        }
    }
    return FValid;
}

bool IsWellFormedUtf8(const QByteArray &Bytes)
{
    TUtf8FormChecker checker;
    checker.Feed(Bytes.constData(), Bytes.size());
    return checker.IsWellFormed();
}

TTextEncoding DetectBytesEncoding(const QByteArray &Bytes, TTextEncoding Default)
{
    if (Bytes.isEmpty())
        return Default;
    TTextEncoding enc;
    if (EncodingFromMark(Bytes, enc))
        return enc;
    return IsWellFormedUtf8(Bytes) ? TTextEncoding::Utf8 : TTextEncoding::Ansi;
}

TTextEncoding DetectFileEncoding(const QString &FileName, TTextEncoding Default)
{
    const QFileInfo info(FileName);
    if (FileName.isEmpty() || !info.exists() || info.isDir())
        return Default;
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return Default;
    const QByteArray head = file.peek(4);
    if (head.isEmpty())
        return Default;
    TTextEncoding enc;
    if (EncodingFromMark(head, enc))
        return enc;
    TUtf8FormChecker checker;
    QByteArray chunk;
    for (;;) {
        chunk = file.read(64 * 1024);
        if (chunk.isEmpty())
            break;
        if (!checker.Feed(chunk.constData(), chunk.size()))
            break;
    }
    return checker.IsWellFormed() ? TTextEncoding::Utf8 : TTextEncoding::Ansi;
}

QByteArray TByteOrderMark(TTextEncoding Enc)
{
    switch (Enc) {
    case TTextEncoding::Utf8:
        return QByteArray("\xEF\xBB\xBF", 3);
    case TTextEncoding::Utf16LE:
        return QByteArray("\xFF\xFE", 2);
    case TTextEncoding::Utf16BE:
        return QByteArray("\xFE\xFF", 2);
    case TTextEncoding::Utf7:
        return QByteArray("+/v8-");
    case TTextEncoding::Ansi:
        break;
    }
    return {};
}

QString DecodeText(const QByteArray &Bytes, TTextEncoding Enc)
{
    switch (Enc) {
    case TTextEncoding::Ansi:
        return QString::fromLatin1(Bytes);
    case TTextEncoding::Utf8: {
        const qsizetype skip = StartsWith(Bytes, {0xEF, 0xBB, 0xBF}) ? 3 : 0;
        return QString::fromUtf8(Bytes.constData() + skip, Bytes.size() - skip);
    }
    case TTextEncoding::Utf16LE:
        return DecodeUtf16(Bytes, StartsWith(Bytes, {0xFF, 0xFE}) ? 2 : 0, false);
    case TTextEncoding::Utf16BE:
        return DecodeUtf16(Bytes, StartsWith(Bytes, {0xFE, 0xFF}) ? 2 : 0, true);
    case TTextEncoding::Utf7: {
        // The mark is U+FEFF in base64 and shares bits with what follows, so it is removed after decoding.
        QString text = DecodeUtf7(Bytes);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    }
    return {};
}

QByteArray EncodeText(const QString &Text, TTextEncoding Enc, bool WithBom)
{
    QByteArray out = WithBom ? TByteOrderMark(Enc) : QByteArray();
    switch (Enc) {
    case TTextEncoding::Ansi:
        out += Text.toLatin1();
        break;
    case TTextEncoding::Utf8:
        out += Text.toUtf8();
        break;
    case TTextEncoding::Utf16LE:
        out += EncodeUtf16(Text, false);
        break;
    case TTextEncoding::Utf16BE:
        out += EncodeUtf16(Text, true);
        break;
    case TTextEncoding::Utf7:
        out += EncodeUtf7(Text);
        break;
    }
    return out;
}

bool CanEncodeLosslessly(const QString &Text, TTextEncoding Enc)
{
    if (Enc != TTextEncoding::Ansi)
        return true;
    for (const QChar ch : Text) {
        if (ch.unicode() > 0xFF)
            return false;
    }
    return true;
}

} // namespace kvn

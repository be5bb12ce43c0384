#include "savegame/siitext.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cstring>
#include <string>

namespace kvn {

namespace {

constexpr char16_t kNul = 0;

struct TByteOrderMark {
    TSiiEncoding Encoding;
    int Length;
};

TByteOrderMark DetectByteOrderMark(const char *Data, qsizetype Size)
{
    const auto *b = reinterpret_cast<const unsigned char *>(Data);
    if (Size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        return {TSiiEncoding::Utf8, 3};
    if (Size >= 2 && b[0] == 0xFF && b[1] == 0xFE)
        return {TSiiEncoding::Utf16LE, 2};
    if (Size >= 2 && b[0] == 0xFE && b[1] == 0xFF)
        return {TSiiEncoding::Utf16BE, 2};
    return {TSiiEncoding::Latin1, 0};
}

// Byte offset (within Data) of the NUL that ends the text, or Size when there is none.
qsizetype FindTextEnd(const char *Data, qsizetype Size, TSiiEncoding Encoding)
{
    if (Encoding == TSiiEncoding::Utf16LE || Encoding == TSiiEncoding::Utf16BE) {
        for (qsizetype i = 0; i + 1 < Size; i += 2)
            if (Data[i] == 0 && Data[i + 1] == 0)
                return i;
        return Size;
    }
    const void *nul = std::memchr(Data, 0, size_t(Size));
    return nul ? static_cast<const char *>(nul) - Data : Size;
}

QString DecodeText(const char *Data, qsizetype Size, TSiiEncoding Encoding)
{
    switch (Encoding) {
    case TSiiEncoding::Latin1:
        return QString::fromLatin1(Data, Size);
    case TSiiEncoding::Utf8:
        return QString::fromUtf8(Data, Size);
    case TSiiEncoding::Utf16LE: {
        QStringDecoder decoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless);
        return decoder.decode(QByteArrayView(Data, Size));
    }
    case TSiiEncoding::Utf16BE: {
        QStringDecoder decoder(QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless);
        return decoder.decode(QByteArrayView(Data, Size));
    }
    }
    return {};
}

// Turns the decoded text into lines that all live in one shared buffer. Each line is a QString
// that shares (and keeps alive) the buffer, so a save of millions of lines costs its text once plus
// one small handle per line instead of one allocation per line. Line ends are replaced in place by
// a NUL, so every line is also NUL-terminated like any QString.
void SplitIntoLines(QString &&Text, QStringList &Lines, TSiiTextForm &Form)
{
    Lines.clear();
    Form.MixedLineEnds.clear();
    Form.FinalLineEnd = false;
    if (Text.isEmpty()) {
        Form.FinalLineEnd = true;
        return;
    }
    char16_t *buffer = reinterpret_cast<char16_t *>(Text.data());
    const qsizetype size = Text.size();

    // Pass 1: compact "line + NUL" in place; the line ends are only kept per line when they differ.
    std::vector<TSiiLineEnd> ends;
    TSiiLineEnd first = TSiiLineEnd::None;
    qsizetype endCount = 0;
    auto noteEnd = [&](TSiiLineEnd End) {
        if (endCount == 0)
            first = End;
        else if (End != first && ends.empty())
            ends.assign(size_t(endCount), first); // from here on, one entry per line
        if (!ends.empty())
            ends.push_back(End);
        ++endCount;
    };
    qsizetype write = 0;
    for (qsizetype read = 0; read < size; ++read) {
        const char16_t c = buffer[read];
        if (c == u'\r') {
            if (read + 1 < size && buffer[read + 1] == u'\n') {
                ++read;
                noteEnd(TSiiLineEnd::CrLf);
            } else {
                noteEnd(TSiiLineEnd::Cr);
            }
            buffer[write++] = kNul;
        } else if (c == u'\n') {
            noteEnd(TSiiLineEnd::Lf);
            buffer[write++] = kNul;
        } else {
            buffer[write++] = c;
        }
    }
    const bool lastLineOpen = write > 0 && buffer[write - 1] != kNul;
    if (lastLineOpen) {
        buffer[write++] = kNul;
        if (!ends.empty())
            ends.push_back(TSiiLineEnd::None);
    }
    Form.FinalLineEnd = !lastLineOpen;
    Form.LineEnd = endCount > 0 ? first : TSiiLineEnd::CrLf;
    Form.MixedLineEnds = std::move(ends);

    // The buffer shrinks to the compacted text before any line refers into it.
    Text.resize(write - 1); // the last NUL is the string's own terminator
    Text.squeeze();
    buffer = reinterpret_cast<char16_t *>(Text.data());
    const qsizetype total = Text.size() + 1;
    qsizetype count = 0;
    for (qsizetype i = 0; i < total; ++i)
        count += buffer[i] == kNul ? 1 : 0;
    Lines.reserve(count);

    // Pass 2: one handle per line into the shared buffer.
    const QString::DataPointer &shared = Text.data_ptr();
    qsizetype start = 0;
    for (qsizetype i = 0; i < total; ++i) {
        if (buffer[i] != kNul)
            continue;
        QString::DataPointer line(shared); // takes a reference on the buffer
        line.ptr = buffer + start;
        line.size = i - start;
        Lines.append(QString(std::move(line)));
        start = i + 1;
    }
}

void ReadDecoded(const char *Data, qsizetype Size, TSiiEncoding Encoding, QStringList &Lines, TSiiTextForm &Form)
{
    const qsizetype end = FindTextEnd(Data, Size, Encoding);
    Form.Tail = end < Size ? QByteArray(Data + end, Size - end) : QByteArray();
    SplitIntoLines(DecodeText(Data, end, Encoding), Lines, Form);
}

// Latin-1 saves (the usual case) are decoded straight from the file in slices, so the raw bytes
// never sit in memory beside the whole decoded text.
bool ReadLatin1File(QFile &File, qint64 Size, QStringList &Lines, TSiiTextForm &Form)
{
    QString text(Size, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    qsizetype produced = 0;
    constexpr qint64 slice = 4 << 20;
    QByteArray chunk;
    bool ended = false;
    while (!ended) {
        chunk = File.read(slice);
        if (chunk.isEmpty())
            break;
        const qsizetype end = FindTextEnd(chunk.constData(), chunk.size(), TSiiEncoding::Latin1);
        const auto *in = reinterpret_cast<const unsigned char *>(chunk.constData());
        const qsizetype room = std::min<qsizetype>(end, text.size() - produced);
        for (qsizetype i = 0; i < room; ++i)
            out[produced + i] = in[i];
        produced += room;
        if (end < chunk.size()) {
            Form.Tail = chunk.mid(end) + File.readAll();
            ended = true;
        }
    }
    if (File.error() != QFileDevice::NoError)
        return false;
    text.resize(produced);
    SplitIntoLines(std::move(text), Lines, Form);
    return true;
}

QByteArray LineEndBytes(TSiiLineEnd End)
{
    switch (End) {
    case TSiiLineEnd::CrLf:
        return QByteArrayLiteral("\r\n");
    case TSiiLineEnd::Lf:
        return QByteArrayLiteral("\n");
    case TSiiLineEnd::Cr:
        return QByteArrayLiteral("\r");
    case TSiiLineEnd::None:
        break;
    }
    return {};
}

void AppendEncoded(QByteArray &Out, QStringView Text, TSiiEncoding Encoding)
{
    switch (Encoding) {
    case TSiiEncoding::Latin1:
        Out += QStringView(Text).toLatin1();
        return;
    case TSiiEncoding::Utf8:
        Out += QStringView(Text).toUtf8();
        return;
    case TSiiEncoding::Utf16LE:
    case TSiiEncoding::Utf16BE: {
        const bool little = Encoding == TSiiEncoding::Utf16LE;
        const qsizetype at = Out.size();
        Out.resize(at + Text.size() * 2);
        char *p = Out.data() + at;
        for (QChar c : Text) {
            const char16_t u = c.unicode();
            *p++ = char(little ? (u & 0xFF) : (u >> 8));
            *p++ = char(little ? (u >> 8) : (u & 0xFF));
        }
        return;
    }
    }
}

QByteArray ByteOrderMarkBytes(TSiiEncoding Encoding)
{
    switch (Encoding) {
    case TSiiEncoding::Utf8:
        return QByteArray("\xEF\xBB\xBF", 3);
    case TSiiEncoding::Utf16LE:
        return QByteArray("\xFF\xFE", 2);
    case TSiiEncoding::Utf16BE:
        return QByteArray("\xFE\xFF", 2);
    case TSiiEncoding::Latin1:
        break;
    }
    return {};
}

// Streams the encoded lines in slices so that writing a large save needs no second full copy.
template <typename Sink> bool EncodeInSlices(const QStringList &Lines, const TSiiTextForm &Form, Sink &&Emit)
{
    QByteArray out;
    if (Form.HasByteOrderMark)
        out += ByteOrderMarkBytes(Form.Encoding);
    const bool mixed = Form.MixedLineEnds.size() == size_t(Lines.size());
    QByteArray ends[4];
    for (int e = 0; e < 4; ++e) {
        const QByteArray bytes = LineEndBytes(TSiiLineEnd(e));
        QString asText = QString::fromLatin1(bytes);
        AppendEncoded(ends[e], asText, Form.Encoding);
    }
    const qsizetype count = Lines.size();
    for (qsizetype i = 0; i < count; ++i) {
        AppendEncoded(out, Lines.at(i), Form.Encoding);
        TSiiLineEnd end = mixed ? Form.MixedLineEnds[size_t(i)] : Form.LineEnd;
        if (i == count - 1 && !Form.FinalLineEnd)
            end = TSiiLineEnd::None;
        else if (end == TSiiLineEnd::None)
            end = Form.LineEnd;
        out += ends[int(end)];
        if (out.size() >= (1 << 20)) {
            if (!Emit(out))
                return false;
            out.clear();
        }
    }
    out += Form.Tail;
    return out.isEmpty() || Emit(out);
}

} // namespace

void ReadSiiBytes(const QByteArray &Bytes, QStringList &Lines, TSiiTextForm &Form)
{
    Form = TSiiTextForm();
    const TByteOrderMark bom = DetectByteOrderMark(Bytes.constData(), Bytes.size());
    Form.Encoding = bom.Encoding;
    Form.HasByteOrderMark = bom.Length > 0;
    ReadDecoded(Bytes.constData() + bom.Length, Bytes.size() - bom.Length, bom.Encoding, Lines, Form);
}

TSiiReadResult ReadSiiFile(const QString &FileName, QStringList &Lines, TSiiTextForm &Form)
{
    Lines.clear();
    Form = TSiiTextForm();
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return {TSiiReadStatus::CannotOpen};
    const qint64 size = file.size();
    if (size > MaxSiiFileSize)
        return {TSiiReadStatus::TooLarge};
    const QByteArray head = file.peek(3);
    const TByteOrderMark bom = DetectByteOrderMark(head.constData(), head.size());
    if (bom.Encoding == TSiiEncoding::Latin1) {
        if (!ReadLatin1File(file, size, Lines, Form))
            return {TSiiReadStatus::CannotOpen};
        return {TSiiReadStatus::Ok};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {TSiiReadStatus::CannotOpen};
    ReadSiiBytes(bytes, Lines, Form);
    return {TSiiReadStatus::Ok};
}

QByteArray EncodeSiiLines(const QStringList &Lines, const TSiiTextForm &Form)
{
    QByteArray all;
    EncodeInSlices(Lines, Form, [&all](const QByteArray &Slice) {
        all += Slice;
        return true;
    });
    return all;
}

bool IsPlainSiiBytes(const QByteArray &Head)
{
    const TByteOrderMark bom = DetectByteOrderMark(Head.constData(), Head.size());
    const char *data = Head.constData() + bom.Length;
    const qsizetype size = Head.size() - bom.Length;
    const qsizetype end = FindTextEnd(data, size, bom.Encoding);
    const QString text = DecodeText(data, end, bom.Encoding);
    return text.startsWith(QLatin1String("SiiNunit"));
}

bool IsPlainSiiText(const QString &FileName)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Eight characters are at most 32 bytes of UTF-8 (plus the mark); 64 bytes are plenty.
    return IsPlainSiiBytes(file.read(64));
}

QStringView TrimmedView(QStringView Line)
{
    qsizetype begin = 0;
    qsizetype end = Line.size();
    while (begin < end && Line[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && Line[end - 1].unicode() <= 0x20)
        --end;
    return Line.sliced(begin, end - begin);
}

bool TrimmedStartsWith(QStringView Line, QStringView Prefix)
{
    const char16_t *p = Line.utf16();
    const qsizetype size = Line.size();
    qsizetype begin = 0;
    while (begin < size && p[begin] <= 0x20)
        ++begin;
    if (size - begin < Prefix.size())
        return false;
    if (Prefix.isEmpty())
        return true;
    if (std::char_traits<char16_t>::compare(p + begin, Prefix.utf16(), size_t(Prefix.size())) != 0)
        return false;
    // A prefix that ends in blanks must not reach into the line's trailing blanks.
    if (Prefix.back().unicode() > 0x20)
        return true;
    return TrimmedView(Line).size() >= Prefix.size();
}

int FindLineFrom(const QStringList &Lines, QStringView Prefix, int Start, TStopFlag Stop)
{
    if (Start < 0)
        Start = 0;
    const qsizetype count = Lines.size();
    for (qsizetype i = Start; i < count; ++i) {
        if (Stop && Stop->load(std::memory_order_relaxed))
            return -1;
        if (TrimmedStartsWith(Lines.at(i), Prefix))
            return int(i);
    }
    return -1;
}

int FindUnitEnd(const QStringList &Lines, int Start)
{
    return FindLineFrom(Lines, u"}", Start);
}

QString SiiLineValue(QStringView Line)
{
    const qsizetype first = Line.indexOf(u':');
    if (first < 0)
        return {};
    const qsizetype second = Line.indexOf(u':', first + 1);
    const QStringView field = second < 0 ? Line.sliced(first + 1) : Line.sliced(first + 1, second - first - 1);
    return TrimmedView(field).toString();
}

QString Unquote(const QString &Value)
{
    if (Value.size() >= 2 && Value.startsWith(u'"') && Value.endsWith(u'"'))
        return Value.mid(1, Value.size() - 2);
    if (Value == QLatin1String("\""))
        return {};
    return Value;
}

namespace {

int HexDigit(QChar C)
{
    const char16_t u = C.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The byte of the escape "\xNN" at At, or -1 when there is none.
int EscapedByte(const QString &Value, qsizetype At)
{
    if (At + 3 >= Value.size() || Value[At] != u'\\' || (Value[At + 1] != u'x' && Value[At + 1] != u'X'))
        return -1;
    const int high = HexDigit(Value[At + 2]);
    const int low = HexDigit(Value[At + 3]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

} // namespace

QString ShownSiiText(const QString &Value)
{
    QString decoded;
    decoded.reserve(Value.size());
    for (qsizetype i = 0; i < Value.size();) {
        // A run of escapes is one UTF-8 sequence or more: the bytes are decoded together.
        QByteArray bytes;
        for (int byte = EscapedByte(Value, i); byte >= 0; byte = EscapedByte(Value, i)) {
            bytes.append(char(byte));
            i += 4;
        }
        if (!bytes.isEmpty()) {
            decoded += QString::fromUtf8(bytes);
            continue;
        }
        decoded += Value[i];
        ++i;
    }
    QString shown;
    shown.reserve(decoded.size());
    for (const QChar c : decoded) {
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
            shown += c;
    }
    return shown;
}

QString ReadUnitValue(const QStringList &Lines, QStringView Key, int Start, int Limit)
{
    const int at = FindLineFrom(Lines, Key, Start);
    if (at < 0 || at >= Limit)
        return {};
    return SiiLineValue(Lines.at(at));
}

int ToIntDefault(QStringView Text, int Default)
{
    bool ok = false;
    const int value = TrimmedView(Text).toInt(&ok, 10);
    return ok ? value : Default;
}

} // namespace kvn

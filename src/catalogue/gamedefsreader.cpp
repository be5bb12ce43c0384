#include "catalogue/gamedefsreader.h"

#include <siicodec/siicodec.h>

#include <QByteArray>
#include <bit>
#include <cstring>
#include <span>

namespace kvn {
namespace {

QString FromUtf8(std::string_view Bytes)
{
    return QString::fromUtf8(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
}

QString PathText(const std::string &Path)
{
    return FromUtf8(Path);
}

int HexDigit(char C)
{
    if (C >= '0' && C <= '9')
        return C - '0';
    if (C >= 'a' && C <= 'f')
        return C - 'a' + 10;
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    return -1;
}

bool IsBlank(char C)
{
    return static_cast<unsigned char>(C) <= 0x20;
}

// Every include costs at least this much of the byte budget, so that files including empty
// files over and over still come to an end.
constexpr std::size_t kIncludeCost = 64;
constexpr std::size_t kMaxTupleBytes = 1024;

} // namespace

QStringList TDefUnit::Array(const QString &Key) const
{
    const auto it = Arrays.constFind(Key);
    if (it == Arrays.constEnd())
        return {};
    return it->values();
}

std::optional<double> TDefUnit::Number(const QString &Key) const
{
    const auto it = Values.constFind(Key);
    if (it == Values.constEnd())
        return std::nullopt;
    return ParseDefNumber(*it);
}

std::optional<bool> TDefUnit::Bool(const QString &Key) const
{
    const QString value = Values.value(Key);
    if (value == QStringLiteral("true"))
        return true;
    if (value == QStringLiteral("false"))
        return false;
    return std::nullopt;
}

std::optional<double> ParseDefNumber(const QString &Text)
{
    const QString text = Text.trimmed();
    if (text.startsWith(u'&')) {
        if (text.size() != 9)
            return std::nullopt;
        std::uint32_t bits = 0;
        for (qsizetype i = 1; i < text.size(); ++i) {
            const int digit = HexDigit(text.at(i).toLatin1());
            if (digit < 0)
                return std::nullopt;
            bits = (bits << 4) | static_cast<std::uint32_t>(digit);
        }
        const float value = std::bit_cast<float>(bits);
        if (value != value) // NaN
            return std::nullopt;
        return static_cast<double>(value);
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || value != value)
        return std::nullopt;
    return value;
}

std::optional<std::string> ResolveIncludePath(const std::string &From, const std::string &Target)
{
    std::vector<std::string> parts;
    std::string_view target = Target;
    // An include names a file: nothing, a folder or a dot part at the end is no file.
    const std::size_t lastSlash = target.rfind('/');
    const std::string_view last = lastSlash == std::string_view::npos ? target : target.substr(lastSlash + 1);
    if (last.empty() || last == "." || last == "..")
        return std::nullopt;
    if (!target.empty() && target.front() == '/') {
        target.remove_prefix(1);
    } else {
        const std::size_t slash = From.rfind('/');
        if (slash != std::string::npos) {
            std::string_view folder(From.data(), slash);
            while (!folder.empty()) {
                const std::size_t next = folder.find('/');
                parts.emplace_back(folder.substr(0, next));
                folder = next == std::string_view::npos ? std::string_view() : folder.substr(next + 1);
            }
        }
    }
    while (!target.empty()) {
        const std::size_t next = target.find('/');
        const std::string_view part = target.substr(0, next);
        target = next == std::string_view::npos ? std::string_view() : target.substr(next + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (parts.empty())
                return std::nullopt;
            parts.pop_back();
            continue;
        }
        parts.emplace_back(part);
    }
    if (parts.empty())
        return std::nullopt;
    std::string path;
    for (const std::string &part : parts) {
        if (!path.empty())
            path += '/';
        path += part;
    }
    return path;
}

// One read of a file with its includes: a lexer over a stack of files and the unit grammar on
// top of it. Iterative, so nesting costs no stack beyond the include limit.
class TDefinitionReader::TParse {
public:
    TParse(TDefinitionReader &Reader, std::vector<TDefUnit> &Units) : R(Reader), FUnits(Units) {}

    void Run(const std::string &Path, std::string Text)
    {
        FBudget = Text.size();
        Push(Path, std::move(Text));
        while (!FFrames.empty())
            Step();
        if (FState != TState::Global && FState != TState::AfterMagic)
            R.Report(TDefProblemKind::Syntax, Path, FUnitLine, QStringLiteral("a unit is not closed"));
    }

private:
    enum class TState : std::uint8_t {
        Global,
        AfterMagic,
        UnitClass,
        UnitName,
        UnitOpen,
        InUnit,
        AttrColon,
        AttrValue,
        AfterTuple, // a placement is two bracketed groups: "(x, y, z) (w; x, y, z)"
    };
    enum class TKind : std::uint8_t { None, Open, Close, Colon, Word, String, Tuple };

    struct TFrame {
        std::string Path;
        std::string Text;
        std::size_t Pos = 0;
        int Line = 1;
        bool AtLineStart = true;
        TState StateAtEntry = TState::Global;
    };

    struct TToken {
        TKind Kind = TKind::None;
        std::string Text;
        int Line = 0;
    };

    void Push(const std::string &Path, std::string Text)
    {
        TFrame frame;
        frame.Path = Path;
        frame.Text = std::move(Text);
        frame.StateAtEntry = FState;
        FFrames.push_back(std::move(frame));
    }

    // Gives up on the rest of the file where the fault is and goes on after its include.
    void Fail(const QString &Detail, int Line)
    {
        TFrame &frame = FFrames.back();
        R.Report(TDefProblemKind::Syntax, frame.Path, Line, Detail);
        FState = frame.StateAtEntry;
        const bool inUnit = FState == TState::InUnit || FState == TState::AttrColon || FState == TState::AttrValue ||
                            FState == TState::AfterTuple;
        if (!inUnit)
            FUnit = TDefUnit();
        FState = inUnit ? TState::InUnit : FState;
        FFrames.pop_back();
    }

    void Step()
    {
        TToken token;
        if (!NextToken(token))
            return; // the frame ended, or an include was pushed or refused
        Parse(token);
    }

    // The next token of the top file; false at its end (the frame is popped) or after an
    // include directive (handled here).
    bool NextToken(TToken &Token)
    {
        TFrame &f = FFrames.back();
        const std::string &t = f.Text;
        while (f.Pos < t.size()) {
            const char c = t[f.Pos];
            if (c == '\n') {
                ++f.Line;
                f.AtLineStart = true;
                ++f.Pos;
                continue;
            }
            if (IsBlank(c)) {
                // The game takes "@include" only at the very start of a line.
                f.AtLineStart = false;
                ++f.Pos;
                continue;
            }
            if (f.AtLineStart && c == '@' && t.compare(f.Pos, 8, "@include") == 0) {
                Include();
                return false;
            }
            f.AtLineStart = false;
            if (c == '#' || (c == '/' && f.Pos + 1 < t.size() && t[f.Pos + 1] == '/')) {
                const std::size_t end = t.find('\n', f.Pos);
                f.Pos = end == std::string::npos ? t.size() : end;
                continue;
            }
            if (c == '/' && f.Pos + 1 < t.size() && t[f.Pos + 1] == '*') {
                const std::size_t end = t.find("*/", f.Pos + 2);
                const std::size_t stop = end == std::string::npos ? t.size() : end + 2;
                for (std::size_t i = f.Pos; i < stop; ++i)
                    f.Line += t[i] == '\n';
                f.Pos = stop;
                continue;
            }
            Token.Line = f.Line;
            Token.Text.clear();
            switch (c) {
            case '{':
                ++f.Pos;
                Token.Kind = TKind::Open;
                return true;
            case '}':
                ++f.Pos;
                Token.Kind = TKind::Close;
                return true;
            case ':':
                ++f.Pos;
                Token.Kind = TKind::Colon;
                return true;
            case '"':
                return ReadString(Token);
            case '(':
                return ReadTuple(Token);
            default:
                ReadWord(Token);
                return true;
            }
        }
        FFrames.pop_back();
        return false;
    }

    bool ReadString(TToken &Token)
    {
        TFrame &f = FFrames.back();
        const std::string &t = f.Text;
        std::size_t i = f.Pos + 1;
        while (i < t.size() && t[i] != '"') {
            const char c = t[i];
            if (c == '\n' || c == '\r')
                break;
            if (c == '\\' && i + 1 < t.size() && t[i + 1] != '\n' && t[i + 1] != '\r') {
                const char e = t[i + 1];
                if (e == 'x' && i + 3 < t.size() && HexDigit(t[i + 2]) >= 0 && HexDigit(t[i + 3]) >= 0) {
                    Token.Text += static_cast<char>(HexDigit(t[i + 2]) * 16 + HexDigit(t[i + 3]));
                    i += 4;
                    continue;
                }
                Token.Text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                i += 2;
                continue;
            }
            Token.Text += c;
            ++i;
        }
        if (i >= t.size() || t[i] != '"') {
            Fail(QStringLiteral("a string is not closed on its line"), f.Line);
            return false;
        }
        f.Pos = i + 1;
        Token.Kind = TKind::String;
        return true;
    }

    bool ReadTuple(TToken &Token)
    {
        TFrame &f = FFrames.back();
        const std::size_t end = std::string_view(f.Text).substr(f.Pos, kMaxTupleBytes).find(')');
        if (end == std::string_view::npos) {
            Fail(QStringLiteral("a bracketed value is not closed"), f.Line);
            return false;
        }
        Token.Text = f.Text.substr(f.Pos, end + 1);
        for (const char c : Token.Text)
            f.Line += c == '\n';
        f.Pos += end + 1;
        Token.Kind = TKind::Tuple;
        return true;
    }

    void ReadWord(TToken &Token)
    {
        TFrame &f = FFrames.back();
        const std::string &t = f.Text;
        const std::size_t start = f.Pos;
        while (f.Pos < t.size()) {
            const char c = t[f.Pos];
            if (IsBlank(c) || c == '{' || c == '}' || c == ':' || c == '"' || c == '(' || c == '#')
                break;
            if (c == '/' && f.Pos + 1 < t.size() && (t[f.Pos + 1] == '/' || t[f.Pos + 1] == '*'))
                break;
            ++f.Pos;
        }
        Token.Text.assign(t, start, f.Pos - start);
        Token.Kind = TKind::Word;
    }

    void Include()
    {
        TFrame &f = FFrames.back();
        const std::string &t = f.Text;
        const int line = f.Line;
        std::size_t end = t.find('\n', f.Pos);
        if (end == std::string::npos)
            end = t.size();
        const std::string_view rest(t.data() + f.Pos + 8, end - f.Pos - 8);
        f.Pos = end;
        const std::size_t open = rest.find('"');
        const std::size_t close = open == std::string_view::npos ? open : rest.find('"', open + 1);
        if (close == std::string_view::npos) {
            Fail(QStringLiteral("@include without a quoted file name"), line);
            return;
        }
        const std::string target(rest.substr(open + 1, close - open - 1));
        const std::string from = f.Path;
        const std::optional<std::string> path = ResolveIncludePath(from, target);
        if (!path) {
            R.Report(TDefProblemKind::IncludeMissing, from, line,
                     QStringLiteral("bad include path ") + FromUtf8(target));
            return;
        }
        for (const TFrame &open_frame : FFrames) {
            if (open_frame.Path == *path) {
                R.Report(TDefProblemKind::IncludeCycle, from, line, PathText(*path));
                return;
            }
        }
        if (static_cast<int>(FFrames.size()) > R.FLimits.MaxIncludeDepth) {
            R.Report(TDefProblemKind::IncludeTooDeep, from, line, PathText(*path));
            return;
        }
        FBudget += kIncludeCost;
        if (FBudget > R.FLimits.MaxTotalBytes) {
            R.Report(TDefProblemKind::TooLarge, from, line, PathText(*path));
            FFrames.clear(); // nothing more of this read fits
            return;
        }
        std::vector<std::uint8_t> bytes;
        std::string text;
        if (!R.LoadText(*path, bytes, text, line, from))
            return;
        FBudget += text.size();
        if (FBudget > R.FLimits.MaxTotalBytes) {
            R.Report(TDefProblemKind::TooLarge, from, line, PathText(*path));
            FFrames.clear();
            return;
        }
        Push(*path, std::move(text));
    }

    void Parse(TToken &Token)
    {
        switch (FState) {
        case TState::Global:
        case TState::AfterMagic:
            if (Token.Kind == TKind::Open && FState == TState::AfterMagic) {
                FState = TState::Global;
                return;
            }
            if (Token.Kind == TKind::Close) {
                return; // the end of the file's global scope
            }
            if (Token.Kind == TKind::Word &&
                QByteArray::fromStdString(Token.Text).compare("SiiNunit", Qt::CaseInsensitive) == 0) {
                FState = TState::AfterMagic;
                return;
            }
            if (Token.Kind != TKind::Word)
                return Fail(QStringLiteral("a unit class was expected"), Token.Line);
            FUnit = TDefUnit();
            FUnit.Class = FromUtf8(Token.Text);
            FUnit.File = PathText(FFrames.back().Path);
            FUnit.Line = FUnitLine = Token.Line;
            FState = TState::UnitClass;
            return;
        case TState::UnitClass:
            if (Token.Kind != TKind::Colon)
                return Fail(QStringLiteral("\":\" after the unit class was expected"), Token.Line);
            FState = TState::UnitName;
            return;
        case TState::UnitName:
            if (Token.Kind != TKind::Word && Token.Kind != TKind::String)
                return Fail(QStringLiteral("a unit name was expected"), Token.Line);
            FUnit.Name = FromUtf8(Token.Text);
            FState = TState::UnitOpen;
            return;
        case TState::UnitOpen:
            if (Token.Kind != TKind::Open)
                return Fail(QStringLiteral("\"{\" after the unit name was expected"), Token.Line);
            FState = TState::InUnit;
            return;
        case TState::InUnit:
            if (Token.Kind == TKind::Close) {
                FUnits.push_back(std::move(FUnit));
                FUnit = TDefUnit();
                FState = TState::Global;
                return;
            }
            if (Token.Kind != TKind::Word)
                return Fail(QStringLiteral("an attribute name was expected"), Token.Line);
            FAttribute = std::move(Token.Text);
            FState = TState::AttrColon;
            return;
        case TState::AttrColon:
            if (Token.Kind != TKind::Colon)
                return Fail(QStringLiteral("\":\" after the attribute name was expected"), Token.Line);
            FState = TState::AttrValue;
            return;
        case TState::AttrValue:
            if (Token.Kind != TKind::Word && Token.Kind != TKind::String && Token.Kind != TKind::Tuple)
                return Fail(QStringLiteral("a value was expected"), Token.Line);
            FValue = std::move(Token.Text);
            FValueLine = Token.Line;
            if (Token.Kind == TKind::Tuple) {
                FState = TState::AfterTuple;
                return;
            }
            FState = TState::InUnit;
            Store();
            return;
        case TState::AfterTuple: {
            if (Token.Kind == TKind::Tuple && FValue.size() <= kMaxTupleBytes) {
                FValue += ' ';
                FValue += Token.Text;
                return;
            }
            FState = TState::InUnit;
            const std::size_t frames = FFrames.size();
            Store();
            if (FFrames.size() == frames) // the token still belongs to an open file
                Parse(Token);
            return;
        }
        }
    }

    // Puts the value just read under its attribute.
    void Store()
    {
        const std::size_t bracket = FAttribute.find('[');
        const QString value = FromUtf8(FValue);
        if (bracket == std::string::npos) {
            FUnit.Values.insert(FromUtf8(FAttribute), value);
            return;
        }
        if (FAttribute.back() != ']')
            return Fail(QStringLiteral("a bad array attribute"), FValueLine);
        const QString name = FromUtf8(std::string_view(FAttribute).substr(0, bracket));
        const std::string_view index(FAttribute.data() + bracket + 1, FAttribute.size() - bracket - 2);
        QMap<int, QString> &entries = FUnit.Arrays[name];
        if (index.empty()) {
            const int next = entries.isEmpty() ? 0 : entries.lastKey() + 1;
            if (next > R.FLimits.MaxArrayIndex)
                return Fail(QStringLiteral("an array is too long"), FValueLine);
            entries.insert(next, value);
            return;
        }
        int at = 0;
        for (const char c : index) {
            if (c < '0' || c > '9' || at > R.FLimits.MaxArrayIndex)
                return Fail(QStringLiteral("a bad array index"), FValueLine);
            at = at * 10 + (c - '0');
        }
        if (at > R.FLimits.MaxArrayIndex)
            return Fail(QStringLiteral("a bad array index"), FValueLine);
        entries.insert(at, value);
    }

    TDefinitionReader &R;
    std::vector<TDefUnit> &FUnits;
    std::vector<TFrame> FFrames;
    TState FState = TState::Global;
    TDefUnit FUnit;
    int FUnitLine = 0;
    std::string FAttribute;
    std::string FValue;
    int FValueLine = 0;
    std::size_t FBudget = 0;
};

TDefinitionReader::TDefinitionReader(const archives::IGameFileSource &Files, TDefReadLimits Limits)
    : FFiles(Files), FLimits(Limits)
{
}

void TDefinitionReader::Report(TDefProblemKind Kind, const std::string &File, int Line, const QString &Detail)
{
    // A damaged mod can repeat one fault many times; a few hundred tell the story.
    if (FProblems.size() >= 1000)
        return;
    FProblems.push_back({Kind, PathText(File), Line, Detail});
}

bool TDefinitionReader::LoadText(const std::string &Path, std::vector<std::uint8_t> &Bytes, std::string &Text,
                                 int IncludedFromLine, const std::string &IncludedFrom)
{
    const std::string &where = IncludedFrom.empty() ? Path : IncludedFrom;
    std::string error;
    Bytes.clear();
    if (!FFiles.ReadFile(Path, Bytes, error)) {
        const TDefProblemKind kind = IncludedFrom.empty() || FFiles.HasFile(Path) ? TDefProblemKind::CannotRead
                                                                                  : TDefProblemKind::IncludeMissing;
        Report(kind, where, IncludedFromLine,
               PathText(Path) + (error.empty() ? QString() : QStringLiteral(": ") + FromUtf8(error)));
        return false;
    }
    if (!DecodeText(Path, Bytes, Text))
        return false;
    FFilesRead.insert(Path);
    return true;
}

bool TDefinitionReader::DecodeText(const std::string &Path, const std::vector<std::uint8_t> &Bytes, std::string &Text)
{
    if (Bytes.size() > FLimits.MaxFileBytes) {
        Report(TDefProblemKind::TooLarge, Path, 0, QString());
        return false;
    }
    const std::span<const std::uint8_t> data(Bytes);
    switch (siicodec::DetectForm(data)) {
    case siicodec::Form::Scrambled3nK: {
        siicodec::TextBuffer buffer;
        siicodec::Options options;
        options.maxTextBytes = FLimits.MaxFileBytes;
        options.maxPayloadBytes = FLimits.MaxFileBytes;
        const siicodec::Result result = siicodec::Descramble3nK(data, buffer, options);
        if (!result.Ok()) {
            Report(TDefProblemKind::NotText, Path, 0, FromUtf8(result.message));
            return false;
        }
        Text.assign(buffer.View());
        break;
    }
    case siicodec::Form::Encrypted:
    case siicodec::Form::Binary:
        Report(TDefProblemKind::NotText, Path, 0, QString());
        return false;
    case siicodec::Form::TooShort:
        // A known magic with too little behind it is a damaged file, not text.
        if (Bytes.size() >= 4) {
            Report(TDefProblemKind::NotText, Path, 0, QString());
            return false;
        }
        [[fallthrough]];
    default: {
        std::size_t skip = 0;
        if (Bytes.size() >= 3 && Bytes[0] == 0xEF && Bytes[1] == 0xBB && Bytes[2] == 0xBF)
            skip = 3;
        Text.assign(reinterpret_cast<const char *>(Bytes.data()) + skip, Bytes.size() - skip);
        break;
    }
    }
    // A NUL ends the text, as it does for the program's other SII readers.
    const std::size_t nul = Text.find('\0');
    if (nul != std::string::npos)
        Text.resize(nul);
    return true;
}

bool TDefinitionReader::ReadFile(const std::string &Path, std::vector<TDefUnit> &Units)
{
    std::vector<std::uint8_t> bytes;
    std::string text;
    if (!LoadText(Path, bytes, text, 0, {}))
        return false;
    bytes = {};
    TParse(*this, Units).Run(Path, std::move(text));
    return true;
}

void TDefinitionReader::ReadBytes(const std::string &Path, const std::vector<std::uint8_t> &Bytes,
                                  std::vector<TDefUnit> &Units)
{
    std::string text;
    if (DecodeText(Path, Bytes, text))
        TParse(*this, Units).Run(Path, std::move(text));
}

} // namespace kvn

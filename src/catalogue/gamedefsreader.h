// Reads the game's own definition files (plain SII text, or 3nK-scrambled) into units: the
// `class : name { attribute: value }` blocks, with `@include` followed relative to the including
// file, comments dropped, quoted strings unescaped. Files come only through IGameFileSource, and
// every file is outside input: sizes, include depth and include cycles are all bounded.
#pragma once

#include "archives/gamefilesource.h"

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kvn {

// One unit as the file spells it. Values are kept as text (strings already unquoted and
// unescaped); the typed readers below convert them on demand.
struct TDefUnit {
    QString Class;
    QString Name;
    QString File; // the game path of the file the unit header stands in
    int Line = 0;
    QHash<QString, QString> Values;            // the last value of each plain attribute
    QHash<QString, QMap<int, QString>> Arrays; // `attr[]:` and `attr[N]:` entries by index

    bool Has(const QString &Key) const { return Values.contains(Key); }
    QString Text(const QString &Key) const { return Values.value(Key); }
    // The entries of `Key[]` in index order; empty when the unit has none.
    QStringList Array(const QString &Key) const;
    // A number in decimal or `&hex` (IEEE single) notation; nothing when absent or not a number.
    std::optional<double> Number(const QString &Key) const;
    // "true" or "false"; nothing otherwise.
    std::optional<bool> Bool(const QString &Key) const;
};

// A number as the game writes it: decimal ("0.25", "-3", "1e3") or `&` followed by the eight hex
// digits of an IEEE single ("&3f800000" = 1). Nothing for anything else.
std::optional<double> ParseDefNumber(const QString &Text);

enum class TDefProblemKind : std::uint8_t {
    CannotRead,     // missing file or a damaged archive entry
    NotText,        // encrypted or binary form, not used for definitions
    TooLarge,       // a file, or a file with its includes, beyond the limits
    Syntax,         // the text is not SII; units before the fault are kept
    IncludeMissing, // an @include names a file that is not there
    IncludeTooDeep, // includes nested beyond the limit
    IncludeCycle,   // a file includes itself, directly or through others
};

// Something that kept part of the definitions from being read; the reader goes on with the rest.
struct TDefProblem {
    TDefProblemKind Kind = TDefProblemKind::Syntax;
    QString File;
    int Line = 0;   // 0 when the problem is with the whole file
    QString Detail; // the archive's message or what the parser expected, in English
};

struct TDefReadLimits {
    std::size_t MaxFileBytes = std::size_t(32) << 20;
    // One file with everything it includes.
    std::size_t MaxTotalBytes = std::size_t(128) << 20;
    int MaxIncludeDepth = 16;
    int MaxArrayIndex = 1 << 20;
};

class TDefinitionReader {
public:
    explicit TDefinitionReader(const archives::IGameFileSource &Files, TDefReadLimits Limits = {});

    // Reads one file with its includes and appends its units to Units in file order. False when
    // the file itself could not be read at all; problems inside it are recorded and reading goes
    // on with what can be read.
    bool ReadFile(const std::string &Path, std::vector<TDefUnit> &Units);
    // The same for text already in memory, named Path for includes and messages.
    void ReadBytes(const std::string &Path, const std::vector<std::uint8_t> &Bytes, std::vector<TDefUnit> &Units);

    const std::vector<TDefProblem> &Problems() const { return FProblems; }
    // Every file read so far, top-level and included.
    const std::set<std::string> &FilesRead() const { return FFilesRead; }

private:
    class TParse;
    bool LoadText(const std::string &Path, std::vector<std::uint8_t> &Bytes, std::string &Text, int IncludedFromLine,
                  const std::string &IncludedFrom);
    // Plain text of a file's bytes: descrambled when 3nK, without a byte-order mark, up to a NUL.
    bool DecodeText(const std::string &Path, const std::vector<std::uint8_t> &Bytes, std::string &Text);
    void Report(TDefProblemKind Kind, const std::string &File, int Line, const QString &Detail);

    const archives::IGameFileSource &FFiles;
    TDefReadLimits FLimits;
    std::vector<TDefProblem> FProblems;
    std::set<std::string> FFilesRead;
};

// The path an `@include "Target"` in the file From stands for: relative to From's folder, or to
// the root with a leading "/". "." and ".." are resolved; nothing when ".." leaves the root.
std::optional<std::string> ResolveIncludePath(const std::string &From, const std::string &Target);

} // namespace kvn

#include "catalogue/distances.h"

#include "catalogue/fields.h"
#include "catalogue/resources.h"
#include "shared/encoding.h"
#include "shared/files.h"
#include "shared/strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSet>

namespace kvn {
namespace {

// City tokens are ASCII; the user's locale has no say in how they are lowered.
QString LowerCity(const QString &Name)
{
    return AsciiLower(Name);
}

QString PairKey(const QString &A, const QString &B)
{
    return AsciiLower(A) + QChar(0) + AsciiLower(B);
}

bool IsStorableCityName(const QString &Name)
{
    if (Name.isEmpty())
        return false;
    for (const QChar c : Name) {
        if (IsBlankOrControl(c) || c == u',')
            return false;
    }
    return true;
}

struct TUserFile {
    bool Readable = true; // false: exists but could not be read (or is too big to be ours)
    bool Exists = false;
    TTextEncoding Encoding = TTextEncoding::Ansi;
    bool HasBom = false;
    QString Text;
};

// A file without a byte-order mark is in the 8-bit code page; a mark decides otherwise.
TUserFile ReadUserFile(const QString &Path)
{
    TUserFile file;
    if (!IsExistingFile(Path))
        return file;
    file.Exists = true;
    QFile f(Path);
    if (f.size() > TDistances::kMaxUserFileBytes || !f.open(QIODevice::ReadOnly)) {
        file.Readable = false;
        return file;
    }
    QByteArray bytes;
    if (!ReadFileAtMost(f, TDistances::kMaxUserFileBytes, bytes)) {
        file.Readable = false;
        return file;
    }
    file.Text = DecodeDistanceUserBytes(bytes, &file.Encoding, &file.HasBom);
    return file;
}

QStringList SplitLines(const QString &Text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return Text.split(lineBreak);
}

} // namespace

// ------------------------------------------------------------------------------------------------

TDistanceData::TDistanceData(const QString &Departure, const QString &Destination, std::int32_t Distance,
                             std::int32_t FerryTime, bool DistanceIsUnknown, bool Learnt)
    : FDeparture(Departure), FDestination(Destination), FDistance(Distance < 0 ? 0 : Distance), FFerryTime(FerryTime),
      FNeedsFerry(FerryTime > 0), FDistanceIsUnknown(DistanceIsUnknown), FLearnt(Learnt)
{
}

TDistanceData::TDistanceData(const TDistanceData &Other)
    : FDeparture(Other.FDeparture), FDestination(Other.FDestination), FDistance(Other.FDistance),
      FFerryTime(Other.FFerryTime), FNeedsFerry(Other.FNeedsFerry), FDistanceIsUnknown(Other.FDistanceIsUnknown),
      FLearnt(Other.FLearnt), FItemDeactivatedForProfile(Other.ItemDeactivatedForProfile())
{
}

TDistanceData &TDistanceData::operator=(const TDistanceData &Other)
{
    FDeparture = Other.FDeparture;
    FDestination = Other.FDestination;
    FDistance = Other.FDistance;
    FFerryTime = Other.FFerryTime;
    FNeedsFerry = Other.FNeedsFerry;
    FDistanceIsUnknown = Other.FDistanceIsUnknown;
    FLearnt = Other.FLearnt;
    SetItemDeactivatedForProfile(Other.ItemDeactivatedForProfile());
    return *this;
}

// ------------------------------------------------------------------------------------------------

namespace {

bool IsKnownKm(std::int32_t Km)
{
    return Km > 0 && Km != kUnknownDistanceKm;
}

// The four fields of a table line, or an empty list for comments and malformed lines.
QStringList TableFields(const QString &Line)
{
    const QString line = TrimControl(Line);
    if (line.isEmpty() || line.startsWith(u'#'))
        return {};
    QStringList fields = Explode(QStringLiteral(","), line);
    if (fields.size() != 4)
        return {};
    return fields;
}

} // namespace

std::shared_ptr<const TDistanceTable> TDistanceTable::Build(const QStringList &CompiledLines,
                                                            const QStringList &UserLines,
                                                            std::shared_ptr<const TCityPositions> Positions)
{
    auto table = std::make_shared<TDistanceTable>();
    table->FPositions = std::move(Positions);
    table->FEntries.reserve(static_cast<std::size_t>(CompiledLines.size() + UserLines.size()));
    table->FFirstIndex.reserve(CompiledLines.size() + UserLines.size());
    table->FFirstEitherWay.reserve(CompiledLines.size() + UserLines.size());
    // The first known distance the user's lines give each ordered pair.
    TLearntValues learnt;
    for (const QString &line : UserLines) {
        const QStringList fields = TableFields(line);
        if (fields.isEmpty())
            continue;
        const std::int32_t km = FieldToInt(fields[2], 0);
        if (IsKnownKm(km))
            learnt.insert(std::make_pair(fields[0], fields[1]), std::make_pair(km, FieldToInt(fields[3], -1)));
    }
    for (const QString &line : CompiledLines)
        table->AddLine(line, false, learnt.isEmpty() ? nullptr : &learnt);
    for (const QString &line : UserLines)
        table->AddLine(line, true, nullptr);
    table->FEntries.shrink_to_fit();
    if (table->FPositions)
        table->FindFerryCountries();
    return table;
}

void TDistanceTable::AddLine(const QString &Line, bool FromUserFile, const TLearntValues *Learnt)
{
    const QStringList fields = TableFields(Line);
    if (fields.isEmpty())
        return;
    if (FromUserFile && DistanceExists(fields[0], fields[1]))
        return;
    std::int32_t raw = FieldToInt(fields[2], 0);
    std::int32_t ferry = FieldToInt(fields[3], -1);
    bool learnt = FromUserFile;
    if (Learnt) {
        const auto it = Learnt->constFind(std::make_pair(fields[0], fields[1]));
        if (it != Learnt->cend() && it->first != raw) {
            raw = it->first;
            ferry = it->second;
            learnt = true;
        }
    }
    FEntries.emplace_back(fields[0], fields[1], raw, ferry, !IsKnownKm(raw), learnt);
    // Only the first entry of an ordered pair is ever answered; later ones stay in the list for
    // those who walk it.
    const auto index = static_cast<qsizetype>(FEntries.size() - 1);
    auto key = std::make_pair(fields[0], fields[1]);
    if (!FFirstIndex.contains(key))
        FFirstIndex.insert(key, index);
    if (key.second < key.first)
        std::swap(key.first, key.second);
    if (!FFirstEitherWay.contains(key))
        FFirstEitherWay.insert(std::move(key), index);
}

void TDistanceTable::FindFerryCountries()
{
    for (const TDistanceData &entry : FEntries) {
        if (!entry.NeedsFerry())
            continue;
        QString a = FPositions->CountryOf(entry.Departure());
        QString b = FPositions->CountryOf(entry.Destination());
        if (a.isEmpty() || b.isEmpty())
            continue;
        if (b < a)
            std::swap(a, b);
        FFerryCountries.insert(std::make_pair(a, b));
    }
}

qsizetype TDistanceTable::FirstIndex(const QString &Departure, const QString &Destination) const
{
    const auto it = FFirstIndex.constFind(std::make_pair(Departure, Destination));
    return it == FFirstIndex.cend() ? -1 : it.value();
}

bool TDistanceTable::DistanceExists(const QString &Departure, const QString &Destination) const
{
    if (Departure.isEmpty() || Destination.isEmpty() || FEntries.empty())
        return false;
    return FirstIndex(Departure, Destination) >= 0;
}

const TDistanceData *TDistanceTable::FindEitherWay(const QString &Departure, const QString &Destination) const
{
    const auto it = Destination < Departure ? FFirstEitherWay.constFind(std::make_pair(Destination, Departure))
                                            : FFirstEitherWay.constFind(std::make_pair(Departure, Destination));
    return it == FFirstEitherWay.cend() ? nullptr : &FEntries[static_cast<std::size_t>(it.value())];
}

TDistanceDataResult TDistanceTable::GetDistance(const QString &Departure, const QString &Destination) const
{
    TDistanceDataResult result;
    const QString a = LowerCity(Departure);
    const QString b = LowerCity(Destination);
    if (const TDistanceData *entry = FindEitherWay(a, b)) {
        result.KM = entry->Distance();
        result.FerryTime = entry->FerryTime();
        result.NeedsFerry = entry->NeedsFerry();
        if (!entry->DistanceIsUnknown()) {
            result.Source = entry->Learnt() ? TDistanceSource::Learnt : TDistanceSource::Compiled;
            return result;
        }
    }
    const std::int32_t estimate = FPositions ? FPositions->EstimateKm(a, b) : 0;
    if (estimate < 1)
        return result;
    result.KM = estimate;
    result.Source = TDistanceSource::Estimated;
    QString countryA = FPositions->CountryOf(a);
    QString countryB = FPositions->CountryOf(b);
    if (countryB < countryA)
        std::swap(countryA, countryB);
    // Without countries nothing rules a ferry out.
    result.MayCrossWater =
        result.NeedsFerry || countryA.isEmpty() || FFerryCountries.contains(std::make_pair(countryA, countryB));
    return result;
}

TDistanceCoverage TDistanceTable::Coverage(bool WithEstimable) const
{
    TDistanceCoverage coverage;
    for (auto it = FFirstEitherWay.cbegin(); it != FFirstEitherWay.cend(); ++it) {
        const TDistanceData &entry = FEntries[static_cast<std::size_t>(it.value())];
        if (it.key().first == it.key().second || entry.DistanceIsUnknown())
            continue;
        ++(entry.Learnt() ? coverage.Learnt : coverage.FromTable);
    }
    if (!WithEstimable || !FPositions)
        return coverage;
    QStringList cities = FPositions->Cities();
    cities.sort();
    for (qsizetype i = 0; i < cities.size(); ++i)
        for (qsizetype j = i + 1; j < cities.size(); ++j) {
            const TDistanceData *known = FindEitherWay(cities[i], cities[j]);
            if ((!known || known->DistanceIsUnknown()) && FPositions->EstimateKm(cities[i], cities[j]) > 0)
                ++coverage.Estimable;
        }
    return coverage;
}

void TDistanceTable::ResetDistanceDeactivation() const
{
    for (const TDistanceData &entry : FEntries)
        entry.SetItemDeactivatedForProfile(false);
}

// ------------------------------------------------------------------------------------------------

QString DecodeDistanceUserBytes(const QByteArray &Bytes, TTextEncoding *Encoding, bool *HasBom)
{
    TTextEncoding encoding = TTextEncoding::Ansi;
    bool hasBom = false;
    for (const TTextEncoding enc :
         {TTextEncoding::Utf8, TTextEncoding::Utf16LE, TTextEncoding::Utf16BE, TTextEncoding::Utf7}) {
        const QByteArray bom = TByteOrderMark(enc);
        if (!bom.isEmpty() && Bytes.startsWith(bom)) {
            encoding = enc;
            hasBom = true;
            break;
        }
    }
    if (Encoding)
        *Encoding = encoding;
    if (HasBom)
        *HasBom = hasBom;
    return DecodeText(Bytes, encoding);
}

QStringList SplitDistanceUserText(const QString &Text)
{
    const QString trimmed = TrimControl(Text);
    if (trimmed.isEmpty())
        return {};
    return SplitLines(trimmed);
}

TDistances::TDistances(const QString &UserFolder) : FTable(std::make_shared<TDistanceTable>()), FUserFolder(UserFolder)
{
}

void TDistances::SetUserFolder(const QString &UserFolder)
{
    QMutexLocker lock(&FRebuildMutex);
    FUserFolder = UserFolder;
}

QString TDistances::UserFolder() const
{
    QMutexLocker lock(&FRebuildMutex);
    return FUserFolder;
}

QString TDistances::UserFilePath() const
{
    if (FUserFolder.isEmpty())
        return {};
    return QDir(FUserFolder).filePath(UserFileName());
}

void TDistances::SetCompiledLines(const QStringList &Lines)
{
    QMutexLocker lock(&FRebuildMutex);
    FCompiledLines = Lines;
    FCompiledLinesSet = true;
}

QStringList TDistances::CompiledLines()
{
    if (!FCompiledLinesSet) {
        FCompiledLines = CatalogueLines(QStringLiteral("Distances"), false);
        FCompiledLinesSet = true;
    }
    return FCompiledLines;
}

std::shared_ptr<const TCityPositions> TDistances::Positions()
{
    if (!FPositions)
        FPositions = TCityPositions::FromLines(CatalogueLines(QStringLiteral("CityPositions"), false),
                                               CatalogueLines(QStringLiteral("Countries"), true));
    return FPositions;
}

std::shared_ptr<const TDistanceTable> TDistances::Snapshot() const
{
    QMutexLocker lock(&FSnapshotMutex);
    return FTable;
}

void TDistances::ReloadDistances()
{
    QMutexLocker rebuild(&FRebuildMutex);
    QStringList userLines;
    const QString path = UserFilePath();
    if (!path.isEmpty()) {
        const TUserFile file = ReadUserFile(path);
        if (file.Readable)
            userLines = SplitDistanceUserText(file.Text);
    }
    auto table = TDistanceTable::Build(CompiledLines(), userLines, Positions());
    QMutexLocker lock(&FSnapshotMutex);
    FTable = std::move(table);
}

TSaveUserDistancesResult TDistances::SaveUserDistances(const std::vector<TLearnedDistance> &Offers)
{
    TSaveUserDistancesResult result;
    if (Offers.empty())
        return result;
    QString path;
    TUserFile file;
    QStringList lines;
    {
        QMutexLocker rebuild(&FRebuildMutex);
        path = UserFilePath();
        if (path.isEmpty()) {
            result.Ok = false;
            result.Error = QStringLiteral("No folder for the learnt distances.");
            return result;
        }
        file = ReadUserFile(path);
        if (!file.Readable) {
            // Writing now would replace lines we could not read: leave the file as it is.
            result.Ok = false;
            result.Error =
                QStringLiteral("The learnt distances in %1 could not be read.").arg(QDir::toNativeSeparators(path));
            return result;
        }
        if (file.Exists) {
            lines = SplitLines(file.Text);
            if (!lines.isEmpty() && lines.last().isEmpty())
                lines.removeLast();
        }

        QSet<QString> pairs;
        for (const QString &line : std::as_const(lines)) {
            const QStringList fields = Explode(QStringLiteral(","), line);
            if (fields.size() >= 2)
                pairs.insert(PairKey(fields[0], fields[1]));
        }
        const auto appendBoth = [&](const TLearnedDistance &offer) {
            const QString km = QString::number(offer.KM);
            const QString ferry = QString::number(offer.FerryTime);
            lines.append(offer.Departure + u',' + offer.Target + u',' + km + u',' + ferry);
            lines.append(offer.Target + u',' + offer.Departure + u',' + km + u',' + ferry);
            pairs.insert(PairKey(offer.Departure, offer.Target));
            pairs.insert(PairKey(offer.Target, offer.Departure));
            ++result.AddedPairs;
        };
        for (const TLearnedDistance &offer : Offers) {
            // A name the file's encoding cannot hold would come back as another city, and one
            // with a comma or a line break would turn into other lines.
            if (!IsStorableCityName(offer.Departure) || !IsStorableCityName(offer.Target) ||
                !CanEncodeLosslessly(offer.Departure + offer.Target, file.Encoding))
                continue;
            if (!pairs.contains(PairKey(offer.Departure, offer.Target)))
                appendBoth(offer);
            if (!pairs.contains(PairKey(offer.Target, offer.Departure)))
                appendBoth(offer);
        }
        if (result.AddedPairs > 0) {
            QString text;
            for (const QString &line : std::as_const(lines))
                text += line + QStringLiteral("\r\n");
            QString error;
            if (!WriteFileAtomically(path, EncodeText(text, file.Encoding, file.HasBom), &error)) {
                result.Ok = false;
                result.AddedPairs = 0;
                result.Error = error.isEmpty() ? QStringLiteral("The learnt distances could not be saved.") : error;
                return result; // the table stays as it was
            }
        }
    }
    ReloadDistances();
    return result;
}

bool TDistances::DistanceExists(const QString &Departure, const QString &Destination) const
{
    return Snapshot()->DistanceExists(Departure, Destination);
}

TDistanceDataResult TDistances::GetDistance(const QString &Departure, const QString &Destination) const
{
    return Snapshot()->GetDistance(Departure, Destination);
}

void TDistances::ResetDistanceDeactivation() const
{
    Snapshot()->ResetDistanceDeactivation();
}

} // namespace kvn

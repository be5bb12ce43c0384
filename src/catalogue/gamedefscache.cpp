#include "catalogue/gamedefscache.h"

#include "shared/files.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QStringList>

namespace kvn {

namespace {

// Changes whenever the layout below changes, so an old file is read as "no cache".
constexpr quint32 kMagic = 0x4b564e43; // "KVNC"
constexpr quint32 kLayout = 1;
// Far beyond the game with every DLC and a big map mod.
constexpr quint32 kMaxRecords = 200000;
constexpr qint64 kMaxCacheFile = qint64(256) << 20;

// Every record is written field by field through one function per type, used both ways.
class TWriter {
public:
    explicit TWriter(QDataStream &Stream) : S(Stream) {}
    void Field(const QString &V) { S << V; }
    void Field(const QStringList &V)
    {
        S << quint32(V.size());
        for (const QString &s : V)
            S << s;
    }
    void Field(double V) { S << V; }
    void Field(bool V) { S << V; }
    void Field(std::int32_t V) { S << qint32(V); }
    QDataStream &S;
};

class TReader {
public:
    explicit TReader(QDataStream &Stream, qint64 Size) : S(Stream), FSize(Size) {}
    bool Ok() const { return S.status() == QDataStream::Ok; }
    // A count may not promise more entries than bytes are left.
    bool Count(quint32 &N, quint32 Limit)
    {
        S >> N;
        if (!Ok() || N > Limit || qint64(N) > FSize - S.device()->pos()) {
            S.setStatus(QDataStream::ReadCorruptData);
            return false;
        }
        return true;
    }
    void Field(QString &V) { S >> V; }
    void Field(QStringList &V)
    {
        quint32 n = 0;
        if (!Count(n, kMaxRecords))
            return;
        V.clear();
        for (quint32 i = 0; i < n && Ok(); ++i) {
            QString s;
            S >> s;
            V.append(s);
        }
    }
    void Field(double &V) { S >> V; }
    void Field(bool &V) { S >> V; }
    void Field(std::int32_t &V)
    {
        qint32 v = 0;
        S >> v;
        V = v;
    }
    QDataStream &S;

private:
    qint64 FSize;
};

// One function per record type lists its fields for both directions, so writing and reading
// cannot drift apart.
template <class TIo> void Fields(TIo &Io, TGameCountry &C)
{
    Io.Field(C.Token), Io.Field(C.Name), Io.Field(C.Code);
}
template <class TIo> void Fields(TIo &Io, TGameCity &C)
{
    Io.Field(C.Token), Io.Field(C.Name), Io.Field(C.CountryToken);
}
template <class TIo> void Fields(TIo &Io, TGameCompany &C)
{
    Io.Field(C.Token), Io.Field(C.Name), Io.Field(C.Cities), Io.Field(C.CargoIn), Io.Field(C.CargoOut);
}
template <class TIo> void Fields(TIo &Io, TGameCargo &C)
{
    Io.Field(C.Token), Io.Field(C.Name), Io.Field(C.Fragility), Io.Field(C.Valuable), Io.Field(C.Overweight);
    Io.Field(C.AdrClass), Io.Field(C.Groups), Io.Field(C.Volume), Io.Field(C.Mass), Io.Field(C.RewardPerKm);
    Io.Field(C.MinimumDistance), Io.Field(C.MaximumDistance), Io.Field(C.BodyTypes);
}
template <class TIo> void Fields(TIo &Io, TGameTrailer &T)
{
    Io.Field(T.Token), Io.Field(T.GrossWeightLimit), Io.Field(T.ChassisMass), Io.Field(T.BodyMass);
    Io.Field(T.Length), Io.Field(T.Axles), Io.Field(T.Volume), Io.Field(T.BodyType), Io.Field(T.ChainType);
    Io.Field(T.CountryValidity);
}
template <class TIo> void Fields(TIo &Io, TDefProblem &P)
{
    std::int32_t kind = std::int32_t(P.Kind);
    std::int32_t line = P.Line;
    Io.Field(kind), Io.Field(P.File), Io.Field(line), Io.Field(P.Detail);
    P.Kind = kind >= 0 && kind <= std::int32_t(TDefProblemKind::IncludeCycle) ? TDefProblemKind(kind)
                                                                              : TDefProblemKind::CannotRead;
    P.Line = line;
}

template <class T> void WriteList(TWriter &W, const std::vector<T> &List)
{
    W.S << quint32(List.size());
    for (const T &item : List) {
        T copy = item; // the field lists take their record as it is read, too
        Fields(W, copy);
    }
}

template <class T> bool ReadList(TReader &R, std::vector<T> &List)
{
    quint32 n = 0;
    if (!R.Count(n, kMaxRecords))
        return false;
    List.clear();
    for (quint32 i = 0; i < n && R.Ok(); ++i) {
        T item;
        Fields(R, item);
        List.push_back(std::move(item));
    }
    return R.Ok();
}

} // namespace

bool WriteGameDefinitionsCache(const QString &Path, const QString &Key, const TGameDefinitions &Defs, QString *Error)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QDataStream stream(&buffer);
        stream.setVersion(QDataStream::Qt_6_0);
        stream << kMagic << kLayout << Key;
        TWriter w(stream);
        WriteList(w, Defs.Countries);
        WriteList(w, Defs.Cities);
        WriteList(w, Defs.Companies);
        WriteList(w, Defs.Cargos);
        WriteList(w, Defs.Trailers);
        WriteList(w, Defs.Problems);
        stream << kMagic; // a file cut short misses this
    }
    return WriteFileAtomically(Path, bytes, Error);
}

std::optional<TGameDefinitions> GameDefinitionsFromCacheBytes(const QByteArray &Bytes, const QString &Key)
{
    QByteArray copy = Bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QDataStream stream(&buffer);
    stream.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0, layout = 0;
    QString key;
    stream >> magic >> layout;
    if (stream.status() != QDataStream::Ok || magic != kMagic || layout != kLayout)
        return std::nullopt;
    stream >> key;
    if (stream.status() != QDataStream::Ok || key != Key)
        return std::nullopt;
    TReader r(stream, Bytes.size());
    TGameDefinitions defs;
    if (!ReadList(r, defs.Countries) || !ReadList(r, defs.Cities) || !ReadList(r, defs.Companies) ||
        !ReadList(r, defs.Cargos) || !ReadList(r, defs.Trailers) || !ReadList(r, defs.Problems))
        return std::nullopt;
    quint32 end = 0;
    stream >> end;
    if (stream.status() != QDataStream::Ok || end != kMagic || !stream.atEnd())
        return std::nullopt;
    return defs;
}

std::optional<TGameDefinitions> ReadGameDefinitionsCache(const QString &Path, const QString &Key)
{
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCacheFile)
        return std::nullopt;
    return GameDefinitionsFromCacheBytes(file.readAll(), Key);
}

} // namespace kvn

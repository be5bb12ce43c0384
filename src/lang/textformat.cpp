#include "lang/textformat.h"

#include <QVariant>

namespace kvn {

namespace {

QString IntegerText(const QVariant &Arg)
{
    bool Ok = false;
    const qlonglong Number = Arg.toLongLong(&Ok);
    return Ok ? QString::number(Number) : Arg.toString();
}

} // namespace

QString FormatText(const QString &Format, const QVariantList &Args)
{
    QString Result;
    Result.reserve(Format.size());
    qsizetype NextArg = 0;
    const qsizetype Length = Format.size();
    for (qsizetype i = 0; i < Length; ++i) {
        const QChar C = Format[i];
        if (C != QLatin1Char('%') || i + 1 >= Length) {
            Result += C;
            continue;
        }
        const QChar Kind = Format[i + 1];
        if (Kind == QLatin1Char('%')) {
            Result += QLatin1Char('%');
            ++i;
        } else if (Kind == QLatin1Char('s') || Kind == QLatin1Char('d')) {
            if (NextArg < Args.size()) {
                const QVariant &Arg = Args[NextArg];
                Result += Kind == QLatin1Char('s') ? Arg.toString() : IntegerText(Arg);
            }
            ++NextArg;
            ++i;
        } else {
            Result += C;
        }
    }
    return Result;
}

QString PlaceholderKinds(const QString &Format)
{
    QString Kinds;
    const qsizetype Length = Format.size();
    for (qsizetype i = 0; i + 1 < Length; ++i) {
        if (Format[i] != QLatin1Char('%'))
            continue;
        const QChar Kind = Format[i + 1];
        if (Kind == QLatin1Char('s') || Kind == QLatin1Char('d'))
            Kinds += Kind;
        if (Kind == QLatin1Char('%') || Kind == QLatin1Char('s') || Kind == QLatin1Char('d'))
            ++i;
    }
    return Kinds;
}

bool PlaceholdersMatch(const QString &Reference, const QString &Translation)
{
    return PlaceholderKinds(Reference) == PlaceholderKinds(Translation);
}

} // namespace kvn

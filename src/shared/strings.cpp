#include "shared/strings.h"

#include <QLocale>
#include <cmath>

namespace kvn {

QStringList Explode(const QString &Separator, const QString &S)
{
    QStringList fields;
    if (S.isEmpty())
        return fields;
    if (Separator.isEmpty()) {
        fields << S;
        return fields;
    }
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = S.indexOf(Separator, start);
        if (at < 0) {
            fields << S.mid(start);
            break;
        }
        fields << S.mid(start, at - start);
        start = at + Separator.size();
    }
    return fields;
}

QString UpperFirst(const QString &S)
{
    if (S.isEmpty())
        return S;
    return S.left(1).toUpper() + S.mid(1);
}

QString AsciiLower(const QString &S)
{
    QString lower = S;
    for (QChar &c : lower)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    return lower;
}

double StrToFloatLocaleFree(const QString &S, double Default)
{
    const QLocale locale;
    const QString decimal = locale.decimalPoint();
    QString text = S;
    if (decimal == QLatin1String(".")) {
        const qsizetype at = text.indexOf(QLatin1Char(','));
        if (at >= 0)
            text[at] = QLatin1Char('.');
    } else if (decimal == QLatin1String(",")) {
        const qsizetype at = text.indexOf(QLatin1Char('.'));
        if (at >= 0)
            text[at] = QLatin1Char(',');
    }
    bool ok = false;
    QLocale strict = locale;
    strict.setNumberOptions(QLocale::RejectGroupSeparator);
    const double value = strict.toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value) ? value : Default;
}

QString ReplaceString(const QString &S, const QString &OldPattern, const QString &NewPattern, unsigned Flags)
{
    if (OldPattern.isEmpty())
        return S;
    const bool all = (Flags & (rfReplaceAll | rfReplaceAllAlt)) != 0;
    const Qt::CaseSensitivity cs = (Flags & rfIgnoreCase) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    QString out;
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = S.indexOf(OldPattern, start, cs);
        if (at < 0)
            break;
        out += QStringView(S).mid(start, at - start);
        out += NewPattern;
        start = at + OldPattern.size();
        if (!all)
            break;
    }
    out += QStringView(S).mid(start);
    return out;
}

double UnixToDateTimeValue(std::int64_t Seconds)
{
    return static_cast<double>(Seconds) / 86400.0 + 25569.0;
}

std::int64_t DateTimeToUnixValue(double DateTime)
{
    return static_cast<std::int64_t>(std::nearbyint((DateTime - 25569.0) * 86400.0));
}

std::int8_t Percentage(long double Part, long double Whole)
{
    if (Part <= 0 || Whole <= 0)
        return 0;
    const long double value = std::trunc(Part / Whole * 100.0L + 0.5L);
    // Callers pass volumes whose share lies in 0..100; clamp so that an overfull trailer cannot wrap around.
    if (value > 127)
        return 127;
    return static_cast<std::int8_t>(value);
}

QString TrimControl(const QString &S)
{
    qsizetype begin = 0;
    qsizetype end = S.size();
    while (begin < end && S.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && S.at(end - 1).unicode() <= 0x20)
        --end;
    return S.mid(begin, end - begin);
}

} // namespace kvn

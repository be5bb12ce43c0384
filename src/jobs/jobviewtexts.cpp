#include "jobs/jobviewtexts.h"

#include "catalogue/cargos.h"
#include "catalogue/placenames.h"
#include "jobs/joblist.h"
#include "lang/languages.h"
#include "shared/strings.h"

#include <QDateTime>
#include <QTimeZone>
#include <cmath>

namespace kvn {

namespace {

const QString kArrow = QStringLiteral(" \u00BB ");
const QString kAbout = QStringLiteral(": \u2248");

// Halves go to the even neighbour, as everywhere else the program rounds for display.
qint64 RoundEven(double Value)
{
    return qint64(std::nearbyint(Value));
}

QString Num(qint64 Value)
{
    return QString::number(Value);
}

// A ferry crossing told as the road kilometres it stands for.
qint64 FerryAsKM(std::int32_t FerryTime)
{
    return RoundEven(double(FerryTime) * 1.7);
}

QString DistanceValue(const TLanguageTexts &Texts, const TDistanceDataResult &Distance)
{
    if (Distance.KM <= 0)
        return Texts.Text(TLangText::Unknown);
    QString text = Num(Distance.KM) + QStringLiteral(" km");
    if (Distance.IsEstimate())
        text += QStringLiteral(" (") + Texts.Text(TLangText::Estimated) + u')';
    return text;
}

QString CityText(const QString &City, const TPlaceNames *Names)
{
    return Names ? Names->CityName(City) : UpperFirst(City);
}

QString CitiesText(const TJobListDataSummary &Job, const TPlaceNames *Names)
{
    return CityText(Job.DepartureCity(), Names) + kArrow + CityText(Job.DestinationCity(), Names);
}

QString UrgencyName(const TLanguageTexts &Texts, std::int32_t Urgency)
{
    switch (Urgency) {
    case 0:
        return Texts.Text(TLangText::UrgencyStandard);
    case 1:
        return Texts.Text(TLangText::UrgencyImportant);
    case 2:
        return Texts.Text(TLangText::UrgencyUrgent);
    default:
        return QString();
    }
}

// The long time format names the time zone in many locales; history times are wall-clock
// times without one, so the zone is left out.
QString TimeFormatWithoutZone(const QLocale &Locale)
{
    QString format = Locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        result += c;
    }
    return result.trimmed();
}

} // namespace

QString JobRootText(const TJobListDataSummary *Job, const TPlaceNames *Names)
{
    return Job ? CitiesText(*Job, Names) : QString();
}

QString JobNotSavedText(const TLanguageTexts &Texts, const TJobListDataSummary *Job)
{
    if (!Job || Job->NotSavedReason().isEmpty())
        return QString();
    return Texts.Format(TLangText::JobNotSavedReason, {Job->NotSavedReason()});
}

QString JobChildText(const TLanguageTexts &Texts, const TJobListDataSummary *Job, int Child, const TPlaceNames *Names)
{
    if (!Job)
        return QString();
    const TCargoInfo *cargo = Job->CargoInfo();
    // Each queued job keeps its own unit count and urgency; the cargo record is shared.
    const qint64 units = Job->CargoUnitCountUserCustom();
    const double unitWeight = cargo ? cargo->CargoWeightInKG() : 0.0;
    const double unitVolume = cargo ? cargo->CargoVolume() : 0.0;
    const qint64 weightT = qint64(std::floor(double(units) * unitWeight / 1000.0));
    const qint64 volume = RoundEven(double(units) * unitVolume);
    const TTrailerDefinitionItem *item = Job->TrailerDefinitionData();
    const qint64 trailerT = item && item->TrailerDefinitionData ? item->TrailerDefinitionData->ChassisMass() / 1000 : 0;
    const TDistanceDataResult &distance = Job->DistanceDataResult();

    switch (Child) {
    case 0:
        if (Names)
            return Names->CountryName(Job->DepartureCountry()) + kArrow + Names->CountryName(Job->DestinationCountry());
        return Job->DepartureCountry() + kArrow + Job->DestinationCountry();
    case 1:
        return Texts.Text(TLangText::Distance) + kAbout + DistanceValue(Texts, distance);
    case 2:
        return Texts.Text(TLangText::Cargo) + QStringLiteral(": ") + (cargo ? cargo->CargoName() : QString()) +
               QStringLiteral(" (") + Num(volume) + QStringLiteral(" m\u00B3, ") + Num(weightT) + QStringLiteral(" t)");
    case 3: {
        QString text =
            Texts.Text(TLangText::TrailerWeight) + QStringLiteral(": ") + Num(trailerT) + QStringLiteral(" t");
        if (trailerT > 0)
            text += QStringLiteral(" (") + Texts.Text(TLangText::IncludingCargo) + u' ' + Num(weightT + trailerT) +
                    QStringLiteral(" t)");
        return text;
    }
    case 4: {
        const QString ferry = Texts.Text(TLangText::Ferry);
        QString text =
            UpperFirst(ferry) + QStringLiteral(": ") + (distance.NeedsFerry ? Texts.YesWord() : Texts.NoWord());
        if (distance.NeedsFerry)
            text += QStringLiteral(" (") + Num(distance.FerryTime) + u' ' + Texts.Text(TLangText::Minutes) +
                    QStringLiteral(", + \u2248") + Num(FerryAsKM(distance.FerryTime)) + QStringLiteral(" km ") + ferry +
                    u')';
        return text;
    }
    case 5:
        return Texts.Text(TLangText::Urgency) + QStringLiteral(": ") + UrgencyName(Texts, Job->CargoUrgency()) +
               QStringLiteral(" (") + Texts.Text(TLangText::UrgencyBonus) + u' ' +
               Num(10 * qint64(Job->CargoUrgency())) + QStringLiteral("%)");
    default:
        return QString();
    }
}

QString HistoryDateText(std::int64_t JobDate, const QLocale &Locale)
{
    // The seconds count the local wall clock, so they are read back without any zone shift.
    const QDateTime moment = QDateTime::fromSecsSinceEpoch(JobDate, QTimeZone::utc());
    QString text = Locale.toString(moment.date(), QLocale::ShortFormat);
    if (moment.time() != QTime(0, 0))
        text += u' ' + Locale.toString(moment.time(), TimeFormatWithoutZone(Locale));
    return text;
}

QString HistoryRootText(const TLanguageTexts &Texts, const TJobListDataSummary *Entry, int Row, const QLocale &Locale,
                        const TPlaceNames *Names)
{
    if (!Entry)
        return QString();
    QString text;
    if (Row == 0)
        text = u'[' + Texts.Text(TLangText::New) + QStringLiteral("]  ");
    text += CitiesText(*Entry, Names);
    if (Entry->JobDate() > 0)
        text += QStringLiteral(", ") + HistoryDateText(Entry->JobDate(), Locale);
    return text;
}

QString HistoryChildText(const TLanguageTexts &Texts, const TJobListDataSummary *Entry, int Child)
{
    if (!Entry)
        return QString();
    const TDistanceDataResult &distance = Entry->DistanceDataResult();
    switch (Child) {
    case 0: {
        QString text = Texts.Text(TLangText::Distance) + kAbout + DistanceValue(Texts, distance);
        if (distance.NeedsFerry)
            text += QStringLiteral(" (+ \u2248") + Num(FerryAsKM(distance.FerryTime)) + QStringLiteral(" km ") +
                    Texts.Text(TLangText::Ferry) + u')';
        return text;
    }
    case 1: {
        const TCargoInfo *cargo = Entry->CargoInfo();
        const QString name = cargo ? cargo->CargoName() : QString();
        const double tonnes = cargo ? cargo->CargoWeightInT() : 0.0;
        return Texts.Text(TLangText::Cargo) + QStringLiteral(": ") + name + QStringLiteral(" (") +
               QString::number(tonnes, 'g', 15) + QStringLiteral(" t)");
    }
    default:
        return QString();
    }
}

QString CargoSummaryText(const TLanguageTexts &Texts, const TCargoInfo &Cargo, const QLocale &Locale)
{
    if (!Cargo.SavegameCompatibleCargo())
        return Texts.Text(TLangText::CargoInfoUnsupported);
    const QString separator = QStringLiteral(", ");
    const std::int32_t single = Cargo.CargoWeightMaxUnitCountWeightInT();
    const std::int32_t doubled = Cargo.CargoWeightMaxDoubleTrailerInT();
    QString text = Num(single);
    if (doubled > single)
        text += u'-' + Num(doubled);
    text += QStringLiteral(" t") + separator;
    if (Cargo.IsHeavy())
        text += Texts.Text(TLangText::CargoInfoHeavy) + separator;
    if (Cargo.IsFragile())
        text += Texts.Text(TLangText::CargoInfoFragile) + separator;
    if (Cargo.CargoIsValuable())
        text += Texts.Text(TLangText::CargoInfoValuable) + separator;
    if (Cargo.CargoADR() >= 1)
        text += Texts.Text(TLangText::CargoInfoAdrClass) + u' ' + Num(Cargo.CargoADR()) + separator;
    if (Cargo.CargoMaximumDistance() > 0)
        text += Texts.Text(TLangText::CargoInfoMaxTripDistance) + u' ' + Num(Cargo.CargoMaximumDistance()) +
                QStringLiteral(" km") + separator;
    const qsizetype trailers = qsizetype(Cargo.TrailerDefinitionList().size());
    text += Num(trailers) + u' ' +
            Texts.Text(trailers == 1 ? TLangText::CargoInfoTrailer : TLangText::CargoInfoTrailers) + separator;
    QLocale plain = Locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    text += plain.toString(Cargo.CargoRewardPerKM(), 'f', 2) + QStringLiteral("/km");
    return text;
}

QString TrailerTitleText(const TLanguageTexts &Texts, const TTrailerDefinitionData &Trailer, const TPlaceNames &Names)
{
    const QString name = Names.TrailerName(Trailer.TrailerDefinition());
    if (name.isEmpty())
        return Trailer.TrailerDefinition();
    return name + QStringLiteral(", ") + Num(Trailer.Axles()) + u' ' + Texts.Text(TLangText::TrailerInfoAxles);
}

QString TrailerSummaryText(const TLanguageTexts &Texts, const TTrailerDefinitionData &Trailer, bool ShowCountryValidity,
                           const QLocale &Locale)
{
    QLocale plain = Locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    const double length = Trailer.Length();
    QString text = Texts.Text(TLangText::TrailerInfoLength) + u' ';
    if (length > 0 || std::isnan(length))
        text += plain.toString(length, 'g', QLocale::FloatingPointShortest) + QStringLiteral(" m, ");
    else
        text += Texts.Text(TLangText::Unknown) + QStringLiteral(", ");
    text += Num(Trailer.Axles()) + u' ' + Texts.Text(TLangText::TrailerInfoAxles);
    if (ShowCountryValidity && Trailer.IsCountryBoundTrailer())
        text += QStringLiteral(", ") + Texts.Text(TLangText::CargoInfoValidInCountry) + QStringLiteral(": ") +
                Trailer.CountryValidityListCommaList();
    return text;
}

} // namespace kvn

// The texts of the job list, the history and the two-line cargo and trailer entries, made
// without a window so that each row can be checked on its own.
#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

namespace kvn {

class TCargoInfo;
class TJobListDataSummary;
class TLanguageTexts;
class TPlaceNames;
class TTrailerDefinitionData;

// A view row for which no text can be made shows this.
inline QString UndefinedRowText()
{
    return QStringLiteral("undefined");
}

inline constexpr int kJobViewChildCount = 6;
inline constexpr int kHistoryViewChildCount = 2;

// A queued job: "Departure » Destination", the cities by the names of Names (by their tokens
// with a capital without it). Empty without a job.
QString JobRootText(const TJobListDataSummary *Job, const TPlaceNames *Names = nullptr);
// Why a queued job will not be written ("not saved: …"), for its root row; empty when nothing
// stands in its way.
QString JobNotSavedText(const TLanguageTexts &Texts, const TJobListDataSummary *Job);
// Detail row Child (0 … 5) of a queued job; empty without a job or for another row number.
// Row 0 names the countries by the names of Names, when given.
QString JobChildText(const TLanguageTexts &Texts, const TJobListDataSummary *Job, int Child,
                     const TPlaceNames *Names = nullptr);

// A history entry; Row 0 carries the New marker. The date is written in Locale's formats.
QString HistoryRootText(const TLanguageTexts &Texts, const TJobListDataSummary *Entry, int Row,
                        const QLocale &Locale = QLocale(), const TPlaceNames *Names = nullptr);
QString HistoryChildText(const TLanguageTexts &Texts, const TJobListDataSummary *Entry, int Child);

// A history date (seconds since 1970 on the local wall clock) in the short date and long time
// formats of Locale, the time left out at midnight.
QString HistoryDateText(std::int64_t JobDate, const QLocale &Locale = QLocale());

// The second line of a cargo entry: weights, attributes, trailers and pay, or the unsupported
// note for a cargo the save does not offer.
QString CargoSummaryText(const TLanguageTexts &Texts, const TCargoInfo &Cargo, const QLocale &Locale = QLocale());

// The first line of a trailer entry: the trailer in words with its axles ("Krone curtainsider,
// 3 axles"), or its definition when Names has no words for it.
QString TrailerTitleText(const TLanguageTexts &Texts, const TTrailerDefinitionData &Trailer, const TPlaceNames &Names);

// The second line of a trailer entry: length, axles and, for a country-bound trailer of a cargo
// the save offers, the countries it may be used in.
QString TrailerSummaryText(const TLanguageTexts &Texts, const TTrailerDefinitionData &Trailer, bool ShowCountryValidity,
                           const QLocale &Locale = QLocale());

} // namespace kvn

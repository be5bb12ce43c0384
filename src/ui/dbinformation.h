// The database information message: when the catalogue was collected and how much it holds.
#pragma once

#include "catalogue/cataloguesource.h"
#include "catalogue/distances.h"
#include "catalogue/resources.h"
#include "savegame/savesread.h"

#include <QLocale>
#include <QStringList>

class QWidget;

namespace kvn {

class TLanguageTexts;

// The game add-ons whose cargos and trailers the catalogue covers.
inline const QString kCoveredAddOns = QStringLiteral("Scandinavia, Vive la France!, Heavy Cargo, High Power Cargo.");

// A date and time counted in seconds since 1970 on the local clock, as the user writes them:
// short date, a blank, long time; the time is left out at exactly midnight.
QString FormatCatalogueDateTime(std::int64_t Seconds, const QLocale &Locale);

// The five values of the message, in the order of its placeholders.
QStringList DatabaseInformationArgs(const TDatabaseInfo &Info, const QLocale &Locale);

// The values of the road-distance part, in the order of its placeholders: pairs from the table,
// learnt, estimable, saves read (now or before), saves found, saves that could not be read.
QVariantList DistanceCoverageArgs(const TDistanceCoverage &Coverage, const TSavesLearning &Learning,
                                  const QLocale &Locale);

// The status line's word on the distances known; Learning's skipped saves are named when there are any.
QString DistancesKnownStatus(const TLanguageTexts &Texts, const TDistanceCoverage &Coverage,
                             const TSavesLearning &Learning, const QLocale &Locale);

// The message's line naming the catalogue in use: the player's game (read now, or as read at an
// earlier start) with its version and counts, or the compiled data with the version it was made for.
QString CatalogueSourceLine(const TLanguageTexts &Texts, const TCatalogueSource &Source);

// Shows the message as information with a single OK button; DistancesText (when given) follows it.
void ShowDatabaseInformationMessage(const TLanguageTexts &Texts, const TDatabaseInfo &Info, QWidget *Parent,
                                    const QString &DistancesText = QString());

} // namespace kvn

// The database information message: when the catalogue was collected and how much it holds.
#pragma once

#include "catalogue/resources.h"

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

// Shows the message as information with a single OK button.
void ShowDatabaseInformationMessage(const TLanguageTexts &Texts, const TDatabaseInfo &Info, QWidget *Parent);

} // namespace kvn

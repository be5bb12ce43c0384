#include "ui/dbinformation.h"

#include "lang/languages.h"
#include "ui/messagedialogue.h"

#include <QDateTime>
#include <QRegularExpression>

namespace kvn {

namespace {

// The long time format of some locales names the time zone; the catalogue time has none.
QString LongTimeFormatWithoutZone(const QLocale &Locale)
{
    QString format = Locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?t+\\)?"));
    format.remove(zone);
    return format.trimmed();
}

} // namespace

QString FormatCatalogueDateTime(std::int64_t Seconds, const QLocale &Locale)
{
    const QDateTime value = QDateTime::fromSecsSinceEpoch(Seconds, Qt::UTC);
    QString text = Locale.toString(value.date(), QLocale::ShortFormat);
    if (value.time() != QTime(0, 0))
        text += u' ' + Locale.toString(value.time(), LongTimeFormatWithoutZone(Locale));
    return text;
}

QStringList DatabaseInformationArgs(const TDatabaseInfo &Info, const QLocale &Locale)
{
    return {
        FormatCatalogueDateTime(Info.LastUpdated, Locale),
        QString::number(Info.TrailerLineCount),
        QString::number(Info.CargoLineCount),
        Locale.toString(qlonglong(Info.DistanceLineCount)) + QStringLiteral(" (") +
            Locale.toString(qlonglong(Info.DistanceKmTotal)) + QStringLiteral(" km)"),
        kCoveredAddOns,
    };
}

QVariantList DistanceCoverageArgs(const TDistanceCoverage &Coverage, const TSavesLearning &Learning,
                                  const QLocale &Locale)
{
    return {Locale.toString(qlonglong(Coverage.FromTable)),
            Locale.toString(qlonglong(Coverage.Learnt)),
            Locale.toString(qlonglong(Coverage.Estimable)),
            Learning.SavesRead + Learning.SavesAlreadyRead,
            Learning.SavesFound,
            Learning.SavesSkipped};
}

QString DistancesKnownStatus(const TLanguageTexts &Texts, const TDistanceCoverage &Coverage,
                             const TSavesLearning &Learning, const QLocale &Locale)
{
    const QVariantList known{Locale.toString(qlonglong(Coverage.Known())), Locale.toString(qlonglong(Coverage.Learnt))};
    if (Learning.SavesSkipped > 0)
        return Texts.Format(TLangText::StatusDistancesKnownSavesSkipped, known + QVariantList{Learning.SavesSkipped});
    return Texts.Format(TLangText::StatusDistancesKnown, known);
}

QString CatalogueSourceLine(const TLanguageTexts &Texts, const TCatalogueSource &Source)
{
    QString line;
    if (!Source.FromGame())
        line = Texts.Format(TLangText::DbInformationCatalogueCompiled,
                            {Source.GameVersion.isEmpty() ? CatalogueGameVersion() : Source.GameVersion});
    else
        line = Texts.Format(Source.Origin == TCatalogueOrigin::Cache ? TLangText::DbInformationCatalogueCache
                                                                     : TLangText::DbInformationCatalogueGame,
                            {Source.GameVersion, Source.ArchiveCount, Source.ModCount, int(Source.Skipped.size())});
    // Also when none of the game could be read: the reasons tell the player why.
    if (!Source.Failure.isEmpty())
        line += QStringLiteral("\r\n") + Source.Failure;
    for (const QString &skipped : Source.Skipped)
        line += QStringLiteral("\r\n") + skipped;
    return line;
}

void ShowDatabaseInformationMessage(const TLanguageTexts &Texts, const TDatabaseInfo &Info, QWidget *Parent,
                                    const QString &DistancesText)
{
    QVariantList args;
    for (const QString &arg : DatabaseInformationArgs(Info, QLocale()))
        args << arg;
    QString text = Texts.Format(TLangText::MsgDbInformation, args);
    if (!DistancesText.isEmpty())
        text += QStringLiteral("\r\n\r\n") + DistancesText;
    MessageDialogueSimple(Texts, text, Texts.Text(TLangText::CaptionInformation), TMsgDlgType::mtInformation, mbOK,
                          mbOK, QColor(Qt::black), 0, Parent);
}

} // namespace kvn

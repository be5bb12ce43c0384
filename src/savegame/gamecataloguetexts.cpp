#include "savegame/gamecataloguetexts.h"

#include "lang/languages.h"

#include <QDir>

namespace kvn {

QString SkippedSourceText(const TSkippedSource &Source, const TLanguageTexts &Texts)
{
    switch (Source.Code) {
    case TSkipCode::DamagedArchive:
        return Texts.Format(TLangText::CatalogueSkippedDamagedArchive, {Source.Name, Source.Detail});
    case TSkipCode::ModNotFound:
        return Texts.Format(TLangText::CatalogueSkippedModNotFound, {Source.Name});
    case TSkipCode::ModForOtherVersion:
        return Texts.Format(TLangText::CatalogueSkippedModOtherVersion, {Source.Name, Source.Detail});
    case TSkipCode::ModVersionMissing:
        return Texts.Format(TLangText::CatalogueSkippedModVersionMissing, {Source.Name, Source.Detail});
    case TSkipCode::ProfileUnreadable:
        return Texts.Format(TLangText::CatalogueSkippedProfileUnreadable, {Source.Detail});
    case TSkipCode::Other:
        break;
    }
    return Texts.Format(TLangText::CatalogueSkippedOther, {Source.Name, Source.Reason});
}

QStringList SkippedSourceLines(const TGameCatalogueReport &Report, const TLanguageTexts &Texts)
{
    QStringList lines;
    for (const TSkippedSource &source : Report.Skipped)
        lines.append(SkippedSourceText(source, Texts));
    return lines;
}

QString CatalogueFailureText(const TGameCatalogueReport &Report, const QString &InstallFolder,
                             const TLanguageTexts &Texts)
{
    const QString folder = QDir::toNativeSeparators(InstallFolder);
    switch (Report.FailureCode) {
    case TCatalogueFailure::None:
        return {};
    case TCatalogueFailure::FolderMissing:
        return Texts.Format(TLangText::CatalogueFailedFolderMissing, {folder});
    case TCatalogueFailure::NotAGameFolder:
        return Texts.Format(TLangText::CatalogueFailedNotAGameFolder, {folder});
    case TCatalogueFailure::DefinitionsUnreadable:
        return Texts.Format(TLangText::CatalogueFailedDefinitionsUnreadable, {folder, Report.FailureDetail});
    case TCatalogueFailure::NoCities:
        return Texts.Format(TLangText::CatalogueFailedNoCities, {folder});
    case TCatalogueFailure::Stopped:
        return Texts.Text(TLangText::CatalogueFailedStopped);
    }
    return {};
}

QString DefinitionProblemsText(const TGameCatalogueReport &Report, const TLanguageTexts &Texts)
{
    const TDefinitionProblemSummary &problems = Report.DefinitionProblems;
    if (problems.Count <= 0)
        return {};
    return Texts.Format(TLangText::CatalogueDefinitionProblems,
                        {problems.Count, problems.First.isEmpty() ? QString() : problems.First.first()});
}

QString CatalogueStageText(TCatalogueStage Stage, int Done, int Total, const TLanguageTexts &Texts)
{
    return Texts.Format(Stage == TCatalogueStage::OpeningArchives ? TLangText::CatalogueStageOpeningArchives
                                                                  : TLangText::CatalogueStageReadingDefinitions,
                        {Done, Total});
}

} // namespace kvn

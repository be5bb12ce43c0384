// The built-in English texts: every language key with its section, its English text and, for
// texts that go straight into the main window, the widget that shows it.
#pragma once

#include <QString>
#include <span>

namespace kvn {

enum class TLangSection { Msgbox, Main };

// How a window text is applied: as the widget's caption/text or as its tooltip hint.
enum class TWidgetTextKind { None, Caption, Hint };

// One entry per language key, in the order of the language file ("msgbox" first, then "main").
// The names are the keys written in CamelCase: "msg-trailer-warning" is MsgTrailerWarning.
enum class TLangText : int {
    CaptionWarning,
    CaptionError,
    CaptionInformation,
    CaptionConfirmation,
    ButtonYes,
    ButtonNo,
    ButtonClose,
    ButtonCancel,
    MsgGetMaxDistanceWarning,
    MsgGetSavegameModifiedWarning,
    MsgDbInformation,
    MsgTrailerWarning,
    MsgDeleteJobHistoryConfirmation,
    MsgDecrypterNotFound,
    MsgDiscardQueuedJobs,
    MsgNoJobOfferLeft,
    MsgSameCompanyWarning,
    MsgDbInformationDistances,
    BoxStep1,
    ImageReloadProfile,
    ButtonOpenProfileInExplorer,
    BoxStep2,
    LabelDepartureCountry,
    LabelDepartureCity,
    LabelDepartureCompany,
    LabelDestinationCountry,
    LabelDestinationCity,
    LabelDestinationCompany,
    BoxStep3,
    LabelCargoAndTrailer,
    LabelUrgency,
    LabelCustomCargoWeight,
    ButtonJobAdd,
    BoxJobList,
    LabelQuickSaveReminder,
    ButtonSaveAllJobs,
    ButtonDeleteSelectedJobs,
    ButtonDeleteAll,
    ButtonShowOptionsHistory,
    ImageDbInfo,
    ImageGetHelp,
    BoxOptions,
    LabelRandomiser,
    OptionMinDistance,
    OptionGetMaxDistanceTour,
    OptionMinWeight,
    OptionValuable,
    OptionFragile,
    OptionAdrClass,
    BoxPreviousJobs,
    LabelJobHistoryEmpty,
    ButtonDeleteHistory,
    LabelSelectAProfile,
    LabelNoProfileLoaded,
    LabelProfileFound,
    LabelProfilesFound,
    UrgencyStandard,
    UrgencyImportant,
    UrgencyUrgent,
    ButtonCreateRandomJob,
    ButtonCancelRandomJob,
    StatusProfilesAndMetaLoaded,
    StatusLoadingProgramOptions,
    StatusPreparing,
    StatusLoadingCityData,
    StatusLoadingTrailerData,
    StatusLoadingCargoData,
    StatusLoadingUserProfiles,
    StatusNoProfilesFound,
    StatusNoGameDirectoryFound,
    JobNOfMSaving,
    Job1OfMSavedSuccessfully,
    JobNOfMSavedSuccessfully,
    JobDontForgetReloadAfterQuicksave,
    JobSaveNoBackup,
    JobSaveNotWritten,
    JobNoneSaved,
    JobNotSavedKept,
    JobSavegameReloaded,
    JobSavegameReloadFailed,
    JobSaveKeptChanging,
    JobCheckSaveKeptChanging,
    JobNotSavedReason,
    JobCheckOtherProfile,
    JobCheckNoCity,
    JobCheckNoCompany,
    JobCheckNoCargo,
    JobCheckNoTrailer,
    StatusProfileNotDecoded,
    StatusProfileNotRead,
    StatusProfileOriginalNotKept,
    StatusProfileTooOldForJobs,
    StatusLearntDistancesNotSaved,
    StatusDistancesKnown,
    StatusDistancesKnownSavesSkipped,
    StatusProfileDamaged,
    SaveFaultNoHeader,
    SaveFaultUnitNotClosed,
    SaveFaultFileNotClosed,
    SaveFaultUnexpectedText,
    SaveFaultNoEconomyUnit,
    JobSaveDamaged,
    JobSaveReadOnly,
    JobHistoryNotWritten,
    StatusNoGameDirectoryFoundLinux,
    StatusRandomJobNothingFoundYet,
    ButtonOpenProfileInFileManager,
    LabelCompanyWithoutOffers,
    BackupRestoreSavegame,
    BackupRestoreDeleteAllBackups,
    LabelJobPreviewFromAToB,
    LabelJobPreviewShortestDistance,
    LabelJobPreviewDistanceUnknown,
    LabelJobPreviewFerryNeeded,
    LabelJobPreviewEstimatedDistance,
    LabelJobPreviewEstimateWithoutFerry,
    LabelJobPreviewCargoTypeAndWeight,
    LabelJobPreviewTrailerFilled,
    LabelJobPreviewTrailerWeight,
    LabelJobPreviewDistanceUnknownHelpImprove,
    LabelJobPreviewCargoMaxDistance,
    LabelJobPreviewAnd,
    LabelJobPreviewCountryBound,
    CargoInfoValidInCountry,
    CargoInfoHeavy,
    CargoInfoValuable,
    CargoInfoFragile,
    CargoInfoAdrClass,
    CargoInfoMaxTripDistance,
    CargoInfoTrailer,
    CargoInfoTrailers,
    CargoInfoUnsupported,
    TrailerInfoLength,
    TrailerInfoAxles,
    Unknown,
    Estimated,
    New,
    Ferry,
    Distance,
    Cargo,
    TrailerWeight,
    IncludingCargo,
    Urgency,
    UrgencyBonus,
    Minutes,
    Count
};

struct TLangTextInfo {
    TLangText Id;
    TLangSection Section;
    const char *Key;         // exactly as written in the language file, lower case with hyphens
    const char16_t *Default; // the built-in English text, with real CR LF line breaks
    const char *Widget;      // object name of the main-window widget showing it, or nullptr
    TWidgetTextKind WidgetKind;
};

// All keys in file order; entry i has Id == TLangText(i).
std::span<const TLangTextInfo> BuiltInLanguageTexts();
const TLangTextInfo &LangTextInfo(TLangText Id);

// "msgbox" or "main".
QString SectionName(TLangSection Section);

// Only the message texts of "msgbox" (keys beginning with "msg-") turn "<BREAK>" into a line break.
bool KeyTakesBreaks(const TLangTextInfo &Info);

} // namespace kvn

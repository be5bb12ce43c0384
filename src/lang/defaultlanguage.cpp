#include "lang/defaultlanguage.h"

#include <QByteArrayView>
#include <array>

namespace kvn {

namespace {

constexpr int TextCount = static_cast<int>(TLangText::Count);

// These English texts are the product's wording, typing slips included ("occured"):
// translators and existing users know them in exactly this form.
constexpr std::array<TLangTextInfo, TextCount> Table{{
    {TLangText::CaptionWarning, TLangSection::Msgbox, "caption-warning", u"Warning"},
    {TLangText::CaptionError, TLangSection::Msgbox, "caption-error", u"Error"},
    {TLangText::CaptionInformation, TLangSection::Msgbox, "caption-information", u"Information"},
    {TLangText::CaptionConfirmation, TLangSection::Msgbox, "caption-confirmation", u"Confirmation"},
    {TLangText::ButtonYes, TLangSection::Msgbox, "button-yes", u"Yes"},
    {TLangText::ButtonNo, TLangSection::Msgbox, "button-no", u"No"},
    {TLangText::ButtonClose, TLangSection::Msgbox, "button-close", u"Close"},
    {TLangText::ButtonCancel, TLangSection::Msgbox, "button-cancel", u"Cancel"},
    {TLangText::MsgGetMaxDistanceWarning, TLangSection::Msgbox, "msg-get-max-distance-warning",
     u"In order to use the option to get the maximum possible tour distance\r\nyou need to unlock at least all "
     u"Destination locks.\r\n\r\nDo you want to auto-unlock them now?"},
    {TLangText::MsgGetSavegameModifiedWarning, TLangSection::Msgbox, "msg-get-savegame-modified-warning",
     u"Your save game (quick save) has been modified since you added your last jobs.\r\nTo ensure to always add new "
     u"jobs to the newest savegame, please reload it.\r\n\r\nDo you want to reload your savegame now?"},
    {TLangText::MsgDbInformation, TLangSection::Msgbox, "msg-db-information",
     u"Database information\r\nLast updated: %s\r\nTrailer count: %s\r\nCargo count: %s\r\nRoad connections count: "
     u"%s\r\n\r\nSupporting cargos/trailers so far from:\r\n%s\r\nNote: Going East! doesn't add any new cargos or "
     u"trailers.\r\n\r\nData collected with <3"},
    {TLangText::MsgTrailerWarning, TLangSection::Msgbox, "msg-trailer-warning",
     u"You've selected a %s trailer but your\r\ndeparture city is not based in: %s.\r\n\r\nSaving a job like this will "
     u"result in a faulty savegame\r\ndue to the game won't accept this city/trailer combination.\r\n\r\nDo you want "
     u"to save this job anyway?"},
    {TLangText::MsgDeleteJobHistoryConfirmation, TLangSection::Msgbox, "msg-delete-job-history-confirmation",
     u"Deleting your job history will be permanent.\r\n\r\nDo you really want to delete your job history now?"},
    {TLangText::MsgDecrypterNotFound, TLangSection::Msgbox, "msg-decrypter-not-found",
     u"An error occured!\r\n\r\nThe file \"SII_Decrypt.exe\" is missing.\r\n\r\nWithout this file encrypted game files "
     u"can't be decrypted.\r\n\r\nPlease re-download the program from a trusted source to solve this problem."},
    {TLangText::MsgDiscardQueuedJobs, TLangSection::Msgbox, "msg-discard-queued-jobs",
     u"You have %d job(s) in the job list for the profile \"%s\".\r\nThey can only be saved into that "
     u"profile.\r\n\r\nDo you want to discard them and load the other profile?"},
    {TLangText::MsgNoJobOfferLeft, TLangSection::Msgbox, "msg-no-job-offer-left",
     u"The company \"%s\" in \"%s\" has %d job offers in this save, and %d jobs are queued for it already.\r\nEvery "
     u"job needs an offer of its own: this one could not be saved.\r\n\r\nDo you want to add it anyway?"},
    {TLangText::MsgSameCompanyWarning, TLangSection::Msgbox, "msg-same-company-warning",
     u"Departure and destination are the same company in the same city.\r\nThe game never offers a job like "
     u"this.\r\n\r\nDo you want to add it anyway?"},
    {TLangText::MsgDbInformationDistances, TLangSection::Msgbox, "msg-db-information-distances",
     u"Road distances known: %s from the table, %s learnt from your saves\r\nMore that can be estimated from the "
     u"cities' positions: %s\r\nSaves read for distances: %d of %d, %d could not be read"},
    {TLangText::BoxStep1, TLangSection::Main, "box-step-1", u"Step 1 - Choose a profile"},
    {TLangText::ImageReloadProfile, TLangSection::Main, "image-reload-profile",
     u"Reload the current profile (if none is selected, all will be reloaded)"},
    {TLangText::ButtonOpenProfileInExplorer, TLangSection::Main, "button-open-profile-in-explorer",
     u"Open profile in Explorer"},
    {TLangText::BoxStep2, TLangSection::Main, "box-step-2",
     u"Step 2 - Select departure and destination country, city and company"},
    {TLangText::LabelDepartureCountry, TLangSection::Main, "label-departure-country", u"Departure country"},
    {TLangText::LabelDepartureCity, TLangSection::Main, "label-departure-city", u"Departure city"},
    {TLangText::LabelDepartureCompany, TLangSection::Main, "label-departure-company", u"Company"},
    {TLangText::LabelDestinationCountry, TLangSection::Main, "label-destination-country", u"Destination country"},
    {TLangText::LabelDestinationCity, TLangSection::Main, "label-destination-city", u"Destination city"},
    {TLangText::LabelDestinationCompany, TLangSection::Main, "label-destination-company", u"Company"},
    {TLangText::BoxStep3, TLangSection::Main, "box-step-3", u"Step 3 - Select cargo, trailer and urgency"},
    {TLangText::LabelCargoAndTrailer, TLangSection::Main, "label-cargo-and-trailer", u"Cargo and trailer"},
    {TLangText::LabelUrgency, TLangSection::Main, "label-urgency", u"Urgency"},
    {TLangText::LabelCustomCargoWeight, TLangSection::Main, "label-custom-cargo-weight", u"Custom cargo weight"},
    {TLangText::ButtonJobAdd, TLangSection::Main, "button-job-add", u"Add job"},
    {TLangText::BoxJobList, TLangSection::Main, "box-job-list", u"Job list"},
    {TLangText::LabelQuickSaveReminder, TLangSection::Main, "label-quick-save-reminder",
     u"Do not forget to reload your profile after performing a quick save and before adding new jobs!"},
    {TLangText::ButtonSaveAllJobs, TLangSection::Main, "button-save-all-jobs", u"Save all jobs"},
    {TLangText::ButtonDeleteSelectedJobs, TLangSection::Main, "button-delete-selected-jobs", u"Delete selected"},
    {TLangText::ButtonDeleteAll, TLangSection::Main, "button-delete-all", u"Delete all"},
    {TLangText::ButtonShowOptionsHistory, TLangSection::Main, "button-show-options-history", u"Show options / history"},
    {TLangText::ImageDbInfo, TLangSection::Main, "image-db-info", u"Show database information"},
    {TLangText::ImageGetHelp, TLangSection::Main, "image-get-help",
     u"Help: click here to learn how to create custom cargos and more (this link opens Google Docs)"},
    {TLangText::BoxOptions, TLangSection::Main, "box-options", u"Options"},
    {TLangText::LabelRandomiser, TLangSection::Main, "label-randomiser", u"Randomiser"},
    {TLangText::OptionMinDistance, TLangSection::Main, "option-min-distance", u"Minimum tour distance in km"},
    {TLangText::OptionGetMaxDistanceTour, TLangSection::Main, "option-get-max-distance-tour",
     u"Get maximum possible tour"},
    {TLangText::OptionMinWeight, TLangSection::Main, "option-min-weight", u"Minimum cargo weight in t"},
    {TLangText::OptionValuable, TLangSection::Main, "option-valuable", u"Valuable cargo"},
    {TLangText::OptionFragile, TLangSection::Main, "option-fragile", u"Fragile cargo"},
    {TLangText::OptionAdrClass, TLangSection::Main, "option-adr-class", u"ADR class"},
    {TLangText::BoxPreviousJobs, TLangSection::Main, "box-previous-jobs", u"Previous jobs"},
    {TLangText::LabelJobHistoryEmpty, TLangSection::Main, "label-job-history-empty",
     u"Currently there are no jobs in the history."},
    {TLangText::ButtonDeleteHistory, TLangSection::Main, "button-delete-history", u"Delete history"},
    {TLangText::LabelSelectAProfile, TLangSection::Main, "label-select-a-profile", u"Select a profile"},
    {TLangText::LabelNoProfileLoaded, TLangSection::Main, "label-no-profile-loaded", u"No profile loaded"},
    {TLangText::LabelProfileFound, TLangSection::Main, "label-profile-found", u"1 profile found"},
    {TLangText::LabelProfilesFound, TLangSection::Main, "label-profiles-found", u"%d profiles found"},
    {TLangText::UrgencyStandard, TLangSection::Main, "urgency-standard", u"Standard delivery"},
    {TLangText::UrgencyImportant, TLangSection::Main, "urgency-important", u"Important delivery"},
    {TLangText::UrgencyUrgent, TLangSection::Main, "urgency-urgent", u"Urgent delivery"},
    {TLangText::ButtonCreateRandomJob, TLangSection::Main, "button-create-random-job", u"Create random job"},
    {TLangText::ButtonCancelRandomJob, TLangSection::Main, "button-cancel-random-job", u"Cancel"},
    {TLangText::StatusProfilesAndMetaLoaded, TLangSection::Main, "status-profiles-and-meta-loaded",
     u"Profiles and meta data loaded successfully"},
    {TLangText::StatusLoadingProgramOptions, TLangSection::Main, "status-loading-program-options",
     u"Loading program options ..."},
    {TLangText::StatusPreparing, TLangSection::Main, "status-preparing", u"Preparing ..."},
    {TLangText::StatusLoadingCityData, TLangSection::Main, "status-loading-city-data", u"Loading city data ..."},
    {TLangText::StatusLoadingTrailerData, TLangSection::Main, "status-loading-trailer-data",
     u"Loading trailer data ..."},
    {TLangText::StatusLoadingCargoData, TLangSection::Main, "status-loading-cargo-data", u"Loading cargo data ..."},
    {TLangText::StatusLoadingUserProfiles, TLangSection::Main, "status-loading-user-profiles",
     u"Loading user profiles ..."},
    {TLangText::StatusNoProfilesFound, TLangSection::Main, "status-no-profiles-found", u"No profiles found"},
    {TLangText::StatusNoGameDirectoryFound, TLangSection::Main, "status-no-game-directory-found",
     u"Error. There is no directory \"Euro Truck Simulator 2\" in your documents folder!"},
    {TLangText::JobNOfMSaving, TLangSection::Main, "job-n-of-m-saving", u"Saving job %d of %d"},
    {TLangText::Job1OfMSavedSuccessfully, TLangSection::Main, "job-1-of-m-saved-successfully",
     u"%d of %d job saved successfully."},
    {TLangText::JobNOfMSavedSuccessfully, TLangSection::Main, "job-n-of-m-saved-successfully",
     u"%d of %d jobs saved successfully."},
    {TLangText::JobDontForgetReloadAfterQuicksave, TLangSection::Main, "job-dont-forget-reload-after-quicksave",
     u"Don't forget to reload your profile after your next quick save!"},
    {TLangText::JobSaveNoBackup, TLangSection::Main, "job-save-no-backup",
     u"No job was saved: the savegame could not be backed up. %s"},
    {TLangText::JobSaveNotWritten, TLangSection::Main, "job-save-not-written",
     u"No job was saved: game.sii could not be written and was left as it was. %s"},
    {TLangText::JobNoneSaved, TLangSection::Main, "job-none-saved", u"No job was saved."},
    {TLangText::JobNotSavedKept, TLangSection::Main, "job-not-saved-kept",
     u"Jobs not saved: %d. They stay in the job list, each with the reason."},
    {TLangText::JobSavegameReloaded, TLangSection::Main, "job-savegame-reloaded",
     u"Your quick save had changed since it was loaded, so it was read again before saving."},
    {TLangText::JobSavegameReloadFailed, TLangSection::Main, "job-savegame-reload-failed",
     u"No job was saved: your quick save had changed since it was loaded and could not be read again. %s"},
    {TLangText::JobSaveKeptChanging, TLangSection::Main, "job-save-kept-changing",
     u"No job was saved: the game changed your quick save again each time the jobs were being written. Pause the "
     u"game or go to its main menu, then save all jobs again."},
    {TLangText::JobCheckSaveKeptChanging, TLangSection::Main, "job-check-save-kept-changing",
     u"The game kept changing the quick save while it was being written."},
    {TLangText::JobNotSavedReason, TLangSection::Main, "job-not-saved-reason", u"not saved: %s"},
    {TLangText::JobCheckOtherProfile, TLangSection::Main, "job-check-other-profile",
     u"The job was composed for another profile."},
    {TLangText::JobCheckNoCity, TLangSection::Main, "job-check-no-city", u"The save has no city \"%s\"."},
    {TLangText::JobCheckNoCompany, TLangSection::Main, "job-check-no-company",
     u"The save has no company \"%s\" in \"%s\"."},
    {TLangText::JobCheckNoCargo, TLangSection::Main, "job-check-no-cargo",
     u"The save does not offer the cargo \"%s\"."},
    {TLangText::JobCheckNoTrailer, TLangSection::Main, "job-check-no-trailer",
     u"The save does not offer the trailer \"%s\" with the cargo \"%s\"."},
    {TLangText::StatusProfileNotDecoded, TLangSection::Main, "status-profile-not-decoded",
     u"No profile loaded. The quick save of the profile \"%s\" could not be decoded"},
    {TLangText::StatusProfileNotRead, TLangSection::Main, "status-profile-not-read",
     u"No profile loaded. The quick save of the profile \"%s\" could not be read"},
    {TLangText::StatusProfileOriginalNotKept, TLangSection::Main, "status-profile-original-not-kept",
     u"No profile loaded. The quick save of the profile \"%s\" was left as the game wrote it, because a backup of it "
     u"could not be made: %s"},
    {TLangText::StatusProfileTooOldForJobs, TLangSection::Main, "status-profile-too-old-for-jobs",
     u"Profile \"%s\" loaded, but its quick save is too old for composing jobs: its job offers name no trailers. "
     u"Load it in a current version of the game, make a new quick save and load the profile again."},
    {TLangText::StatusLearntDistancesNotSaved, TLangSection::Main, "status-learnt-distances-not-saved",
     u"The distances learnt from your save could not be kept: %s"},
    {TLangText::StatusDistancesKnown, TLangSection::Main, "status-distances-known",
     u"%s road distances known, %s of them learnt from your saves"},
    {TLangText::StatusDistancesKnownSavesSkipped, TLangSection::Main, "status-distances-known-saves-skipped",
     u"%s road distances known, %s of them learnt from your saves. %d saves could not be read and were skipped"},
    {TLangText::StatusProfileDamaged, TLangSection::Main, "status-profile-damaged",
     u"No profile loaded. The quick save of the profile \"%s\" is incomplete or damaged: %s. Make a new quick save "
     u"in the game, or restore a backup, and load the profile again."},
    {TLangText::SaveFaultNoHeader, TLangSection::Main, "save-fault-no-header", u"it does not begin like a savegame"},
    {TLangText::SaveFaultUnitNotClosed, TLangSection::Main, "save-fault-unit-not-closed",
     u"it breaks off in the part that begins on line %d"},
    {TLangText::SaveFaultFileNotClosed, TLangSection::Main, "save-fault-file-not-closed",
     u"it ends too early, its last closing brace is missing"},
    {TLangText::SaveFaultUnexpectedText, TLangSection::Main, "save-fault-unexpected-text",
     u"it holds an unexpected brace or text on line %d"},
    {TLangText::SaveFaultNoEconomyUnit, TLangSection::Main, "save-fault-no-economy-unit", u"it has no economy unit"},
    {TLangText::JobSaveDamaged, TLangSection::Main, "job-save-damaged",
     u"No job was saved: game.sii is incomplete or damaged (%s) and was left as it was."},
    {TLangText::JobSaveReadOnly, TLangSection::Main, "job-save-read-only",
     u"No job was saved: game.sii is read-only and was left as it was. Remove the write protection from \"%s\" "
     u"if you want jobs written into it."},
    {TLangText::JobHistoryNotWritten, TLangSection::Main, "job-history-not-written",
     u"The jobs are in your save, but the job history could not be updated: %s"},
    {TLangText::StatusNoGameDirectoryFoundLinux, TLangSection::Main, "status-no-game-directory-found-linux",
     u"Error. There is no folder \"Euro Truck Simulator 2\" in ~/.local/share or in a Steam library!"},
    {TLangText::StatusRandomJobNothingFoundYet, TLangSection::Main, "status-random-job-nothing-found-yet",
     u"No job that meets the randomiser options found yet. Still searching; \"Cancel\" stops the search."},
    {TLangText::ButtonOpenProfileInFileManager, TLangSection::Main, "button-open-profile-in-file-manager",
     u"Open in file manager"},
    {TLangText::LabelCompanyWithoutOffers, TLangSection::Main, "label-company-without-offers",
     u"No job offers in this save: no job can start here"},
    {TLangText::BackupRestoreSavegame, TLangSection::Main, "backup-restore-savegame",
     u"Restore an old savegame backup"},
    {TLangText::BackupRestoreDeleteAllBackups, TLangSection::Main, "backup-restore-delete-all-backups",
     u"Delete all restore points ..."},
    {TLangText::LabelJobPreviewFromAToB, TLangSection::Main, "label-job-preview-from-a-to-b",
     u"From \"<b>%s</b>\" (%s) to \"<b>%s</b>\" (%s) %s"},
    {TLangText::LabelJobPreviewShortestDistance, TLangSection::Main, "label-job-preview-shortest-distance",
     u"with a shortest distance of %d"},
    {TLangText::LabelJobPreviewDistanceUnknown, TLangSection::Main, "label-job-preview-distance-unknown",
     u"The distance is <b>unknown</b>"},
    {TLangText::LabelJobPreviewFerryNeeded, TLangSection::Main, "label-job-preview-ferry-needed", u"Ferry needed"},
    {TLangText::LabelJobPreviewEstimatedDistance, TLangSection::Main, "label-job-preview-estimated-distance",
     u"with an <b>estimated</b> distance of about %d"},
    {TLangText::LabelJobPreviewEstimateWithoutFerry, TLangSection::Main, "label-job-preview-estimate-without-ferry",
     u"The route may cross water: a ferry is not counted in the estimate"},
    {TLangText::LabelJobPreviewCargoTypeAndWeight, TLangSection::Main, "label-job-preview-cargo-type-and-weight",
     u"Cargo type is <font color=\"#0000d9\"><b>%s</b></font> and weighs <font color=\"#0000d9\"><b>%d t</b></font>"},
    {TLangText::LabelJobPreviewTrailerFilled, TLangSection::Main, "label-job-preview-trailer-filled",
     u"Trailer is %d %% filled (%d m\u00b3 of %d m\u00b3)"},
    {TLangText::LabelJobPreviewTrailerWeight, TLangSection::Main, "label-job-preview-trailer-weight",
     u"Trailer weight is %d t. Including cargo it weighs %d t"},
    {TLangText::LabelJobPreviewDistanceUnknownHelpImprove, TLangSection::Main,
     "label-job-preview-distance-unknown-help-improve",
     u"<font color=\"#0000d9\"><b>Distance <b>unknown</b></font>. Help to improve this tool: \"Show options / "
     u"history\", then the smiley."},
    {TLangText::LabelJobPreviewCargoMaxDistance, TLangSection::Main, "label-job-preview-cargo-max-distance",
     u"Warning: the <font color=\"#0000d9\"><b>maximum distance</b></font> for this cargo type is set by the game to "
     u"<b>%d km</b>."},
    {TLangText::LabelJobPreviewAnd, TLangSection::Main, "label-job-preview-and", u"and"},
    {TLangText::LabelJobPreviewCountryBound, TLangSection::Main, "label-job-preview-country-bound", u"country bound"},
    {TLangText::CargoInfoValidInCountry, TLangSection::Main, "cargo-info-valid-in-country", u"valid in"},
    {TLangText::CargoInfoHeavy, TLangSection::Main, "cargo-info-heavy", u"heavy"},
    {TLangText::CargoInfoValuable, TLangSection::Main, "cargo-info-valuable", u"valuable"},
    {TLangText::CargoInfoFragile, TLangSection::Main, "cargo-info-fragile", u"fragile"},
    {TLangText::CargoInfoAdrClass, TLangSection::Main, "cargo-info-adr-class", u"ADR class"},
    {TLangText::CargoInfoMaxTripDistance, TLangSection::Main, "cargo-info-max-trip-distance", u"maximum trip distance"},
    {TLangText::CargoInfoTrailer, TLangSection::Main, "cargo-info-trailer", u"trailer"},
    {TLangText::CargoInfoTrailers, TLangSection::Main, "cargo-info-trailers", u"trailers"},
    {TLangText::CargoInfoUnsupported, TLangSection::Main, "cargo-info-unsupported",
     u"Currently not supported. Reasons may be: low level, missing DLC etc."},
    {TLangText::TrailerInfoLength, TLangSection::Main, "trailer-info-length", u"Length"},
    {TLangText::TrailerInfoAxles, TLangSection::Main, "trailer-info-axles", u"axles"},
    {TLangText::Unknown, TLangSection::Main, "unknown", u"unknown"},
    {TLangText::Estimated, TLangSection::Main, "estimated", u"estimated"},
    {TLangText::New, TLangSection::Main, "new", u"New"},
    {TLangText::Ferry, TLangSection::Main, "ferry", u"ferry"},
    {TLangText::Distance, TLangSection::Main, "distance", u"Distance"},
    {TLangText::Cargo, TLangSection::Main, "cargo", u"Cargo"},
    {TLangText::TrailerWeight, TLangSection::Main, "trailer-weight", u"Trailer weight"},
    {TLangText::IncludingCargo, TLangSection::Main, "including-cargo", u"including cargo"},
    {TLangText::Urgency, TLangSection::Main, "urgency", u"Urgency"},
    {TLangText::UrgencyBonus, TLangSection::Main, "urgency-bonus", u"urgency bonus"},
    {TLangText::Minutes, TLangSection::Main, "minutes", u"minutes"},
    {TLangText::AccessibleProfile, TLangSection::Main, "accessible-profile", u"Profile"},
    {TLangText::AccessibleReloadProfile, TLangSection::Main, "accessible-reload-profile", u"Reload profile"},
    {TLangText::AccessibleDepartureCountry, TLangSection::Main, "accessible-departure-country", u"Departure country"},
    {TLangText::AccessibleDepartureCity, TLangSection::Main, "accessible-departure-city", u"Departure city"},
    {TLangText::AccessibleDepartureCompany, TLangSection::Main, "accessible-departure-company", u"Departure company"},
    {TLangText::AccessibleDestinationCountry, TLangSection::Main, "accessible-destination-country",
     u"Destination country"},
    {TLangText::AccessibleDestinationCity, TLangSection::Main, "accessible-destination-city", u"Destination city"},
    {TLangText::AccessibleDestinationCompany, TLangSection::Main, "accessible-destination-company",
     u"Destination company"},
    {TLangText::AccessibleLockDepartureCountry, TLangSection::Main, "accessible-lock-departure-country",
     u"Lock departure country"},
    {TLangText::AccessibleLockDepartureCity, TLangSection::Main, "accessible-lock-departure-city",
     u"Lock departure city"},
    {TLangText::AccessibleLockDepartureCompany, TLangSection::Main, "accessible-lock-departure-company",
     u"Lock departure company"},
    {TLangText::AccessibleLockDestinationCountry, TLangSection::Main, "accessible-lock-destination-country",
     u"Lock destination country"},
    {TLangText::AccessibleLockDestinationCity, TLangSection::Main, "accessible-lock-destination-city",
     u"Lock destination city"},
    {TLangText::AccessibleLockDestinationCompany, TLangSection::Main, "accessible-lock-destination-company",
     u"Lock destination company"},
    {TLangText::AccessibleCargo, TLangSection::Main, "accessible-cargo", u"Cargo"},
    {TLangText::AccessibleLockCargo, TLangSection::Main, "accessible-lock-cargo", u"Lock cargo"},
    {TLangText::AccessibleTrailer, TLangSection::Main, "accessible-trailer", u"Trailer"},
    {TLangText::AccessibleLockTrailer, TLangSection::Main, "accessible-lock-trailer", u"Lock trailer"},
    {TLangText::AccessibleUrgency, TLangSection::Main, "accessible-urgency", u"Urgency"},
    {TLangText::AccessibleLockUrgency, TLangSection::Main, "accessible-lock-urgency", u"Lock urgency"},
    {TLangText::AccessibleCargoUnitLess, TLangSection::Main, "accessible-cargo-unit-less", u"One cargo unit less"},
    {TLangText::AccessibleCargoAmount, TLangSection::Main, "accessible-cargo-amount", u"Cargo amount in units"},
    {TLangText::AccessibleCargoUnitMore, TLangSection::Main, "accessible-cargo-unit-more", u"One cargo unit more"},
    {TLangText::AccessibleJobList, TLangSection::Main, "accessible-job-list", u"Queued jobs"},
    {TLangText::AccessibleMinDistanceValue, TLangSection::Main, "accessible-min-distance-value",
     u"Minimum tour distance in km"},
    {TLangText::AccessibleMinWeightValue, TLangSection::Main, "accessible-min-weight-value",
     u"Minimum cargo weight in t"},
    {TLangText::AccessibleAdrClassValue, TLangSection::Main, "accessible-adr-class-value", u"ADR class"},
    {TLangText::AccessibleJobHistory, TLangSection::Main, "accessible-job-history", u"Previous jobs"},
    {TLangText::AccessibleBackups, TLangSection::Main, "accessible-backups", u"Savegame backups"},
    {TLangText::AccessibleDbInfo, TLangSection::Main, "accessible-db-info", u"Database information"},
    {TLangText::AccessibleHelp, TLangSection::Main, "accessible-help", u"Help"},
    {TLangText::AccessibleLockDescription, TLangSection::Main, "accessible-lock-description",
     u"Closed: the selection keeps its value and the randomiser leaves it as it is"},
    {TLangText::AccessibleCargoAmountDescription, TLangSection::Main, "accessible-cargo-amount-description",
     u"How many units of the cargo the trailer carries"},
    {TLangText::StatusReadingGameCatalogue, TLangSection::Main, "status-reading-game-catalogue",
     u"Reading the game's catalogue: %d of %d archives ..."},
    {TLangText::StatusCatalogueSkipped, TLangSection::Main, "status-catalogue-skipped",
     u"Left out, could not be read: %s"},
    {TLangText::CaptionCatalogueGame, TLangSection::Main, "caption-catalogue-game", u"your game"},
    {TLangText::CaptionCatalogueCompiled, TLangSection::Main, "caption-catalogue-compiled", u"compiled data"},
    {TLangText::DbInformationCatalogueGame, TLangSection::Main, "db-information-catalogue-game",
     u"Catalogue: your game %s (%d archives, %d mods, %d skipped)"},
    {TLangText::DbInformationCatalogueCache, TLangSection::Main, "db-information-catalogue-cache",
     u"Catalogue: your game %s, as read at an earlier start (%d archives, %d mods, %d skipped)"},
    {TLangText::DbInformationCatalogueCompiled, TLangSection::Main, "db-information-catalogue-compiled",
     u"Catalogue: the compiled data for game version %s"},
    {TLangText::LabelGameFolder, TLangSection::Main, "label-game-folder", u"Game folder:"},
    {TLangText::ButtonBrowseGameFolder, TLangSection::Main, "button-browse-game-folder", u"Browse…"},
    {TLangText::HintGameFolder, TLangSection::Main, "hint-game-folder",
     u"The folder Euro Truck Simulator 2 is installed in, when it is not in a Steam library. Used from the next "
     u"start."},
    {TLangText::AccessibleGameFolder, TLangSection::Main, "accessible-game-folder", u"Game folder"},
}};

constexpr bool TableFollowsEnum()
{
    for (int i = 0; i < TextCount; ++i) {
        if (static_cast<int>(Table[i].Id) != i)
            return false;
    }
    return true;
}
static_assert(TableFollowsEnum(), "the text table must list the keys in the order of TLangText");

} // namespace

std::span<const TLangTextInfo> BuiltInLanguageTexts()
{
    return Table;
}

const TLangTextInfo &LangTextInfo(TLangText Id)
{
    const int Index = static_cast<int>(Id);
    return Table[(Index >= 0 && Index < TextCount) ? Index : 0];
}

QString SectionName(TLangSection Section)
{
    return Section == TLangSection::Msgbox ? QStringLiteral("msgbox") : QStringLiteral("main");
}

bool KeyTakesBreaks(const TLangTextInfo &Info)
{
    return Info.Section == TLangSection::Msgbox && QByteArrayView(Info.Key).startsWith("msg-");
}

} // namespace kvn

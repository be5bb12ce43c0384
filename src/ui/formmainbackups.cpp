// TFormMain: the list of save backups and restoring one of them.
#include "catalogue/catalogue.h"
#include "jobs/assemblejob.h"
#include "jobs/jobhistory.h"
#include "jobs/jobwriter.h"
#include "jobs/queuedjobs.h"
#include "savegame/backup.h"
#include "savegame/companies.h"
#include "savegame/profilesession.h"
#include "savegame/siidecryption.h"
#include "savegame/unknowndistances.h"
#include "shared/strings.h"
#include "ui/dbinformation.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/programstate.h"

namespace kvn {

void TFormMain::RefreshBackupList()
{
    const TProfileInfo *profile = FState.Session.CurrentProfile();
    const QStringList backups = profile ? ListBackups(*profile) : QStringList();
    const QSignalBlocker blocker(ComboBox11);
    ComboBox11->clear();
    ComboBox11->addItems(BackupComboItems(MainText(QStringLiteral("backup-restore-savegame")),
                                          MainText(QStringLiteral("backup-restore-delete-all-backups")), backups));
    ComboBox11->setCurrentIndex(0);
}

void TFormMain::ComboBox11Change(int Index)
{
    const TProfileInfo *profile = FState.Session.CurrentProfile();
    if (!profile)
        return;
    const auto confirm = [this](const QString &Text) {
        // Both questions destroy something; Enter must not answer them with Yes.
        return Ask(Text, FState.Texts.Text(TLangText::CaptionConfirmation), TMsgDlgType::mtConfirmation, mbYes | mbNo,
                   mbNo) == mrYes;
    };
    switch (BackupComboAction(Index, ComboBox11->count())) {
    case TBackupComboAction::None:
        return;
    case TBackupComboAction::Restore: {
        const TBackupActionResult result = RestoreBackup(*profile, ComboBox11->itemText(Index), confirm, &FState.Texts);
        if (result.Outcome == TBackupOutcome::Done)
            Reload(); // lists the backups again, without the one used up
        else if (result.Outcome == TBackupOutcome::Failed)
            SetTextFader(result.Error, true);
        break;
    }
    case TBackupComboAction::DeleteAll: {
        const TBackupActionResult result = DeleteAllBackups(*profile, confirm, &FState.Texts);
        if (result.Outcome == TBackupOutcome::Failed)
            SetTextFader(result.Error, true);
        // Names of deleted files must not stay on offer.
        RefreshBackupList();
        break;
    }
    }
    ComboBox11->setCurrentIndex(0);
}

} // namespace kvn

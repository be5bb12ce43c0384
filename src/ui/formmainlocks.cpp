// TFormMain: the nine padlocks that keep a selection when the randomiser or a reload runs.
#include "catalogue/catalogue.h"
#include "jobs/assemblejob.h"
#include "jobs/backup.h"
#include "jobs/jobhistory.h"
#include "jobs/jobwriter.h"
#include "jobs/queuedjobs.h"
#include "savegame/companies.h"
#include "savegame/profilesession.h"
#include "savegame/siidecryption.h"
#include "savegame/unknowndistances.h"
#include "shared/strings.h"
#include "ui/clickimage.h"
#include "ui/dbinformation.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/programstate.h"

#include <QComboBox>
#include <QFile>
#include <QIcon>
#include <QPushButton>
#include <algorithm>

namespace kvn {

namespace {

QPixmap LockPicture(bool Closed)
{
    const QString file =
        Closed ? QStringLiteral(":/icons/padlock-closed.svg") : QStringLiteral(":/icons/padlock-open.svg");
    return QFile::exists(file) ? QIcon(file).pixmap(16, 16) : QPixmap();
}

} // namespace

std::array<TClickImage *, TSelectionLocks::kLockCount> TFormMain::LockImages() const
{
    return {Image1, Image2, Image3, Image4, Image5, Image6, Image7, Image8, Image9};
}

void TFormMain::SetUpLocks()
{
    const auto images = LockImages();
    for (TClickImage *image : images)
        connect(image, &TClickImage::clicked, this, [this, image] { ToggleLock(image); });
    ShowLockPictures();
}

void TFormMain::ShowLockPictures()
{
    const auto images = LockImages();
    for (int lock = 0; lock < TSelectionLocks::kLockCount; ++lock) {
        images[lock]->SetPicture(LockPicture(FLocks.Closed(lock)));
        images[lock]->SetChecked(FLocks.Closed(lock));
    }
}

void TFormMain::ToggleLock(TClickImage *Image)
{
    if (!IsProfileLoaded() || !Image)
        return;
    const auto images = LockImages();
    const auto found = std::find(std::begin(images), std::end(images), Image);
    if (found == std::end(images))
        return;
    const std::vector<int> follow = FLocks.ToggleLock(int(found - std::begin(images)));
    ShowLockPictures();
    for (int lock : follow)
        SyncLockedComboBox(ComboBoxNumber(TSelectionLocks::ComboBoxNumber(lock)), lock);
    if (!FGeneratingRandomCargo)
        Button8->setEnabled(!AllComboBoxesDisabled(-1, -1));
}

void TFormMain::SyncLockedComboBox(QComboBox *ComboBox, int Lock)
{
    if (!ComboBox || Lock < 0)
        return;
    // A lock freezes a value, so there must be one: the first entry, as if the player had picked it.
    if (ComboBox->currentIndex() < 0 && ComboBox->count() > 0) {
        ComboBox->setCurrentIndex(0);
        RunChangeHandler(ComboBox);
    }
    ComboBox->setEnabled(!FLocks.Closed(Lock));
}

void TFormMain::RunChangeHandler(QComboBox *Sender)
{
    if (Sender == ComboBox5 || Sender == ComboBox2)
        ComboBox2Change(Sender);
    else if (Sender == ComboBox6 || Sender == ComboBox3)
        ComboBox3Change(Sender);
    else if (Sender == ComboBox7 || Sender == ComboBox4)
        ComboBox4Change(Sender);
    else if (Sender == ComboBox8)
        ComboBox8Change();
    else if (Sender == ComboBox9)
        ComboBox9Change();
    else if (Sender == ComboBox10)
        ComboBox10Change();
}

bool TFormMain::AllComboBoxesDisabled(int From, int To) const
{
    if (From == -1)
        From = 2;
    if (To == -1)
        To = 10;
    for (int n = From; n <= To; ++n)
        if (const QComboBox *box = ComboBoxNumber(n); box && box->isEnabled())
            return false;
    return true;
}

bool TFormMain::AnyComboBoxDisabled(int From, int To) const
{
    if (From == -1)
        From = 2;
    if (To == -1)
        To = 10;
    for (int n = From; n <= To; ++n)
        if (const QComboBox *box = ComboBoxNumber(n); box && !box->isEnabled())
            return true;
    return false;
}

bool TFormMain::EnsureDestinationUnlocked()
{
    if (!AnyComboBoxDisabled(2, 4))
        return true;
    const int answer =
        Ask(FState.Texts.Text(TLangText::MsgGetMaxDistanceWarning), FState.Texts.Text(TLangText::CaptionConfirmation),
            TMsgDlgType::mtWarning, mbYes | mbNo, mbYes);
    if (answer != mrYes)
        return false;
    ResetCityCountryCompanyLocks(true);
    return true;
}

void TFormMain::ResetAllLocks()
{
    const auto images = LockImages();
    for (int lock = 0; lock < TSelectionLocks::kLockCount; ++lock)
        if (FLocks.Closed(lock))
            ToggleLock(images[lock]);
}

void TFormMain::ResetCityCountryCompanyLocks(bool DestinationOnly)
{
    // A chain's first lock is closed whenever any of its locks is, so opening it opens the chain.
    if (!DestinationOnly && FLocks.Closed(0))
        ToggleLock(Image1);
    if (FLocks.Closed(3))
        ToggleLock(Image4);
}

} // namespace kvn

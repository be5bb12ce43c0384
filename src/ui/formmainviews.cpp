// The job and history views, the owner-drawn lists and the options slide of the window.
#include "catalogue/cargos.h"
#include "jobs/jobhistory.h"
#include "jobs/joblist.h"
#include "lang/languages.h"
#include "savegame/profiles.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/jobviewmodel.h"
#include "ui/jobviews.h"
#include "ui/messagedialogue.h"
#include "ui/optionsslide.h"
#include "ui/ownerdrawnlists.h"
#include "ui/programstate.h"

#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QTreeView>

namespace kvn {

namespace {

// Entry i of the trailer list is trailer choice i of the selected cargo. Where the entry names
// its trailer, that one is taken, so that a list filled in another order still paints the
// trailer it offers.
const TTrailerDefinitionItem *TrailerItemOfEntry(const TCargoInfo *Cargo, const QComboBox *TrailerList, int Index)
{
    if (!Cargo)
        return nullptr;
    const auto &items = Cargo->TrailerDefinitionList();
    const TTrailerDefinitionData *named =
        ItemPointer<TTrailerDefinitionData>(TrailerList, Index, kTrailerDefinitionRole);
    if (named) {
        for (const auto &item : items)
            if (item->TrailerDefinitionData.get() == named)
                return item.get();
    }
    return Index >= 0 && size_t(Index) < items.size() ? items[size_t(Index)].get() : nullptr;
}

} // namespace

QString TFormMain::UserFilesFolder() const
{
    return FState.UserFilesFolder.isEmpty() ? FState.ProgramFolder : FState.UserFilesFolder;
}

void TFormMain::SetUpViews()
{
    FJobViewModel =
        new TJobTreeModel(TJobTreeModel::TKind::JobList, FState.JobList, FState.Texts, this, &FState.Catalogue.Names);
    FJobHistoryViewModel = new TJobTreeModel(TJobTreeModel::TKind::History, FState.JobHistory, FState.Texts, this,
                                             &FState.Catalogue.Names);
    ConfigureJobView(VST, FJobViewModel);
    ConfigureJobView(VSTJobHistory, FJobHistoryViewModel);
    FJobListWindow = new TJobListViewAdapter(VST, FJobViewModel, Panel1, Button5, Button6, Button2, this);
    FJobHistoryWindow = new TJobHistoryViewAdapter(VSTJobHistory, FJobHistoryViewModel, Panel2, Button9, this);

    connect(Button6, &QPushButton::clicked, this, [this] { Button2Click(Button6); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(Button2); });
    connect(Button9, &QPushButton::clicked, this, &TFormMain::Button9Click);

    FOptionsSlide = new TWindowSlide(this, FCollapsedWidth, FCollapsedWidth + kOptionsStripWidth);
    connect(Button10, &QPushButton::clicked, this, &TFormMain::Button10Click);

    SetUpOwnerDrawnLists();

    // The panel over the empty job list stays until the first job is added.
    UpdateDeleteButtons(&FState.JobList, *FJobListWindow);
    FJobListWindow->SetEmptyJobListPanelVisible(FState.JobList.Count() == 0);
    LoadJobHistory(UserFilesFolder(), FState.JobHistory, FJobHistoryWindow);
}

IJobListWindow *TFormMain::JobListWindow()
{
    return FJobListWindow;
}

IJobHistoryWindow *TFormMain::JobHistoryWindow()
{
    return FJobHistoryWindow;
}

void TFormMain::SetUpOwnerDrawnLists()
{
    new TOwnerDrawnList(ComboBox1, [this](int Index, bool Selected) {
        const TProfileInfo *profile = ItemPointer<TProfileInfo>(ComboBox1, Index, kProfileInfoRole);
        if (!profile && Index >= 1)
            profile = FState.Session.ProfileList().At(Index - 1);
        return ProfileEntryLook(Index, Selected, ComboBox1->itemText(Index), profile);
    });
    new TOwnerDrawnList(ComboBox8, [this](int Index, bool Selected) {
        return CargoEntryLook(FState.Texts, ItemPointer<TCargoInfo>(ComboBox8, Index, kCargoInfoRole), Index, Selected,
                              ComboBox8->isEnabled(), ComboBox8->palette());
    });
    new TOwnerDrawnList(ComboBox9, [this](int Index, bool Selected) {
        const TCargoInfo *cargo = ItemPointer<TCargoInfo>(ComboBox8, ComboBox8->currentIndex(), kCargoInfoRole);
        return TrailerEntryLook(FState.Texts, cargo, TrailerItemOfEntry(cargo, ComboBox9, Index), Index, Selected,
                                ComboBox9->isEnabled(), ComboBox9->palette(), QLocale(), &FState.Catalogue.Names);
    });
}

void TFormMain::Button2Click(QObject *Sender)
{
    DeleteJobs(FState.JobList, *FJobListWindow, Sender == Button6 ? TJobDeletion::Selected : TJobDeletion::All);
}

void TFormMain::Button9Click()
{
    const int answer =
        Ask(FState.Texts.Text(TLangText::MsgDeleteJobHistoryConfirmation),
            FState.Texts.Text(TLangText::CaptionConfirmation), TMsgDlgType::mtWarning, mbYes | mbNo, mbYes);
    if (answer != mrYes)
        return;
    // A file that could not be deleted would bring the entries back at the next start; the view
    // shows them again at once rather than pretend they are gone.
    if (!DeleteJobHistory(UserFilesFolder(), FState.JobHistory, FJobHistoryWindow))
        LoadJobHistory(UserFilesFolder(), FState.JobHistory, FJobHistoryWindow);
}

void TFormMain::Button10Click()
{
    FOptionsSlide->Toggle();
}

} // namespace kvn

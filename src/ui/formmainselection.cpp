// TFormMain: the selection cascade from country to company, cargo, trailer and urgency.
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
#include "ui/clickimage.h"
#include "ui/dbinformation.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/programstate.h"
#include "ui/selectionlists.h"

#include <QComboBox>
#include <QPushButton>
#include <QSlider>

namespace kvn {

void TFormMain::SetUpSelection()
{
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &TFormMain::Timer2Timer);

    SetUpLocks();

    // Only the player's own picks run the handlers; the cascade sets the lists itself.
    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    for (QComboBox *box : {ComboBox5, ComboBox2})
        connect(box, &QComboBox::activated, this, [this, box] { ComboBox2Change(box); });
    for (QComboBox *box : {ComboBox6, ComboBox3})
        connect(box, &QComboBox::activated, this, [this, box] { ComboBox3Change(box); });
    for (QComboBox *box : {ComboBox7, ComboBox4})
        connect(box, &QComboBox::activated, this, [this, box] { ComboBox4Change(box); });
    connect(ComboBox8, &QComboBox::activated, this, [this] { ComboBox8Change(); });
    connect(ComboBox9, &QComboBox::activated, this, [this] { ComboBox9Change(); });
    connect(ComboBox10, &QComboBox::activated, this, [this] { ComboBox10Change(); });
    connect(ComboBox11, &QComboBox::activated, this, [this](int Index) { ComboBox11Change(Index); });
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    connect(Image11, &TClickImage::clicked, this, [this] { Image11Click(Image11); });
    connect(Image12, &TClickImage::clicked, this, [this] { Image11Click(Image12); });
    connect(Image10, &TClickImage::clicked, this, [this] { Reload(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });

    // A table the learner rebuilt may know the distance the preview called unknown.
    FState.Session.OnDistancesLearned = [this] { AssembleJobPreview(true); };
    FState.Session.OnLearnerFinished = [this](const TLearnerOutcome &Outcome) { ShowLearnerOutcome(Outcome); };
}

int TFormMain::Ask(const QString &Msg, const QString &Caption, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                   TMsgDlgBtn DefaultButton)
{
    const bool wasAsking = FAsking;
    FAsking = true;
    const int answer = FAsk ? FAsk(Msg, Caption, DlgType, Buttons, DefaultButton)
                            : MessageDialogueSimple(FState.Texts, Msg, Caption, DlgType, Buttons, DefaultButton,
                                                    QColor(Qt::black), 0, this);
    FAsking = wasAsking;
    return answer;
}

bool TFormMain::IsProfileLoaded() const
{
    return FState.Session.IsProfileLoaded();
}

QComboBox *TFormMain::ComboBoxNumber(int Number) const
{
    switch (Number) {
    case 2:
        return ComboBox2;
    case 3:
        return ComboBox3;
    case 4:
        return ComboBox4;
    case 5:
        return ComboBox5;
    case 6:
        return ComboBox6;
    case 7:
        return ComboBox7;
    case 8:
        return ComboBox8;
    case 9:
        return ComboBox9;
    case 10:
        return ComboBox10;
    case 11:
        return ComboBox11;
    default:
        return nullptr;
    }
}

PCargoInfo TFormMain::SelectedCargo() const
{
    const int index = ComboBox8->currentIndex();
    if (PCargoInfo cargo = ItemShared<TCargoInfo>(ComboBox8, index, kCargoInfoRole))
        return cargo;
    return index >= 0 ? FindCargo(FState.Catalogue.CargoInfoList, ComboBox8->currentText()) : nullptr;
}

void TFormMain::ComboBoxCountryChange(QComboBox *Sender, bool ForceChange)
{
    if (!ForceChange && (!IsProfileLoaded() || FProfileLoadRunning || !Sender || !Sender->isEnabled()))
        return;
    QComboBox *cities = nullptr;
    QComboBox *companies = nullptr;
    if (Sender == ComboBox5) {
        cities = ComboBox6;
        companies = ComboBox7;
    } else if (Sender == ComboBox2) {
        cities = ComboBox3;
        companies = ComboBox4;
    } else {
        return;
    }
    cities->clear();
    companies->clear();
    const bool all = Sender->currentIndex() == 0;
    const QString selected = SelectedCountryToken(Sender);
    QStringList tokens;
    for (const auto &country : FState.Catalogue.Countries.CountryInfoList()) {
        if (!all && country->Country() != selected)
            continue;
        tokens << country->CityList();
        if (!all)
            break;
    }
    if (tokens.isEmpty()) {
        UpdateAddJobButton(); // nothing to pick on this side any more
        return;
    }
    FillCitiesSorted(cities, tokens, FState.Catalogue.Names);
    ComboBoxCityChange(cities, ForceChange);
}

void TFormMain::ComboBoxCityChange(QComboBox *Sender, bool ForceChange)
{
    if (!ForceChange && (!IsProfileLoaded() || FProfileLoadRunning || !Sender || !Sender->isEnabled()))
        return;
    QComboBox *companies = nullptr;
    if (Sender == ComboBox6)
        companies = ComboBox7;
    else if (Sender == ComboBox3)
        companies = ComboBox4;
    else
        return;
    companies->clear();
    const QString city = SelectedCityToken(Sender);
    QStringList names;
    const TCompanyList &list = FState.Session.CompanyList();
    for (int i = 0; i < list.Count(); ++i)
        if (list.At(i)->HasCity(city))
            names << list.At(i)->CompanyName();
    FillSorted(companies, names);
    if (companies == ComboBox7)
        MarkBranchesWithoutOffers(city);
    ComboBoxCompanyChange(companies);
    UpdateAddJobButton();
}

void TFormMain::MarkBranchesWithoutOffers(const QString &City)
{
    // No job can start at a branch the game gave no offers (truck dealers and the like): grey,
    // as the cargo list greys the cargos the save does not offer, with the reason as a tip.
    const TCompanyList &list = FState.Session.CompanyList();
    for (int i = 0; i < ComboBox7->count(); ++i) {
        const TCompanyInfo *company = list.FindCompany(ComboBox7->itemText(i));
        const bool offers = company && company->OfferCount(City) > 0;
        ComboBox7->setItemData(i, offers ? QVariant() : QVariant(QColor(111, 111, 111)), Qt::ForegroundRole);
        ComboBox7->setItemData(i,
                               offers ? QVariant() : QVariant(FState.Texts.Text(TLangText::LabelCompanyWithoutOffers)),
                               Qt::ToolTipRole);
    }
}

void TFormMain::ComboBoxCompanyChange(QComboBox *)
{
    // The company list is filled sorted already.
    UpdateAddJobButton();
}

void TFormMain::ComboBoxCargoChange(QComboBox *)
{
    // A locked trailer keeps its list.
    if (!ComboBox9->isEnabled())
        return;
    ComboBox9->clear();
    const PCargoInfo cargo = SelectedCargo();
    if (cargo) {
        QStringList seen;
        for (const auto &item : cargo->TrailerDefinitionList()) {
            if (!item->TrailerDefinitionData)
                continue;
            const QString name = item->TrailerDefinitionData->TrailerDefinition();
            if (seen.contains(name, Qt::CaseInsensitive))
                continue;
            seen << name;
            ComboBox9->addItem(name);
            SetItemShared(ComboBox9, ComboBox9->count() - 1, kTrailerDefinitionRole, item->TrailerDefinitionData);
            // The entry shows the trailer in words; its definition stays at hand for the curious.
            ComboBox9->setItemData(ComboBox9->count() - 1, name, Qt::ToolTipRole);
        }
    }
    if (ComboBox9->currentIndex() < 0 && ComboBox9->count() > 0)
        ComboBox9->setCurrentIndex(0);
    UpdateAddJobButton();
}

void TFormMain::ComboBox2Change(QComboBox *Sender)
{
    ComboBoxCountryChange(Sender, false);
    AssembleJobPreview();
}

void TFormMain::ComboBox3Change(QComboBox *Sender)
{
    ComboBoxCityChange(Sender, false);
    AssembleJobPreview();
}

void TFormMain::ComboBox4Change(QComboBox *)
{
    AssembleJobPreview();
}

void TFormMain::ComboBox8Change()
{
    ComboBoxCargoChange(ComboBox8);
    const PCargoInfo cargo = SelectedCargo();
    if (!cargo || !cargo->SavegameCompatibleCargo()) {
        UpdateAddJobButton();
        ClearPreviewLabels(); // the preview of the cargo before would describe a job that cannot be made
    } else {
        AssembleJobPreview();
    }
}

void TFormMain::ComboBox9Change()
{
    AssembleJobPreview();
}

void TFormMain::ComboBox10Change()
{
    UpdateAddJobButton();
    AssembleJobPreview();
}

void TFormMain::TrackBar1Change()
{
    AssembleJobPreview(true);
}

void TFormMain::Image11Click(TClickImage *Sender)
{
    // The slider keeps its range, so at either end nothing changes.
    if (Sender == Image11)
        TrackBar1->setValue(TrackBar1->value() - 1);
    else if (Sender == Image12)
        TrackBar1->setValue(TrackBar1->value() + 1);
}

void TFormMain::UpdateAddJobButton()
{
    bool enabled = IsProfileLoaded();
    for (QComboBox *box : {ComboBox2, ComboBox5, ComboBox3, ComboBox6, ComboBox4, ComboBox7, ComboBox8})
        enabled = enabled && box->currentIndex() >= 0;
    if (enabled) {
        const PCargoInfo cargo = SelectedCargo();
        enabled = cargo && cargo->SavegameCompatibleCargo();
    }
    enabled = enabled && ComboBox9->currentIndex() >= 0 && ComboBox10->currentIndex() >= 0;
    Button3->setEnabled(enabled);
}

void TFormMain::ClearAllComboBoxes()
{
    ResetAllLocks();
    // Nothing is left to keep: a lock over an empty list would only be in the way.
    FLocks.OpenAll();
    ShowLockPictures();
    for (int n = 2; n <= 9; ++n) {
        QComboBox *box = ComboBoxNumber(n);
        box->setEnabled(true);
        box->clear();
    }
    ComboBox10->setEnabled(true);
    ComboBox10->setCurrentIndex(-1);
    UpdateAddJobButton();
}

} // namespace kvn

// TFormMain, the program's only window. This file assembles the window; the loading sequence
// and the closing rules live in formmainload.cpp.
#pragma once

#include "jobs/randomiseroptions.h"
#include "jobs/randomjob.h"
#include "savegame/gamecatalogue.h"

#include <QFuture>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "ui/messagedialogue.h"
#include "ui/selectionlocks.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpinBox;
class QTreeView;
class QUrl;

namespace kvn {

class IJobHistoryWindow;
class IJobListWindow;
class TClickImage;
struct TLearnerOutcome;
class TCargoInfo;
class TJobHistoryViewAdapter;
class TJobListViewAdapter;
class TJobTreeModel;
class TWindowSlide;
class TLayoutScaler;
class TLoadSteps;
struct TProfileLoadResult;
struct TProfileModsResult;
class TTextFader;
struct TProgramState;

class TFormMain : public QWidget {
    Q_OBJECT
public:
    // The window's designed width and the part that stays hidden until the options are shown.
    static constexpr int kDesignedWidth = 1305;
    static constexpr int kDesignedHeight = 698;
    static constexpr int kOptionsStripWidth = 345;
    // The window font's size the layout was drawn for: Tahoma 8 pt at 96 dots per inch.
    static constexpr int kDesignedFontPixels = 11;

    TFormMain(TProgramState &State, TLoadSteps &LoadSteps, QWidget *Parent = nullptr);
    ~TFormMain() override;

    // Writes the texts of the language (section "main") into the widgets.
    void ApplyInterfaceTexts();

    // Shows a status text in the status line; with DoAnimate it blinks in.
    void SetTextFader(const QString &Text, bool DoAnimate);

    // Starts the loading sequence on the thread pool and returns at once.
    void LoadCode(bool ProfilesOnly);

    // Scales the whole layout so that the window, slid open, fits the Available screen area, and
    // grows it with a desktop font larger than the designed 11 pixels. The program calls it with
    // the screen the window opens on before showing the window; without it the window keeps the
    // designed pixels.
    void FitToScreen(const QRect &Available, int DesktopFontPixels);
    double LayoutScale() const { return FLayoutScale; }
    // The width with the options strip slid open.
    int OpenWidth() const;

    bool FormInitialised() const { return FFormInitialised; }
    bool LoadingData() const { return FLoadingData; }
    bool GeneratingRandomCargo() const { return FGeneratingRandomCargo; }
    bool WantClose() const { return FWantClose; }
    int CollapsedWidth() const { return FCollapsedWidth; }
    // How many loading sequences have been started; tests see that a repaint starts none.
    int LoadCodeRuns() const { return FLoadCodeRuns; }

    // The database information message (Image101).
    void ShowDatabaseInformation();

    // Step 1: profile.
    QGroupBox *GroupBox1 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    TClickImage *Image10 = nullptr;
    QPushButton *Button4 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label3 = nullptr;
    // Step 2: departure and destination.
    QGroupBox *GroupBox3 = nullptr;
    QLabel *Label7 = nullptr, *Label8 = nullptr, *Label9 = nullptr;
    QComboBox *ComboBox5 = nullptr, *ComboBox6 = nullptr, *ComboBox7 = nullptr;
    TClickImage *Image1 = nullptr, *Image2 = nullptr, *Image3 = nullptr;
    QLabel *Label4 = nullptr, *Label5 = nullptr, *Label10 = nullptr;
    QComboBox *ComboBox2 = nullptr, *ComboBox3 = nullptr, *ComboBox4 = nullptr;
    TClickImage *Image4 = nullptr, *Image5 = nullptr, *Image6 = nullptr;
    // Step 3: cargo, trailer, urgency, amount, preview.
    QGroupBox *GroupBox5 = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *ComboBox8 = nullptr;
    TClickImage *Image7 = nullptr;
    QComboBox *ComboBox9 = nullptr;
    TClickImage *Image8 = nullptr;
    QLabel *Label12 = nullptr;
    QComboBox *ComboBox10 = nullptr;
    TClickImage *Image9 = nullptr;
    QLabel *Label11 = nullptr;
    TClickImage *Image11 = nullptr;
    QSlider *TrackBar1 = nullptr;
    TClickImage *Image12 = nullptr;
    QLabel *JvHTLabel1 = nullptr, *JvHTLabel2 = nullptr, *JvHTLabel3 = nullptr, *JvHTLabel4 = nullptr,
           *JvHTLabel5 = nullptr;
    QPushButton *Button8 = nullptr;
    QPushButton *Button3 = nullptr;
    // Job list.
    QGroupBox *GroupBox6 = nullptr;
    QTreeView *VST = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *Label6 = nullptr;
    QPushButton *Button5 = nullptr, *Button6 = nullptr, *Button2 = nullptr;
    // Options of the random generator.
    QGroupBox *GroupBox7 = nullptr;
    QLabel *Label14 = nullptr;
    QCheckBox *CheckBox1 = nullptr, *CheckBox4 = nullptr, *CheckBox2 = nullptr, *CheckBox5 = nullptr,
              *CheckBox6 = nullptr, *CheckBox7 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr;
    QSpinBox *SpinEdit1 = nullptr;
    // Job history.
    QGroupBox *GroupBox4 = nullptr;
    QTreeView *VSTJobHistory = nullptr;
    QFrame *Panel2 = nullptr;
    QLabel *Label13 = nullptr;
    QPushButton *Button9 = nullptr;
    // The player's game folder: Label15, Edit3 and Button11 ("Browse…").
    QLabel *Label15 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QPushButton *Button11 = nullptr;
    // Bottom strip.
    TTextFader *TextFader1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QComboBox *ComboBox11 = nullptr;
    QPushButton *Button10 = nullptr;
    TClickImage *Image101 = nullptr;
    TClickImage *Image100 = nullptr;
    // Closes the window once the work that refused a close has ended.
    QTimer *Timer1 = nullptr;

signals:
    // Emitted by the last step of the loading sequence, after its status is shown.
    void LoadingFinished();

protected:
    void paintEvent(QPaintEvent *Event) override;
    void closeEvent(QCloseEvent *Event) override;
    // Tab and Backtab pass over controls the player cannot see: the options strip while the
    // window is narrowed, a list covered by its empty-list note.
    bool focusNextPrevChild(bool Next) override;

private:
    void FormCreate();
    void CreateWidgets();
    void ConfigureWidgets();
    void SetUpOverlayPanels();
    void FormPaint();
    void FormDestroy();
    void Timer1Timer();
    void Image100Click();
    void SetCustomWeightEnabled(bool Enabled);
    void ClearPreviewLabels();

    // Keyboard and assistive technology (formmainaccess.cpp): the tab order follows the three
    // steps, then the job list, then the options and history; the names screen readers give the
    // controls come from the language texts.
    void SetUpKeyboardAccess();
    void ApplyAccessibleTexts();
    bool ReachableByKeyboard(const QWidget *Widget) const;
    // Disabling the focused control sends the keyboard focus on to the next one; once the control
    // is enabled again the focus comes back, unless the player has moved it meanwhile.
    struct TFocusReturn {
        QPointer<QWidget> Owner;
        QPointer<QWidget> MovedTo;
    };
    TFocusReturn DisableKeepingFocus(QWidget *Widget);
    void EnableReturningFocus(QWidget *Widget, const TFocusReturn &Return);
    TFocusReturn FLoadingFocus;

    // Profile loading (formmainprofile.cpp), backups (formmainbackups.cpp), the selection cascade
    // (formmainselection.cpp), the preview and job buttons (formmainjobs.cpp) and the padlocks
    // (formmainlocks.cpp).
    void SetUpSelection();
    void SetUpLocks();
    void RunProfilePreselection();
    void ShowLoadResult(const TProfileLoadResult &Result);
    void ShowProfileModsNotes(const TProfileModsResult &Mods);
    // Queued jobs belong to the profile they were composed for: before another profile is loaded
    // the player is asked to let them go. False (and ComboBox1 back on their profile) when not.
    bool ConfirmProfileChange();
    // The job view after the queued jobs were checked against a newly loaded save.
    void ShowQueuedJobs();
    void ShowLearnerOutcome(const TLearnerOutcome &Outcome);
    void Timer2Timer();
    void Button4Click();
    void OpenHelpDocument();
    void RefreshBackupList();
    void ComboBox11Change(int Index);
    void SyncLockedComboBox(QComboBox *ComboBox, int Lock);
    void ShowLockPictures();
    void RunChangeHandler(QComboBox *Sender);
    QComboBox *ComboBoxNumber(int Number) const;
    PCargoInfo SelectedCargo() const;

public:
    // What a question of the window is answered with; tests answer in place of the player.
    using TAskFunction = std::function<int(const QString &Msg, const QString &Caption, TMsgDlgType DlgType,
                                           TMsgDlgButtons Buttons, TMsgDlgBtn DefaultButton)>;
    void SetMessageDialogue(TAskFunction Ask) { FAsk = std::move(Ask); }
    int Ask(const QString &Msg, const QString &Caption, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
            TMsgDlgBtn DefaultButton);
    // Opens a folder or a web address with the system's handler; tests watch it instead.
    using TOpenUrlFunction = std::function<void(const QUrl &Url)>;
    void SetUrlOpener(TOpenUrlFunction Open) { FOpenUrl = std::move(Open); }

    bool IsProfileLoaded() const;
    bool ProfileLoadRunning() const { return FProfileLoadRunning; }
    // ComboBox1: loads the profile of the selected entry.
    void ComboBox1Change();
    void Reload();
    // The selection cascade; Sender is the country, city or company box of one side.
    void ComboBoxCountryChange(QComboBox *Sender, bool ForceChange);
    void ComboBoxCityChange(QComboBox *Sender, bool ForceChange);
    void ComboBoxCompanyChange(QComboBox *Sender);
    void ComboBoxCargoChange(QComboBox *Sender);
    void ComboBox2Change(QComboBox *Sender);
    void ComboBox3Change(QComboBox *Sender);
    void ComboBox4Change(QComboBox *Sender);
    void ComboBox8Change();
    void ComboBox9Change();
    void ComboBox10Change();
    void TrackBar1Change();
    void Image11Click(TClickImage *Sender);
    void UpdateAddJobButton();
    void ClearAllComboBoxes();
    // The preview of the selected job in JvHTLabel1..5; SliderAsked keeps the slider's position.
    void AssembleJobPreview(bool SliderAsked = false);
    // "Add job" and "Save all jobs".
    void Button3Click();
    void Button5Click();
    // Asks before queuing a job the save cannot take: no offer left at its departure branch, or
    // the same company in the same city at both ends. False: not to be queued.
    bool ConfirmJobCanBeWritten(const TJobListDataSummary &Job);
    void MarkBranchesWithoutOffers(const QString &City);

    // The locks: lock k belongs to Image<k+1> and freezes ComboBox<TSelectionLocks::ComboBoxNumber(k)>.
    void ToggleLock(TClickImage *Image);
    // The padlocks Image1..Image9 in lock order.
    std::array<TClickImage *, TSelectionLocks::kLockCount> LockImages() const;
    bool LockClosed(int Lock) const { return FLocks.Closed(Lock); }
    // The selection boxes ComboBox<From>..ComboBox<To>; -1 stands for 2 and 10.
    bool AllComboBoxesDisabled(int From = -1, int To = -1) const;
    bool AnyComboBoxDisabled(int From = -1, int To = -1) const;
    // Asks to open the destination locks when any is closed; false when the player says no.
    bool EnsureDestinationUnlocked();
    void ResetAllLocks();
    void ResetCityCountryCompanyLocks(bool DestinationOnly);

    // Watches the quick-save for a newer file written by the game.
    QTimer *Timer2 = nullptr;

signals:
    // After every profile load, loaded or not, once the window shows its outcome.
    void ProfileLoadFinished(bool Loaded);

private:
    TSelectionLocks FLocks;
    TAskFunction FAsk;
    TOpenUrlFunction FOpenUrl;
    // From the first step of a profile load to its end, including the window's own steps.
    bool FProfileLoadRunning = false;
    // A question of the window is open; the save watch must not stack a second one on it.
    bool FAsking = false;

    // The job and history views, the owner-drawn lists and the options slide (formmainviews.cpp).
    void SetUpViews();
    // What the job list and the history tell the window; null until the views exist.
    IJobListWindow *JobListWindow();
    IJobHistoryWindow *JobHistoryWindow();
    // Where the job history and the program's other own files are written.
    QString UserFilesFolder() const;
    void SetUpOwnerDrawnLists();
    // "Delete selected" and "Delete all".
    void Button2Click(QObject *Sender);
    // "Delete history", after asking.
    void Button9Click();
    // "Show options / history": slides the window open or closed.
    void Button10Click();
    TJobTreeModel *FJobViewModel = nullptr;
    TJobTreeModel *FJobHistoryViewModel = nullptr;
    TJobListViewAdapter *FJobListWindow = nullptr;
    TJobHistoryViewAdapter *FJobHistoryWindow = nullptr;
    TWindowSlide *FOptionsSlide = nullptr;

    // The random job generator and its options (formmainrandom.cpp).
    void SetUpRandomiser();
    void Button8Click();
    void RunRandomJobTask();
    void RandomJobStart();
    std::unique_ptr<TJobListDataSummary> GenerateRandomJob();
    void SelectRandomJob(const TJobListDataSummary &Job);
    void RandomJobEnd();
    void CancelRandomJob();
    // The job offers the departure branch has left once the queued jobs have taken theirs.
    int FreeJobOffers(const QString &Company, const QString &City) const;
    TRandomJobSelection RandomJobSelection() const;
    void SetOptionsEnabled(bool On);
    void CheckBox1Click(QCheckBox *Sender);
    void Edit1Change(QObject *Sender);
    TRandomiserSettings RandomiserSettingsShown() const;
    QString SettingsFolder() const;
    void Button11Click();
    // Keeps the folder in Edit3 for the next start.
    void SaveGameFolderSetting();
    // Keeps the folder and, when it is another one, reads the game from it at once.
    void GameFolderEdited();
    // The trailers, cargos and cities read again from the game folder now named, then the loaded
    // profile again, so that its lists and queued jobs follow.
    void ReadGameAgain();
    // The progress of a read of the game on this thread, shown in the status line.
    std::function<void(TCatalogueStage, int, int)> PaintedCatalogueProgress();
    TRandomiserOptions FRandomiserOptions;
    TRandomNumbers FRandomNumbers;
    QFuture<void> FRandomJobThread;
    bool FSettingsLoaded = false;

public:
    // The options the generator obeys, as the options box has set them.
    const TRandomiserOptions &RandomiserOptions() const { return FRandomiserOptions; }
    // The random numbers of the generator; tests give a seeded source.
    void SetRandomNumbers(TRandomNumbers Random) { FRandomNumbers = std::move(Random); }

private:
    // The loading sequence (formmainload.cpp).
    void RunLoadSequence(bool ProfilesOnly);
    void RunOnMainThread(const std::function<void()> &Step);
    void LoadStepBegin();
    void LoadStepStatus(const QString &Key);
    void LoadStepPreparing();
    void LoadStepCatalogueProgress(TCatalogueStage Stage, int Done, int Total);
    void LoadStepCatalogueLoaded();
    // The caption names the catalogue in use and its game version.
    // The caption and the names of the catalogue now in use.
    void ShowCatalogueInUse();
    void ShowCatalogueSource();
    void LoadStepProfiles();
    void LoadStepEnd(bool ProfilesFound);
    void LoadSettings();
    void SaveSettings();
    void StopUnknownDistancesLearner();

    QString MainText(const QString &Key) const;
    bool TextsFit(const QFont &Font) const;
    void FitFontToTexts();

    std::unique_ptr<TLayoutScaler> FScaler;
    double FLayoutScale = 1.0;

    TProgramState &FState;
    TLoadSteps &FLoadSteps;
    QFuture<void> FLoadTask;
    int FCollapsedWidth = 0;
    int FLoadCodeRuns = 0;
    bool FFormInitialised = false;
    bool FLoadingData = false;
    bool FGeneratingRandomCargo = false;
    bool FCancelGenerateRandomCargo = false;
    bool FWantClose = false;
    // What the catalogue could not read, told once when the load ends.
    QStringList FCatalogueNotesToShow;
};

} // namespace kvn

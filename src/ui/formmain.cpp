#include "ui/formmain.h"

#include "catalogue/resources.h"
#include "lang/textformat.h"
#include "ui/accessibility.h"
#include "ui/clickimage.h"
#include "ui/dbinformation.h"
#include "ui/layoutscale.h"
#include "ui/optionsslide.h"
#include "ui/programstate.h"
#include "ui/textfade.h"
#include "ui/versioninfo.h"
#include "ui/widgettexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <algorithm>
#include <cmath>

namespace kvn {

namespace {

// The owner-drawn lists show two lines per entry; their drawing comes with the list code,
// the row height is fixed here.
constexpr int kOwnerDrawnItemHeight = 35;
constexpr int kOwnerDrawnComboHeight = kOwnerDrawnItemHeight + 6;
constexpr int kOwnerDrawnVisibleRows = 20;

class TItemHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &Option, const QModelIndex &Index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(Option, Index);
        size.setHeight(kOwnerDrawnItemHeight);
        return size;
    }
};

// The layout is in pixels, so the font is sized in pixels too: 11 px is Tahoma 8 pt at the
// 96 dots per inch the layout was drawn for. Without Tahoma the system's sans-serif face takes
// its place, made smaller where its wider letters would not fit (FitFontToTexts).
QFont WindowFont()
{
    // Tahoma first; then the faces of Arial's widths, which come closest to Tahoma's and keep the
    // texts at full size where the wider system faces would have to shrink.
    for (const QString &family :
         {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")}) {
        if (QFontDatabase::hasFamily(family)) {
            QFont font(family);
            font.setPixelSize(11);
            return font;
        }
    }
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QPixmap IconPicture(const QString &Name, int Size)
{
    const QString file = QStringLiteral(":/icons/%1.svg").arg(Name);
    if (!QFile::exists(file))
        return QPixmap();
    return QIcon(file).pixmap(Size, Size);
}

template <typename T> T *Make(QWidget *Parent, const char *Name, int Left, int Top, int Width, int Height)
{
    auto *widget = new T(Parent);
    widget->setObjectName(QLatin1String(Name));
    widget->setGeometry(Left, Top, Width, Height);
    return widget;
}

// A label of one line; Delphi labels size themselves, so the width is generous.
QLabel *MakeLabel(QWidget *Parent, const char *Name, int Left, int Top, int Width = 190)
{
    return Make<QLabel>(Parent, Name, Left, Top, Width, 14);
}

QComboBox *MakeOwnerDrawnCombo(QWidget *Parent, const char *Name, int Left, int Top, int Width)
{
    auto *combo = Make<QComboBox>(Parent, Name, Left, Top, Width, kOwnerDrawnComboHeight);
    combo->setItemDelegate(new TItemHeightDelegate(combo));
    combo->setMaxVisibleItems(kOwnerDrawnVisibleRows);
    return combo;
}

// Places an image beside a combo box, centred on the combo box's height.
void AlignBeside(QWidget *Image, const QWidget *Combo)
{
    Image->move(Image->x(), Combo->y() + (Combo->height() - Image->height()) / 2);
}

} // namespace

TFormMain::TFormMain(TProgramState &State, TLoadSteps &LoadSteps, QWidget *Parent)
    : QWidget(Parent), FState(State), FLoadSteps(LoadSteps)
{
    FormCreate();
}

TFormMain::~TFormMain()
{
    // A load or a random search still running hands steps to this thread; let them finish
    // before the widgets go (a search ends at its next pause once cancelled).
    CancelRandomJob();
    while (FLoadTask.isRunning() || FRandomJobThread.isRunning())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    FormDestroy();
}

void TFormMain::FormCreate()
{
    setObjectName(QStringLiteral("FormMain"));
    FFormInitialised = false;
    FLoadingData = false;
    FGeneratingRandomCargo = false;

    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(WindowFont());
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(5);
    connect(Timer1, &QTimer::timeout, this, &TFormMain::Timer1Timer);

    setWindowTitle(MainWindowCaption(ProgramFileVersion(), CatalogueGameVersion()));

    // Before any widget is asked for its interface, so that the window's own ones are used.
    InstallAccessibleInterfaces();
    CreateWidgets();
    ConfigureWidgets();

    FCollapsedWidth = kDesignedWidth - kOptionsStripWidth;
    setFixedSize(FCollapsedWidth, kDesignedHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kDesignedWidth / 2, kDesignedHeight / 2));
    }

    SetUpOverlayPanels();

    Edit1->clear();
    Edit2->clear();
    const auto *digitsOnly = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    Edit1->setValidator(digitsOnly);
    Edit2->setValidator(digitsOnly);
    SpinEdit1->setRange(1, 8);

    ReadDatabaseInfo(FState.Catalogue.DatabaseInfo);
    SetUpViews();
    SetUpSelection();
    SetUpRandomiser();
    SetUpKeyboardAccess();
}

void TFormMain::CreateWidgets()
{
    GroupBox1 = Make<QGroupBox>(this, "GroupBox1", 8, 8, 573, 97);
    ComboBox1 = MakeOwnerDrawnCombo(GroupBox1, "ComboBox1", 16, 26, 233);
    Image10 = Make<TClickImage>(GroupBox1, "Image10", 255, 26, 22, 22);
    Button4 = Make<QPushButton>(GroupBox1, "Button4", 428, 24, 137, 25);
    Label1 = Make<QLabel>(GroupBox1, "Label1", 565 - 300, 55, 300, 14);
    Label3 = MakeLabel(GroupBox1, "Label3", 16, 72);

    GroupBox3 = Make<QGroupBox>(this, "GroupBox3", 8, 111, 573, 130);
    Label7 = MakeLabel(GroupBox3, "Label7", 16, 24);
    Label8 = MakeLabel(GroupBox3, "Label8", 216, 24, 180);
    Label9 = MakeLabel(GroupBox3, "Label9", 400, 24, 160);
    ComboBox5 = Make<QComboBox>(GroupBox3, "ComboBox5", 16, 43, 137, 21);
    ComboBox6 = Make<QComboBox>(GroupBox3, "ComboBox6", 216, 43, 137, 21);
    ComboBox7 = Make<QComboBox>(GroupBox3, "ComboBox7", 400, 43, 137, 21);
    Image1 = Make<TClickImage>(GroupBox3, "Image1", 159, 43, 22, 21);
    Image2 = Make<TClickImage>(GroupBox3, "Image2", 359, 43, 22, 21);
    Image3 = Make<TClickImage>(GroupBox3, "Image3", 543, 43, 22, 21);
    Label4 = MakeLabel(GroupBox3, "Label4", 16, 80);
    Label5 = MakeLabel(GroupBox3, "Label5", 216, 80, 180);
    Label10 = MakeLabel(GroupBox3, "Label10", 400, 80, 160);
    ComboBox2 = Make<QComboBox>(GroupBox3, "ComboBox2", 16, 99, 137, 21);
    ComboBox3 = Make<QComboBox>(GroupBox3, "ComboBox3", 216, 99, 137, 21);
    ComboBox4 = Make<QComboBox>(GroupBox3, "ComboBox4", 400, 99, 137, 21);
    Image4 = Make<TClickImage>(GroupBox3, "Image4", 159, 99, 22, 21);
    Image5 = Make<TClickImage>(GroupBox3, "Image5", 359, 99, 22, 21);
    Image6 = Make<TClickImage>(GroupBox3, "Image6", 543, 99, 22, 21);

    GroupBox5 = Make<QGroupBox>(this, "GroupBox5", 7, 247, 573, 386);
    Label2 = MakeLabel(GroupBox5, "Label2", 16, 24, 500);
    ComboBox8 = MakeOwnerDrawnCombo(GroupBox5, "ComboBox8", 16, 43, 521);
    Image7 = Make<TClickImage>(GroupBox5, "Image7", 543, 43, 22, 21);
    ComboBox9 = MakeOwnerDrawnCombo(GroupBox5, "ComboBox9", 15, 97, 521);
    Image8 = Make<TClickImage>(GroupBox5, "Image8", 543, 97, 22, 21);
    Label12 = MakeLabel(GroupBox5, "Label12", 16, 156);
    ComboBox10 = Make<QComboBox>(GroupBox5, "ComboBox10", 16, 175, 194, 21);
    Image9 = Make<TClickImage>(GroupBox5, "Image9", 216, 175, 22, 21);
    Label11 = MakeLabel(GroupBox5, "Label11", 337, 151, 200);
    Image11 = Make<TClickImage>(GroupBox5, "Image11", 306, 175, 16, 16);
    TrackBar1 = Make<QSlider>(GroupBox5, "TrackBar1", 328, 170, 209, 25);
    Image12 = Make<TClickImage>(GroupBox5, "Image12", 543, 175, 16, 16);
    const int previewTops[] = {227, 245, 265, 283, 303};
    QLabel **previewLabels[] = {&JvHTLabel1, &JvHTLabel2, &JvHTLabel3, &JvHTLabel4, &JvHTLabel5};
    for (int i = 0; i < 5; ++i) {
        const QByteArray name = "JvHTLabel" + QByteArray::number(i + 1);
        *previewLabels[i] = Make<QLabel>(GroupBox5, name.constData(), 16, previewTops[i], 549, 17);
        (*previewLabels[i])->setTextFormat(Qt::RichText);
    }
    Button8 = Make<QPushButton>(GroupBox5, "Button8", 16, 347, 166, 25);
    Button3 = Make<QPushButton>(GroupBox5, "Button3", 428, 347, 137, 25);

    GroupBox6 = Make<QGroupBox>(this, "GroupBox6", 586, 8, 360, 625);
    VST = Make<QTreeView>(GroupBox6, "VST", 16, 24, 328, 556);
    Panel1 = Make<QFrame>(GroupBox6, "Panel1", 16, 24, 328, 556);
    Label6 = Make<QLabel>(Panel1, "Label6", 16, 0, 296, 20);
    Button5 = Make<QPushButton>(GroupBox6, "Button5", 16, 586, 113, 25);
    Button6 = Make<QPushButton>(GroupBox6, "Button6", 160, 586, 99, 25);
    Button2 = Make<QPushButton>(GroupBox6, "Button2", 265, 586, 81, 25);

    GroupBox7 = Make<QGroupBox>(this, "GroupBox7", 965, 8, 332, 209);
    Label14 = MakeLabel(GroupBox7, "Label14", 16, 24, 300);
    CheckBox1 = Make<QCheckBox>(GroupBox7, "CheckBox1", 16, 46, 210, 17);
    Edit1 = Make<QLineEdit>(GroupBox7, "Edit1", 236, 44, 80, 21);
    CheckBox4 = Make<QCheckBox>(GroupBox7, "CheckBox4", 32, 70, 284, 17);
    CheckBox2 = Make<QCheckBox>(GroupBox7, "CheckBox2", 16, 100, 210, 17);
    Edit2 = Make<QLineEdit>(GroupBox7, "Edit2", 236, 98, 80, 21);
    CheckBox5 = Make<QCheckBox>(GroupBox7, "CheckBox5", 16, 128, 300, 17);
    CheckBox6 = Make<QCheckBox>(GroupBox7, "CheckBox6", 16, 152, 300, 17);
    CheckBox7 = Make<QCheckBox>(GroupBox7, "CheckBox7", 16, 178, 210, 17);
    SpinEdit1 = Make<QSpinBox>(GroupBox7, "SpinEdit1", 236, 176, 80, 21);

    GroupBox4 = Make<QGroupBox>(this, "GroupBox4", 962, 223, 332, 410);
    VSTJobHistory = Make<QTreeView>(GroupBox4, "VSTJobHistory", 16, 24, 300, 341);
    Panel2 = Make<QFrame>(GroupBox4, "Panel2", 16, 24, 300, 341);
    Label13 = Make<QLabel>(Panel2, "Label13", 16, 0, 268, 20);
    Button9 = Make<QPushButton>(GroupBox4, "Button9", 16, 371, 113, 25);
    // The player's game folder, under the history beside the two images.
    Label15 = MakeLabel(this, "Label15", 965, 638, 221);
    Edit3 = Make<QLineEdit>(this, "Edit3", 965, 658, 125, 23);
    Button11 = Make<QPushButton>(this, "Button11", 1094, 657, 92, 25);

    TextFader1 = Make<TTextFader>(this, "TextFader1", 8, 651, 573, 16);
    ComboBox11 = Make<QComboBox>(this, "ComboBox11", 602, 669, 191, 21);
    ProgressBar1 = Make<QProgressBar>(this, "ProgressBar1", 8, 669, 573, 21);
    Button10 = Make<QPushButton>(this, "Button10", 808, 667, 138, 23);
    Image101 = Make<TClickImage>(this, "Image101", 1192, 642, 48, 48);
    Image100 = Make<TClickImage>(this, "Image100", 1246, 642, 48, 48);
}

void TFormMain::ConfigureWidgets()
{
    // 2. Plain drop-down lists: the platform's default row count.
    ComboBox10->addItems({QString(), QString(), QString()});
    ComboBox10->setCurrentIndex(-1); // no urgency until a profile is loaded
    ComboBox11->addItems({QString(), QString()});
    ComboBox11->setEnabled(false);

    Image10->SetPicture(IconPicture(QStringLiteral("reload"), 22));
    AlignBeside(Image10, ComboBox1);
    AlignBeside(Image7, ComboBox8);
    AlignBeside(Image8, ComboBox9);

    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1->clear();
    Label3->setFixedWidth(GroupBox1->width() - Label3->x());
    Label3->clear();

    TrackBar1->setOrientation(Qt::Horizontal);
    TrackBar1->setTickPosition(QSlider::NoTicks);
    SetCustomWeightEnabled(true);

    for (QPushButton *button : {Button8, Button5, Button3, Button6, Button2, Button4})
        button->setEnabled(false);
    Button8->setIcon(IconPicture(QStringLiteral("arrows-circular"), 16));
    Button3->setIcon(IconPicture(QStringLiteral("plus-green"), 16));
    Button5->setIcon(IconPicture(QStringLiteral("tick"), 16));

    // The locks' behaviour comes with the lock code; they start open.
    for (TClickImage *lock : LockImages()) {
        lock->SetPicture(IconPicture(QStringLiteral("padlock-open"), 16));
        lock->SetCheckable(true);
    }

    ClearPreviewLabels();
    QPalette faderPalette = TextFader1->palette();
    faderPalette.setColor(QPalette::WindowText, QColor(223, 0, 0));
    TextFader1->setPalette(faderPalette);
    TextFader1->SetFadeDelay(5);
    TextFader1->SetLineDelay(80);
    TextFader1->SetRepeatCount(2);
    SetTextFader(QString(), true);

    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(ProgressBar1->x(), ComboBox11->y(), ProgressBar1->width(), ComboBox11->height());

    Image101->SetPicture(IconPicture(QStringLiteral("info"), 48));
    Image100->SetPicture(IconPicture(QStringLiteral("smiley-puzzled"), 48));
    connect(Image101, &TClickImage::clicked, this, &TFormMain::ShowDatabaseInformation);
    connect(Image100, &TClickImage::clicked, this, &TFormMain::Image100Click);
    Button9->setEnabled(false);
}

void TFormMain::SetUpOverlayPanels()
{
    const std::pair<QFrame *, QLabel *> overlays[] = {{Panel1, Label6}, {Panel2, Label13}};
    const std::pair<QFrame *, QTreeView *> covered[] = {{Panel1, VST}, {Panel2, VSTJobHistory}};
    for (const auto &[panel, view] : covered)
        panel->setGeometry(view->geometry());
    for (const auto &[panel, label] : overlays) {
        panel->setFrameShape(QFrame::NoFrame);
        panel->setAutoFillBackground(true);
        QPalette panelPalette = panel->palette();
        panelPalette.setColor(QPalette::Window, Qt::white);
        panel->setPalette(panelPalette);
        panel->raise();

        QFont labelFont = font();
        labelFont.setPixelSize(15); // 11 pt at 96 dots per inch
        label->setFont(labelFont);
        QPalette labelPalette = label->palette();
        labelPalette.setColor(QPalette::WindowText, QColor(223, 0, 0));
        label->setPalette(labelPalette);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        const int lineHeight = QFontMetrics(labelFont).height() + 2;
        const int height = lineHeight * 3;
        const int width = panel->width() - 2 * label->x();
        label->setGeometry(label->x(), (panel->height() - height) / 2, width, height);
    }
}

void TFormMain::ApplyInterfaceTexts()
{
    FState.Catalogue.Names.SetCountryNameOverrides(FState.Texts.CountryNames());
    for (const TWidgetText &entry : MainWindowTexts(FState.Texts)) {
        auto *widget = findChild<QWidget *>(entry.Widget);
        if (!widget)
            continue;
        if (entry.Kind == TWidgetTextKind::Hint) {
            widget->setToolTip(entry.Text);
        } else if (auto *group = qobject_cast<QGroupBox *>(widget)) {
            group->setTitle(entry.Text);
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            button->setText(entry.Text);
        } else if (auto *label = qobject_cast<QLabel *>(widget)) {
            label->setText(entry.Text);
        }
    }
    for (QWidget *widget : std::initializer_list<QWidget *>{Label15, Edit3, Button11})
        widget->setToolTip(FState.Texts.Text(TLangText::HintGameFolder));
#ifndef Q_OS_WIN
    // Explorer is the Windows name; elsewhere the button opens the folder in the file manager.
    Button4->setText(MainText(QStringLiteral("button-open-profile-in-file-manager")));
#endif
    ApplyAccessibleTexts();
    FitFontToTexts();
}

bool TFormMain::TextsFit(const QFont &Font) const
{
    const QFontMetrics metrics(Font);
    const auto fits = [&metrics](const QString &Text, int Room) { return metrics.horizontalAdvance(Text) <= Room; };
    for (const QWidget *widget : findChildren<QWidget *>()) {
        if (const auto *group = qobject_cast<const QGroupBox *>(widget)) {
            if (!fits(group->title(), group->width() - 12))
                return false;
        } else if (const auto *check = qobject_cast<const QCheckBox *>(widget)) {
            if (!fits(check->text(), check->width() - 22))
                return false;
        } else if (const auto *button = qobject_cast<const QPushButton *>(widget)) {
            const int iconRoom = button->icon().isNull() ? 0 : 22;
            if (!fits(button->text(), button->width() - 10 - iconRoom))
                return false;
        } else if (const auto *label = qobject_cast<const QLabel *>(widget)) {
            if (!label->wordWrap() && label->textFormat() != Qt::RichText && !fits(label->text(), label->width()))
                return false;
        }
    }
    // The urgency and backup entries get their texts at the first paint.
    const std::pair<const QComboBox *, const char *> entries[] = {
        {ComboBox10, "urgency-standard"},
        {ComboBox10, "urgency-important"},
        {ComboBox10, "urgency-urgent"},
        {ComboBox11, "backup-restore-savegame"},
        {ComboBox11, "backup-restore-delete-all-backups"},
    };
    for (const auto &[combo, key] : entries)
        if (!fits(MainText(QLatin1String(key)), combo->width() - 30))
            return false;
    return true;
}

void TFormMain::FitFontToTexts()
{
    // The layout is fixed in pixels; a wider face or a long translation could cut texts off, so
    // the font steps down a pixel at a time until every text fits, but never below 8 pixels (of
    // the designed layout).
    QFont fitted = font();
    fitted.setPixelSize(std::max(1, int(std::lround(kDesignedFontPixels * FLayoutScale))));
    const int smallest = std::max(6, int(std::lround(8 * FLayoutScale)));
    while (fitted.pixelSize() > smallest && !TextsFit(fitted))
        fitted.setPixelSize(fitted.pixelSize() - 1);
    setFont(fitted);
}

void TFormMain::FitToScreen(const QRect &Available, int DesktopFontPixels)
{
    const QSize designed(kDesignedWidth, kDesignedHeight);
    // The title bar and borders the window system adds around the window.
    const QSize frame(16, 40);
    const double scale = LayoutScaleFor(designed, frame, Available, DesktopFontPixels, kDesignedFontPixels);
    const bool open = width() > FCollapsedWidth;
    if (!FScaler)
        FScaler = std::make_unique<TLayoutScaler>(this);
    FScaler->Apply(scale);
    FLayoutScale = scale;
    FCollapsedWidth = int(std::lround((kDesignedWidth - kOptionsStripWidth) * scale));
    const int openWidth = int(std::lround(kDesignedWidth * scale));
    if (FOptionsSlide)
        FOptionsSlide->SetWidths(FCollapsedWidth, openWidth);
    setFixedSize(open ? openWidth : FCollapsedWidth, int(std::lround(kDesignedHeight * scale)));
    FitFontToTexts();
    if (Available.isValid()) {
        // Centred for the open window, so that sliding open keeps it on the screen.
        const QSize whole(openWidth + frame.width(), height() + frame.height());
        const int left = Available.left() + std::max(0, (Available.width() - whole.width()) / 2);
        const int top = Available.top() + std::max(0, (Available.height() - whole.height()) / 2);
        move(left, top);
    }
}

int TFormMain::OpenWidth() const
{
    return FOptionsSlide ? FOptionsSlide->OpenWidth() : kDesignedWidth;
}

QString TFormMain::MainText(const QString &Key) const
{
    return FState.Texts.Text(QStringLiteral("main"), Key);
}

void TFormMain::SetTextFader(const QString &Text, bool DoAnimate)
{
    TextFader1->SetActive(false);
    TextFader1->ClearLines();
    if (DoAnimate)
        TextFader1->AddLine(QString());
    // The status texts are the program's own, paths among them (C:\Users\...): shown as they
    // stand, not read as the fader's escapes.
    TextFader1->AddLine(TTextFader::EscapeLine(Text));
    TextFader1->SetActive(true);
}

void TFormMain::SetCustomWeightEnabled(bool Enabled)
{
    Image11->SetPicture(IconPicture(Enabled ? QStringLiteral("minus-red") : QStringLiteral("minus-grey"), 16));
    Image12->SetPicture(IconPicture(Enabled ? QStringLiteral("plus-green") : QStringLiteral("plus-grey"), 16));
    // Greyed out they must not act either, nor be offered to the keyboard.
    Image11->setEnabled(Enabled);
    Image12->setEnabled(Enabled);
    TrackBar1->setEnabled(Enabled);
}

void TFormMain::ClearPreviewLabels()
{
    for (QLabel *label : {JvHTLabel1, JvHTLabel2, JvHTLabel3, JvHTLabel4, JvHTLabel5})
        label->clear();
}

void TFormMain::paintEvent(QPaintEvent *Event)
{
    QWidget::paintEvent(Event);
    FormPaint();
}

void TFormMain::FormPaint()
{
    if (FFormInitialised)
        return;
    ComboBox10->setItemText(0, MainText(QStringLiteral("urgency-standard")));
    ComboBox10->setItemText(1, MainText(QStringLiteral("urgency-important")));
    ComboBox10->setItemText(2, MainText(QStringLiteral("urgency-urgent")));
    // The backup list is made with its two entries, title and delete-all; adding the delete
    // entry as a third would leave a blank entry between them that reads as a backup file.
    ComboBox11->setItemText(0, MainText(QStringLiteral("backup-restore-savegame")));
    ComboBox11->setItemText(ComboBox11->count() - 1, MainText(QStringLiteral("backup-restore-delete-all-backups")));
    ComboBox11->setCurrentIndex(0);
    FFormInitialised = true;
    // Loading starts once the window is on screen, after this paint has finished.
    QMetaObject::invokeMethod(
        this, [this] { LoadCode(false); }, Qt::QueuedConnection);
}

void TFormMain::Image100Click()
{
    OpenHelpDocument();
}

void TFormMain::ShowDatabaseInformation()
{
    const std::shared_ptr<const TDistanceTable> table = FState.Catalogue.Distances.Snapshot();
    const TDistanceCoverage coverage = table ? table->Coverage(true) : TDistanceCoverage();
    const QString distances =
        FState.Texts.Format(TLangText::MsgDbInformationDistances,
                            DistanceCoverageArgs(coverage, FState.Session.SavesLearning(), QLocale()));
    ShowDatabaseInformationMessage(FState.Texts, FState.Catalogue.DatabaseInfo, this,
                                   CatalogueSourceLine(FState.Texts, FState.Catalogue.Source) +
                                       QStringLiteral("\r\n\r\n") + distances);
}

} // namespace kvn

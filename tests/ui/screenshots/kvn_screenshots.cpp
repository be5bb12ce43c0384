// kvn-screenshots <folder> <name prefix>: drives the real window offscreen as a player would on
// the game folder in XDG_DATA_HOME (pick the first profile, queue a job, open the options strip,
// drop the cargo list down) and writes a picture after each step. Used by scripts/screenshots;
// not part of the program.
#include "app/loadsequence.h"
#include "catalogue/cargos.h"
#include "lang/languages.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/messagedialogue.h"
#include "ui/programstate.h"
#include "ui/textfade.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdio>
#include <functional>

namespace {

bool WaitUntil(const std::function<bool()> &Done, int Milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!Done()) {
        if (clock.elapsed() > Milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void Settle(int Milliseconds)
{
    WaitUntil([] { return false; }, Milliseconds);
}

// As a player's choice: the entry and the signal that only a user's pick sends.
void Choose(QComboBox *Combo, int Index)
{
    if (Index < 0 || Index >= Combo->count())
        return;
    Combo->setCurrentIndex(Index);
    emit Combo->activated(Index);
}

// The window with an open drop-down list painted where the list stands on screen.
QPixmap WindowWithPopup(QWidget &Window, QComboBox *Combo)
{
    const QPixmap window = Window.grab();
    QWidget *popup = Combo->view()->window();
    if (!popup->isVisible())
        return window;
    const QPixmap list = popup->grab();
    const QPoint offset = popup->mapToGlobal(QPoint(0, 0)) - Window.mapToGlobal(QPoint(0, 0));
    const QRect whole = QRect(QPoint(0, 0), Window.size()).united(QRect(offset, popup->size()));
    QPixmap picture(whole.size() * window.devicePixelRatio());
    picture.setDevicePixelRatio(window.devicePixelRatio());
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.drawPixmap(-whole.topLeft(), window);
    painter.drawPixmap(offset - whole.topLeft(), list);
    return picture;
}

bool Save(const QPixmap &Picture, const QString &Folder, const QString &Prefix, const QString &Name)
{
    const QString path = QDir(Folder).filePath(QStringLiteral("kestrovan-%1-%2.png").arg(Prefix, Name));
    const bool ok = Picture.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

// A small history, so that the "Previous jobs" strip shows what it is for.
void WriteDemoHistory(const QString &Folder)
{
    QFile file(QDir(Folder).filePath(QStringLiteral("job-history.ini")));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write("[0]\nitems=2\n"
               "[1]\ndeparture=berlin\ndestination=praha\ncargo=Apples\nweight=18\ndistance=350\n"
               "ferry=0\nferrytime=0\ndate=1765370000\n"
               "[2]\ndeparture=calais\ndestination=dover\ncargo=Frozen food\nweight=21\ndistance=120\n"
               "ferry=1\nferrytime=90\ndate=1765380000\n");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrovan"));
    if (argc < 3) {
        std::fprintf(stderr, "usage: kvn-screenshots <folder> <name prefix>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(folder);

    QTemporaryDir userFiles;
    WriteDemoHistory(userFiles.path());
    kvn::TProgramState state;
    state.ProgramFolder = QStringLiteral(KVN_BIN_DIR "/");
    state.UserFilesFolder = userFiles.path() + QStringLiteral("/");
    state.LanguageCode = QStringLiteral("en");
    state.Texts.LoadMessageTexts(state.ProgramFolder, state.LanguageCode);
    kvn::TLoadSequence steps(state);
    kvn::TFormMain form(state, steps);
    state.Texts.LoadInterfaceTexts(state.ProgramFolder, state.LanguageCode);
    form.ApplyInterfaceTexts();
    // A question (a trailer bound to other countries) is answered as a player who goes ahead.
    form.SetMessageDialogue([](const QString &, const QString &, kvn::TMsgDlgType, kvn::TMsgDlgButtons,
                               kvn::TMsgDlgBtn) { return kvn::mrYes; });
    // As the program does: the window fits the screen at this scaling.
    form.FitToScreen(QGuiApplication::primaryScreen()->availableGeometry(),
                     QFontInfo(QApplication::font()).pixelSize());
    form.move(0, 0);
    form.show();

    bool loaded = false;
    QObject::connect(&form, &kvn::TFormMain::LoadingFinished, [&loaded] { loaded = true; });
    if (!WaitUntil([&loaded] { return loaded; }, 60000)) {
        std::fprintf(stderr, "kvn-screenshots: the window did not finish loading\n");
        return 1;
    }
    const auto statusSettled = [&form] { return !form.TextFader1->Active(); };
    WaitUntil(statusSettled, 5000);

    // The first profile, loaded as a player picks it.
    Choose(form.ComboBox1, 1);
    if (!WaitUntil([&state] { return state.Session.IsProfileLoaded() && !state.Session.IsProfileLoadRunning(); },
                   60000))
        std::printf("no profile got loaded (the profile list has %d entries)\n", form.ComboBox1->count());
    WaitUntil(statusSettled, 5000);

    // A cargo the save offers with its first trailer, a destination whose road distance the table
    // knows, and then "Add job", where the window offers it.
    const auto chooseCargo = [&form] {
        for (int i = 0; i < form.ComboBox8->count(); ++i) {
            const auto *cargo = kvn::ItemPointer<kvn::TCargoInfo>(form.ComboBox8, i, kvn::kCargoInfoRole);
            if (cargo && cargo->SavegameCompatibleCargo() && !cargo->TrailerDefinitionList().empty()) {
                Choose(form.ComboBox8, i);
                break;
            }
        }
        Settle(100);
        if (form.ComboBox9->currentIndex() < 0)
            Choose(form.ComboBox9, 0);
        Settle(100);
    };
    chooseCargo();
    const QString unknown = state.Texts.Text(kvn::TLangText::Unknown);
    for (int i = 0; i < form.ComboBox3->count(); ++i) {
        Choose(form.ComboBox3, i);
        Settle(20);
        if (!form.JvHTLabel1->text().isEmpty() && !form.JvHTLabel1->text().contains(unknown))
            break;
    }
    Settle(100);
    chooseCargo();
    if (form.Button3->isEnabled()) {
        form.Button3->click();
        Settle(200);
    } else {
        std::printf("\"Add job\" was not offered; no job is queued\n");
    }
    WaitUntil(statusSettled, 5000);
    Save(form.grab(), folder, prefix, QStringLiteral("collapsed"));

    // The queued job selected, as before "Delete selected".
    if (form.VST->model()->rowCount() > 0)
        form.VST->setCurrentIndex(form.VST->model()->index(0, 0));
    form.Button10->click();
    WaitUntil([&form] { return form.width() == form.OpenWidth(); }, 3000);
    Settle(100);
    Save(form.grab(), folder, prefix, QStringLiteral("open"));

    form.ComboBox8->showPopup();
    Settle(300);
    Save(WindowWithPopup(form, form.ComboBox8), folder, prefix, QStringLiteral("cargo-list"));
    form.ComboBox8->hidePopup();
    return 0;
}

// The window as assistive technology (screen readers, UI automation) and a keyboard-only player
// meet it: every control has a name in the player's language, the images that act can be pressed
// without a mouse, and a whole job can be composed and saved with the keyboard alone.
#include "app/loadsequence.h"
#include "common/generatedgame.h"
#include "savegen.h"
#include "ui/clickimage.h"
#include "ui/formmain.h"
#include "ui/itemroles.h"
#include "ui/programstate.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace kvn;

namespace {

QAccessibleInterface *Interface(QObject *Object)
{
    return QAccessible::queryAccessibleInterface(Object);
}

QString AccessibleName(QObject *Object)
{
    QAccessibleInterface *face = Interface(Object);
    return face ? face->text(QAccessible::Name) : QString();
}

bool Checked(QObject *Object)
{
    QAccessibleInterface *face = Interface(Object);
    return face && face->state().checked;
}

// Every control of the window's accessibility tree that a player can act on: it takes the focus
// or offers an action. Lists and views are not entered; their entries and rows are their own.
void InteractiveControls(QAccessibleInterface *Face, QList<QAccessibleInterface *> &Found)
{
    if (!Face || !Face->isValid())
        return;
    const QAccessible::Role role = Face->role();
    QAccessibleActionInterface *actions = Face->actionInterface();
    const bool acts = actions && !actions->actionNames().isEmpty();
    if (Face->state().focusable || acts)
        Found << Face;
    const QAccessible::Role leaves[] = {QAccessible::ComboBox,     QAccessible::Tree,     QAccessible::List,
                                        QAccessible::Table,        QAccessible::SpinBox,  QAccessible::Slider,
                                        QAccessible::EditableText, QAccessible::ScrollBar};
    if (std::find(std::begin(leaves), std::end(leaves), role) != std::end(leaves))
        return;
    for (int i = 0; i < Face->childCount(); ++i)
        InteractiveControls(Face->child(i), Found);
}

// The names of the rows a tree view shows, as assistive technology reads them.
QStringList RowNames(QTreeView *View)
{
    QStringList names;
    QAccessibleInterface *view = Interface(View);
    for (int i = 0; view && i < view->childCount(); ++i)
        if (QAccessibleInterface *row = view->child(i); row && row->role() != QAccessible::ColumnHeader)
            names << row->text(QAccessible::Name);
    return names;
}

struct TWindow {
    TWindow(const QString &ProgramFolder, const QString &Code) : Steps(State)
    {
        State.ProgramFolder = ProgramFolder;
        State.UserFilesFolder = ProgramFolder;
        State.LanguageCode = Code;
        State.Texts.LoadMessageTexts(State.ProgramFolder, Code);
        Form = std::make_unique<TFormMain>(State, Steps);
        State.Texts.LoadInterfaceTexts(State.ProgramFolder, Code);
        Form->ApplyInterfaceTexts();
        Form->SetMessageDialogue([this](const QString &, const QString &, TMsgDlgType, TMsgDlgButtons, TMsgDlgBtn) {
            ++Questions;
            return int(mrYes); // a country-bound trailer may be asked about
        });
    }

    bool Start()
    {
        QSignalSpy finished(Form.get(), &TFormMain::LoadingFinished);
        Form->show();
        return QTest::qWaitForWindowActive(Form.get()) && finished.wait(30000);
    }

    QWidget *Focused() const { return QApplication::focusWidget(); }
    // Keys go where the player's keys go: to the focused control.
    void Key(Qt::Key Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier)
    {
        QTest::keyClick(Focused(), Key, Modifiers);
    }
    // Picks the entry showing Text in the focused list with Home and Down, as a player does when
    // typing would not do: a space opens the list, and shown names hold letters a keyboard may lack.
    bool Choose(const QString &Text)
    {
        auto *combo = qobject_cast<QComboBox *>(Focused());
        if (!combo)
            return false;
        Key(Qt::Key_Home);
        for (int i = 0; i < combo->count() && combo->currentText() != Text; ++i)
            Key(Qt::Key_Down);
        return combo->currentText() == Text;
    }
    bool TabTo(const QWidget *Target)
    {
        for (int i = 0; i < 60 && Focused() != Target; ++i)
            Key(Qt::Key_Tab);
        return Focused() == Target;
    }
    // The names of the controls one lap of Tab visits, from the focused one on.
    QStringList TabRing()
    {
        QStringList ring;
        const QWidget *start = Focused();
        do {
            ring << (Focused() ? Focused()->objectName() : QStringLiteral("(none)"));
            Key(Qt::Key_Tab);
        } while (Focused() != start && ring.size() < 100);
        return ring;
    }

    TProgramState State;
    TLoadSequence Steps;
    std::unique_ptr<TFormMain> Form;
    int Questions = 0;
};

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void everyControlNamedInTheLanguage_data();
    void everyControlNamedInTheLanguage();
    void imagesArePressableButtons();
    void tabOrderFollowsTheSteps();
    void wholeJobByKeyboard();

private:
    QTemporaryDir FHome;
    QTemporaryDir FProgramFolder;
    QString FGameFolder;
};

void TestAccessibility::initTestCase()
{
    QVERIFY(FHome.isValid() && FProgramFolder.isValid());
    FGameFolder = kvntest::UseHomeFolder(FHome.path());
    // The shipped language files, beside a program folder of the test's own.
    QVERIFY(QDir(FProgramFolder.path()).mkpath("languages"));
    for (const QString &file : QDir(KVN_SOURCE_DIR "/languages").entryList({"*.lang"}, QDir::Files))
        QVERIFY(QFile::copy(KVN_SOURCE_DIR "/languages/" + file, FProgramFolder.path() + "/languages/" + file));
}

void TestAccessibility::init()
{
    // Every test starts from the same untouched saves.
    kvntest::WriteGeneratedGameFolder(FGameFolder, FProgramFolder.path(), 1);
}

void TestAccessibility::everyControlNamedInTheLanguage_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("departureCompany");
    QTest::addColumn<QString>("destinationCompany");
    QTest::addColumn<QString>("lockDepartureCity");
    QTest::newRow("en") << "en"
                        << "Departure company"
                        << "Destination company"
                        << "Lock departure city";
    QTest::newRow("de") << "de"
                        << "Startfirma"
                        << "Zielfirma"
                        << "Startstadt sperren";
}

void TestAccessibility::everyControlNamedInTheLanguage()
{
    QFETCH(QString, code);
    QFETCH(QString, departureCompany);
    QFETCH(QString, destinationCompany);
    QFETCH(QString, lockDepartureCity);
    TWindow window(FProgramFolder.path() + "/", code);
    TFormMain &form = *window.Form;
    QVERIFY(window.Start());
    // Slid open, so that the options and the history are in the window too.
    form.setFixedWidth(form.OpenWidth());

    const auto check = [&](const char *When) {
        QList<QAccessibleInterface *> controls;
        InteractiveControls(Interface(&form), controls);
        QVERIFY2(controls.size() >= 40, When);
        for (QAccessibleInterface *control : controls) {
            if (control->object() == &form)
                continue;
            QVERIFY2(!control->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(QString("%1: %2 has no name").arg(When, control->object()->objectName())));
        }
        // The two company lists, empty or filled, read as what they are, not as their entry or
        // their group's title.
        QCOMPARE(AccessibleName(form.ComboBox7), departureCompany);
        QCOMPARE(AccessibleName(form.ComboBox4), destinationCompany);
        QCOMPARE(AccessibleName(form.Image2), lockDepartureCity);
        QVERIFY(AccessibleName(form.ComboBox8) != AccessibleName(form.ComboBox9));
        QCOMPARE(Interface(form.ComboBox7)->text(QAccessible::Value), form.ComboBox7->currentText());
    };
    QCOMPARE(form.ComboBox7->count(), 0);
    check("no profile");
    QCOMPARE(form.ComboBox1->count(), 2);
    form.ComboBox1->setCurrentIndex(1);
    emit form.ComboBox1->activated(1);
    QVERIFY(window.State.Session.IsProfileLoaded());
    QVERIFY(form.ComboBox7->count() > 0 && form.ComboBox4->count() > 0);
    check("profile loaded");

    // The names follow the language when the texts are applied again.
    window.State.Texts.LoadInterfaceTexts(window.State.ProgramFolder, code == "en" ? "de" : "en");
    form.ApplyInterfaceTexts();
    QVERIFY(AccessibleName(form.ComboBox7) != departureCompany);
}

void TestAccessibility::imagesArePressableButtons()
{
    TWindow window(FProgramFolder.path() + "/", "en");
    TFormMain &form = *window.Form;
    const QList<TClickImage *> images = form.findChildren<TClickImage *>();
    QCOMPARE(images.size(), 14); // nine padlocks, reload, minus, plus, help, database information
    for (TClickImage *image : images) {
        const QByteArray name = image->objectName().toUtf8();
        QAccessibleInterface *face = Interface(image);
        QVERIFY2(face && face->actionInterface(), name);
        const bool padlock = name.size() == 6; // Image1 … Image9
        QCOMPARE(face->role(), padlock ? QAccessible::CheckBox : QAccessible::Button);
        QVERIFY2(face->state().focusable, name);
        QVERIFY2(!face->text(QAccessible::Name).isEmpty(), name);
        const QString press =
            padlock ? QAccessibleActionInterface::toggleAction() : QAccessibleActionInterface::pressAction();
        QVERIFY2(face->actionInterface()->actionNames().contains(press), name);

        // Pressed by assistive technology or by Space and Enter on the focused image, exactly once
        // a press; the window's own handlers are not wanted here (dialogues, folders).
        image->setEnabled(true);
        disconnect(image, &TClickImage::clicked, nullptr, nullptr);
        QSignalSpy clicked(image, &TClickImage::clicked);
        face->actionInterface()->doAction(press);
        QCOMPARE(clicked.size(), 1);
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(image, key);
        QCOMPARE(clicked.size(), 4);
        QTest::keyClick(image, Qt::Key_A);
        QCOMPARE(clicked.size(), 4);
        // A greyed-out image does nothing and offers nothing.
        image->setEnabled(false);
        QVERIFY(!face->actionInterface()->actionNames().contains(press));
        QTest::keyClick(image, Qt::Key_Space);
        face->actionInterface()->doAction(press);
        QCOMPARE(clicked.size(), 4);
    }
}

void TestAccessibility::tabOrderFollowsTheSteps()
{
    TWindow window(FProgramFolder.path() + "/", "en");
    TFormMain &form = *window.Form;
    QVERIFY(window.Start());
    form.ComboBox1->setCurrentIndex(1);
    emit form.ComboBox1->activated(1);
    QVERIFY(window.State.Session.IsProfileLoaded());
    // Assistive technology moves the focus to any list it is asked to.
    for (QComboBox *box : form.findChildren<QComboBox *>()) {
        if (!box->isEnabled())
            continue;
        QAccessibleActionInterface *actions = Interface(box)->actionInterface();
        QVERIFY2(actions && actions->actionNames().contains(QAccessibleActionInterface::setFocusAction()),
                 qPrintable(box->objectName()));
        actions->doAction(QAccessibleActionInterface::setFocusAction());
        QCOMPARE(window.Focused(), box);
    }
    form.ComboBox1->setFocus(Qt::TabFocusReason);

    // The window in its narrowed width: three steps, the job list column, nothing hidden.
    const QStringList steps = {
        "ComboBox1", "Image10",   "Button4", "ComboBox5",  "Image1",  "ComboBox6", "Image2",     "ComboBox7",
        "Image3",    "ComboBox2", "Image4",  "ComboBox3",  "Image5",  "ComboBox4", "Image6",     "ComboBox8",
        "Image7",    "ComboBox9", "Image8",  "ComboBox10", "Image9",  "Image11",   "TrackBar1",  "Image12",
        "Button8",   "Button3",   "VST",     "Button5",    "Button6", "Button2",   "ComboBox11", "Button10"};
    const QStringList strip = {"CheckBox1", "Edit1",     "CheckBox4", "CheckBox2", "Edit2",
                               "CheckBox5", "CheckBox6", "CheckBox7", "SpinEdit1", "VSTJobHistory",
                               "Button9",   "Edit3",     "Button11",  "Image101",  "Image100"};
    const auto expected = [&form](const QStringList &Names) {
        QStringList result;
        for (const QString &name : Names) {
            const auto *widget = form.findChild<QWidget *>(name);
            // The empty job list lies under its note and is no place for the focus.
            const bool covered = (name == "VST" && form.Panel1->isVisibleTo(&form)) ||
                                 (name == "VSTJobHistory" && form.Panel2->isVisibleTo(&form));
            if (widget && widget->isEnabled() && !covered)
                result << name;
        }
        return result;
    };
    QCOMPARE(window.TabRing(), expected(steps));

    // Slid open, the options and the history follow; every control is in the ring.
    QVERIFY(window.TabTo(form.Button10));
    window.Key(Qt::Key_Space);
    QTRY_COMPARE(form.width(), form.OpenWidth());
    const QStringList open = window.TabRing();
    QCOMPARE(open, expected(QStringList{"Button10"} + strip + steps.mid(0, steps.size() - 1)));
    // Backwards it is the same ring.
    QStringList back;
    for (int i = 0; i < open.size(); ++i) {
        back << window.Focused()->objectName();
        window.Key(Qt::Key_Backtab);
    }
    QStringList reversed{open.first()};
    for (qsizetype i = open.size() - 1; i > 0; --i)
        reversed << open[i];
    QCOMPARE(back, reversed);
}

void TestAccessibility::wholeJobByKeyboard()
{
    TWindow window(FProgramFolder.path() + "/", "en");
    TFormMain &form = *window.Form;
    QVERIFY(window.Start());
    // The window opens on step 1, and loading the profile list leaves it there.
    QCOMPARE(window.Focused(), form.ComboBox1);

    // Step 1: the profile. The list is disabled while the profile loads; the focus stays on it.
    window.Key(Qt::Key_Down);
    QVERIFY(window.State.Session.IsProfileLoaded());
    QCOMPARE(window.Focused(), form.ComboBox1);
    const QString country = form.ComboBox5->currentText();
    const QString city = form.ComboBox6->currentText();
    const QString company = form.ComboBox7->currentText();
    QVERIFY(!city.isEmpty() && !company.isEmpty());

    // Step 2: the departure where the player is, chosen again key by key, then locked.
    QVERIFY(window.TabTo(form.ComboBox5));
    const bool first = form.ComboBox5->currentIndex() == 0;
    window.Key(first ? Qt::Key_Down : Qt::Key_Up);
    window.Key(first ? Qt::Key_Up : Qt::Key_Down);
    QCOMPARE(form.ComboBox5->currentText(), country);
    window.Key(Qt::Key_Tab);
    QCOMPARE(window.Focused(), form.Image1);
    // The focused padlock shows it has the focus.
    const QImage focused = form.Image1->grab().toImage();
    if (const QString folder = qEnvironmentVariable("KVN_SCREENSHOT_DIR"); !folder.isEmpty())
        QVERIFY(form.grab().save(folder + "/keyboard-focus-on-padlock.png"));
    window.Key(Qt::Key_Tab);
    QCOMPARE(window.Focused(), form.ComboBox6);
    QVERIFY(form.Image1->grab().toImage() != focused);
    QVERIFY(window.Choose(city));
    QVERIFY(window.TabTo(form.ComboBox7));
    QVERIFY(window.Choose(company));
    window.Key(Qt::Key_Tab);
    QCOMPARE(window.Focused(), form.Image3);
    window.Key(Qt::Key_Space);
    for (TClickImage *lock : {form.Image1, form.Image2, form.Image3})
        QVERIFY2(Checked(lock), qPrintable(lock->objectName()));
    QVERIFY(!form.ComboBox5->isEnabled() && !form.ComboBox7->isEnabled());
    QVERIFY(!Checked(form.Image4));

    // The destination: all countries, the last city, its last company.
    window.Key(Qt::Key_Tab);
    QCOMPARE(window.Focused(), form.ComboBox2);
    window.Key(Qt::Key_Down);
    window.Key(Qt::Key_Up);
    QCOMPARE(form.ComboBox2->currentIndex(), 0);
    QVERIFY(window.TabTo(form.ComboBox3));
    window.Key(Qt::Key_End);
    QCOMPARE(form.ComboBox3->currentIndex(), form.ComboBox3->count() - 1);
    QVERIFY(window.TabTo(form.ComboBox4));
    window.Key(Qt::Key_End);

    // Step 3: the first cargo the save offers, its last trailer, an important delivery.
    QVERIFY(window.TabTo(form.ComboBox8));
    window.Key(Qt::Key_Home);
    for (int i = 0; i < form.ComboBox8->count(); ++i) {
        const auto *cargo = ItemPointer<TCargoInfo>(form.ComboBox8, form.ComboBox8->currentIndex(), kCargoInfoRole);
        if (cargo && cargo->SavegameCompatibleCargo())
            break;
        window.Key(Qt::Key_Down);
    }
    QVERIFY(form.ComboBox9->count() > 0);
    QVERIFY(window.TabTo(form.ComboBox9));
    window.Key(Qt::Key_End);
    QVERIFY(window.TabTo(form.ComboBox10));
    window.Key(Qt::Key_Down);
    QCOMPARE(form.ComboBox10->currentIndex(), 1);

    const QStringList offer = {"target: \"" + form.ComboBox4->currentText() + "." +
                                   form.ComboBox3->currentData(kCityTokenRole).toString() + "\"",
                               "cargo: cargo." + form.ComboBox8->currentText(),
                               "trailer_definition: " + form.ComboBox9->currentText(), "urgency: 1"};
    QVERIFY(window.TabTo(form.Button3));
    window.Key(Qt::Key_Space);
    QCOMPARE(window.State.JobList.Count(), 1);
    // The queued job's row reads as the list shows it.
    const QString row = form.VST->model()->index(0, 0).data().toString();
    QVERIFY2(RowNames(form.VST).contains(row), qPrintable(RowNames(form.VST).join(" | ")));

    // "Save all jobs" is the next stop after the job list.
    window.Key(Qt::Key_Tab);
    QCOMPARE(window.Focused(), form.VST);
    window.Key(Qt::Key_Tab);
    QCOMPARE(window.Focused(), form.Button5);
    window.Key(Qt::Key_Space);
    QCOMPARE(window.State.JobList.Count(), 0);
    QCOMPARE(window.State.JobHistory.Count(), 1);

    QFile game(window.State.Session.CurrentProfile()->GameFilePath());
    QVERIFY(game.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(game.readAll()).split("\r\n");
    bool written = false;
    for (qsizetype at = lines.indexOf(QRegularExpression("^\\s*" + QRegularExpression::escape(offer[0]) + "$"));
         at >= 0 && !written;
         at = lines.indexOf(QRegularExpression("^\\s*" + QRegularExpression::escape(offer[0]) + "$"), at + 1)) {
        QStringList unit;
        for (qsizetype i = at; i < lines.size() && !lines[i].trimmed().startsWith('}'); ++i)
            unit << lines[i].trimmed();
        written = std::all_of(offer.begin(), offer.end(), [&unit](const QString &L) { return unit.contains(L); });
    }
    QVERIFY2(written, qPrintable(offer.join(", ")));
    // The written job's row in the history reads as it is shown.
    const QString historyRow = form.VSTJobHistory->model()->index(0, 0).data().toString();
    QVERIFY(RowNames(form.VSTJobHistory).contains(historyRow));
}

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"

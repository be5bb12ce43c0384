// The main window in every shipped language. The layout is fixed in pixels and the window steps
// its font down until every text fits; a translation too long for its place would shrink the
// whole window's text, so every language must fit at the size where the English texts fit.
// With KVN_SCREENSHOT_DIR set, the window of each language is saved as <code>.png for a look.
#include "app/loadsequence.h"
#include "ui/formmain.h"
#include "ui/programstate.h"
#include "ui/textfade.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>
#include <cmath>

using namespace kvn;

namespace {

// The texts of a window that are wider than their place at PixelSize, with the room the window's
// own fitting allows each kind of widget (frame, check box, icon).
QStringList Overflows(const TFormMain &Form, const TLanguageTexts &Texts, int PixelSize)
{
    QFont font = Form.font();
    font.setPixelSize(PixelSize);
    const QFontMetrics metrics(font);
    QStringList result;
    const auto check = [&](const QWidget *Widget, const QString &Text, int Room) {
        if (metrics.horizontalAdvance(Text) > Room)
            result << QStringLiteral("%1 \"%2\" needs %3 of %4 px")
                          .arg(Widget->objectName(), Text)
                          .arg(metrics.horizontalAdvance(Text))
                          .arg(Room);
    };
    for (const QWidget *widget : Form.findChildren<QWidget *>()) {
        if (const auto *group = qobject_cast<const QGroupBox *>(widget))
            check(group, group->title(), group->width() - 12);
        else if (const auto *box = qobject_cast<const QCheckBox *>(widget))
            check(box, box->text(), box->width() - 22);
        else if (const auto *button = qobject_cast<const QPushButton *>(widget))
            check(button, button->text(), button->width() - 10 - (button->icon().isNull() ? 0 : 22));
        else if (const auto *label = qobject_cast<const QLabel *>(widget);
                 label && !label->wordWrap() && label->textFormat() != Qt::RichText)
            check(label, label->text(), label->width());
    }
    const std::pair<const char *, const char *> entries[] = {
        {"ComboBox10", "urgency-standard"},
        {"ComboBox10", "urgency-important"},
        {"ComboBox10", "urgency-urgent"},
        {"ComboBox11", "backup-restore-savegame"},
        {"ComboBox11", "backup-restore-delete-all-backups"},
    };
    for (const auto &[name, key] : entries)
        if (const auto *combo = Form.findChild<QComboBox *>(QLatin1String(name)))
            check(combo, Texts.Text(QStringLiteral("main"), QLatin1String(key)), combo->width() - 30);
    // One-line texts that nothing wraps: the preview's help line (bold parts and all) and the
    // status line's messages.
    const std::pair<const char *, const char *> lines[] = {
        {"JvHTLabel5", "label-job-preview-distance-unknown-help-improve"},
        {"TextFader1", "status-no-game-directory-found"},
        {"TextFader1", "status-no-game-directory-found-linux"},
        {"TextFader1", "status-random-job-nothing-found-yet"},
    };
    for (const auto &[name, key] : lines) {
        const auto *widget = Form.findChild<QWidget *>(QLatin1String(name));
        if (!widget)
            continue;
        QTextDocument document;
        document.setDocumentMargin(0);
        document.setDefaultFont(font);
        document.setHtml(Texts.Text(QStringLiteral("main"), QLatin1String(key)));
        const int needs = int(std::ceil(document.idealWidth()));
        if (needs > widget->width())
            result << QStringLiteral("%1 %2 needs %3 of %4 px")
                          .arg(QLatin1String(name), QLatin1String(key))
                          .arg(needs)
                          .arg(widget->width());
    }
    return result;
}

struct TLanguageWindow {
    explicit TLanguageWindow(const QString &Code) : Steps(State)
    {
        State.ProgramFolder = QStringLiteral(KVN_SOURCE_DIR "/");
        // The window keeps its options when it closes; not in the source tree.
        State.UserFilesFolder = FilesFolder.path() + QLatin1Char('/');
        State.LanguageCode = Code;
        Loaded = State.Texts.LoadMessageTexts(State.ProgramFolder, Code) == TLanguageSource::File;
        Form = std::make_unique<TFormMain>(State, Steps);
        Loaded = State.Texts.LoadInterfaceTexts(State.ProgramFolder, Code) == TLanguageSource::File && Loaded;
        Form->ApplyInterfaceTexts();
    }
    QStringList Overflows(int PixelSize) const { return ::Overflows(*Form, State.Texts, PixelSize); }

    QTemporaryDir FilesFolder;
    TProgramState State;
    TLoadSequence Steps;
    std::unique_ptr<TFormMain> Form;
    bool Loaded = false;
};

} // namespace

class TestTranslationsWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(FHome.isValid());
        qputenv("HOME", FHome.path().toUtf8());
        qputenv("XDG_DATA_HOME", (FHome.path() + "/.local/share").toUtf8());
        qputenv("XDG_CONFIG_HOME", (FHome.path() + "/.config").toUtf8());
        qputenv("XDG_DOCUMENTS_DIR", (FHome.path() + "/Documents").toUtf8());
        // The largest font at which every English text fits; translations are held to it.
        const TLanguageWindow english(QStringLiteral("en"));
        QVERIFY(english.Loaded);
        FEnglishSize = 11;
        while (FEnglishSize > 8 && !english.Overflows(FEnglishSize).isEmpty())
            --FEnglishSize;
    }

    void fitsWhereEnglishFits_data()
    {
        QTest::addColumn<QString>("code");
        const QStringList files =
            QDir(KVN_SOURCE_DIR "/languages").entryList({QStringLiteral("*.lang")}, QDir::Files, QDir::Name);
        for (const QString &file : files)
            QTest::newRow(qPrintable(file)) << file.chopped(5);
    }

    void fitsWhereEnglishFits()
    {
        QFETCH(QString, code);
        const TLanguageWindow window(code);
        QVERIFY(window.Loaded);
        const QStringList overflows = window.Overflows(FEnglishSize);
        QVERIFY2(overflows.isEmpty(),
                 qPrintable(QStringLiteral("at %1 px: ").arg(FEnglishSize) + overflows.join(QStringLiteral("; "))));
        // The smiley the preview sends the player to is hidden until the options are shown: the
        // help line names that button as it is written in this language.
        const auto main = [&window](const char *Key) { return window.State.Texts.Text(QStringLiteral("main"), Key); };
        QVERIFY(main("label-job-preview-distance-unknown-help-improve").contains(main("button-show-options-history")));
#ifndef Q_OS_WIN
        QCOMPARE(window.Form->Button4->text(), main("button-open-profile-in-file-manager"));
#endif

        const QString folder = qEnvironmentVariable("KVN_SCREENSHOT_DIR");
        if (folder.isEmpty())
            return;
        TFormMain &form = *window.Form;
        QSignalSpy finished(&form, &TFormMain::LoadingFinished);
        form.show();
        QVERIFY(finished.wait(20000));
        QTRY_VERIFY(!form.TextFader1->Active());
        form.setFixedWidth(TFormMain::kDesignedWidth);
        QVERIFY(form.grab().save(QDir(folder).filePath(code + QStringLiteral(".png"))));
        qInfo("%s: window font %d px, English fits at %d px", qPrintable(code), form.font().pixelSize(), FEnglishSize);
    }

private:
    QTemporaryDir FHome;
    int FEnglishSize = 11;
};

QTEST_MAIN(TestTranslationsWindow)
#include "test_translations_window.moc"

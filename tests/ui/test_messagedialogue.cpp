// The message dialogue answered by a simulated user: every button kind, keys and closing.
#include "lang/languages.h"
#include "ui/messagedialogue.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace kvn;

namespace {

// Runs Act on the dialogue as soon as it is shown; gives up after a few seconds so that a
// dialogue that never appears fails the test instead of hanging it.
void WhenDialogueShows(std::function<void(QMessageBox *)> Act, int Attempts = 200)
{
    QTimer::singleShot(10, qApp, [Act, Attempts] {
        auto *Box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (Box && Box->isVisible())
            Act(Box);
        else if (Attempts > 0)
            WhenDialogueShows(Act, Attempts - 1);
    });
}

QAbstractButton *ButtonNamed(QMessageBox *Box, const QString &Name)
{
    for (QAbstractButton *Button : Box->buttons()) {
        if (Button->objectName() == Name)
            return Button;
    }
    return nullptr;
}

} // namespace

class TestMessageDialogue : public QObject {
    Q_OBJECT

private slots:
    void answers_data()
    {
        QTest::addColumn<unsigned>("buttons");
        QTest::addColumn<unsigned>("defaultButton");
        QTest::addColumn<QString>("action"); // a button's name, "close", "escape" or "enter"
        QTest::addColumn<int>("answer");

        const unsigned YesNo = mbYes | mbNo;
        QTest::newRow("Yes") << YesNo << unsigned(mbYes) << "Yes" << mrYes;
        QTest::newRow("No") << YesNo << unsigned(mbYes) << "No" << mrNo;
        QTest::newRow("Yes/No closed without a button") << YesNo << unsigned(mbYes) << "close" << mrNo;
        QTest::newRow("Yes/No escape") << YesNo << unsigned(mbYes) << "escape" << mrNo;
        QTest::newRow("enter on default Yes") << YesNo << unsigned(mbYes) << "enter" << mrYes;
        QTest::newRow("enter on default No") << YesNo << unsigned(mbNo) << "enter" << mrNo;
        QTest::newRow("OK only") << unsigned(mbOK) << unsigned(mbOK) << "OK" << mrNo;
        QTest::newRow("Cancel") << (YesNo | mbCancel) << unsigned(mbYes) << "Cancel" << mrCancel;
        QTest::newRow("Ignore") << unsigned(mbAbort | mbRetry | mbIgnore) << unsigned(mbRetry) << "Ignore" << mrIgnore;
        QTest::newRow("Abort") << unsigned(mbAbort | mbRetry | mbIgnore) << unsigned(mbRetry) << "Abort" << mrNo;
        QTest::newRow("Close") << unsigned(mbClose) << unsigned(mbClose) << "Close" << mrClose;
        QTest::newRow("Close dialogue closed without a button")
            << unsigned(mbClose) << unsigned(mbClose) << "close" << mrNo;
        QTest::newRow("All") << unsigned(mbAll | mbYesToAll | mbNoToAll | mbHelp) << unsigned(mbAll) << "All" << mrNo;
        QTest::newRow("YesToAll") << unsigned(mbAll | mbYesToAll) << unsigned(mbAll) << "YesToAll" << mrNo;
        QTest::newRow("no buttons still gives OK") << 0u << unsigned(mbOK) << "OK" << mrNo;
    }

    void answers()
    {
        QFETCH(unsigned, buttons);
        QFETCH(unsigned, defaultButton);
        QFETCH(QString, action);
        QFETCH(int, answer);

        bool Acted = false;
        WhenDialogueShows([&](QMessageBox *Box) {
            Acted = true;
            if (action == QLatin1String("close"))
                Box->close();
            else if (action == QLatin1String("escape"))
                QTest::keyClick(Box, Qt::Key_Escape);
            else if (action == QLatin1String("enter"))
                QTest::keyClick(Box, Qt::Key_Return);
            else if (QAbstractButton *Button = ButtonNamed(Box, action))
                Button->click();
            else
                Box->done(QDialog::Accepted); // the wanted button is missing; the QVERIFY below fails
        });
        TLanguageTexts Texts;
        const int Answer = MessageDialogueSimple(Texts, QStringLiteral("Question?"), QStringLiteral("Title"),
                                                 TMsgDlgType::mtWarning, buttons, TMsgDlgBtn(defaultButton));
        QVERIFY(Acted);
        QCOMPARE(Answer, answer);
    }

    void appearance()
    {
        QTemporaryDir Dir;
        QDir(Dir.path()).mkpath(QStringLiteral("languages"));
        QFile File(LanguageFileName(Dir.path(), QStringLiteral("de")));
        QVERIFY(File.open(QIODevice::WriteOnly));
        File.write("[msgbox]\nbutton-yes=Ja\nbutton-no=\nbutton-cancel=Abbrechen\n");
        File.close();
        TLanguageTexts Texts;
        Texts.LoadMessageTexts(Dir.path(), QStringLiteral("de"));

        QStringList Captions;
        QString Title, Message;
        Qt::WindowFlags Flags;
        QColor MessageColour, Background;
        bool Bold = false;
        WhenDialogueShows([&](QMessageBox *Box) {
            for (const QString &Name : {QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("Cancel")})
                Captions << (ButtonNamed(Box, Name) ? ButtonNamed(Box, Name)->text() : QStringLiteral("(none)"));
            Title = Box->windowTitle();
            Flags = Box->windowFlags();
            Background = Box->palette().color(QPalette::Window);
            if (auto *Label = Box->findChild<QLabel *>(QStringLiteral("Message"))) {
                Message = Label->text();
                MessageColour = Label->palette().color(QPalette::WindowText);
                Bold = Label->font().bold();
            }
            Box->close();
        });
        MessageDialogueSimple(Texts, QStringLiteral("Made with <b><3</b>\r\nsecond line"), QStringLiteral("Hinweis"),
                              TMsgDlgType::mtInformation, mbYes | mbNo | mbCancel, mbYes, QColor(Qt::red), fsBold);

        // A blank translation keeps the English caption.
        QCOMPARE(Captions, (QStringList{QStringLiteral("Ja"), QStringLiteral("No"), QStringLiteral("Abbrechen")}));
        QCOMPARE(Title, QStringLiteral("Hinweis"));
        QVERIFY(Flags & Qt::WindowStaysOnTopHint);
        QVERIFY(!(Flags & Qt::WindowCloseButtonHint));
        QVERIFY(!(Flags & Qt::WindowSystemMenuHint));
        QCOMPARE(Background, QColor(Qt::white));
        // Shown as written, never as markup.
        QCOMPARE(Message, QStringLiteral("Made with <b><3</b>\nsecond line"));
        QCOMPARE(MessageColour, QColor(Qt::red));
        QVERIFY(Bold);
    }
};

QTEST_MAIN(TestMessageDialogue)
#include "test_messagedialogue.moc"

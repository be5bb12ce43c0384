// The status line: escapes, the blink of a new status and an interrupted blink.
#include "ui/textfade.h"

#include <QtTest>

using namespace kvn;

namespace {

// The main window's settings of its status line.
void ConfigureLikeTheWindow(TTextFader &Fader)
{
    Fader.SetFadeDelay(5);
    Fader.SetLineDelay(80);
    Fader.SetRepeatCount(2);
}

void Show(TTextFader &Fader, const QString &Text)
{
    Fader.SetActive(false);
    Fader.ClearLines();
    Fader.AddLine(QString());
    Fader.AddLine(Text);
    Fader.SetActive(true);
}

} // namespace

class TestTextFade : public QObject {
    Q_OBJECT
private slots:
    void unescape_data();
    void unescape();
    void blinksAndKeepsTheText();
    void emptyTextBlanksTheLine();
    void interruptedBlinkStartsFromItsTarget();
};

void TestTextFade::unescape_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "Loading ..."
                           << "Loading ...";
    QTest::newRow("line break") << "a\\nb"
                                << "a\r\nb";
    QTest::newRow("tab") << "a\\tb"
                         << "a\tb";
    QTest::newRow("backslash") << "C:\\\\Games"
                               << "C:\\Games";
    QTest::newRow("unknown escape drops both") << "C:\\Games"
                                               << "C:ames";
    QTest::newRow("backslash last") << "end\\"
                                    << "end";
}

void TestTextFade::unescape()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(TTextFader::UnescapeLine(line), expected);
}

void TestTextFade::blinksAndKeepsTheText()
{
    TTextFader fader;
    ConfigureLikeTheWindow(fader);
    int completes = 0;
    connect(&fader, &TTextFader::Complete, [&completes] { ++completes; });
    Show(fader, "Preparing ...");
    QVERIFY(fader.Active());
    QTRY_VERIFY_WITH_TIMEOUT(!fader.Active(), 5000);
    QCOMPARE(fader.CurText(), QString("Preparing ..."));
    QCOMPARE(fader.FadeProgress(), 100);
    // Out, in, out, in: four fades, then the text stays.
    QCOMPARE(completes, 5);
}

void TestTextFade::emptyTextBlanksTheLine()
{
    TTextFader fader;
    ConfigureLikeTheWindow(fader);
    Show(fader, "old");
    QTRY_VERIFY_WITH_TIMEOUT(!fader.Active(), 5000);
    Show(fader, QString());
    QCOMPARE(fader.Lines(), QStringList({QString(), QString()}));
    QTRY_VERIFY_WITH_TIMEOUT(!fader.Active(), 5000);
    QCOMPARE(fader.CurText(), QString());
}

void TestTextFade::interruptedBlinkStartsFromItsTarget()
{
    TTextFader fader;
    ConfigureLikeTheWindow(fader);
    Show(fader, "first");
    // Wait until the fade towards "first" is under way.
    QTRY_VERIFY_WITH_TIMEOUT(fader.CurText() == "first" && fader.FadeProgress() < 100, 5000);
    fader.SetActive(false);
    QCOMPARE(fader.FadeProgress(), 100); // shows "first" at once
    QCOMPARE(fader.CurText(), QString("first"));
    Show(fader, "second");
    QTRY_VERIFY_WITH_TIMEOUT(fader.FadeProgress() < 100, 5000);
    QCOMPARE(fader.OldText(), QString("first"));
    QTRY_VERIFY_WITH_TIMEOUT(!fader.Active(), 5000);
    QCOMPARE(fader.CurText(), QString("second"));
}

QTEST_MAIN(TestTextFade)
#include "test_textfade.moc"

// TTextFader: a status line that cycles through its lines, cross-fading from one to the next.
#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace kvn {

class TTextFader : public QWidget {
    Q_OBJECT
    // Readable by name, so that tools outside the program can tell what the status line says.
    Q_PROPERTY(QStringList Lines READ Lines)
    Q_PROPERTY(QString CurText READ CurText)
public:
    explicit TTextFader(QWidget *Parent = nullptr);
    ~TTextFader() override;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    bool BlackAfter() const { return FBlackAfter; }
    void SetBlackAfter(bool Value) { FBlackAfter = Value; }
    Qt::Alignment Alignment() const { return FAlignment; }
    void SetAlignment(Qt::Alignment Value);
    int FadeDelay() const { return FFadeDelay; }
    void SetFadeDelay(int Milliseconds);
    int FadeStep() const { return FFadeStep; }
    void SetFadeStep(int Percent);
    int LineDelay() const { return FLineDelay; }
    void SetLineDelay(int Milliseconds);
    const QStringList &Lines() const { return FLines; }
    void SetLines(const QStringList &Value);
    void ClearLines() { SetLines(QStringList()); }
    void AddLine(const QString &Line) { SetLines(FLines + QStringList{Line}); }
    int RepeatCount() const { return FRepeatCount; }
    void SetRepeatCount(int Value) { FRepeatCount = Value; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);

    // Back to the start: nothing shown, no fade, before the first line.
    void Reset();

    // What the control shows (or fades to) and the text it fades from.
    QString CurText() const { return FCurText; }
    QString OldText() const { return FOldText; }
    int FadeProgress() const { return FFadeProgress; }
    int LineIndex() const { return FLineIndex; }

    // Reads "\\", "\n" and "\t" escapes; any other escape is dropped with its character.
    static QString UnescapeLine(const QString &Line);
    // The line that UnescapeLine turns back into Text: shown as it stands, backslashes and all.
    static QString EscapeLine(const QString &Text);

    QSize sizeHint() const override { return QSize(200, 16); }

signals:
    // Each time a fade has reached 100 %.
    void Complete();

protected:
    void paintEvent(QPaintEvent *Event) override;

private:
    void Tick();
    void SetLineIndex(int Index);
    QString NextLine();
    void DrawText(class QPainter &Painter, const QString &Text) const;

    QTimer FTimer;
    QStringList FLines;
    QString FCurText;
    QString FOldText;
    Qt::Alignment FAlignment = Qt::AlignLeft;
    int FLineIndex = -1;
    int FRepeatedCount = 0;
    int FRepeatCount = 0;
    int FFadeProgress = 100;
    int FFadeDelay = 2;
    int FFadeStep = 8;
    int FLineDelay = 5;
    bool FActive = false;
    bool FBlackAfter = false;
    bool FWordWrap = false;
    bool FTransparent = true;
    bool FDrawing = false;
};

} // namespace kvn

#include "ui/textfade.h"

#include <QPainter>
#include <algorithm>

namespace kvn {

TTextFader::TTextFader(QWidget *Parent) : QWidget(Parent)
{
    resize(200, 16);
    FTimer.setParent(this);
    connect(&FTimer, &QTimer::timeout, this, &TTextFader::Tick);
}

TTextFader::~TTextFader()
{
    FTimer.stop();
}

void TTextFader::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    FFadeProgress = 100;
    if (FActive) {
        FRepeatedCount = 0;
        FTimer.start(5);
    } else {
        FTimer.stop();
        update();
    }
}

void TTextFader::SetAlignment(Qt::Alignment Value)
{
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    update();
}

void TTextFader::SetFadeDelay(int Milliseconds)
{
    FFadeDelay = std::clamp(Milliseconds, 0, 65535);
    if (FFadeProgress < 100)
        FTimer.setInterval(FFadeDelay);
}

void TTextFader::SetFadeStep(int Percent)
{
    FFadeStep = std::clamp(Percent, 1, 100);
}

void TTextFader::SetLineDelay(int Milliseconds)
{
    FLineDelay = std::clamp(Milliseconds, 0, 65535);
    if (FFadeProgress == 100)
        FTimer.setInterval(FLineDelay);
}

void TTextFader::SetLines(const QStringList &Value)
{
    FLines = Value;
    if (FLineIndex > FLines.size() - 1)
        FLineIndex = static_cast<int>(FLines.size()) - 1;
}

void TTextFader::SetWordWrap(bool Value)
{
    if (Value == FWordWrap)
        return;
    FWordWrap = Value;
    update();
}

void TTextFader::SetTransparent(bool Value)
{
    if (Value == FTransparent)
        return;
    FTransparent = Value;
    update();
}

void TTextFader::Reset()
{
    FFadeProgress = 100;
    FOldText.clear();
    FCurText.clear();
    FLineIndex = -1;
    if (FActive)
        FTimer.setInterval(5);
    else
        update();
}

QString TTextFader::UnescapeLine(const QString &Line)
{
    QString result;
    result.reserve(Line.size());
    for (qsizetype i = 0; i < Line.size(); ++i) {
        const QChar c = Line.at(i);
        if (c != u'\\') {
            result += c;
            continue;
        }
        if (i + 1 >= Line.size())
            break;
        const QChar next = Line.at(++i);
        if (next == u'\\')
            result += u'\\';
        else if (next == u'n')
            result += QStringLiteral("\r\n");
        else if (next == u't')
            result += u'\t';
    }
    return result;
}

QString TTextFader::EscapeLine(const QString &Text)
{
    QString line = Text;
    return line.replace(u'\\', QStringLiteral("\\\\"));
}

void TTextFader::SetLineIndex(int Index)
{
    const int last = static_cast<int>(FLines.size()) - 1;
    Index = last < 0 ? -1 : std::clamp(Index, 0, last);
    if (Index == FLineIndex)
        return;
    FLineIndex = Index;
    if (FFadeProgress == 100)
        FTimer.setInterval(FLineDelay);
}

QString TTextFader::NextLine()
{
    if (FLineIndex + 1 == FLines.size()) {
        ++FRepeatedCount;
        if (FRepeatCount != 0 && FRepeatedCount >= FRepeatCount) {
            SetActive(false);
            if (FBlackAfter) {
                QPalette p = palette();
                p.setColor(QPalette::WindowText, QPalette().color(QPalette::WindowText));
                setPalette(p);
            }
        } else {
            SetLineIndex(0);
        }
    } else {
        SetLineIndex(FLineIndex + 1);
    }
    return FLineIndex < 0 ? QString() : UnescapeLine(FLines.at(FLineIndex));
}

void TTextFader::Tick()
{
    if (FFadeProgress == 100) {
        FOldText = FCurText;
        FCurText = NextLine();
        if (FActive) {
            FFadeProgress = 0;
            FTimer.setInterval(FFadeDelay);
        }
    }
    FFadeProgress = std::min(100, FFadeProgress + FFadeStep);
    repaint();
    if (FFadeProgress == 100) {
        FTimer.setInterval(FLineDelay);
        emit Complete();
    }
}

void TTextFader::DrawText(QPainter &Painter, const QString &Text) const
{
    int flags = static_cast<int>(FAlignment) | Qt::TextExpandTabs;
    if (FWordWrap)
        flags |= Qt::TextWordWrap;
    // Windows line breaks count once.
    QString shown = Text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QRect measured = Painter.fontMetrics().boundingRect(QRect(0, 0, width(), 0x7fff), flags, shown);
    const QRect band(0, (height() - measured.height()) / 2, width(), measured.height());
    Painter.drawText(band, flags, shown);
}

void TTextFader::paintEvent(QPaintEvent *)
{
    if (FDrawing)
        return;
    FDrawing = true;
    QPainter painter(this);
    if (!FTransparent)
        painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    // The background shows through, so blending the two texts by opacity mixes them
    // exactly as a per-pixel cross-fade over that background would.
    if (FFadeProgress >= 100) {
        DrawText(painter, FCurText);
    } else {
        painter.setOpacity((100 - FFadeProgress) / 100.0);
        DrawText(painter, FOldText);
        painter.setOpacity(FFadeProgress / 100.0);
        DrawText(painter, FCurText);
    }
    FDrawing = false;
}

} // namespace kvn

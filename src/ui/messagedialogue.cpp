#include "ui/messagedialogue.h"

#include "lang/languages.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <array>

namespace kvn {

namespace {

struct TButtonKind {
    TMsgDlgBtn Button;
    QMessageBox::StandardButton Standard; // NoButton: Qt has no such standard button
    const char *Name;
};

// Names follow the button kinds so that the buttons can be found by name.
constexpr std::array<TButtonKind, 12> ButtonKinds{{
    {mbYes, QMessageBox::Yes, "Yes"},
    {mbNo, QMessageBox::No, "No"},
    {mbOK, QMessageBox::Ok, "OK"},
    {mbCancel, QMessageBox::Cancel, "Cancel"},
    {mbAbort, QMessageBox::Abort, "Abort"},
    {mbRetry, QMessageBox::Retry, "Retry"},
    {mbIgnore, QMessageBox::Ignore, "Ignore"},
    {mbAll, QMessageBox::NoButton, "All"},
    {mbNoToAll, QMessageBox::NoToAll, "NoToAll"},
    {mbYesToAll, QMessageBox::YesToAll, "YesToAll"},
    {mbHelp, QMessageBox::Help, "Help"},
    {mbClose, QMessageBox::Close, "Close"},
}};

QMessageBox::Icon IconOf(TMsgDlgType DlgType)
{
    switch (DlgType) {
    case TMsgDlgType::mtWarning:
        return QMessageBox::Warning;
    case TMsgDlgType::mtError:
        return QMessageBox::Critical;
    case TMsgDlgType::mtInformation:
        return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation:
        return QMessageBox::Question;
    case TMsgDlgType::mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

int AnswerCode(TMsgDlgBtn Button)
{
    switch (Button) {
    case mbCancel:
        return mrCancel;
    case mbIgnore:
        return mrIgnore;
    case mbYes:
        return mrYes;
    case mbClose:
        return mrClose;
    default:
        return mrNo;
    }
}

// A plain QMessageBox turns closing the window into a click on its escape button; closing it
// without pressing a button must give no answer at all.
class TMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

    bool ClosedWithoutButton() const { return FClosedWithoutButton; }

protected:
    void closeEvent(QCloseEvent *Event) override
    {
        FClosedWithoutButton = true;
        Event->accept();
        QDialog::done(QDialog::Rejected);
    }

private:
    bool FClosedWithoutButton = false;
};

QString ButtonCaption(const TLanguageTexts &Texts, TMsgDlgBtn Button)
{
    switch (Button) {
    case mbYes:
        return Texts.Text(TLangText::ButtonYes);
    case mbNo:
        return Texts.Text(TLangText::ButtonNo);
    case mbClose:
        return Texts.Text(TLangText::ButtonClose);
    case mbCancel:
        return Texts.Text(TLangText::ButtonCancel);
    default:
        return {};
    }
}

} // namespace

int MessageDialogueSimple(const TLanguageTexts &Texts, const QString &Msg, const QString &Caption, TMsgDlgType DlgType,
                          TMsgDlgButtons Buttons, TMsgDlgBtn DefaultButton, const QColor &FontColor,
                          TFontStyles FontStyle, QWidget *Parent)
{
    TMessageBox Box(Parent);
    Box.setWindowTitle(Caption);
    // Title without buttons, above every other window.
    Box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    Box.setIcon(IconOf(DlgType));
    // Messages carry "<" of their own ("<3"); they are never markup.
    Box.setTextFormat(Qt::PlainText);
    QString Shown = Msg;
    Shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    Box.setText(Shown);

    if ((Buttons & (mbYes | mbNo | mbOK | mbCancel | mbAbort | mbRetry | mbIgnore | mbAll | mbNoToAll | mbYesToAll |
                    mbHelp | mbClose)) == 0)
        Buttons = mbOK;

    QList<QPair<QAbstractButton *, TMsgDlgBtn>> Made;
    for (const TButtonKind &Kind : ButtonKinds) {
        if (!(Buttons & Kind.Button))
            continue;
        QPushButton *Button = Kind.Standard == QMessageBox::NoButton
                                  ? Box.addButton(QStringLiteral("All"), QMessageBox::AcceptRole)
                                  : Box.addButton(Kind.Standard);
        Button->setObjectName(QString::fromLatin1(Kind.Name));
        if (Kind.Button == mbYes || Kind.Button == mbNo || Kind.Button == mbClose || Kind.Button == mbCancel)
            Button->setText(ButtonCaption(Texts, Kind.Button));
        if (Kind.Button == DefaultButton)
            Box.setDefaultButton(Button);
        Made.append({Button, Kind.Button});
    }

    if (auto *Message = Box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        Message->setObjectName(QStringLiteral("Message"));
        QPalette Colours = Message->palette();
        Colours.setColor(QPalette::WindowText, FontColor);
        Message->setPalette(Colours);
        QFont Font = Message->font();
        Font.setBold(FontStyle & fsBold);
        Font.setItalic(FontStyle & fsItalic);
        Font.setUnderline(FontStyle & fsUnderline);
        Font.setStrikeOut(FontStyle & fsStrikeOut);
        Message->setFont(Font);
    }
    // A little air between a message and the buttons; an empty message keeps the standard size.
    if (!Msg.trimmed().isEmpty()) {
        if (auto *Grid = qobject_cast<QGridLayout *>(Box.layout()))
            Grid->setVerticalSpacing(std::max(Grid->verticalSpacing(), 15));
    }

    QPalette Background = Box.palette();
    Background.setColor(QPalette::Window, Qt::white);
    Box.setPalette(Background);
    Box.setAutoFillBackground(true);

    Box.raise();
    Box.exec();

    if (Box.ClosedWithoutButton())
        return mrNo;
    QAbstractButton *Clicked = Box.clickedButton();
    for (const auto &[Button, Kind] : Made) {
        if (Button == Clicked)
            return AnswerCode(Kind);
    }
    return mrNo;
}

} // namespace kvn

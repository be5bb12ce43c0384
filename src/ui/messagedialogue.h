// The program's one way of asking and telling the user something: a modal standard message box
// with translated button captions, returning a small integer answer code.
#pragma once

#include <QColor>
#include <QString>

class QWidget;

namespace kvn {

class TLanguageTexts;

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
    mbClose = 1u << 11,
};
using TMsgDlgButtons = unsigned; // an or-ed set of TMsgDlgBtn

enum TFontStyle : unsigned {
    fsBold = 1u << 0,
    fsItalic = 1u << 1,
    fsUnderline = 1u << 2,
    fsStrikeOut = 1u << 3,
};
using TFontStyles = unsigned; // an or-ed set of TFontStyle

// The only answers callers ever see. Everything that is not Cancel, Ignore, Yes or Close
// (OK, No, the other buttons, a dialogue closed without a button) answers mrNo.
constexpr int mrCancel = 2;
constexpr int mrIgnore = 5;
constexpr int mrYes = 6;
constexpr int mrNo = 7;
constexpr int mrClose = 8;

// Modal, on the main thread; needs a QApplication but no window, so it also serves before the
// main window exists. The dialogue is topmost, white, without title-bar buttons; Yes, No,
// Close and Cancel carry the texts of Texts. The message is shown as plain text. An empty
// button set shows a single OK button so that the dialogue can always be answered.
int MessageDialogueSimple(const TLanguageTexts &Texts, const QString &Msg, const QString &Caption, TMsgDlgType DlgType,
                          TMsgDlgButtons Buttons, TMsgDlgBtn DefaultButton, const QColor &FontColor = QColor(Qt::black),
                          TFontStyles FontStyle = 0, QWidget *Parent = nullptr);

} // namespace kvn

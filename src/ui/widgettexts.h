// Which widget of the main window shows which language text. The language files are keyed by
// text, not by widget; the widgets' object names belong to the window alone.
#pragma once

#include "lang/languages.h"

#include <QList>
#include <QString>

namespace kvn {

// How a text is applied: as the widget's caption (title, button or label text) or as its tooltip.
enum class TWidgetTextKind { Caption, Hint };

struct TWidgetText {
    QString Widget; // object name in the main window, e.g. "GroupBox1", "Image10"
    TWidgetTextKind Kind;
    QString Text;
};

// Every text that goes straight into a widget of the main window, including "Button8" (its idle
// caption "button-create-random-job").
QList<TWidgetText> MainWindowTexts(const TLanguageTexts &Texts);
// The text of that widget; empty when none belongs to it.
QString MainWindowText(const TLanguageTexts &Texts, const QString &Widget);

} // namespace kvn

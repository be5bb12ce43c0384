// Which widget of the main window shows which language text. The language files are keyed by
// text, not by widget; the widgets' object names belong to the window alone.
#pragma once

#include "lang/languages.h"

#include <QList>
#include <QString>

namespace kvn {

// How a text is applied: as the widget's caption (title, button or label text), as its tooltip, or
// as what assistive technology (screen readers) tells of it.
enum class TWidgetTextKind { Caption, Hint, AccessibleName, AccessibleDescription };

struct TWidgetText {
    QString Widget; // object name in the main window, e.g. "GroupBox1", "Image10"
    TWidgetTextKind Kind;
    QString Text;
};

// Every text that goes straight into a widget of the main window, including "Button8" (its idle
// caption "button-create-random-job").
QList<TWidgetText> MainWindowTexts(const TLanguageTexts &Texts);
// The names and descriptions that screen readers give the window's controls.
QList<TWidgetText> MainWindowAccessibleTexts(const TLanguageTexts &Texts);
// The caption or hint of that widget; empty when none belongs to it.
QString MainWindowText(const TLanguageTexts &Texts, const QString &Widget);

} // namespace kvn

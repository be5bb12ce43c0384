// The window for a player without a mouse and for assistive technology: the tab order, which
// controls Tab may reach, and the names screen readers give the controls.
#include "ui/clickimage.h"
#include "ui/formmain.h"
#include "ui/programstate.h"
#include "ui/widgettexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTreeView>

namespace kvn {

void TFormMain::SetUpKeyboardAccess()
{
    // The three steps top to bottom, each row left to right with a lock after its list; then the
    // job list column and the options and history strip.
    const QList<QWidget *> order = {
        ComboBox1, Image10,       Button4,                                                           // step 1
        ComboBox5, Image1,        ComboBox6, Image2,    ComboBox7,  Image3,                          // departure
        ComboBox2, Image4,        ComboBox3, Image5,    ComboBox4,  Image6,                          // destination
        ComboBox8, Image7,        ComboBox9, Image8,    ComboBox10, Image9,    Image11,   TrackBar1, // step 3
        Image12,   Button8,       Button3,                                                           //
        VST,       Button5,       Button6,   Button2,   ComboBox11, Button10,                        // job list
        CheckBox1, Edit1,         CheckBox4, CheckBox2, Edit2,      CheckBox5, CheckBox6, CheckBox7, // options
        SpinEdit1, VSTJobHistory, Button9,   Edit3,     Button11,   Image101,  Image100,             // history
    };
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    // The window opens on step 1.
    ComboBox1->setFocus(Qt::OtherFocusReason);
}

void TFormMain::ApplyAccessibleTexts()
{
    for (const TWidgetText &entry : MainWindowAccessibleTexts(FState.Texts)) {
        auto *widget = findChild<QWidget *>(entry.Widget);
        if (!widget)
            continue;
        if (entry.Kind == TWidgetTextKind::AccessibleName)
            widget->setAccessibleName(entry.Text);
        else if (entry.Kind == TWidgetTextKind::AccessibleDescription)
            widget->setAccessibleDescription(entry.Text);
    }
    // One description serves the nine padlocks; their names say which selection each one keeps.
    const QString lockDescription = FState.Texts.Text(TLangText::AccessibleLockDescription);
    for (TClickImage *lock : LockImages())
        lock->setAccessibleDescription(lockDescription);
}

bool TFormMain::ReachableByKeyboard(const QWidget *Widget) const
{
    if (!Widget || Widget->window() != this || !Widget->isVisibleTo(this) || !Widget->isEnabled() ||
        (Widget->focusPolicy() & Qt::TabFocus) != Qt::TabFocus || Widget->focusProxy())
        return false;
    // The layout is fixed: what lies outside the narrowed window or under an overlay panel is not
    // on screen, and a focus the player cannot see is a focus lost.
    const QWidget *shown = childAt(Widget->mapTo(this, Widget->rect().center()));
    return shown && (shown == Widget || Widget->isAncestorOf(shown));
}

TFormMain::TFocusReturn TFormMain::DisableKeepingFocus(QWidget *Widget)
{
    const bool focused = Widget->hasFocus();
    Widget->setEnabled(false);
    return focused ? TFocusReturn{Widget, focusWidget()} : TFocusReturn{};
}

void TFormMain::EnableReturningFocus(QWidget *Widget, const TFocusReturn &Return)
{
    Widget->setEnabled(true);
    if (Return.Owner == Widget && focusWidget() == Return.MovedTo.data())
        Widget->setFocus(Qt::OtherFocusReason);
}

bool TFormMain::focusNextPrevChild(bool Next)
{
    QWidget *start = focusWidget();
    if (!start) {
        // Nothing has the focus yet: Tab starts at step 1.
        if (Next && ReachableByKeyboard(ComboBox1)) {
            ComboBox1->setFocus(Qt::TabFocusReason);
            return true;
        }
        start = this;
    }
    QWidget *candidate = start;
    // The chain is a ring through every child; one lap at most.
    for (qsizetype step = 0, children = findChildren<QWidget *>().size(); step <= children; ++step) {
        candidate = Next ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (!candidate || candidate == start)
            break;
        if (ReachableByKeyboard(candidate)) {
            candidate->setFocus(Next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

} // namespace kvn

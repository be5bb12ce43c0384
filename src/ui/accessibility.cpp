#include "ui/accessibility.h"

#include "ui/clickimage.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QKeySequence>

namespace kvn {

namespace {

// An image that acts: a button, or a check box when it is a padlock.
class TAccessibleClickImage : public QAccessibleWidget {
public:
    explicit TAccessibleClickImage(TClickImage *Image)
        : QAccessibleWidget(Image, Image->Checkable() ? QAccessible::CheckBox : QAccessible::Button)
    {
    }

    QString text(QAccessible::Text Kind) const override
    {
        QString text = QAccessibleWidget::text(Kind);
        // A hint is better than no name at all.
        if (Kind == QAccessible::Name && text.isEmpty())
            text = Image()->toolTip();
        return text;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (Image()->Checkable()) {
            state.checkable = true;
            state.checked = Image()->Checked();
        }
        return state;
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (Image()->isEnabled())
            names << (Image()->Checkable() ? toggleAction() : pressAction());
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &Action) override
    {
        if (Action == pressAction() || Action == toggleAction())
            Image()->Click();
        else
            QAccessibleWidget::doAction(Action);
    }

    QStringList keyBindingsForAction(const QString &Action) const override
    {
        if (Action == pressAction() || Action == toggleAction())
            return {QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText)};
        return QAccessibleWidget::keyBindingsForAction(Action);
    }

private:
    TClickImage *Image() const { return static_cast<TClickImage *>(widget()); }
};

// Qt's own interface names a filled drop-down list on Linux by its current entry and an empty
// one by the title of its group, so two lists of a row read the same; and it offers no focus
// action, so assistive technology cannot move the focus there.
class TAccessibleComboBox : public QAccessibleWidget {
public:
    explicit TAccessibleComboBox(QComboBox *Box) : QAccessibleWidget(Box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text Kind) const override
    {
        if (Kind == QAccessible::Value)
            return Box()->currentText();
        if (Kind == QAccessible::Accelerator)
            return QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText);
        if (Kind == QAccessible::Name && Box()->accessibleName().isEmpty())
            return QAccessibleWidget::text(Kind).isEmpty() ? Box()->currentText() : QAccessibleWidget::text(Kind);
        return QAccessibleWidget::text(Kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = Box()->view() && Box()->view()->isVisible();
        state.collapsed = !state.expanded;
        return state;
    }

    // The entries: the list's view, as Qt's own interface offers it.
    int childCount() const override { return Box()->view() ? 1 : 0; }
    QAccessibleInterface *child(int Index) const override
    {
        return Index == 0 && Box()->view() ? QAccessible::queryAccessibleInterface(Box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *Child) const override
    {
        return Child && Box()->view() && Child->object() == Box()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (Box()->isEnabled())
            names << showMenuAction() << pressAction();
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &Action) override
    {
        if (Action == showMenuAction() || Action == pressAction()) {
            if (Box()->view() && Box()->view()->isVisible())
                Box()->hidePopup();
            else
                Box()->showPopup();
        } else {
            QAccessibleWidget::doAction(Action);
        }
    }

private:
    QComboBox *Box() const { return static_cast<QComboBox *>(widget()); }
};

QAccessibleInterface *WindowInterfaces(const QString &ClassName, QObject *Object)
{
    if (!Object || !Object->isWidgetType())
        return nullptr;
    if (ClassName == QLatin1String(TClickImage::staticMetaObject.className()))
        return new TAccessibleClickImage(static_cast<TClickImage *>(Object));
    // Exactly the plain list: a subclass may bring an interface of its own.
    if (ClassName == QLatin1String("QComboBox"))
        return new TAccessibleComboBox(static_cast<QComboBox *>(Object));
    return nullptr;
}

} // namespace

void InstallAccessibleInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(WindowInterfaces);
        return true;
    }();
    (void)installed;
}

} // namespace kvn

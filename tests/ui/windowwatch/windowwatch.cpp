// A Qt generic plugin that tests and benchmarks load into the real program (through Qt's own
// QT_QPA_GENERIC_PLUGINS) to see what it shows. It writes one line per event to the file named
// in its spec: every top-level window shown, the text of every message box (which it then
// answers with its default button), and the end of the main window's loading sequence (after
// which it closes the window). The program itself knows nothing of it.
#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QWidget>

class TWindowWatch : public QObject {
    Q_OBJECT
public:
    explicit TWindowWatch(const QString &LogFile) : FLog(LogFile)
    {
        FLog.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
        connect(&FPoll, &QTimer::timeout, this, &TWindowWatch::Poll);
        FPoll.start(10);
        // The main window starts loading as soon as it is on screen; on a busy machine the whole
        // sequence may end before the first poll, so the window is caught as it is shown.
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Event->type() == QEvent::Show && Watched->objectName() == QLatin1String("FormMain") &&
            Watched->isWidgetType())
            WatchMainWindow(static_cast<QWidget *>(Watched));
        return QObject::eventFilter(Watched, Event);
    }

public slots:
    void MainWindowLoaded()
    {
        QWidget *form = FMainWindow;
        if (!form)
            return;
        const QObject *fader = form->findChild<QObject *>(QStringLiteral("TextFader1"));
        const QStringList lines = fader ? fader->property("Lines").toStringList() : QStringList();
        Write(QStringLiteral("loaded %1").arg(QDateTime::currentMSecsSinceEpoch()));
        Write(QStringLiteral("status %1").arg(lines.isEmpty() ? QString() : lines.last()));
        QTimer::singleShot(0, form, [form] { form->close(); });
    }

private:
    void Write(const QString &Line)
    {
        QString oneLine = Line;
        oneLine.replace(u'\r', QString()).replace(u'\n', QStringLiteral("\\n"));
        FLog.write(oneLine.toUtf8() + '\n');
        FLog.flush();
    }

    void WatchMainWindow(QWidget *Form)
    {
        FMainWindow = Form;
        connect(Form, SIGNAL(LoadingFinished()), this, SLOT(MainWindowLoaded()), Qt::UniqueConnection);
    }

    void Poll()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible() || FSeen.contains(widget))
                continue;
            FSeen.insert(widget);
            Write(QStringLiteral("shown %1 %2")
                      .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName()));
            if (auto *box = qobject_cast<QMessageBox *>(widget)) {
                Write(QStringLiteral("title %1").arg(box->windowTitle()));
                Write(QStringLiteral("text %1").arg(box->text()));
                Write(QStringLiteral("buttons %1").arg(box->buttons().size()));
                Write(QStringLiteral("icon %1").arg(int(box->icon())));
                QPointer<QMessageBox> guard(box);
                QTimer::singleShot(0, box, [guard] {
                    if (guard && guard->defaultButton())
                        guard->defaultButton()->click();
                    else if (guard)
                        guard->accept();
                });
            } else if (widget->objectName() == QLatin1String("FormMain")) {
                WatchMainWindow(widget);
            }
        }
    }

    QFile FLog;
    QTimer FPoll;
    QSet<QWidget *> FSeen;
    QPointer<QWidget> FMainWindow;
};

class TWindowWatchPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "windowwatch.json")
public:
    QObject *create(const QString &, const QString &Spec) override { return new TWindowWatch(Spec); }
};

#include "windowwatch.moc"

// The icons are drawn on the pixel grid of the size they are shown at; these tests make sure that
// every SVG in resources/icons reaches the program as a resource, parses, has the size its role
// needs and actually paints something at 1x and 2x.
//
// Set KVN_ICON_SHEET to a PNG path to get a contact sheet of every icon (1x, 2x and a magnified 1x
// rendering) for looking at them; the tests do not depend on it.

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtTest>

namespace {

const QString SourceIconDir = QStringLiteral(KVN_SOURCE_DIR "/resources/icons");

QStringList SourceIconNames()
{
    return QDir(SourceIconDir).entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
}

QString ResourcePath(const QString &name)
{
    return QStringLiteral(":/icons/") + name;
}

// Renders at the given device pixel ratio into a transparent image of the icon's size times ratio.
QImage Render(QSvgRenderer &renderer, qreal ratio)
{
    const QSize size = renderer.defaultSize();
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

int CountPaintedPixels(const QImage &image)
{
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                ++painted;
    return painted;
}

// One cell per icon: its name, 1x on white and on a dark background, 2x on white, and the 1x
// rendering magnified pixel by pixel over a faint grid to judge the edges.
// KVN_ICON_SHEET_MATCH (a wildcard such as "adr-*") limits the sheet to some icons.
void WriteContactSheet(const QString &path)
{
    QString match = qEnvironmentVariable("KVN_ICON_SHEET_MATCH");
    if (match.isEmpty())
        match = QStringLiteral("*");
    const QStringList names = QDir(SourceIconDir).entryList({match + QStringLiteral(".svg")}, QDir::Files, QDir::Name);
    const int magnified = 144;
    const QSize cell(8 + 48 + 4 + 48 + 4 + 96 + 4 + magnified + 8, 18 + magnified + 10);
    const int columns = 3;
    QImage sheet(cell.width() * columns, cell.height() * ((names.size() + columns - 1) / columns),
                 QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(236, 236, 236));
    QPainter painter(&sheet);
    for (int i = 0; i < names.size(); ++i) {
        QSvgRenderer renderer(ResourcePath(names[i]));
        const QSize size = renderer.defaultSize();
        int x = (i % columns) * cell.width() + 8;
        const int top = (i / columns) * cell.height();
        painter.setPen(Qt::black);
        painter.drawText(x, top + 13, names[i]);
        const int y = top + 18;
        QImage one = Render(renderer, 1);
        QImage two = Render(renderer, 2);
        one.setDevicePixelRatio(1);
        two.setDevicePixelRatio(1);
        for (const QColor &background : {QColor(Qt::white), QColor(60, 60, 60)}) {
            painter.fillRect(QRect(x, y, 48, 48), background);
            painter.drawImage(QPoint(x, y), one);
            x += 48 + 4;
        }
        painter.fillRect(QRect(x, y, 96, 96), Qt::white);
        painter.drawImage(QPoint(x, y), two);
        x += 96 + 4;
        const int zoom = magnified / qMax(size.width(), size.height());
        const QImage big = one.scaled(size * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        painter.fillRect(QRect(QPoint(x, y), big.size()), Qt::white);
        painter.drawImage(QPoint(x, y), big);
        painter.setPen(QColor(0, 0, 0, 40));
        for (int c = 0; c <= size.width(); ++c)
            painter.drawLine(x + c * zoom, y, x + c * zoom, y + size.height() * zoom);
        for (int r = 0; r <= size.height(); ++r)
            painter.drawLine(x, y + r * zoom, x + size.width() * zoom, y + r * zoom);
    }
    painter.end();
    sheet.save(path);
}

} // namespace

class TestIcons : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everySourceIconIsAResource();
    void iconsForEveryRole_data();
    void iconsForEveryRole();
    void iconRendersCleanly_data();
    void iconRendersCleanly();
};

void TestIcons::initTestCase()
{
    QVERIFY2(!SourceIconNames().isEmpty(), qPrintable(SourceIconDir));
    const QString sheet = qEnvironmentVariable("KVN_ICON_SHEET");
    if (!sheet.isEmpty())
        WriteContactSheet(sheet);
}

// The resource list is collected when the build is configured; an icon added later needs a
// re-configure, and this catches a build that missed it (or a resource left over from a deleted file).
void TestIcons::everySourceIconIsAResource()
{
    const QStringList inResources =
        QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    QCOMPARE(inResources, SourceIconNames());
}

// The sizes are those of the places the window shows the icons in; an icon of another size would
// be scaled there and lose its sharp edges.
void TestIcons::iconsForEveryRole_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    const QSize small(16, 16);
    for (const char *name : {"padlock-open", "padlock-closed", "arrows-circular", "plus-green", "tick", "minus-red",
                             "minus-grey", "plus-grey"})
        QTest::newRow(name) << QString::fromLatin1(name) << small;
    QTest::newRow("reload") << QStringLiteral("reload") << QSize(22, 22);
    for (int adrClass = 1; adrClass <= 9; ++adrClass) {
        const QString name = QStringLiteral("adr-%1").arg(adrClass);
        QTest::newRow(qPrintable(name)) << name << QSize(24, 24);
    }
    for (const char *name : {"star", "glass-broken", "weight"})
        QTest::newRow(name) << QString::fromLatin1(name) << QSize(24, 24);
    QTest::newRow("truck-double-trailer") << QStringLiteral("truck-double-trailer") << QSize(48, 24);
    for (const char *name : {"smiley-puzzled", "info", "kestrovan"})
        QTest::newRow(name) << QString::fromLatin1(name) << QSize(48, 48);
}

void TestIcons::iconsForEveryRole()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QSvgRenderer renderer(ResourcePath(name + QStringLiteral(".svg")));
    QVERIFY2(renderer.isValid(), qPrintable(name));
    QCOMPARE(renderer.defaultSize(), size);
    QCOMPARE(renderer.viewBoxF(), QRectF(QPointF(0, 0), QSizeF(size)));
}

void TestIcons::iconRendersCleanly_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : SourceIconNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestIcons::iconRendersCleanly()
{
    QFETCH(QString, name);
    QSvgRenderer renderer(ResourcePath(name));
    QVERIFY(renderer.isValid());
    const QSize size = renderer.defaultSize();
    QVERIFY(!size.isEmpty());
    // Square, except the one wide picture (two to one) that the trailer list draws.
    if (size.width() != size.height())
        QCOMPARE(size.width(), 2 * size.height());
    for (const qreal ratio : {1.0, 2.0}) {
        const QImage image = Render(renderer, ratio);
        QVERIFY2(CountPaintedPixels(image) > image.width() * image.height() / 20,
                 qPrintable(QStringLiteral("%1 is (nearly) blank at %2x").arg(name).arg(ratio)));
    }
}

QTEST_MAIN(TestIcons)
#include "test_icons.moc"

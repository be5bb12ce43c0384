// The lock chains without a window: which locks a click closes or opens.
#include "ui/selectionlocks.h"

#include <QtTest>

using namespace kvn;

namespace {

// Locks as a string of nine 0/1, lock 1 first: "110000000" = departure country and city closed.
QString StateOf(const TSelectionLocks &Locks)
{
    QString state;
    for (int lock = 0; lock < TSelectionLocks::kLockCount; ++lock)
        state += Locks.Closed(lock) ? QLatin1Char('1') : QLatin1Char('0');
    return state;
}

void SetState(TSelectionLocks &Locks, const QString &State)
{
    for (int lock = 0; lock < TSelectionLocks::kLockCount; ++lock)
        Locks.SetLockState(lock, State.at(lock) == QLatin1Char('1'));
}

} // namespace

class TestSelectionLocks : public QObject {
    Q_OBJECT
private slots:
    void toggle_data();
    void toggle();
    void closedLocksFormALeadingRun();
    void comboBoxesOfTheLocks();
};

void TestSelectionLocks::toggle_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("image"); // 1..9
    QTest::addColumn<QString>("after");
    QTest::addColumn<QList<int>>("follow"); // images whose boxes follow, in order

    QTest::newRow("closing the company closes the whole departure row")
        << "000000000" << 3 << "111000000" << QList<int>{1, 3, 2};
    QTest::newRow("opening the country opens the whole row") << "111000000" << 1 << "000000000" << QList<int>{2, 1, 3};
    QTest::newRow("closing the city closes the country only") << "000000000" << 2 << "110000000" << QList<int>{1, 2, 3};
    QTest::newRow("opening the city opens the company, keeps the country")
        << "111000000" << 2 << "100000000" << QList<int>{1, 2, 3};
    QTest::newRow("opening the company alone keeps country and city")
        << "111000000" << 3 << "110000000" << QList<int>{1, 3, 2};
    QTest::newRow("closing the country alone") << "000000000" << 1 << "100000000" << QList<int>{2, 1, 3};
    QTest::newRow("destination row works alike") << "000000000" << 6 << "000111000" << QList<int>{4, 6, 5};
    QTest::newRow("departure untouched by the destination") << "111000000" << 4 << "111100000" << QList<int>{5, 4, 6};
    QTest::newRow("closing the trailer closes the cargo") << "000000000" << 8 << "000000110" << QList<int>{7, 8};
    QTest::newRow("opening the trailer keeps the cargo closed") << "000000110" << 8 << "000000100" << QList<int>{7, 8};
    QTest::newRow("opening the cargo opens the trailer") << "000000110" << 7 << "000000000" << QList<int>{8, 7};
    QTest::newRow("urgency stands alone") << "111111110" << 9 << "111111111" << QList<int>{9};
}

void TestSelectionLocks::toggle()
{
    QFETCH(QString, before);
    QFETCH(int, image);
    QFETCH(QString, after);
    QFETCH(QList<int>, follow);
    TSelectionLocks locks;
    SetState(locks, before);
    const std::vector<int> followed = locks.ToggleLock(image - 1);
    QCOMPARE(StateOf(locks), after);
    QList<int> images;
    for (int lock : followed)
        images << lock + 1;
    QCOMPARE(images, follow);
}

void TestSelectionLocks::closedLocksFormALeadingRun()
{
    // Every sequence of clicks of up to four from all open keeps each chain's closed locks a
    // leading run: a city is never locked under a free country.
    const auto leadingRun = [](const TSelectionLocks &Locks, std::initializer_list<int> Chain) {
        bool open = false;
        for (int lock : Chain) {
            if (!Locks.Closed(lock))
                open = true;
            else if (open)
                return false;
        }
        return true;
    };
    for (int a = 0; a < 9; ++a)
        for (int b = 0; b < 9; ++b)
            for (int c = 0; c < 9; ++c)
                for (int d = 0; d < 9; ++d) {
                    TSelectionLocks locks;
                    for (int lock : {a, b, c, d}) {
                        locks.ToggleLock(lock);
                        QVERIFY2(leadingRun(locks, {0, 1, 2}) && leadingRun(locks, {3, 4, 5}) &&
                                     leadingRun(locks, {6, 7}),
                                 qPrintable(StateOf(locks)));
                    }
                }
    TSelectionLocks locks;
    QVERIFY(locks.ToggleLock(-1).empty());
    QVERIFY(locks.ToggleLock(9).empty());
    QCOMPARE(StateOf(locks), QString("000000000"));
}

void TestSelectionLocks::comboBoxesOfTheLocks()
{
    QList<int> boxes;
    for (int lock = 0; lock < TSelectionLocks::kLockCount; ++lock)
        boxes << TSelectionLocks::ComboBoxNumber(lock);
    QCOMPARE(boxes, (QList<int>{5, 6, 7, 2, 3, 4, 8, 9, 10}));
}

QTEST_MAIN(TestSelectionLocks)
#include "test_selectionlocks.moc"

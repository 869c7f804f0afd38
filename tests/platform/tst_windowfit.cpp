// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFit.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

class tst_WindowFit : public QObject
{
    Q_OBJECT

private slots:
    void windowSize_data();
    void windowSize();
    void smallScreenScrollsToEveryControl();
};

void tst_WindowFit::windowSize_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("expected");
    const QSize outer(949, 815);
    const QSize frame(16, 39);
    QTest::newRow("room for the laid-out size") << QRect(0, 0, 1280, 984) << outer - frame;
    QTest::newRow("exactly the laid-out size") << QRect(0, 30, 949, 815) << outer - frame;
    // 1280 × 1024 at twice the text size, less a task bar.
    QTest::newRow("twice the text size") << QRect(0, 0, 640, 492) << QSize(640 - 16, 492 - 39);
    QTest::newRow("too low only") << QRect(0, 0, 1920, 700) << QSize(949 - 16, 700 - 39);
    QTest::newRow("no screen") << QRect() << outer - frame;
}

void tst_WindowFit::windowSize()
{
    QFETCH(QRect, available);
    QFETCH(QSize, expected);
    QCOMPARE(WindowFit::windowSize(QSize(949, 815), QSize(16, 39), available), expected);
}

void tst_WindowFit::smallScreenScrollsToEveryControl()
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Laid out for a desktop larger than this screen in both directions.
    const QSize outer = screen.size() + QSize(300, 200);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("Меню"));
    auto *client = new QWidget;
    auto *corner = new QPushButton(QStringLiteral("угол"), client);
    corner->setGeometry(outer.width() - 16 - 110, outer.height() - 39 - 60, 100, 30);
    QScrollArea *area = WindowFit::scrolling(&window, client);
    QCOMPARE(window.centralWidget(), area);
    WindowFit::fit(&window, outer, QSize(16, 39));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY(window.width() <= screen.width());
    QVERIFY(window.height() <= screen.height());
    QVERIFY(area->horizontalScrollBar()->maximum() > 0);
    QVERIFY(area->verticalScrollBar()->maximum() > 0);
    const QRect viewport(QPoint(), area->viewport()->size());
    QVERIFY(!viewport.contains(corner->geometry().translated(client->pos())));

    WindowFit::focus(corner);
    QVERIFY(corner->hasFocus());
    QVERIFY(viewport.contains(corner->geometry().translated(client->pos())));
}

QTEST_MAIN(tst_WindowFit)
#include "tst_windowfit.moc"

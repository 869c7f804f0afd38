// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineLog.h"

#include <QLoggingCategory>
#include <QTest>

class tst_EngineLog : public QObject
{
    Q_OBJECT

private slots:
    void startupDumpQuietWarningsKept();
};

void tst_EngineLog::startupDumpQuietWarningsKept()
{
    QLoggingCategory engine("qt.webenginecontext");
    QLoggingCategory other("qt.other");
    QVERIFY(engine.isInfoEnabled());
    EngineLog::quietStartupDump();
    QVERIFY(!engine.isInfoEnabled());
    QVERIFY(engine.isWarningEnabled());
    QVERIFY(engine.isCriticalEnabled());
    QVERIFY(other.isInfoEnabled());
}

QTEST_GUILESS_MAIN(tst_EngineLog)
#include "tst_enginelog.moc"

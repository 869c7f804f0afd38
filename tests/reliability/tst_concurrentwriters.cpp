// SPDX-License-Identifier: GPL-3.0-or-later
// Four running copies writing to the same users.ini and registering users in
// the same list at the same time: afterwards every value and every name is
// there, once. Eight copies of the administrator's tool registering one name
// at once: one of them registers it. Run on the local disk and on the
// classroom share.
#include "Accounts.h"
#include "CodePage.h"
#include "RealComponent.h"
#include "ShareFolder.h"
#include "Store.h"
#include "UserList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;

class ConcurrentWritersTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fourWritersLoseNothing();
    void eightCopiesRegisterOneName();

private:
    QString m_home;
};

namespace {

constexpr int Writers = 4;
constexpr int Iterations = 200; // each: one shared write, every fourth a registration

struct Line
{
    QByteArray value;
    int count = 0;
};

// Every key line of the file by section and key, and how often each section
// header occurs.
void parse(const QByteArray &text, QHash<QByteArray, Line> *keys, QHash<QByteArray, int> *headers)
{
    QByteArray current;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            current = line.mid(1, line.indexOf(']') - 1);
            ++(*headers)[current];
        } else if (line.contains('=')) {
            Line &entry = (*keys)[current + '/' + line.left(line.indexOf('='))];
            entry.value = line.mid(line.indexOf('=') + 1);
            ++entry.count;
        }
    }
}

} // namespace

void ConcurrentWritersTest::init()
{
    m_home = QDir::currentPath();
}

void ConcurrentWritersTest::cleanup()
{
    QDir::setCurrent(m_home);
}

void ConcurrentWritersTest::fourWritersLoseNothing()
{
    QString why;
    const QString base = ShareFolder::tempTemplate(&why);
    if (base.isEmpty())
        COURSEBOOK_COMPONENT_MISSING(why);
    QTemporaryDir dir(base);
    QVERIFY(dir.isValid());
    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int id = 1; id <= Writers; ++id) {
        workers.push_back(std::make_unique<QProcess>());
        workers.back()->start(QStringLiteral(RELIABILITY_HELPER),
                              {QStringLiteral("worker"), dir.path(), QString::number(id),
                               QString::number(Iterations)});
    }
    for (auto &worker : workers) {
        QVERIFY(worker->waitForFinished(240000));
        QVERIFY2(worker->exitStatus() == QProcess::NormalExit && worker->exitCode() == 0,
                 worker->readAllStandardOutput() + worker->readAllStandardError());
    }
    const qint64 ms = clock.elapsed();

    QVERIFY(QDir::setCurrent(dir.path()));
    QFile file(dir.filePath(QStringLiteral("users.ini")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QHash<QByteArray, Line> keys;
    QHash<QByteArray, int> headers;
    parse(file.readAll(), &keys, &headers);

    QList<QByteArray> names;
    int values = 0;
    for (int id = 1; id <= Writers; ++id) {
        const QByteArray w = QByteArray::number(id);
        for (int i = 0; i < Iterations; ++i) {
            const QByteArray n = QByteArray::number(i);
            const Line shared = keys.value("shared/w" + w + "_" + n);
            QCOMPARE(shared.count, 1);
            QCOMPARE(shared.value, Store::encode(w + ":" + n));
            ++values;
            if (i % 4 != 0)
                continue;
            const QByteArray name = "user" + w + "_" + n;
            names.append(name);
            QCOMPARE(headers.value(name), 1);
            const Line password = keys.value(name + "/password");
            QCOMPARE(password.count, 1);
            QCOMPARE(password.value, Store::encode("pw" + w + n));
            for (int k = 1; k <= Accounts::TestCount; ++k) {
                const Line grade = keys.value(name + '/' + Accounts::testKey(k));
                QCOMPARE(grade.count, 1);
                QCOMPARE(grade.value, Store::encode(k == 1 ? "1" : "0"));
            }
            values += 1 + Accounts::TestCount;
        }
    }
    QCOMPARE(headers.value("shared"), 1);
    QCOMPARE(headers.size(), names.size() + 1);
    QCOMPARE(keys.size(), values);

    const QList<QByteArray> list = UserList::load();
    QCOMPARE(list.size(), names.size());
    for (const QByteArray &name : names)
        QCOMPARE(list.count(name), 1);
    QCOMPARE(ShareFolder::locksIn(dir.path()), QStringList());
    qInfo("%s: %d writers, %d writes each, %d values and %lld names checked, lost: 0, in %lld ms, "
          "no lock left",
          ShareFolder::where(), Writers, Iterations + 3 * Iterations / 4, values,
          qlonglong(names.size()), qlonglong(ms));
}

void ConcurrentWritersTest::eightCopiesRegisterOneName()
{
    QString why;
    const QString base = ShareFolder::tempTemplate(&why);
    if (base.isEmpty())
        COURSEBOOK_COMPONENT_MISSING(why);
    QTemporaryDir dir(base);
    QVERIFY(dir.isValid());
    // One name in several letter cases, which the store takes for one.
    const QStringList spellings = {u"Ivan"_s, u"IVAN"_s, u"ivan"_s, u"iVaN"_s,
                                   u"Ivan"_s, u"IVAN"_s, u"ivan"_s, u"IvAn"_s};
    constexpr int Rounds = 5;
    int refused = 0;
    for (int round = 0; round < Rounds; ++round) {
        const QString folder = dir.filePath(QString::number(round));
        QVERIFY(QDir().mkpath(folder));
        std::vector<std::unique_ptr<QProcess>> copies;
        for (qsizetype i = 0; i < spellings.size(); ++i) {
            copies.push_back(std::make_unique<QProcess>());
            copies.back()->start(
                QStringLiteral(ADMIN_TOOL),
                {u"register"_s, spellings[i], u"pw"_s + QString::number(i), u"--dir"_s, folder});
        }
        QList<qsizetype> registered;
        for (qsizetype i = 0; i < qsizetype(copies.size()); ++i) {
            QProcess &copy = *copies[i];
            QVERIFY(copy.waitForFinished(60000));
            const QString err = QString::fromUtf8(copy.readAllStandardError());
            QCOMPARE(copy.exitStatus(), QProcess::NormalExit);
            if (copy.exitCode() == 0) {
                registered.append(i);
            } else {
                QVERIFY2(err.contains(CodePage::toUnicode(
                             Accounts::refusalText(Accounts::Refusal::AlreadyRegistered))),
                         qPrintable(err));
                ++refused;
            }
        }
        QCOMPARE(registered.size(), 1);
        const qsizetype winner = registered.constFirst();

        QVERIFY(QDir::setCurrent(folder));
        const QList<QByteArray> list = UserList::load();
        QCOMPARE(list, QList<QByteArray>{CodePage::fromUnicode(spellings[winner])});
        QFile file(dir.filePath(QString::number(round) + u"/users.ini"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QHash<QByteArray, Line> keys;
        QHash<QByteArray, int> headers;
        parse(file.readAll(), &keys, &headers);
        QCOMPARE(headers.size(), 1);
        QCOMPARE(keys.size(), 1 + Accounts::TestCount);
        QVERIFY(Accounts::passwordMatches("ivan", "pw" + QByteArray::number(winner)));
        QCOMPARE(ShareFolder::locksIn(folder), QStringList());
    }
    qInfo("%s: %d rounds of %lld copies registering one name: one registered each round, %d "
          "refused as already registered, no lock left",
          ShareFolder::where(), Rounds, qlonglong(spellings.size()), refused);
}

QTEST_GUILESS_MAIN(ConcurrentWritersTest)
#include "tst_concurrentwriters.moc"

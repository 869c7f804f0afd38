// Four running copies writing to the same users.ini and registering users in
// the same list at the same time: afterwards every value and every name is
// there, once.
#include "Accounts.h"
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

class ConcurrentWritersTest : public QObject
{
    Q_OBJECT

private slots:
    void fourWritersLoseNothing();
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

void ConcurrentWritersTest::fourWritersLoseNothing()
{
    QTemporaryDir dir;
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
    qInfo("%d writers, %d writes each, %d values and %lld names checked, lost: 0, in %lld ms",
          Writers, Iterations + 3 * Iterations / 4, values, qlonglong(names.size()), qlonglong(ms));
}

QTEST_GUILESS_MAIN(ConcurrentWritersTest)
#include "tst_concurrentwriters.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The road of a student in the real program, once in a folder on the local
// disk and once in a folder on the classroom share, through each of the two
// clients a lab mounts it with (smbnetfs, GVFS): register, log in, take a
// test, go back, close. The files the program leaves are the same byte for
// byte (the log's time and date aside), and the share holds no other file.
#include "AnswerButton.h"
#include "CodePage.h"
#include "MainWindowFixture.h"
#include "ModalAnswerer.h"
#include "ProgressPanel.h"
#include "RealComponent.h"
#include "ShareFolder.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TestConverter.h"
#include "TestPanel.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

class tst_shareroad : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sameFilesAsOnTheLocalDisk_data();
    void sameFilesAsOnTheLocalDisk();

private:
    QString m_home;
};

namespace {

const QByteArray RightLetters = "CBDCAEBDCA";

bool put(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every file below the folder by its relative path; the fields of time and
// date, which differ between two runs, blanked.
QMap<QString, QByteArray> files(const QString &folder)
{
    QMap<QString, QByteArray> all;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>";
        const QString name = QDir(folder).relativeFilePath(path);
        // The log's time and date, the answer record's date and time.
        const QList<int> times = name == u"log.txt"_s           ? QList<int>{1, 2}
                                 : name == u"log-answers.txt"_s ? QList<int>{1}
                                                                : QList<int>();
        if (!times.isEmpty()) {
            QList<QByteArray> fields = bytes.split('|');
            for (int i : times)
                if (i < fields.size())
                    fields[i] = " - ";
            bytes = fields.join('|');
        }
        all.insert(name, bytes);
    }
    return all;
}

// The course folder the road needs: the settings, the start page and test 1.
void prepare()
{
    QVERIFY(put(u"data/info/tumb.db"_s, "admin|secret|log.txt\r\n"));
    QVERIFY(put(u"data/help/sod.htm"_s, "<html><body>sod</body></html>"));
    QList<QByteArray> lines;
    for (qsizetype i = 0; i < RightLetters.size(); ++i) {
        lines.append(CodePage::fromUnicode(u"Вопрос %1"_s.arg(i + 1)));
        for (char letter = 'A'; letter <= 'E'; ++letter)
            lines.append(QByteArray(1, letter) + ") " +
                         CodePage::fromUnicode(u"ответ %1"_s.arg(QLatin1Char(letter))) +
                         (letter == RightLetters.at(i) ? "*" : ""));
        lines.append("********");
    }
    lines.append(CodePage::fromUnicode(u"Конец теста"_s));
    QVERIFY(QDir().mkpath(u"data/tests"_s));
    TestConverter converter;
    QCOMPARE(converter.convertLines(lines, "\\data\\tests\\test1.ini").count,
             int(RightLetters.size()));
}

void doubleClick(QWidget *button)
{
    QTest::mousePress(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
    QTest::mouseDClick(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
}

// Registers, logs in, takes test 1 with four answers right, goes back and
// closes the window.
void road()
{
    TForm1 form(MainWindowFixture::store());
    TForm2 form2(&form);
    form.setAuthoringWindow(&form2);
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(MainWindowFixture::show(form));
    MainWindowFixture::registerAndLogin(form, answerer, u"Студент"_s, u"пароль1"_s);
    form.menuEntry(u"test1"_s)->trigger();
    for (qsizetype i = 0; i < RightLetters.size(); ++i) {
        const int right = RightLetters.at(i) - 'A' + 1;
        doubleClick(
            form.testPanel().answerButton(i < 4 ? right : right % TestPanel::AnswerCount + 1));
    }
    QCOMPARE(MainWindowFixture::frontPanel(form), u"Panel2"_s);
    QCOMPARE(form.progressPanel().valueLabels[0]->text(), u"3"_s);
    QTest::mouseClick(form.progressPanel().SpeedButton4, Qt::LeftButton);
    QCOMPARE(MainWindowFixture::frontPanel(form), u"Panel1"_s);
    form.close();
    QVERIFY(!form.isVisible());
    QCOMPARE(answerer.icons.count(QMessageBox::Critical), 0);
}

} // namespace

void tst_shareroad::init()
{
    m_home = QDir::currentPath();
}

void tst_shareroad::cleanup()
{
    QDir::setCurrent(m_home);
}

void tst_shareroad::sameFilesAsOnTheLocalDisk_data()
{
    QTest::addColumn<bool>("gvfs");
    QTest::newRow("smbnetfs") << false;
    QTest::newRow("GVFS") << true;
}

void tst_shareroad::sameFilesAsOnTheLocalDisk()
{
    QFETCH(bool, gvfs);
    QString why;
    const QString shareTemplate = ShareFolder::tempTemplate(&why);
    if (shareTemplate.isEmpty())
        COURSEBOOK_COMPONENT_MISSING(why);
    if (!ShareFolder::requested())
        QSKIP("this test compares the share with the local disk; it runs with the share fixture");
    QTemporaryDir local;
    QTemporaryDir share(shareTemplate);
    QVERIFY(local.isValid() && share.isValid());
    const QString onShare = gvfs ? ShareFolder::throughGvfs(share.path(), &why) : share.path();
    if (onShare.isEmpty())
        COURSEBOOK_COMPONENT_MISSING(why);

    QMap<QString, QByteArray> left[2];
    qint64 ms[2] = {0, 0};
    const QString folders[2] = {local.path(), onShare};
    for (int i = 0; i < 2; ++i) {
        QVERIFY(QDir::setCurrent(folders[i]));
        QElapsedTimer clock;
        clock.start();
        prepare();
        road();
        ms[i] = clock.elapsed();
        QVERIFY(QDir::setCurrent(m_home));
        left[i] = files(folders[i]);
    }
    QCOMPARE(left[1].keys(), left[0].keys());
    for (const QString &name : left[0].keys())
        QVERIFY2(left[1].value(name) == left[0].value(name), qPrintable(name));
    QVERIFY(left[0].contains(u"users.ini"_s) && left[0].contains(u"users"_s) &&
            left[0].contains(u"log.txt"_s));
    QCOMPARE(ShareFolder::locksIn(share.path()), QStringList());
    qInfo("the road of a student: %lld files alike on the local disk (%lld ms) and on the share "
          "through %s (%lld ms), no lock left",
          qlonglong(left[0].size()), qlonglong(ms[0]), QTest::currentDataTag(), qlonglong(ms[1]));
}

QTEST_MAIN(tst_shareroad)
#include "tst_shareroad.moc"

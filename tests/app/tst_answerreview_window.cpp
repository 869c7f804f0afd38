#include "AnswerButton.h"
#include "AnswerRecord.h"
#include "CodePage.h"
#include "MainWindowFixture.h"
#include "ModalAnswerer.h"
#include "ProgressPanel.h"
#include "TForm1.h"
#include "TestFileMaker.h"
#include "TestPanel.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray Digits = "3241532415";

void doubleClick(QWidget *button)
{
    QTest::mousePress(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
    QTest::mouseDClick(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// A finished run in the window leaves its answers beside the log and shows
// the student what went wrong, without the right answers.
class tst_answerreview_window : public QObject, private MainWindowFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void runLeavesRecordAndReview();
    void pickOfAUserHidesTheReview();
};

void tst_answerreview_window::runLeavesRecordAndReview()
{
    TestFileMaker::write("test1", Digits);
    TForm1 form;
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    registerAndLogin(form, answerer, u"Иван"_s, u"пароль"_s);
    ProgressPanel &progress = form.progressPanel();
    QVERIFY(progress.mistakes->isHidden());

    // Questions 3, 6 and 10 wrong: the next answer round.
    const QList<int> wrong{3, 6, 10};
    QByteArray chosen;
    form.menuEntry(u"test1"_s)->trigger();
    for (int k = 1; k <= Digits.size(); ++k) {
        const int right = Digits.at(k - 1) - '0';
        const int digit = wrong.contains(k) ? right % TestPanel::AnswerCount + 1 : right;
        chosen += QByteArray::number(digit);
        doubleClick(form.testPanel().answerButton(digit));
    }
    QCOMPARE(frontPanel(form), u"Panel2"_s);

    const QByteArray record = readFile(u"log-answers.txt"_s);
    const QByteArray log = readFile(u"log.txt"_s);
    QVERIFY(log.endsWith(" | test1 | 4\r\n"));
    AnswerRecord got;
    QCOMPARE(AnswerRecord::parse(record.chopped(2), got), AnswerRecord::Fault::None);
    QCOMPARE(record.count("\r\n"), 1);
    QCOMPARE(got.user, CodePage::fromUnicode(u"Иван"_s));
    QCOMPARE(got.grade, 4);
    QCOMPARE(got.chosen, chosen);
    QCOMPARE(got.right, Digits);
    QCOMPARE(got.version, AnswerRecord::versionOf(readFile(u"data/tests/test1.ini"_s)));

    QVERIFY(progress.rightAnswers->isVisible());
    QCOMPARE(progress.rightAnswers->text(), u"Правильных ответов: 7 из 10"_s);
    QVERIFY(progress.mistakesLabel->isVisible());
    QCOMPARE(progress.mistakesLabel->text(), u"Ошибки"_s);
    QCOMPARE(progress.mistakes->count(), wrong.size());
    for (int i = 0; i < wrong.size(); ++i) {
        const int k = wrong[i];
        const QString item = progress.mistakes->item(i)->text();
        const QChar given(u'A' + chosen.at(k - 1) - '1');
        const QChar right(u'A' + Digits.at(k - 1) - '1');
        QVERIFY2(item.startsWith(u"%1. Вопрос %1"_s.arg(k)), qPrintable(item));
        QVERIFY2(item.contains(u"%1) %2"_s.arg(given).arg(k)), qPrintable(item));
        QVERIFY2(!item.contains(u"%1) %2"_s.arg(right).arg(k)), qPrintable(item));
    }
    saveShot(form.grab(), u"progress_review"_s);

    // Named for a screen reader and reached from the keyboard.
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(progress.mistakes);
    QVERIFY(list);
    QCOMPARE(list->text(QAccessible::Name), u"Ошибки"_s);
    QCOMPARE(progress.mistakesLabel->buddy(), progress.mistakes);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(progress.mistakes->focusPolicy() & Qt::TabFocus);
    progress.mistakes->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(progress.mistakes->hasFocus());
    QCOMPARE(progress.mistakes->currentRow(), 0);
    QTest::keyClick(progress.mistakes, Qt::Key_Down);
    QCOMPARE(progress.mistakes->currentRow(), 1);

    QTest::mouseClick(progress.SpeedButton4, Qt::LeftButton);
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    QVERIFY(form.menuEntry(u"Ni"_s)->isVisible() && form.menuEntry(u"N0"_s)->isVisible());
    // The review of the last run is there when the view is opened again.
    form.menuEntry(u"Ni"_s)->trigger();
    QVERIFY(progress.mistakes->isVisible());

    // A run without a mistake says so.
    QTest::mouseClick(progress.SpeedButton4, Qt::LeftButton);
    form.menuEntry(u"test1"_s)->trigger();
    for (char digit : Digits)
        doubleClick(form.testPanel().answerButton(digit - '0'));
    QCOMPARE(progress.rightAnswers->text(), u"Правильных ответов: 10 из 10"_s);
    QCOMPARE(progress.mistakes->count(), 1);
    QCOMPARE(progress.mistakes->item(0)->text(), u"Ошибок нет"_s);
    QCOMPARE(readFile(u"log-answers.txt"_s).count("\r\n"), 2);
    QCOMPARE(answerer.icons.count(QMessageBox::Critical), 0);
}

void tst_answerreview_window::pickOfAUserHidesTheReview()
{
    TestFileMaker::write("test1", Digits);
    QVERIFY(work().write(u"users"_s, "anna\r\n"));
    TForm1 form;
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    loginAsAdministrator(form, u"secret"_s);
    form.menuEntry(u"test1"_s)->trigger();
    for (char digit : Digits)
        doubleClick(form.testPanel().answerButton(digit == '1' ? 2 : 1));
    ProgressPanel &progress = form.progressPanel();
    QVERIFY(progress.mistakes->isVisible());
    QCOMPARE(progress.mistakes->count(), Digits.size());
    // The administrator's own run is recorded like anyone's.
    QVERIFY(readFile(u"log-answers.txt"_s).startsWith("admin | "));

    progress.ComboBox1->setCurrentIndex(progress.ComboBox1->findText(u"anna"_s));
    emit progress.ComboBox1->activated(progress.ComboBox1->currentIndex());
    QVERIFY(progress.mistakes->isHidden());
    QVERIFY(progress.rightAnswers->isHidden());
}

QTEST_MAIN(tst_answerreview_window)
#include "tst_answerreview_window.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnswerButton.h"
#include "AnswerRecord.h"
#include "ClassReportView.h"
#include "CodePage.h"
#include "MainWindowFixture.h"
#include "ModalAnswerer.h"
#include "ProgressPanel.h"
#include "RegradePreview.h"
#include "ReportRegrade.h"
#include "RuntimeError.h"
#include "Store.h"
#include "StoredUser.h"
#include "TForm1.h"
#include "TestFileMaker.h"
#include "TestPanel.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>

#include <memory>

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
    void administratorOpensTheClassReport();
    void administratorRegradesFromTheReport_data();
    void administratorRegradesFromTheReport();
};

void tst_answerreview_window::runLeavesRecordAndReview()
{
    TestFileMaker::write("test1", Digits);
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    registerAndLogin(form, answerer, u"Иван"_s, u"пароль"_s);
    ProgressPanel &progress = form.progressPanel();
    QVERIFY(progress.mistakes->isHidden());
    QVERIFY(!form.menuEntry(u"Nclass"_s)->isVisible());

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
    // The record's other fields are the session's rules.
    AnswerRecord got;
    QCOMPARE(AnswerRecord::parse(record.chopped(2), got), AnswerRecord::Fault::None);
    QCOMPARE(record.count("\r\n"), 1);
    QCOMPARE(got.chosen, chosen);

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
    TForm1 form(MainWindowFixture::store());
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

void tst_answerreview_window::administratorOpensTheClassReport()
{
    TestFileMaker::write("test1", Digits);
    QVERIFY(work().write(u"users"_s, "anna\r\n"));
    QVERIFY(work().write(u"log-answers.txt"_s,
                         "anna | 2026-12-01 10:00:00 | test1 | 4 | 0a1b2c3d | 12 | 11\r\nbad\r\n"));
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    loginAsAdministrator(form, u"secret"_s);
    QAction *entry = form.menuEntry(u"Nclass"_s);
    QVERIFY(entry->isVisible());
    QCOMPARE(entry->text().remove(u'&'), u"Отчёт по классу"_s);
    QCOMPARE(form.menuGroup(u"Nadm"_s)->actions().count(entry), 1);
    const QStringList before = QDir(work().path()).entryList(QDir::Files | QDir::Hidden);
    const QByteArray records = readFile(u"log-answers.txt"_s);

    entry->trigger();
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    ClassReportView &report = form.classReport();
    QTRY_COMPARE(form.webBrowser()->url(), report.shownUrl());
    QTRY_VERIFY(form.webBrowser()->title().endsWith(u"отчёт по классу"_s));
    QVERIFY(report.saveButton()->isVisible());
    QCOMPARE(QDir(work().path()).entryList(QDir::Files | QDir::Hidden), before);
    const QString text = pageText(form, {u"Анализ вопросов"_s, u"Номера строк в "_s});
    QVERIFY(text.contains(u"Анализ вопросов"_s));
    QVERIFY(text.contains(u"Номера строк в "_s));

    QTemporaryDir out;
    const struct
    {
        ClassReportView::Format format;
        const char *name;
        QByteArray start;
    } saves[] = {
        {ClassReportView::Format::Html, "r.html", "<!DOCTYPE html>"},
        {ClassReportView::Format::Csv, "r.csv", "\xEF\xBB\xBF\xD0\x9F"},
        {ClassReportView::Format::ItemsCsv, "items.csv", "\xEF\xBB\xBFtest;version;"},
        {ClassReportView::Format::Pdf, "r.pdf", "%PDF-"},
        {ClassReportView::Format::Ods, "r.ods", "PK\x03\x04"},
    };
    for (const auto &save : saves) {
        const QString path = out.filePath(QString::fromLatin1(save.name));
        report.save(path, save.format);
        QVERIFY2(readFile(path).startsWith(save.start), save.name);
    }
    QVERIFY(readFile(out.filePath(u"items.csv"_s)).contains("test1;0a1b2c3d;2;1;0,0;"));
    QVERIFY(readFile(out.filePath(u"r.html"_s)).contains("\xD0\x90\xD0\xBD\xD0\xB0\xD0\xBB"));
    // The class's own files are no place for the report.
    for (const QString &own : {u"users"_s, u"log-answers.txt"_s})
        QVERIFY_THROWS_EXCEPTION(RuntimeError,
                                 report.save(work().filePath(own), ClassReportView::Format::Html));
    QCOMPARE(readFile(u"log-answers.txt"_s), records);
    QCOMPARE(readFile(u"users"_s), QByteArray("anna\r\n"));
    QCOMPARE(QDir(work().path()).entryList(QDir::Files | QDir::Hidden), before);

    // Another page takes the button away.
    form.menuEntry(u"N27"_s)->trigger();
    QTRY_VERIFY(report.saveButton()->isHidden());
    QCOMPARE(answerer.icons.count(QMessageBox::Critical), 0);
}

void tst_answerreview_window::administratorRegradesFromTheReport_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QByteArray>("meanwhile"); // a run recorded while the preview is open
    QTest::addColumn<QByteArray>("grade");     // anna's test1 afterwards
    QTest::newRow("cancelled") << false << QByteArray() << QByteArray("3");
    QTest::newRow("confirmed") << true << QByteArray() << QByteArray("5");
    QTest::newRow("a run meanwhile")
        << true
        << QByteArray("anna | 2026-12-02 10:00:00 | test1 | 3 | 0a1b2c3d | 3241532411 | "
                      "3241532411\r\n")
        << QByteArray("3");
}

// The run was graded while the last key was 1 by mistake; the test now says 5.
void tst_answerreview_window::administratorRegradesFromTheReport()
{
    QFETCH(bool, confirmed);
    QFETCH(QByteArray, meanwhile);
    QFETCH(QByteArray, grade);
    TestFileMaker::write("test1", Digits);
    StoredUser::write("anna", "a", {"3"});
    QVERIFY(work().write(u"users"_s, "anna\r\n"));
    QVERIFY(work().write(u"log.txt"_s, "anna | 10:00:00 | 01.12.2026 | test1 | 3\r\n"));
    const QByteArray run =
        "anna | 2026-12-01 10:00:00 | test1 | 3 | 0a1b2c3d | 3241532415 | 3241532411\r\n";
    QVERIFY(work().write(u"log-answers.txt"_s, run));
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    loginAsAdministrator(form, u"secret"_s);
    form.menuEntry(u"Nclass"_s)->trigger();
    ReportRegrade &regrade = form.classReport().regrade();
    QTRY_VERIFY(regrade.button()->isVisible());
    QStringList offered;
    regrade.choose = [&](const QString &, const QStringList &items) {
        offered = items;
        return 0;
    };
    QStringList shown;
    regrade.confirm = [&](const GradeChanges::Plan &plan) {
        RegradePreview preview(plan, &form);
        if (QTest::currentDataTag() == QLatin1String("confirmed"))
            saveShot(&preview, u"regrade_preview"_s);
        for (int c = 0; c < preview.table()->columnCount(); ++c)
            shown.append(preview.table()->item(0, c)->text());
        if (!meanwhile.isEmpty())
            work().write(u"log-answers.txt"_s, run + meanwhile);
        return confirmed;
    };
    QTest::mouseClick(regrade.button(), Qt::LeftButton);
    QCOMPARE(offered, QStringList{u"Тест 1"_s});
    QCOMPARE(shown,
             QStringList({u"anna"_s, u"2026-12-01 10:00:00"_s, u"3"_s, u"5"_s, u"меняется"_s}));
    QCOMPARE(Store::read("anna", "test1", "\\users.ini"), grade);
    QCOMPARE(readFile(u"log-changes.txt"_s)
                 .contains("| regrade | test1 | 0a1b2c3d | 2026-12-01 "
                           "10:00:00 | 3 | 5 |"),
             grade == "5");
    QCOMPARE(answerer.icons, confirmed
                                 ? QList<QMessageBox::Icon>{grade == "5" ? QMessageBox::Information
                                                                         : QMessageBox::Warning}
                                 : QList<QMessageBox::Icon>{});
    if (grade != "5")
        return;
    // The report read anew shows the change.
    const QString change = u"тест 1: 3 → 5, пересчёт по исправленному ключу"_s;
    QVERIFY(pageText(form, {change}).contains(change));
    saveShot(&form, u"class_report_regraded"_s);
}

QTEST_MAIN(tst_answerreview_window)
#include "tst_answerreview_window.moc"

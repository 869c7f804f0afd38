// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnswerButton.h"
#include "CodePage.h"
#include "Look.h"
#include "TestPanel.h"

#include <QAccessible>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// What the window system delivers for a double-click: a click, then the
// double-click event in place of the second press, then its release.
void doubleClick(QWidget *w, Qt::MouseButton button)
{
    const QPoint at(400, 8);
    QTest::mouseClick(w, button, {}, at);
    QTest::mouseDClick(w, button, {}, at);
    QTest::mouseRelease(w, button, {}, at);
}

} // namespace

class tst_TestPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controlsAsLaidOut_data();
    void controlsAsLaidOut();
    void answerButtons();
    void questionBoxLook();
    void showQuestionFillsMemoAndCaptions();
    void longAnswerIsCutOffWithEllipsis();
    void singleClickOnlyMarks_data();
    void singleClickOnlyMarks();
    void doubleClickAnswers_data();
    void doubleClickAnswers();
    void panel5FollowsPanel3();
    void panel5AsLaidOutBeforePanel3IsSized();
    void doubleClickLeavesTheNextQuestionUnmarked();
    void arrowsMoveFocusAndMark_data();
    void arrowsMoveFocusAndMark();
    void enterAnswersWithTheFocusedAnswer_data();
    void enterAnswersWithTheFocusedAnswer();
    void spaceOnlyMarks();
    void newQuestionUnmarkedWithFocusOnFirstAnswer();
    void questionBoxReadOnlyPassesTab();
    void numberAndNamesForAScreenReader();

private:
    QFrame *m_panel3 = nullptr;
    TestPanel *m_test = nullptr;
};

void tst_TestPanel::init()
{
    m_panel3 = new QFrame;
    m_panel3->setObjectName(QStringLiteral("Panel3"));
    Look::setBackground(m_panel3, Look::skyBlue());
    Look::bevel(m_panel3);
    m_panel3->setGeometry(0, 0, 921, 737);
    m_test = new TestPanel(m_panel3);
}

void tst_TestPanel::cleanup()
{
    delete m_panel3;
}

void tst_TestPanel::controlsAsLaidOut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry"); // an empty size: sized to the text
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("visible");

    const QString p3 = QStringLiteral("Panel3");
    const QString p5 = QStringLiteral("Panel5");
    QTest::newRow("Label34") << "Label34" << p3 << QRect(16, 16, 0, 0) << "Вопрос:" << 13 << true
                             << true;
    QTest::newRow("Label39") << "Label39" << p3 << QRect(344, 8, 0, 0)
                             << "Выделение ответа двойным нажатием клавиш мыши!!!" << 19 << true
                             << true;
    QTest::newRow("Memo1") << "Memo1" << p3 << QRect(32, 32, 849, 137) << "Memo1" << 13 << true
                           << true;
    QTest::newRow("Panel5") << "Panel5" << p3 << QRect(16, 176, 860, 540) << QString() << 19 << true
                            << true;
    const int letterTops[] = {32, 72, 120, 176, 224};
    for (int i = 0; i < 5; ++i) {
        const QString name = QStringLiteral("Label") + QString::number(44 + i);
        QTest::newRow(qPrintable(name)) << name << p5 << QRect(32, letterTops[i], 0, 0)
                                        << QString(QLatin1Char('A' + i)) << 19 << true << true;
    }
    const int answerTops[] = {34, 80, 126, 180, 226};
    for (int i = 0; i < 5; ++i) {
        const QString name = QStringLiteral("RadioButton") + QString::number(i + 1);
        QTest::newRow(qPrintable(name))
            << name << p5 << QRect(50, answerTops[i], 800, 17) << name << 13 << true << true;
    }
    QTest::newRow("RadioButton6") << "RadioButton6" << p5 << QRect(438, 138, 291, 17)
                                  << "RadioButton6" << 11 << false << false;
}

void tst_TestPanel::controlsAsLaidOut()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(int, pixels);
    QFETCH(bool, bold);
    QFETCH(bool, visible);

    auto *w = m_panel3->findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->parentWidget()->objectName(), parent);
    QCOMPARE(w->pos(), geometry.topLeft());
    if (!geometry.size().isEmpty())
        QCOMPARE(w->size(), geometry.size());
    QCOMPARE(w->font().pixelSize(), pixels);
    QCOMPARE(w->font().bold(), bold);
    QCOMPARE(w->isVisibleTo(m_panel3), visible);

    if (auto *label = qobject_cast<QLabel *>(w)) {
        QCOMPARE(label->text(), text);
        QVERIFY(label->width() >= label->sizeHint().width());
        QVERIFY(label->geometry().right() < m_panel3->width());
    } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        QCOMPARE(button->text(), text);
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(w)) {
        QCOMPARE(memo->toPlainText(), text);
    }
}

void tst_TestPanel::answerButtons()
{
    AnswerButton *buttons[] = {m_test->RadioButton1, m_test->RadioButton2, m_test->RadioButton3,
                               m_test->RadioButton4, m_test->RadioButton5};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(m_test->answerButton(i + 1), buttons[i]);
        QCOMPARE(buttons[i]->palette().color(QPalette::WindowText), QColor(Qt::black));
    }
    QCOMPARE(m_test->answerButton(0), nullptr);
    QCOMPARE(m_test->answerButton(6), nullptr);
    // A double-click on an answer asks for it by its number.
    QSignalSpy answered(m_test, &TestPanel::answered);
    emit m_test->RadioButton4->doubleClicked();
    QCOMPARE(answered.size(), 1);
    QCOMPARE(answered.first().first().toInt(), 4);

    // One radio group: marking one clears the others.
    m_test->RadioButton2->setChecked(true);
    m_test->RadioButton5->setChecked(true);
    QVERIFY(!m_test->RadioButton2->isChecked());
    QVERIFY(m_test->RadioButton5->isChecked());

    QCOMPARE(m_test->Panel5->palette().color(QPalette::Window), Look::silver());
    QVERIFY(m_test->Panel5->autoFillBackground());
    QVERIFY(m_test->Panel5->frameShape() != QFrame::NoFrame);
}

void tst_TestPanel::questionBoxLook()
{
    QPlainTextEdit *memo = m_test->Memo1;
    QCOMPARE(memo->frameShape(), QFrame::NoFrame);
    QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(memo->palette().color(QPalette::Base), QColor(Qt::white));

    m_test->startLook();
    QCOMPARE(memo->palette().color(QPalette::Base), Look::skyBlue());
    QCOMPARE(memo->palette().color(QPalette::Base), m_panel3->palette().color(QPalette::Window));
}

void tst_TestPanel::showQuestionFillsMemoAndCaptions()
{
    m_test->RadioButton3->setChecked(true);
    const std::array<QByteArray, 5> answers = {CodePage::fromUnicode(QStringLiteral("A) Вектор")),
                                               CodePage::fromUnicode(QStringLiteral("B) Матрица ")),
                                               CodePage::fromUnicode(QStringLiteral("C) Ёмкость")),
                                               QByteArray("D) 42"), QByteArray("!!!!!!")};
    m_test->showQuestion(CodePage::fromUnicode(QStringLiteral("Что такое «тензор»?*")), answers);

    QCOMPARE(m_test->Memo1->toPlainText(), QStringLiteral("Что такое «тензор»?*"));
    QCOMPARE(m_test->RadioButton1->text(), QStringLiteral("A) Вектор"));
    QCOMPARE(m_test->RadioButton2->text(), QStringLiteral("B) Матрица "));
    QCOMPARE(m_test->RadioButton3->text(), QStringLiteral("C) Ёмкость"));
    QCOMPARE(m_test->RadioButton4->text(), QStringLiteral("D) 42"));
    QCOMPARE(m_test->RadioButton5->text(), QStringLiteral("!!!!!!"));
    QCOMPARE(m_test->RadioButton6->text(), QStringLiteral("RadioButton6"));
    // A new question starts with no answer marked.
    for (int n = 1; n <= 5; ++n)
        QVERIFY(!m_test->answerButton(n)->isChecked());
}

void tst_TestPanel::longAnswerIsCutOffWithEllipsis()
{
    m_panel3->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel3));

    QString longAnswer = QStringLiteral("B) ");
    for (int i = 0; i < 40; ++i)
        longAnswer += QStringLiteral("длинный ответ ");
    const std::array<QByteArray, 5> answers = {"A) short", CodePage::fromUnicode(longAnswer), "C)",
                                               "D)", "E)"};
    m_test->showQuestion("Q", answers);

    QCOMPARE(m_test->RadioButton2->text(), longAnswer);
    QVERIFY(m_test->RadioButton2->isElided());
    QVERIFY(!m_test->RadioButton1->isElided());
    QCOMPARE(m_test->RadioButton2->size(), QSize(800, 17));
}

void tst_TestPanel::singleClickOnlyMarks_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QPoint>("where");
    for (int n = 1; n <= 5; ++n) {
        QTest::addRow("RadioButton%d at the mark", n) << n << QPoint(6, 8);
        QTest::addRow("RadioButton%d far right", n) << n << QPoint(780, 8);
    }
}

void tst_TestPanel::singleClickOnlyMarks()
{
    QFETCH(int, number);
    QFETCH(QPoint, where);
    m_panel3->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel3));

    QList<QSignalSpy *> spies;
    for (int n = 1; n <= 5; ++n)
        spies.append(new QSignalSpy(m_test->answerButton(n), &AnswerButton::doubleClicked));

    QTest::mouseClick(m_test->answerButton(number), Qt::LeftButton, {}, where);

    for (int n = 1; n <= 5; ++n) {
        QCOMPARE(m_test->answerButton(n)->isChecked(), n == number);
        QCOMPARE(spies[n - 1]->count(), 0);
    }
    qDeleteAll(spies);
}

void tst_TestPanel::doubleClickAnswers_data()
{
    QTest::addColumn<int>("number");
    for (int n = 1; n <= 5; ++n)
        QTest::addRow("RadioButton%d", n) << n;
}

void tst_TestPanel::doubleClickAnswers()
{
    QFETCH(int, number);
    m_panel3->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel3));

    QList<QSignalSpy *> spies;
    for (int n = 1; n <= 5; ++n)
        spies.append(new QSignalSpy(m_test->answerButton(n), &AnswerButton::doubleClicked));

    doubleClick(m_test->answerButton(number), Qt::LeftButton);

    for (int n = 1; n <= 5; ++n) {
        QCOMPARE(spies[n - 1]->count(), n == number ? 1 : 0);
        QCOMPARE(m_test->answerButton(n)->isChecked(), n == number);
    }
    QSignalSpy right(m_test->answerButton(number), &AnswerButton::doubleClicked);
    doubleClick(m_test->answerButton(number), Qt::RightButton);
    QCOMPARE(right.count(), 0);
    qDeleteAll(spies);
}

void tst_TestPanel::panel5FollowsPanel3()
{
    m_panel3->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel3));
    m_panel3->resize(1100, 900);
    QCOMPARE(m_test->Panel5->geometry(), QRect(16, 176, 1100 - 16 - 45, 900 - 176 - 21));
    m_panel3->resize(921, 737);
    QCOMPARE(m_test->Panel5->geometry(), QRect(16, 176, 860, 540));

    // The answers keep their places; only the panel grows.
    m_panel3->resize(1000, 800);
    QCOMPARE(m_test->RadioButton5->geometry(), QRect(50, 226, 800, 17));
    QCOMPARE(m_test->Memo1->geometry(), QRect(32, 32, 849, 137));

    // A hidden Panel3 resized meanwhile carries Panel5 along once shown.
    m_panel3->hide();
    m_panel3->resize(930, 750);
    m_panel3->show();
    QCOMPARE(m_test->Panel5->geometry(), QRect(16, 176, 930 - 61, 750 - 197));
}

void tst_TestPanel::panel5AsLaidOutBeforePanel3IsSized()
{
    QFrame panel3;
    TestPanel test(&panel3);
    QCOMPARE(test.Panel5->geometry(), QRect(16, 176, 860, 540));
    panel3.setGeometry(0, 0, 921, 737);
    panel3.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel3));
    QCOMPARE(test.Panel5->geometry(), QRect(16, 176, 860, 540));
    panel3.resize(950, 760);
    QCOMPARE(test.Panel5->geometry(), QRect(16, 176, 950 - 61, 760 - 197));
}

void tst_TestPanel::doubleClickLeavesTheNextQuestionUnmarked()
{
    m_panel3->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel3));
    connect(m_test->RadioButton3, &AnswerButton::doubleClicked, m_test, [this] {
        m_test->showQuestion("Q2", {"A", "B", "C", "D", "E"});
    });
    doubleClick(m_test->RadioButton3, Qt::LeftButton);
    QCOMPARE(m_test->Memo1->toPlainText(), u"Q2"_s);
    for (int n = 1; n <= 5; ++n)
        QVERIFY(!m_test->answerButton(n)->isChecked());
}

void tst_TestPanel::arrowsMoveFocusAndMark_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("Down from A") << 1 << int(Qt::Key_Down) << 2;
    QTest::newRow("Right from C") << 3 << int(Qt::Key_Right) << 4;
    QTest::newRow("Up from C") << 3 << int(Qt::Key_Up) << 2;
    QTest::newRow("Left from B") << 2 << int(Qt::Key_Left) << 1;
    QTest::newRow("Down from E goes round to A") << 5 << int(Qt::Key_Down) << 1;
    QTest::newRow("Up from A goes round to E") << 1 << int(Qt::Key_Up) << 5;
}

void tst_TestPanel::arrowsMoveFocusAndMark()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    m_panel3->show();
    QVERIFY(QTest::qWaitForWindowActive(m_panel3));
    QSignalSpy answered(m_test->answerButton(to), &AnswerButton::doubleClicked);

    // Nothing is marked yet, as at the start of a question.
    m_test->answerButton(from)->setFocus();
    QTest::keyClick(m_test->answerButton(from), Qt::Key(key));

    QCOMPARE(QApplication::focusWidget(), m_test->answerButton(to));
    for (int n = 1; n <= 5; ++n)
        QCOMPARE(m_test->answerButton(n)->isChecked(), n == to);
    QVERIFY(!m_test->RadioButton6->isChecked());
    QCOMPARE(answered.count(), 0);
}

void tst_TestPanel::enterAnswersWithTheFocusedAnswer_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    for (int n = 1; n <= 5; ++n) {
        QTest::addRow("RadioButton%d Return", n) << n << int(Qt::Key_Return) << 0;
        QTest::addRow("RadioButton%d keypad Enter", n)
            << n << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    }
}

void tst_TestPanel::enterAnswersWithTheFocusedAnswer()
{
    QFETCH(int, number);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    m_panel3->show();
    QVERIFY(QTest::qWaitForWindowActive(m_panel3));
    m_test->RadioButton1->setChecked(true);
    QList<QSignalSpy *> spies;
    for (int n = 1; n <= 5; ++n)
        spies.append(new QSignalSpy(m_test->answerButton(n), &AnswerButton::doubleClicked));

    // The focused answer gives the answer, not the one marked before.
    m_test->answerButton(number)->setFocus();
    QTest::keyClick(m_test->answerButton(number), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    for (int n = 1; n <= 5; ++n) {
        QCOMPARE(spies[n - 1]->count(), n == number ? 1 : 0);
        QCOMPARE(m_test->answerButton(n)->isChecked(), n == number);
    }

    // A held key answers once.
    QKeyEvent repeat(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), QString(), true);
    QApplication::sendEvent(m_test->answerButton(number), &repeat);
    QCOMPARE(spies[number - 1]->count(), 1);
    qDeleteAll(spies);
}

void tst_TestPanel::spaceOnlyMarks()
{
    m_panel3->show();
    QVERIFY(QTest::qWaitForWindowActive(m_panel3));
    QSignalSpy answered(m_test->RadioButton4, &AnswerButton::doubleClicked);
    m_test->RadioButton4->setFocus();
    QTest::keyClick(m_test->RadioButton4, Qt::Key_Space);
    QVERIFY(m_test->RadioButton4->isChecked());
    QCOMPARE(answered.count(), 0);
}

void tst_TestPanel::newQuestionUnmarkedWithFocusOnFirstAnswer()
{
    m_panel3->show();
    QVERIFY(QTest::qWaitForWindowActive(m_panel3));
    const std::array<QByteArray, 5> answers = {"A) a", "B) b", "C) c", "D) d", "E) e"};
    for (int number : {1, 4}) {
        m_test->answerButton(number)->setFocus();
        m_test->answerButton(number)->setChecked(true);
        QSignalSpy answered(m_test->RadioButton1, &AnswerButton::doubleClicked);
        m_test->showQuestion("Q", answers);
        for (int n = 1; n <= 5; ++n)
            QVERIFY(!m_test->answerButton(n)->isChecked());
        QCOMPARE(QApplication::focusWidget(), m_test->firstControl());
        QCOMPARE(m_test->firstControl(), m_test->RadioButton1);
        QCOMPARE(answered.count(), 0);
    }
}

void tst_TestPanel::questionBoxReadOnlyPassesTab()
{
    m_panel3->show();
    QVERIFY(QTest::qWaitForWindowActive(m_panel3));
    m_test->showQuestion("Q", {"A", "B", "C", "D", "E"});
    m_test->Memo1->setFocus();
    QTest::keyClicks(m_test->Memo1, u"typed"_s);
    QCOMPARE(m_test->Memo1->toPlainText(), u"Q"_s);
    QTest::keyClick(m_test->Memo1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), m_test->RadioButton1);
}

void tst_TestPanel::numberAndNamesForAScreenReader()
{
    m_test->showNumber(3, 10);
    QCOMPARE(m_test->QuestionNumber->text(), u"Вопрос 3 из 10"_s);
    QVERIFY(m_test->QuestionNumber->isVisibleTo(m_panel3));
    QCOMPARE(QAccessible::queryAccessibleInterface(m_test->Memo1)->text(QAccessible::Name),
             u"Вопрос 3 из 10"_s);
    m_test->showNumber(2, 0);
    QCOMPARE(m_test->QuestionNumber->text(), u"Вопрос 2"_s);
    QVERIFY(m_test->KeyboardNote->isVisibleTo(m_panel3));
    QVERIFY(m_test->KeyboardNote->text().contains(u"Enter"_s));
    QVERIFY(m_test->KeyboardNote->geometry().right() < m_test->Panel5->width());

    // Every answer is named, one without text by its letter.
    m_test->showQuestion("Q", {"A) a", "", "C) c", "D) d", ""});
    const QString expected[] = {u"A) a"_s, u"B"_s, u"C) c"_s, u"D) d"_s, u"E"_s};
    for (int n = 1; n <= 5; ++n)
        QCOMPARE(
            QAccessible::queryAccessibleInterface(m_test->answerButton(n))->text(QAccessible::Name),
            expected[n - 1]);
    m_test->showQuestion("Q", {"A) a", "B) b", "C) c", "D) d", "E) e"});
    QCOMPARE(QAccessible::queryAccessibleInterface(m_test->RadioButton2)->text(QAccessible::Name),
             u"B) b"_s);
}

QTEST_MAIN(tst_TestPanel)
#include "tst_testpanel.moc"

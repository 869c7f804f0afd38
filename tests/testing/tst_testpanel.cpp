#include "AnswerButton.h"
#include "CodePage.h"
#include "Look.h"
#include "TestPanel.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

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
    QVERIFY(m_test->RadioButton3->isChecked());
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

QTEST_MAIN(tst_TestPanel)
#include "tst_testpanel.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestPanel.h"

#include "AnswerButton.h"
#include "CodePage.h"
#include "Look.h"

#include <QAccessible>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

// Panel5's distances to the edges of Panel3 as laid out (921 × 737).
constexpr int Panel5Left = 16;
constexpr int Panel5Top = 176;
constexpr int Panel5Right = 921 - (16 + 860);
constexpr int Panel5Bottom = 737 - (176 + 540);

constexpr int AnswerLeft = 50;
constexpr int AnswerWidth = 800;
constexpr int AnswerHeight = 17;

QFont boldFont(int pixelHeight)
{
    return Look::sansSerif(pixelHeight, true);
}

AnswerButton *answer(QWidget *parent, int number, int left, int top, int width, const QFont &font)
{
    const QString name = QStringLiteral("RadioButton") + QString::number(number);
    auto *button = new AnswerButton(name, parent);
    button->setObjectName(name);
    button->setFont(font);
    QPalette p = button->palette();
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::ButtonText, Qt::black);
    button->setPalette(p);
    button->setGeometry(left, top, width, AnswerHeight);
    return button;
}

// Where the face that stands in for the laid-out one runs wider, the label is
// drawn narrower rather than cut off at the edge of its panel.
void fitWithin(QLabel *label, int right)
{
    QFont f = label->font();
    for (int stretch = QFont::SemiCondensed;
         label->geometry().right() > right && stretch >= QFont::ExtraCondensed; stretch -= 12) {
        f.setStretch(stretch);
        label->setFont(f);
        label->adjustSize();
    }
}

} // namespace

TestPanel::TestPanel(QFrame *panel3) : QObject(panel3), Panel3(panel3)
{
    setObjectName(QStringLiteral("TestPanel"));

    Label34 = Look::label(Panel3, QStringLiteral("Label34"), QStringLiteral("Вопрос:"), 16, 16,
                          boldFont(13));
    Label39 = Look::label(Panel3, QStringLiteral("Label39"),
                          QStringLiteral("Выделение ответа двойным нажатием клавиш мыши!!!"), 344,
                          8, boldFont(19));
    fitWithin(Label39, 921 - 3);

    Memo1 = new QPlainTextEdit(QStringLiteral("Memo1"), Panel3);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFrameStyle(QFrame::NoFrame);
    Memo1->setFont(boldFont(13));
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setGeometry(32, 32, 849, 137);
    // The question is read, not written: Tab goes on to the answers, and the
    // keyboard still moves through the text for a screen reader.
    Memo1->setReadOnly(true);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo1->setTabChangesFocus(true);
    Memo1->setAccessibleName(QStringLiteral("Вопрос"));
    {
        QPalette p = Memo1->palette();
        p.setColor(QPalette::Base, Qt::white);
        p.setColor(QPalette::Text, Qt::black);
        Memo1->setPalette(p);
    }

    Panel5 = new QFrame(Panel3);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setFont(boldFont(19));
    Look::setBackground(Panel5, Look::silver());
    Look::bevel(Panel5);
    Panel5->setGeometry(Panel5Left, Panel5Top, 860, 540);

    const int letterTops[AnswerCount] = {32, 72, 120, 176, 224};
    QLabel **letters[AnswerCount] = {&Label44, &Label45, &Label46, &Label47, &Label48};
    for (int i = 0; i < AnswerCount; ++i)
        *letters[i] = Look::label(Panel5, QStringLiteral("Label") + QString::number(44 + i),
                                  QString(QLatin1Char('A' + i)), 32, letterTops[i], boldFont(19));

    const int answerTops[AnswerCount] = {34, 80, 126, 180, 226};
    AnswerButton **buttons[AnswerCount] = {&RadioButton1, &RadioButton2, &RadioButton3,
                                           &RadioButton4, &RadioButton5};
    for (int i = 0; i < AnswerCount; ++i)
        *buttons[i] = answer(Panel5, i + 1, AnswerLeft, answerTops[i], AnswerWidth, boldFont(13));

    QuestionNumber = Look::label(Panel5, QStringLiteral("QuestionNumber"), QString(), AnswerLeft, 6,
                                 boldFont(13));
    KeyboardNote = Look::label(
        Panel5, QStringLiteral("KeyboardNote"),
        QStringLiteral("С клавиатуры: стрелками выделите ответ, клавишей Enter ответьте."), 32, 272,
        boldFont(19));
    fitWithin(KeyboardNote, Panel5->width() - 3);
    StatusNote = Look::label(Panel5, QStringLiteral("StatusNote"), QString(), 32, 312, boldFont(13),
                             Qt::darkRed);
    StatusNote->setWordWrap(true);
    StatusNote->setFixedWidth(Panel5->width() - 64);
    StatusNote->hide();

    // All six share Panel5, so they form one radio group, the hidden one included.
    RadioButton6 = answer(Panel5, 6, 438, 138, 291, Look::sansSerif(11));
    RadioButton6->hide();
    for (int i = 1; i <= AnswerCount; ++i)
        connect(answerButton(i), &AnswerButton::doubleClicked, this,
                [this, i] { emit answered(i); });

    // A Panel3 that the main window has not sized yet gets Panel5 as laid out;
    // every later resize of Panel3 carries Panel5 along.
    if (Panel3->testAttribute(Qt::WA_Resized))
        followPanel3();
    Panel3->installEventFilter(this);
}

AnswerButton *TestPanel::answerButton(int number) const
{
    switch (number) {
    case 1:
        return RadioButton1;
    case 2:
        return RadioButton2;
    case 3:
        return RadioButton3;
    case 4:
        return RadioButton4;
    case 5:
        return RadioButton5;
    default:
        return nullptr;
    }
}

void TestPanel::showQuestion(const QByteArray &question,
                             const std::array<QByteArray, AnswerCount> &answers)
{
    Memo1->setPlainText(CodePage::toUnicode(question));
    for (int i = 0; i < AnswerCount; ++i) {
        AnswerButton *button = answerButton(i + 1);
        button->setText(CodePage::toUnicode(answers[i]));
        // An answer without text is still named by its letter.
        button->setAccessibleName(answers[i].isEmpty() ? QString(QLatin1Char('A' + i)) : QString());
        // A mark carried over from the last question would be an answer the
        // student never chose here, and Enter would give it.
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
        button->update();
    }
    // Focus comes to the first answer anew, so that a screen reader reads the
    // new question's answers from the top.
    if (Panel3->isVisible()) {
        if (RadioButton1->hasFocus())
            RadioButton1->clearFocus();
        RadioButton1->setFocus(Qt::OtherFocusReason);
    }
}

void TestPanel::showNumber(int number, int count)
{
    const QString text = count >= 1 ? QStringLiteral("Вопрос %1 из %2").arg(number).arg(count)
                                    : QStringLiteral("Вопрос %1").arg(number);
    QuestionNumber->setText(text);
    QuestionNumber->adjustSize();
    Memo1->setAccessibleName(text);
}

void TestPanel::showStatus(const QString &text)
{
    StatusNote->setText(text);
    StatusNote->setAccessibleName(text);
    StatusNote->adjustSize();
    StatusNote->setVisible(!text.isEmpty());
    if (!text.isEmpty()) {
        QAccessibleEvent event(StatusNote, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

QWidget *TestPanel::firstControl() const
{
    return RadioButton1;
}

void TestPanel::startLook()
{
    QPalette p = Memo1->palette();
    p.setColor(QPalette::Base, Panel3->palette().color(QPalette::Window));
    Memo1->setPalette(p);
}

bool TestPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel3 && event->type() == QEvent::Resize)
        followPanel3();
    return QObject::eventFilter(watched, event);
}

void TestPanel::followPanel3()
{
    Panel5->setGeometry(Panel5Left, Panel5Top, qMax(0, Panel3->width() - Panel5Left - Panel5Right),
                        qMax(0, Panel3->height() - Panel5Top - Panel5Bottom));
}

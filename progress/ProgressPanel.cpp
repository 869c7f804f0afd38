// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressPanel.h"

#include "CodePage.h"
#include "CourseStructure.h"
#include "Look.h"
#include "SpeedButton.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

namespace {

// Enter in the combo box's edit line would choose whatever the completer
// filled in; only a pick from the open list chooses a user.
class EnterIgnored : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                event->accept();
                return event->type() == QEvent::KeyPress;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

ProgressPanel::ProgressPanel(QFrame *panel)
{
    const QFont times19 = Look::font(QStringLiteral("Times New Roman"), 19, true);
    const QFont times21 = Look::font(QStringLiteral("Times New Roman"), 21, true);
    Label3 =
        Look::label(panel, QStringLiteral("Label3"),
                    QStringLiteral("Информация об успеваемости пользователя"), 257, 10, times19);
    Label4 = Look::label(panel, QStringLiteral("Label4"),
                         QStringLiteral("Выберите имя пользователя:"), 145, 36, times19);
    Label5 =
        Look::label(panel, QStringLiteral("Label5"), QStringLiteral("Label5"), 406, 38, times19);

    ComboBox1 = new QComboBox(panel);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setFont(Look::sansSerif(16, true));
    ComboBox1->setGeometry(395, 38, 206, 28);
    ComboBox1->view()->setStyleSheet(QStringLiteral("QAbstractItemView::item { height: 20px; }"));
    // A full name keeps its start, which tells the student.
    ComboBox1->view()->setTextElideMode(Qt::ElideRight);
    ComboBox1->setVisible(false);
    auto *enterIgnored = new EnterIgnored(ComboBox1);
    ComboBox1->installEventFilter(enterIgnored);
    ComboBox1->lineEdit()->installEventFilter(enterIgnored);
    // A pick from the list, not typing, chooses the user.
    connect(ComboBox1, &QComboBox::activated, this, &ProgressPanel::userPicked);

    const QFont small = Look::sansSerif(13, true);
    Label40 = Look::label(panel, QStringLiteral("Label40"), QStringLiteral("№ Теста (Темы)"), 48,
                          64, small, Qt::white);
    Label41 = Look::label(panel, QStringLiteral("Label41"), QStringLiteral("Оценка"), 200, 64,
                          small, Qt::white);
    for (int k = 1; k <= 12; ++k) {
        const bool shown = k <= CourseStructure::MaxTests;
        const int left = shown ? 44 : 652;
        const int top = shown ? 82 + 36 * (k - 1) : (k == 11 ? 370 : 390);
        testLabels[k - 1] = Look::label(panel, QStringLiteral("Label%1").arg(5 + k),
                                        QStringLiteral("Тест №%1").arg(k), left, top, times21);
        valueLabels[k - 1] =
            Look::label(panel, QStringLiteral("Label%1").arg(17 + k),
                        QStringLiteral("Label%1").arg(17 + k), shown ? 192 : 784, top, times21);
        testLabels[k - 1]->setVisible(shown);
        valueLabels[k - 1]->setVisible(shown);
    }
    Label35 = Look::label(panel, QStringLiteral("Label35"),
                          QStringLiteral("Здесь дана только традиционная оценка!!!!"), 392, 104,
                          Look::font(QStringLiteral("Times New Roman"), 24, true), Qt::white);
    SpeedButton4 = SpeedButton::create(
        panel, QStringLiteral("SpeedButton4"), QStringLiteral("<<На&зад"),
        QStringLiteral(":/pictures/back.jpg"), 366, 464, 203, 65, times19, true);
    connect(SpeedButton4, &QAbstractButton::clicked, this, &ProgressPanel::backRequested);
    // The combo box lies over the name label and hides it once shown.
    ComboBox1->raise();
    // The label over the combo box names it, its edit line included.
    Label4->setBuddy(ComboBox1);
    ComboBox1->lineEdit()->setAccessibleName(Label4->text());
    ComboBox1->view()->setAccessibleName(QStringLiteral("Список пользователей"));

    // Below the rows, left of the back button.
    changesLabel = Look::label(panel, QStringLiteral("changesLabel"), QString(), 44, 452,
                               Look::sansSerif(10, false), Qt::white);
    changesLabel->setGeometry(44, 452, 316, 90);
    changesLabel->setWordWrap(true);
    changesLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    changesLabel->setVisible(false);

    // In the free space right of the rows, above the back button.
    rightAnswers = Look::label(panel, QStringLiteral("rightAnswers"), QString(), 392, 150, times19);
    mistakesLabel = Look::label(panel, QStringLiteral("mistakesLabel"), QStringLiteral("Ошибки"),
                                392, 182, times19);
    mistakes = new QListWidget(panel);
    mistakes->setObjectName(QStringLiteral("mistakes"));
    mistakes->setGeometry(392, 208, 500, 244);
    mistakes->setFont(Look::sansSerif(13));
    mistakes->setWordWrap(true);
    mistakes->setFocusPolicy(Qt::StrongFocus);
    mistakes->setAccessibleName(QStringLiteral("Ошибки"));
    mistakesLabel->setBuddy(mistakes);
    hideReview();
    QObject::connect(ComboBox1, &QComboBox::activated, mistakes, [this] { hideReview(); });
    QWidget::setTabOrder(ComboBox1, mistakes);
    QWidget::setTabOrder(mistakes, SpeedButton4);
}

void ProgressPanel::showTests(const CourseStructure &course)
{
    for (int k = 1; k <= CourseStructure::MaxTests; ++k) {
        testLabels[k - 1]->setVisible(false);
        valueLabels[k - 1]->setVisible(false);
    }
    m_shownTests.clear();
    int row = 0;
    for (const MenuTree::Entry *test : course.tests()) {
        const int k = CourseStructure::testNumber(test->name);
        m_shownTests.append({k, test->label});
        const int top = 82 + 36 * row++;
        QLabel *label = testLabels[k - 1];
        label->setText(test->label);
        label->adjustSize();
        label->move(label->x(), top);
        valueLabels[k - 1]->move(valueLabels[k - 1]->x(), top);
        label->setVisible(true);
        valueLabels[k - 1]->setVisible(true);
    }
}

QWidget *ProgressPanel::firstControl() const
{
    // The administrator's user box where it is shown, the back button otherwise.
    if (ComboBox1->isVisibleTo(ComboBox1->parentWidget()))
        return ComboBox1;
    return SpeedButton4;
}

void ProgressPanel::showReview(int right, int count, const QList<TestRun::Mistake> &list)
{
    rightAnswers->setText(QStringLiteral("Правильных ответов: %1 из %2").arg(right).arg(count));
    rightAnswers->adjustSize();
    rightAnswers->setAccessibleName(rightAnswers->text());
    mistakes->clear();
    for (const TestRun::Mistake &m : list)
        mistakes->addItem(QStringLiteral("%1. %2\nВаш ответ: %3")
                              .arg(QString::number(m.number), CodePage::toUnicode(m.question),
                                   CodePage::toUnicode(m.answer)));
    if (list.isEmpty())
        mistakes->addItem(QStringLiteral("Ошибок нет"));
    mistakes->setAccessibleDescription(QStringLiteral("Вопросов с ошибкой: %1").arg(list.size()));
    mistakes->setCurrentRow(0);
    for (QWidget *w : {static_cast<QWidget *>(rightAnswers), static_cast<QWidget *>(mistakesLabel),
                       static_cast<QWidget *>(mistakes)})
        w->setVisible(true);
}

void ProgressPanel::hideReview()
{
    for (QWidget *w : {static_cast<QWidget *>(rightAnswers), static_cast<QWidget *>(mistakesLabel),
                       static_cast<QWidget *>(mistakes)})
        w->setVisible(false);
}

void ProgressPanel::showScores(const std::array<quint8, 12> &scores, const QStringList &changes)
{
    for (int k = 0; k < 12; ++k) {
        valueLabels[k]->setText(QString::number(scores[k]));
        valueLabels[k]->adjustSize();
    }
    // No grade changed by hand or by a regrade goes unsaid.
    changesLabel->setText(changes.isEmpty() ? QString()
                                            : QStringLiteral("Изменения оценок:\n") +
                                                  changes.join(QLatin1Char('\n')));
    changesLabel->setToolTip(changesLabel->text());
    changesLabel->setAccessibleName(changesLabel->text());
    changesLabel->setVisible(!changes.isEmpty());
}

void ProgressPanel::showUserName(const QByteArray &name)
{
    Label5->setText(CodePage::toUnicode(name));
    Label5->adjustSize();
}

void ProgressPanel::setUsers(const QList<QByteArray> &names)
{
    const QString typed = ComboBox1->currentText();
    ComboBox1->clear();
    for (const QByteArray &name : names) {
        const QString shown = CodePage::toUnicode(name);
        ComboBox1->addItem(shown, name);
        ComboBox1->setItemData(ComboBox1->count() - 1, shown, Qt::ToolTipRole);
        ComboBox1->setItemData(ComboBox1->count() - 1, shown, Qt::AccessibleTextRole);
    }
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(typed);
    ComboBox1->setToolTip(typed);
}

void ProgressPanel::showPicked(const QByteArray &name)
{
    const int i = ComboBox1->findData(name);
    if (i >= 0)
        ComboBox1->setCurrentIndex(i);
    ComboBox1->setEditText(CodePage::toUnicode(name));
    ComboBox1->setToolTip(CodePage::toUnicode(name));
    showUserName(name);
}

void ProgressPanel::showUserList()
{
    ComboBox1->setVisible(true);
}

QByteArray ProgressPanel::currentUser() const
{
    const int i = ComboBox1->currentIndex();
    if (i >= 0 && ComboBox1->itemText(i) == ComboBox1->currentText())
        return ComboBox1->itemData(i).toByteArray();
    return CodePage::fromUnicode(ComboBox1->currentText());
}

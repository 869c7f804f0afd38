// SPDX-License-Identifier: GPL-3.0-or-later
#include "PickedUserButtons.h"

#include "CodePage.h"
#include "GradeChanges.h"
#include "HandlerGuard.h"
#include "ProgressPanel.h"
#include "Session.h"

#include <QComboBox>
#include <QEvent>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

QPushButton *button(QWidget *parent, const QString &name, const QString &text, int left)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(left, 70, 101, 26);
    b->setVisible(false);
    return b;
}

QString keptText(const ClassStore::Removal &kept)
{
    QStringList grades;
    for (int g : kept.grades)
        grades.append(g ? QString::number(g) : QStringLiteral("-"));
    return QStringLiteral("удалён %1, оценки %2")
        .arg(QString::fromLatin1(kept.whenText()), grades.join(u' '));
}

} // namespace

PickedUserButtons::PickedUserButtons(QWidget *window, Session &session, ProgressPanel &progress)
    : QObject(window), m_window(window), m_session(session), m_progress(progress)
{
    QWidget *panel = progress.ComboBox1->parentWidget();
    passwordButton =
        button(panel, QStringLiteral("passwordButton"), QStringLiteral("Пароль…"), 395);
    renameButton = button(panel, QStringLiteral("renameButton"), QStringLiteral("Имя…"), 500);
    gradeButton = button(panel, QStringLiteral("gradeButton"), QStringLiteral("Оценка…"), 605);
    restoreButton = button(panel, QStringLiteral("restoreButton"), QStringLiteral("Вернуть…"), 710);
    passwordButton->setAccessibleName(QStringLiteral("Новый пароль выбранного пользователя"));
    renameButton->setAccessibleName(QStringLiteral("Новое имя выбранного пользователя"));
    gradeButton->setAccessibleName(QStringLiteral("Оценка выбранного пользователя вручную"));
    restoreButton->setAccessibleName(QStringLiteral("Вернуть удалённого пользователя"));
    progress.ComboBox1->installEventFilter(this);
    ask = [this](const QString &prompt, const QString &text, bool password) {
        return QInputDialog::getText(m_window, m_window->windowTitle(), prompt,
                                     password ? QLineEdit::Password : QLineEdit::Normal, text);
    };
    choose = [this](const QString &prompt, const QStringList &items) {
        bool ok = false;
        const QString item =
            QInputDialog::getItem(m_window, m_window->windowTitle(), prompt, items, 0, false, &ok);
        return ok ? int(items.indexOf(item)) : -1;
    };
    const std::pair<QPushButton *, void (PickedUserButtons::*)()> clicks[] = {
        {passwordButton, &PickedUserButtons::passwordClick},
        {renameButton, &PickedUserButtons::renameClick},
        {gradeButton, &PickedUserButtons::gradeClick},
        {restoreButton, &PickedUserButtons::restoreClick}};
    for (const auto &[b, click] : clicks)
        connect(b, &QPushButton::clicked, this, [this, click] {
            HandlerGuard::run(m_window, [this, click] { (this->*click)(); });
        });
}

bool PickedUserButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_progress.ComboBox1 &&
        (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        const bool shown = event->type() == QEvent::Show;
        for (QPushButton *b : {passwordButton, renameButton, gradeButton, restoreButton})
            b->setVisible(shown);
    }
    return QObject::eventFilter(watched, event);
}

void PickedUserButtons::passwordClick()
{
    const QByteArray name = m_progress.currentUser();
    const QString shown = CodePage::toUnicode(name);
    const QString password =
        ask(QStringLiteral("Новый пароль пользователя %1:").arg(shown), QString(), true);
    if (password.isEmpty())
        return;
    if (ask(QStringLiteral("Повторите пароль:"), QString(), true) != password) {
        QMessageBox::critical(m_window, m_window->windowTitle(),
                              QStringLiteral("Проверьте пароль!"));
        return;
    }
    const UserChange r = m_session.resetPassword(name, password);
    if (!r.ok()) {
        QMessageBox::warning(m_window, m_window->windowTitle(),
                             CodePage::toUnicode(m_session.problemText(r, name)));
        return;
    }
    QMessageBox::information(m_window, m_window->windowTitle(),
                             QStringLiteral("Пароль пользователя %1 изменён, оценки остались.")
                                 .arg(CodePage::toUnicode(r.name)));
}

void PickedUserButtons::renameClick()
{
    const QByteArray name = m_progress.currentUser();
    const QString shown = CodePage::toUnicode(name);
    const QString to = ask(QStringLiteral("Новое имя пользователя %1:").arg(shown), shown, false);
    if (to.isEmpty() || to == shown)
        return;
    const UserChange r = m_session.renameUser(name, to);
    if (!r.ok()) {
        QMessageBox::warning(m_window, m_window->windowTitle(),
                             CodePage::toUnicode(m_session.problemText(r, name)));
        return;
    }
    m_progress.showPicked(CodePage::fromUnicode(to));
    QMessageBox::information(
        m_window, m_window->windowTitle(),
        QStringLiteral("Пользователь %1 переименован в %2; оценки и журнал остались за ним.")
            .arg(CodePage::toUnicode(r.name), to));
}

void PickedUserButtons::gradeClick()
{
    const QByteArray name = m_progress.currentUser();
    const QString shown = CodePage::toUnicode(name);
    // The tests the progress view lists, in its order.
    QList<int> tests;
    QStringList labels;
    for (const ProgressPanel::ShownTest &shownTest : m_progress.shownTests()) {
        if (shownTest.number <= ClassStore::RunTests) {
            tests.append(shownTest.number);
            labels.append(shownTest.label);
        }
    }
    const int test = choose(
        QStringLiteral("Тест, оценку за который выставить пользователю %1:").arg(shown), labels);
    if (test < 0)
        return;
    const QStringList grades{QStringLiteral("5"), QStringLiteral("4"), QStringLiteral("3"),
                             QStringLiteral("2"), QStringLiteral("1")};
    const int picked = choose(QStringLiteral("Оценка:"), grades);
    if (picked < 0)
        return;
    const int grade = grades[picked].toInt();
    const QString reason =
        ask(QStringLiteral("Причина (она останется в журнале изменений):"), QString(), false);
    if (reason.isEmpty())
        return;
    if (const QString refusal = GradeChanges::overrideRefusal(grade, reason); !refusal.isEmpty()) {
        QMessageBox::warning(m_window, m_window->windowTitle(), refusal);
        return;
    }
    const QByteArray stored = m_session.setGrade(name, tests[test], grade, reason);
    if (stored.isEmpty()) {
        QMessageBox::warning(m_window, m_window->windowTitle(),
                             QStringLiteral("Пользователь %1 не зарегистрирован.").arg(shown));
        return;
    }
    m_session.pick(stored);
    m_progress.showScores(m_session.scores(), m_session.changes());
    QMessageBox::information(m_window, m_window->windowTitle(),
                             QStringLiteral("Пользователю %1 выставлена оценка %2 за тест %3.")
                                 .arg(CodePage::toUnicode(stored))
                                 .arg(grade)
                                 .arg(tests[test]));
}

void PickedUserButtons::restoreClick()
{
    const QString typed = ask(QStringLiteral("Имя удалённого пользователя:"),
                              m_progress.ComboBox1->currentText(), false);
    if (typed.isEmpty())
        return;
    const QByteArray name = CodePage::fromUnicode(typed);
    const QString caption = m_window->windowTitle();
    const QList<ClassStore::Removal> kept = m_session.keptRemovals(name);
    UserChange r;
    if (kept.isEmpty()) {
        r.problem = UserChange::Problem::NothingKept;
        QMessageBox::warning(m_window, caption,
                             CodePage::toUnicode(m_session.problemText(r, name)));
        return;
    }
    // Never the newest silently: one removal is confirmed, of several one is picked.
    QByteArray removed = kept[0].whenText();
    if (kept.size() == 1) {
        if (QMessageBox::question(
                m_window, caption,
                QStringLiteral("Вернуть пользователя %1 (%2)?").arg(typed, keptText(kept[0])),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
    } else {
        QStringList items;
        for (const ClassStore::Removal &k : kept)
            items.append(keptText(k));
        const int picked =
            choose(QStringLiteral("Пользователь %1 удалялся несколько раз. Какое удаление "
                                  "вернуть?")
                       .arg(typed),
                   items);
        if (picked < 0)
            return;
        removed = kept[picked].whenText();
    }
    r = m_session.restoreUser(name, removed, UserChange::Over::Ask);
    if (r.problem == UserChange::Problem::RegisteredAgain) {
        QMessageBox box(QMessageBox::Question, caption,
                        QStringLiteral("Пользователь %1 зарегистрирован снова. Заменить новую "
                                       "запись сохранённой (новая останется среди удалённых) "
                                       "или оставить новую с лучшей из двух оценок каждого теста?")
                            .arg(typed),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_window);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Заменить"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Лучшие оценки"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
        box.setDefaultButton(QMessageBox::Cancel);
        const int answer = box.exec();
        if (answer != QMessageBox::Yes && answer != QMessageBox::No)
            return;
        r = m_session.restoreUser(name, removed,
                                  answer == QMessageBox::Yes ? UserChange::Over::Replace
                                                             : UserChange::Over::KeepBest);
    }
    if (!r.ok()) {
        QMessageBox::warning(m_window, caption,
                             CodePage::toUnicode(m_session.problemText(r, name)));
        return;
    }
    QMessageBox::information(
        m_window, caption,
        QStringLiteral("Пользователь %1 восстановлен.").arg(CodePage::toUnicode(r.name)));
}

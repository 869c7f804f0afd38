// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowFixture.h"

#include "FolderStore.h"
#include "LoginPanel.h"
#include "ModalAnswerer.h"
#include "ProgressPanel.h"
#include "TForm1.h"

#include <QAction>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFrame>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The window's web views want one shared graphics context, set before the
// application object exists; every test of the main window links this file.
void shareContexts()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}
Q_CONSTRUCTOR_FUNCTION(shareContexts)

} // namespace

void MainWindowFixture::setUp()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(m_dir->write(u"data/info/tumb.db"_s, "admin|secret|log.txt\r\n"));
    QVERIFY(m_dir->write(u"data/help/sod.htm"_s, "<html><body>sod</body></html>"));
    QVERIFY(m_dir->isCurrent());
}

void MainWindowFixture::tearDown()
{
    m_dir.reset();
}

std::unique_ptr<ClassStore> MainWindowFixture::store()
{
    return std::make_unique<FolderStore>(QDir::currentPath());
}

QString MainWindowFixture::frontPanel(const TForm1 &form)
{
    const QObjectList children = form.panel(PanelSwitch::Panel1)->parentWidget()->children();
    for (qsizetype i = children.size() - 1; i >= 0; --i) {
        auto *frame = qobject_cast<QFrame *>(children.at(i));
        if (frame && frame->objectName().startsWith(u"Panel"_s) && !frame->isHidden())
            return frame->objectName();
    }
    return QString();
}

bool MainWindowFixture::enabledFlag(QAction *action)
{
    if (action->isVisible())
        return action->isEnabled();
    action->setVisible(true);
    const bool flag = action->isEnabled();
    action->setVisible(false);
    return flag;
}

bool MainWindowFixture::show(TForm1 &form)
{
    form.show();
    return QTest::qWaitForWindowExposed(&form);
}

void MainWindowFixture::type(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    // Letters outside ASCII come as the text of a key press, the way an
    // input method hands them over.
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(edit, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QCOMPARE(edit->text(), text);
}

void MainWindowFixture::click(QToolButton *button)
{
    QVERIFY(button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
}

void MainWindowFixture::logIn(TForm1 &form, const QString &name, const QString &password)
{
    type(form.loginPanel().Edit2, name);
    type(form.loginPanel().MaskEdit1, password);
    click(form.loginPanel().SpeedButton3);
}

void MainWindowFixture::registerUser(TForm1 &form, const QString &name, const QString &password)
{
    type(form.loginPanel().Edit2, name);
    type(form.loginPanel().MaskEdit1, password);
    click(form.loginPanel().SpeedButton1);
}

void MainWindowFixture::typeLogin(TForm1 &form, const QString &name, const QString &password)
{
    form.loginPanel().Edit2->setText(name);
    form.loginPanel().MaskEdit1->setText(password);
}

void MainWindowFixture::registerAndLogin(TForm1 &form, ModalAnswerer &answerer, const QString &name,
                                         const QString &password)
{
    typeLogin(form, name, password);
    const qsizetype before = answerer.texts.size();
    QTest::mouseClick(form.loginPanel().SpeedButton1, Qt::LeftButton);
    QCOMPARE(answerer.texts.size(), before + 1);
    QCOMPARE(answerer.texts.last(), u"Пользователь зарегистрирован.Нажмите \"Далее>>\""_s);
    QTest::mouseClick(form.loginPanel().SpeedButton3, Qt::LeftButton);
    QCOMPARE(answerer.texts.size(), before + 1);
    QVERIFY(form.session().writesBack());
    QCOMPARE(frontPanel(form), u"Panel1"_s);
}

void MainWindowFixture::loginAsAdministrator(TForm1 &form, const QString &password)
{
    typeLogin(form, u"admin"_s, password);
    QTest::mouseClick(form.loginPanel().SpeedButton3, Qt::LeftButton);
    QVERIFY(!form.session().writesBack());
    QVERIFY(!form.progressPanel().ComboBox1->isHidden());
}

void MainWindowFixture::saveShot(const QPixmap &picture, const QString &name)
{
    const QString folder = qEnvironmentVariable("COURSEBOOK_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QVERIFY(picture.save(QDir(folder).filePath(name + u".png"_s)));
}

void MainWindowFixture::saveShot(QWidget *window, const QString &name)
{
    const QString folder = qEnvironmentVariable("COURSEBOOK_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QVERIFY(window->grab().save(QDir(folder).filePath(name + u".png"_s)));
}

QString MainWindowFixture::pageText(TForm1 &form, const QStringList &holds, int timeoutMs)
{
    const auto text = std::make_shared<QString>();
    const auto holdsAll = [&text, &holds] {
        return !text->isEmpty() &&
               std::all_of(holds.begin(), holds.end(),
                           [&text](const QString &h) { return text->contains(h); });
    };
    const QDeadlineTimer deadline(timeoutMs);
    while (!holdsAll() && !deadline.hasExpired()) {
        form.webBrowser()->page()->toPlainText([text](const QString &t) { *text = t; });
        QTest::qWait(100);
    }
    return *text;
}

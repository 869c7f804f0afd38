// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "HandlerGuard.h"
#include "Look.h"
#include "ModalAnswerer.h"
#include "SourceChecker.h"
#include "TForm2.h"
#include "TestConverter.h"
#include "TestFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// A question source of n question lines, each with answers A … E of which
// the one at (k mod 5) is marked.
QByteArray makeSource(int n)
{
    QByteArray text;
    for (int k = 1; k <= n; ++k) {
        text +=
            CodePage::fromUnicode(QStringLiteral("Вопрос номер ") + QString::number(k)) + "\r\n";
        for (int i = 0; i < 5; ++i) {
            text += QByteArray(1, char('A' + i)) + ") " +
                    CodePage::fromUnicode(QStringLiteral("ответ ")) + QByteArray::number(k);
            if (i == k % 5)
                text += '*';
            text += "\r\n";
        }
        text += "********\r\n";
    }
    return text;
}

} // namespace

class tst_TForm2 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowAsLaidOut_data();
    void windowAsLaidOut();
    void workingDirectorySavedAtShowRestoredAtClose_data();
    void workingDirectorySavedAtShowRestoredAtClose();
    void confirmedFileIsConvertedBesideTheSource();
    void cancelKeepsPathAndDirectory();
    void openDialogPicksAFile_data();
    void openDialogPicksAFile();
    void unopenableSourceShowsErrorAndWritesNothing_data();
    void unopenableSourceShowsErrorAndWritesNothing();
    void refusedWriteShowsError();
    void refusalsWriteNothing_data();
    void refusalsWriteNothing();
    void closingBoxListsTheFindings_data();
    void closingBoxListsTheFindings();
    void promptAsNameNamesTheFile();
    void textsSurviveCloseAndReopen();
    void secondConversionInheritsSlots();
    void errorsAskBeforeWriting_data();
    void errorsAskBeforeWriting();
    void successNamesTheCourseTests();

private:
    QString writeSource(const QString &relativePath, const QByteArray &bytes);
    void convert(TForm2 &form, ModalAnswerer &boxes);
    QStringList iniFilesBelow(const QString &dir) const;

    QTemporaryDir *m_dir = nullptr;
    QString m_oldDir;
    QString m_work;
};

void tst_TForm2::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_oldDir = QDir::currentPath();
    m_work = QDir(m_dir->path()).canonicalPath();
    QDir::setCurrent(m_work);
}

void tst_TForm2::cleanup()
{
    QDir::setCurrent(m_oldDir);
    delete m_dir;
}

QString tst_TForm2::writeSource(const QString &relativePath, const QByteArray &bytes)
{
    const QString path = m_work + QLatin1Char('/') + relativePath;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the source %s", qPrintable(path));
    return path;
}

void tst_TForm2::convert(TForm2 &form, ModalAnswerer &boxes)
{
    const qsizetype before = boxes.texts.size();
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    // A source with errors asks before the box that ends the conversion.
    QTRY_VERIFY(boxes.texts.size() > before);
}

QStringList tst_TForm2::iniFilesBelow(const QString &dir) const
{
    QStringList found;
    QDir d(dir);
    for (const QFileInfo &info :
         d.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (info.isDir())
            found += iniFilesBelow(info.filePath());
        else if (info.suffix() == QLatin1String("ini"))
            found += info.filePath();
    }
    return found;
}

void tst_TForm2::windowAsLaidOut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry"); // an empty size: sized to the text
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("visible");

    QTest::newRow("Edit9") << "Edit9" << QRect(10, 6, 583, 28)
                           << "Введите название теста (Test1-Test10)" << true;
    QTest::newRow("Edit10") << "Edit10" << QRect(10, 46, 583, 28)
                            << "Щелкните здесь мышкой и выберите файл теста" << true;
    QTest::newRow("Button1") << "Button1" << QRect(8, 156, 217, 53) << "Зашифровать вопросы"
                             << true;
    QTest::newRow("Label1") << "Label1" << QRect(242, 170, 0, 0) << "Номера вопросов" << true;
    QTest::newRow("Button2") << "Button2" << QRect(438, 154, 163, 55) << "Выход" << true;
    for (int i = 1; i <= 8; ++i) {
        const QString name = QStringLiteral("Edit") + QString::number(i);
        QTest::newRow(qPrintable(name)) << name << QRect() << name << false;
    }
}

void tst_TForm2::windowAsLaidOut()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(bool, visible);

    TForm2 form;
    QCOMPARE(form.objectName(), QStringLiteral("Form2"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Шифрование тестовых вопросов"));
    QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(form.size(), QSize(611, 256));
    QCOMPARE(form.Panel1->geometry(), QRect(0, 0, 609, 249));
    QCOMPARE(form.Panel1->palette().color(QPalette::Window), Look::skyBlue());

    auto *w = form.Panel1->findChild<QWidget *>(name);
    QVERIFY(w);
    if (!geometry.isNull()) {
        QCOMPARE(w->pos(), geometry.topLeft());
        if (!geometry.size().isEmpty())
            QCOMPARE(w->size(), geometry.size());
    }
    QCOMPARE(w->isVisibleTo(&form), visible);
    QCOMPARE(w->font().pixelSize(), 16);
    QVERIFY(w->font().bold());
    if (auto *e = qobject_cast<QLineEdit *>(w))
        QCOMPARE(e->text(), text);
    else if (auto *b = qobject_cast<QPushButton *>(w))
        QCOMPARE(b->text(), text);
    else if (auto *l = qobject_cast<QLabel *>(w))
        QCOMPARE(l->text(), text);
    if (visible) {
        // Nothing of the text is cut off.
        QVERIFY(w->fontMetrics().horizontalAdvance(text) <= w->width());
        QVERIFY(w->geometry().right() < form.Panel1->width());
    }
}

void tst_TForm2::workingDirectorySavedAtShowRestoredAtClose_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Выход") << "button";
    QTest::newRow("close") << "close";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("modal, Выход") << "modal";
}

void tst_TForm2::workingDirectorySavedAtShowRestoredAtClose()
{
    QFETCH(QString, how);
    const QString source = writeSource(QStringLiteral("elsewhere/q.txt"), makeSource(2));

    TForm2 form;
    form.chooseFile = [&] { return source; };

    auto moveAndClose = [&] {
        QCOMPARE(form.savedWorkingDirectory(), m_work);
        QTest::mouseClick(form.Edit10, Qt::LeftButton);
        QCOMPARE(QDir::currentPath(), QFileInfo(source).absolutePath());
        if (how == QLatin1String("close"))
            form.close();
        else if (how == QLatin1String("escape"))
            QTest::keyClick(&form, Qt::Key_Escape);
        else
            QTest::mouseClick(form.Button2, Qt::LeftButton);
    };

    if (how == QLatin1String("modal")) {
        QTimer::singleShot(0, &form, moveAndClose);
        form.exec();
    } else {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        moveAndClose();
    }
    QVERIFY(!form.isVisible());
    QCOMPARE(QDir::currentPath(), m_work);

    // Shown again from another directory: that one is saved now.
    const QString other = m_work + QStringLiteral("/other");
    QDir().mkpath(other);
    QDir::setCurrent(other);
    form.show();
    QCOMPARE(form.savedWorkingDirectory(), other);
    QDir::setCurrent(m_work);
    form.close();
    QCOMPARE(QDir::currentPath(), other);
}

void tst_TForm2::confirmedFileIsConvertedBesideTheSource()
{
    const QString source = writeSource(QStringLiteral("sources/eleven.txt"), makeSource(11));
    ModalAnswerer boxes(QMessageBox::Yes);
    TForm2 form;
    int asked = 0;
    form.chooseFile = [&] {
        ++asked;
        return source;
    };
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // The window sits in the middle of the screen.
    QCOMPARE(form.frameGeometry().center(), form.screen()->geometry().center());

    form.Edit9->setText(QStringLiteral("Test3"));
    QTest::mouseClick(form.Edit10, Qt::LeftButton);
    QCOMPARE(asked, 1);
    QCOMPARE(form.Edit10->text(), source);
    QCOMPARE(QDir::currentPath(), m_work + QStringLiteral("/sources"));

    convert(form, boxes);
    // Answers under the last question line: that question is never asked,
    // which the window asks about before it writes anything.
    const QString finding = QStringLiteral(
        "Замечания к тексту вопросов:\nстрока 71: последний вопрос не будет задан: последняя "
        "строка вопроса только завершает тест, а под ней стоят ответы (нет завершающей "
        "строки?): «Вопрос номер 11»");
    QCOMPARE(boxes.texts.size(), 2);
    QCOMPARE(boxes.icons.first(), QMessageBox::Warning);
    QCOMPARE(boxes.buttons.first(), QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(boxes.texts.first(), finding + QStringLiteral("\n\nОшибок в тексте вопросов: 1. Тест "
                                                           "с ними будет задавать не то, что "
                                                           "задумано. Всё равно записать тест?"));
    QCOMPARE(boxes.icons.last(), QMessageBox::Information);
    QCOMPARE(boxes.texts.last(),
             QStringLiteral("Создание тестов успешно завершено.\nФайл теста: %1/sources/Test3.ini\n"
                            "Это не папка data\\tests учебника: студенты не увидят этот тест, "
                            "пока файл не будет скопирован туда.\n\n")
                     .arg(m_work) +
                 finding);
    QCOMPARE(form.Label1->text(), QStringLiteral("Вопрос №11"));
    QVERIFY(form.Label1->width() >= form.Label1->sizeHint().width());

    // What the file holds is the conversion's rule; the window writes what it
    // writes (closingBoxListsTheFindings).
    QCOMPARE(iniFilesBelow(m_work), QStringList{m_work + QStringLiteral("/sources/Test3.ini")});
    QCOMPARE(TestFile::atRelativeName("\\Test3.ini").count(), 10);

    form.close();
    QCOMPARE(QDir::currentPath(), m_work);
    QCOMPARE(form.Edit8->text(), QStringLiteral("11"));
    QCOMPARE(form.Edit1->text(), QStringLiteral("Вопрос номер 11"));
}

void tst_TForm2::cancelKeepsPathAndDirectory()
{
    const QString first = writeSource(QStringLiteral("a/first.txt"), makeSource(2));
    TForm2 form;
    QString answer = first;
    int asked = 0;
    form.chooseFile = [&] {
        ++asked;
        return answer;
    };
    form.show();
    QTest::mouseClick(form.Edit10, Qt::LeftButton);
    QCOMPARE(form.Edit10->text(), first);
    QDir::setCurrent(m_work);

    answer.clear();
    QTest::mouseClick(form.Edit10, Qt::LeftButton);
    QCOMPARE(asked, 2);
    QCOMPARE(form.Edit10->text(), first);
    QCOMPARE(QDir::currentPath(), m_work);

    // A right-button click is no click of the field.
    QTest::mouseClick(form.Edit10, Qt::RightButton);
    QCOMPARE(asked, 2);

    // From the keyboard, Enter in the field chooses as a click does; other
    // keys type, a space too.
    answer = first;
    form.Edit10->setFocus();
    QTest::keyClick(form.Edit10, Qt::Key_Return);
    QCOMPARE(asked, 3);
    QTest::keyClick(form.Edit10, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(asked, 4);
    QCOMPARE(form.Edit10->text(), first);
    QTest::keyClick(form.Edit10, Qt::Key_Space);
    QCOMPARE(asked, 4);
    QCOMPARE(form.Edit10->text(), first + QLatin1Char(' '));
    QCOMPARE(form.Edit9->accessibleName(), QStringLiteral("Название теста"));
    QCOMPARE(form.Edit10->accessibleName(), QStringLiteral("Файл вопросов"));
    form.close();
}

void tst_TForm2::openDialogPicksAFile_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("confirmed") << true;
    QTest::newRow("cancelled") << false;
}

void tst_TForm2::openDialogPicksAFile()
{
    QFETCH(bool, confirm);
    const QString chosen = writeSource(QStringLiteral("picked/any name.dat"), makeSource(2));
    TForm2 form;
    form.show();
    const QString prompt = form.Edit10->text();

    QString dialogName;
    QString startedIn;
    int attempts = 0;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &form, [&] {
        auto *dialog = form.findChild<QFileDialog *>(QStringLiteral("OpenDialog1"));
        if (!dialog || !dialog->isVisible())
            return;
        dialogName = dialog->objectName();
        startedIn = dialog->directory().absolutePath();
        // A dialog that refuses the answer is closed all the same, so that
        // the test fails rather than hangs.
        if (confirm && ++attempts < 100) {
            // What the user types into the dialog's name field.
            if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                name->setText(chosen);
            static_cast<QDialog *>(dialog)->accept();
        } else {
            dialog->reject();
        }
    });
    poll.start(10);
    QTest::mouseClick(form.Edit10, Qt::LeftButton);
    poll.stop();

    QCOMPARE(dialogName, QStringLiteral("OpenDialog1"));
    QCOMPARE(startedIn, m_work);
    QCOMPARE(form.Edit10->text(), confirm ? chosen : prompt);
    QCOMPARE(QDir::currentPath(), confirm ? QFileInfo(chosen).absolutePath() : m_work);
    form.close();
    QCOMPARE(QDir::currentPath(), m_work);
}

void tst_TForm2::unopenableSourceShowsErrorAndWritesNothing_data()
{
    QTest::addColumn<QString>("path"); // empty: Edit10 keeps its prompt
    QTest::addColumn<QString>("message");

    // The other sources that cannot be read are rows of the question source's test.
    QTest::newRow("prompt") << QString() << "File not found";
    QTest::newRow("missing file") << "gone.txt"
                                  << "File not found";
}

void tst_TForm2::unopenableSourceShowsErrorAndWritesNothing()
{
    QFETCH(QString, path);
    QFETCH(QString, message);

    ModalAnswerer boxes(QMessageBox::Yes);
    TForm2 form;
    form.chooseFile = [&] { return m_work + QLatin1Char('/') + path; };
    form.show();
    if (!path.isEmpty())
        QTest::mouseClick(form.Edit10, Qt::LeftButton);
    form.Edit9->setText(QStringLiteral("Test1"));

    convert(form, boxes);
    QCOMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.icons.last(), QMessageBox::Critical);
    QCOMPARE(boxes.texts.last(), message);
    QCOMPARE(form.Label1->text(), QStringLiteral("Номера вопросов"));
    QCOMPARE(iniFilesBelow(m_work), QStringList());
    QCOMPARE(form.Edit8->text(), QStringLiteral("Edit8"));
    QVERIFY(form.isVisible());
    form.close();
}

void tst_TForm2::refusedWriteShowsError()
{
    const QString source = writeSource(QStringLiteral("q.txt"), makeSource(3));
    ModalAnswerer boxes(QMessageBox::Yes);
    TForm2 form;
    form.show();
    form.Edit9->setText(QStringLiteral("nowhere\\Test1"));
    form.Edit10->setText(source);

    convert(form, boxes);
    QCOMPARE(boxes.texts.size(), 2);
    QCOMPARE(boxes.icons.last(), QMessageBox::Critical);
    QVERIFY2(boxes.texts.last().startsWith(QLatin1String("Unable to write to")),
             qPrintable(boxes.texts.last()));
    QCOMPARE(iniFilesBelow(m_work), QStringList());
    // The slots stay as they were: the next conversion starts over.
    QCOMPARE(form.Edit1->text(), QStringLiteral("Edit1"));
    form.close();
}

void tst_TForm2::refusalsWriteNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("message");
    QTest::newRow("name the code page lacks")
        << QStringLiteral("Тест 测试") << makeSource(3)
        << TestConverter::nameRefusal(QStringLiteral("Тест 测试"));
    QTest::newRow("byte the store cannot hold")
        << QStringLiteral("Test1") << makeSource(2).replace("2\r\nE", "2\x13\r\nE")
        << QStringLiteral("Строка 12 текста вопросов содержит в позиции 11 знак с кодом 19, "
                          "который нельзя сохранить в файле теста. Тест не записан.");
}

void tst_TForm2::refusalsWriteNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, source);
    QFETCH(QString, message);
    QVERIFY(!message.isEmpty());
    ModalAnswerer boxes(QMessageBox::Yes);
    TForm2 form;
    form.show();
    form.Edit9->setText(name);
    form.Edit10->setText(writeSource(QStringLiteral("q.txt"), source));

    convert(form, boxes);
    QCOMPARE(boxes.icons.last(), QMessageBox::Warning);
    QCOMPARE(boxes.texts.last(), message);
    QCOMPARE(iniFilesBelow(m_work), QStringList());
    QCOMPARE(form.Label1->text(), QStringLiteral("Номера вопросов"));
    QCOMPARE(form.Edit1->text(), QStringLiteral("Edit1"));
    QCOMPARE(form.Edit8->text(), QStringLiteral("Edit8"));
    form.close();
}

void tst_TForm2::closingBoxListsTheFindings_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QStringList>("listed"); // the lines after the success line
    const QByteArray closing = CodePage::fromUnicode(QStringLiteral("Конец\r\n"));
    QTest::newRow("clean") << makeSource(3) + closing << QStringList{};
    QByteArray unmarked = makeSource(12).replace("*", "");
    QStringList twelve;
    for (int k = 1; k <= 10; ++k)
        twelve << QStringLiteral("строка %1: у вопроса не отмечен правильный ответ: останется "
                                 "правильный ответ предыдущего вопроса: «Вопрос номер %2»")
                      .arg((k - 1) * 7 + 1)
                      .arg(k);
    twelve << QStringLiteral("Ещё замечаний: 2.");
    QTest::newRow("twelve unmarked") << unmarked + closing << twelve;
    QTest::newRow("CR-only line ends")
        << QByteArray(makeSource(2) + closing).replace("\r\n", "\r")
        << QStringList{
               QStringLiteral("меньше двух строк вопросов: тест не задаст ни одного вопроса"),
               QStringLiteral("строка 1: строки разделены только знаком CR, без LF, и "
                              "будут прочитаны как одна строка (склеено строк: 15), "
                              "начиная с «Вопрос номер 1»")};
}

void tst_TForm2::closingBoxListsTheFindings()
{
    QFETCH(QByteArray, source);
    QFETCH(QStringList, listed);
    const QString path = writeSource(QStringLiteral("q.txt"), source);
    ModalAnswerer boxes(QMessageBox::Yes);
    // The caption the main window gives every box of the program.
    HandlerGuard::setCaption(QStringLiteral("Курс"));
    TForm2 form;
    form.show();
    form.Edit9->setText(QStringLiteral("Test2"));
    form.Edit10->setText(path);
    convert(form, boxes);
    HandlerGuard::setCaption(QString());

    QCOMPARE(boxes.icons.last(), QMessageBox::Information);
    QCOMPARE(boxes.titles.last(), QStringLiteral("Курс"));
    const QString success =
        QStringLiteral("Создание тестов успешно завершено.\nФайл теста: %1/Test2.ini\nЭто не "
                       "папка data\\tests учебника: студенты не увидят этот тест, пока файл не "
                       "будет скопирован туда.")
            .arg(m_work);
    if (listed.isEmpty())
        QCOMPARE(boxes.texts.last(), success);
    else
        QCOMPARE(boxes.texts.last(), success +
                                         QStringLiteral("\n\nЗамечания к тексту вопросов:\n") +
                                         listed.join(QLatin1Char('\n')));
    // The window writes what the conversion writes, findings or not.
    TestConverter fresh;
    fresh.convert(path, "\\expected.ini");
    QFile written(m_work + QStringLiteral("/Test2.ini"));
    QFile expected(m_work + QStringLiteral("/expected.ini"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), expected.readAll());
    form.close();
}

void tst_TForm2::promptAsNameNamesTheFile()
{
    writeSource(QStringLiteral("q.txt"), makeSource(3));
    ModalAnswerer boxes(QMessageBox::Yes);
    TForm2 form;
    form.show();
    form.Edit10->setText(QStringLiteral("q.txt"));
    convert(form, boxes);
    QCOMPARE(boxes.icons.last(), QMessageBox::Information);
    QCOMPARE(iniFilesBelow(m_work),
             QStringList{m_work + QStringLiteral("/Введите название теста (Test1-Test10).ini")});
    form.close();
}

void tst_TForm2::textsSurviveCloseAndReopen()
{
    const QString source = writeSource(QStringLiteral("src/q.txt"), makeSource(4));
    ModalAnswerer boxes(QMessageBox::Yes);
    TForm2 form;
    form.chooseFile = [&] { return source; };
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Edit9->selectAll();
    QTest::keyClicks(form.Edit9, QStringLiteral("Test5"));
    form.Edit9->insert(QStringLiteral("Тест"));
    QTest::mouseClick(form.Edit10, Qt::LeftButton);
    convert(form, boxes);
    QTest::mouseClick(form.Button2, Qt::LeftButton);
    QVERIFY(!form.isVisible());

    form.show();
    QCOMPARE(form.Edit9->text(), QStringLiteral("Test5Тест"));
    QCOMPARE(form.Edit10->text(), source);
    QCOMPARE(form.Label1->text(), QStringLiteral("Вопрос №4"));
    QCOMPARE(form.Edit8->text(), QStringLiteral("4"));
    form.close();
    QVERIFY(QFile::exists(m_work + QStringLiteral("/src/Test5Тест.ini")));
}

void tst_TForm2::secondConversionInheritsSlots()
{
    const QString first = writeSource(QStringLiteral("first.txt"), makeSource(2));
    // One question without an E line and without a mark, then the closing line.
    const QByteArray second =
        CodePage::fromUnicode(QStringLiteral("Новый вопрос\r\n"
                                             "A) а\r\nB) б\r\nC) в\r\nD) г\r\n"
                                             "Конец\r\n"));
    const QString secondPath = writeSource(QStringLiteral("second.txt"), second);

    ModalAnswerer boxes(QMessageBox::Yes);
    TForm2 form;
    form.show();
    form.Edit9->setText(QStringLiteral("One"));
    form.Edit10->setText(first);
    convert(form, boxes);
    QCOMPARE(form.Edit6->text(), QStringLiteral("E) ответ 2"));
    QCOMPARE(form.Edit7->text(), QStringLiteral("3"));

    form.Edit9->setText(QStringLiteral("Two"));
    form.Edit10->setText(secondPath);
    convert(form, boxes);
    // Each source has errors: each conversion asked, then reported.
    QCOMPARE(boxes.texts.size(), 4);
    QCOMPARE(form.Label1->text(), QStringLiteral("Вопрос №2"));

    const TestFile two = TestFile::atRelativeName("\\Two.ini");
    QCOMPARE(two.question(1), CodePage::fromUnicode(QStringLiteral("Новый вопрос")));
    QCOMPARE(two.answer(1, 4), CodePage::fromUnicode(QStringLiteral("D) г")));
    QCOMPARE(two.answer(1, 5), CodePage::fromUnicode(QStringLiteral("E) ответ 2")));
    QCOMPARE(two.rightAnswer(1), QByteArray("3"));
    QCOMPARE(two.countText(), QByteArray("1"));
    form.close();
}

void tst_TForm2::errorsAskBeforeWriting_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("written");
    QTest::newRow("no keeps the old test") << QMessageBox::No << false;
    QTest::newRow("yes writes it all the same") << QMessageBox::Yes << true;
}

void tst_TForm2::errorsAskBeforeWriting()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, written);
    const QByteArray closing = CodePage::fromUnicode(QStringLiteral("Конец\r\n"));
    const QString good = writeSource(QStringLiteral("good.txt"), makeSource(3) + closing);
    const QString broken =
        writeSource(QStringLiteral("broken.txt"), makeSource(3).replace("*", "") + closing);
    ModalAnswerer boxes(QMessageBox::Ok);
    TForm2 form;
    form.show();
    form.Edit9->setText(QStringLiteral("Test1"));
    form.Edit10->setText(good);
    convert(form, boxes);
    QFile file(m_work + QStringLiteral("/Test1.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray working = file.readAll();
    file.close();

    boxes.setAnswer(answer);
    form.Edit10->setText(broken);
    convert(form, boxes);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll() != working, written);
    QCOMPARE(boxes.texts.size(), written ? 3 : 2);
    QVERIFY(boxes.texts[1].contains(QStringLiteral("Всё равно записать тест?")));
    form.close();
}

void tst_TForm2::successNamesTheCourseTests()
{
    // The source chosen from the course's own data\tests, in another letter
    // case: the test lands where the test runs read it.
    const QByteArray closing = CodePage::fromUnicode(QStringLiteral("Конец\r\n"));
    const QString source = writeSource(QStringLiteral("Data/Tests/q.txt"), makeSource(3) + closing);
    ModalAnswerer boxes(QMessageBox::Ok);
    TForm2 form;
    form.chooseFile = [&] { return source; };
    form.show();
    form.Edit9->setText(QStringLiteral("test4"));
    QTest::mouseClick(form.Edit10, Qt::LeftButton);
    convert(form, boxes);
    QCOMPARE(
        boxes.texts.last(),
        QStringLiteral("Создание тестов успешно завершено.\nФайл теста: %1/Data/Tests/test4.ini")
            .arg(m_work));
    form.close();
}

QTEST_MAIN(tst_TForm2)
#include "tst_tform2.moc"

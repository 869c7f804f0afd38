// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm2.h"

#include "CodePage.h"
#include "HandlerGuard.h"
#include "Look.h"
#include "Paths.h"
#include "QuestionSource.h"
#include "RuntimeError.h"
#include "SourceChecker.h"
#include "TextFile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include <exception>

namespace {

// As many findings as a message box shows before it only counts the rest.
constexpr int ShownFindings = 10;

QFont formFont()
{
    return Look::sansSerif(16, true);
}

QLineEdit *edit(QWidget *parent, const QString &name, const QString &text, int left, int top)
{
    auto *e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setFont(formFont());
    e->setGeometry(left, top, 583, 28);
    return e;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text, int left, int top,
                    int width, int height)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setFont(formFont());
    b->setGeometry(left, top, width, height);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TForm2::TForm2(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Шифрование тестовых вопросов"));
    setFont(formFont());
    Look::setBackground(this, Look::buttonFace());
    setFixedSize(611, 256);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Look::setBackground(Panel1, Look::skyBlue());
    Look::bevel(Panel1);
    Panel1->setGeometry(0, 0, 609, 249);

    Edit9 = edit(Panel1, QStringLiteral("Edit9"),
                 QStringLiteral("Введите название теста (Test1-Test10)"), 10, 6);
    Edit10 = edit(Panel1, QStringLiteral("Edit10"),
                  QStringLiteral("Щелкните здесь мышкой и выберите файл теста"), 10, 46);
    Edit10->installEventFilter(this);
    // The fields hold their prompts as text, which a screen reader would read
    // as what was typed; their names say what they are for.
    Edit9->setAccessibleName(QStringLiteral("Название теста"));
    Edit10->setAccessibleName(QStringLiteral("Файл вопросов"));
    Edit10->setAccessibleDescription(QStringLiteral("Enter открывает выбор файла"));

    Button1 = button(Panel1, QStringLiteral("Button1"), QStringLiteral("Зашифровать вопросы"), 8,
                     156, 217, 53);
    Label1 = Look::label(Panel1, QStringLiteral("Label1"), QStringLiteral("Номера вопросов"), 242,
                         170, formFont());
    Button2 = button(Panel1, QStringLiteral("Button2"), QStringLiteral("Выход"), 438, 154, 163, 55);

    QLineEdit **slotEdits[TestConverter::SlotCount] = {&Edit1, &Edit2, &Edit3, &Edit4,
                                                       &Edit5, &Edit6, &Edit7, &Edit8};
    for (int s = 0; s < TestConverter::SlotCount; ++s) {
        const QString name = QStringLiteral("Edit") + QString::number(s + 1);
        *slotEdits[s] = edit(Panel1, name, name, 10, 86);
        (*slotEdits[s])->hide();
        m_slotEdits[s] = *slotEdits[s];
    }
    showSlots();

    chooseFile = [this] { return runOpenDialog(); };

    connect(Button1, &QPushButton::clicked, this,
            [this] { HandlerGuard::run(this, [this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { HandlerGuard::run(this, [this] { Button2Click(); }); });
}

QString TForm2::runOpenDialog()
{
    if (!OpenDialog1) {
        OpenDialog1 = new QFileDialog(this);
        OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
        OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
        OpenDialog1->setFileMode(QFileDialog::AnyFile);
    }
    OpenDialog1->setDirectory(QDir::currentPath());
    if (OpenDialog1->exec() != QDialog::Accepted)
        return QString();
    return OpenDialog1->selectedFiles().value(0);
}

void TForm2::Edit10Click()
{
    const QString path = chooseFile ? chooseFile() : QString();
    if (path.isEmpty())
        return;
    Edit10->setText(path);
    // The platform's dialog leaves the chosen file's folder current.
    QDir::setCurrent(QFileInfo(path).absolutePath());
}

void TForm2::Button1Click()
{
    const QString refusal = TestConverter::nameRefusal(Edit9->text());
    if (!refusal.isEmpty()) {
        QMessageBox::warning(this, HandlerGuard::caption(), refusal);
        return;
    }
    const QByteArray output = TestConverter::outputName(CodePage::fromUnicode(Edit9->text()));
    const QByteArray raw = TextFile::read(Paths::resolve(Edit10->text()));
    const SourceChecker::Report report = SourceChecker::check(raw);
    if (report.hasErrors()) {
        const QString question =
            SourceChecker::digest(report, ShownFindings) +
            QStringLiteral("\n\nОшибок в тексте вопросов: %1. Тест с ними будет задавать не то, "
                           "что задумано. Всё равно записать тест?")
                .arg(report.errorCount());
        if (QMessageBox::warning(this, HandlerGuard::caption(), question,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    const QList<QByteArray> lines = QuestionSource::decode(raw).lines;
    const QList<int> unstorable = m_converter.unstorableLines(lines);
    if (!unstorable.isEmpty()) {
        QMessageBox::warning(this, HandlerGuard::caption(),
                             TestConverter::unstorableText(lines, unstorable));
        return;
    }
    m_converter.convertLines(lines, output, [this](int counter) {
        Label1->setText(QStringLiteral("Вопрос №") + QString::number(counter));
        Label1->adjustSize();
    });
    showSlots();
    const QString written = Paths::resolve(output);
    QString message = QStringLiteral("Создание тестов успешно завершено.\nФайл теста: %1")
                          .arg(Paths::display(written));
    // On a server the students get the test from there, wherever the file is.
    if (!publish && !isCourseTestFolder(QFileInfo(written).absolutePath()))
        message += QStringLiteral("\nЭто не папка data\\tests учебника: студенты не увидят "
                                  "этот тест, пока файл не будет скопирован туда.");
    if (publish) {
        try {
            message +=
                u'\n' + publish(CodePage::fromUnicode(Edit9->text()), TextFile::read(written));
        } catch (const RuntimeError &e) {
            message += QStringLiteral("\nНа сервер тест не опубликован: ") + e.message();
        }
    }
    const QString findings = SourceChecker::digest(report, ShownFindings);
    if (!findings.isEmpty())
        message += QStringLiteral("\n\n") + findings;
    QMessageBox::information(this, HandlerGuard::caption(), message, QMessageBox::Ok);
}

bool TForm2::isCourseTestFolder(const QString &folder) const
{
    const QString tests = QDir(m_savedWorkingDirectory).filePath(QStringLiteral("data/tests"));
    const auto canonical = [](const QString &path) {
        const QString c = QFileInfo(path).canonicalFilePath();
        return QDir::cleanPath(c.isEmpty() ? path : c);
    };
    // The course's folders are found in any letter case, as files copied
    // from Windows are.
    return CodePage::equalsIgnoreCase(canonical(folder), canonical(tests));
}

void TForm2::Button2Click()
{
    close();
}

void TForm2::showSlots()
{
    for (int s = 0; s < TestConverter::SlotCount; ++s)
        m_slotEdits[s]->setText(
            CodePage::toUnicode(m_converter.slot(static_cast<TestConverter::Slot>(s))));
}

void TForm2::FormShow()
{
    m_savedWorkingDirectory = Paths::workingDirectory();
}

void TForm2::FormClose()
{
    QDir::setCurrent(m_savedWorkingDirectory);
}

void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QScreen *s = screen())
        move(s->geometry().center() - rect().center());
    FormShow();
}

void TForm2::done(int result)
{
    FormClose();
    QDialog::done(result);
}

bool TForm2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit10 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            Edit10->rect().contains(mouse->position().toPoint()))
            HandlerGuard::run(this, [this] { Edit10Click(); });
    }
    // A teacher without a mouse chooses the file with Enter in the field; every
    // other key types, since a path may hold spaces.
    if (watched == Edit10 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            HandlerGuard::run(this, [this] { Edit10Click(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

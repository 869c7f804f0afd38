// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertCommand.h"

#include "AdminLogin.h"
#include "CommandArguments.h"
#include "Console.h"
#include "Paths.h"
#include "QuestionSource.h"
#include "SourceChecker.h"
#include "TestConverter.h"
#include "TextFile.h"
#include "WorkingFolder.h"

#include <QDir>
#include <QFileInfo>

const char *const ConvertCommand::Synopsis = "convert SOURCE NAME [--into DIR] [--force]";

QString ConvertCommand::summary()
{
    return QStringLiteral("зашифровать вопросы из текста SOURCE в тест DIR/NAME.ini "
                          "(по умолчанию в текущую папку); при ошибках в тексте тест не "
                          "записывается, если не указан --force");
}

QString ConvertCommand::details()
{
    return QStringLiteral(
        "Текст вопросов: обычный текстовый файл в кодировке UTF-8 или Windows-1251.\n"
        "  Строка вопроса: любая строка, кроме строк ответов и разделителя.\n"
        "  Строки ответов: \"A)\" \"B)\" \"C)\" \"D)\" \"E)\" (латинские заглавные буквы и скобка\n"
        "  в самом начале строки), пять на каждый вопрос; правильный ответ отмечен\n"
        "  звёздочкой \"*\" в конце строки. Русские буквы \"А) Б) В) Г) Д)\" читаются как\n"
        "  A)–E), похожие на латинские \"А) В) С) Е)\" — как A), B), C), E).\n"
        "  Строка \"********\" (восемь звёздочек) только разделяет вопросы.\n"
        "  Последняя строка вопроса только завершает тест и не задаётся.\n"
        "Пример:\n"
        "  Сколько бит в байте?\n"
        "  A) 4\n"
        "  B) 8*\n"
        "  C) 16\n"
        "  D) 2\n"
        "  E) 1\n"
        "  ********\n"
        "  Конец теста");
}

namespace {

// A folder of tests that a link leads to may be anyone's: a test is written
// only where its folder is, as the records are.
void refuseLink(const QString &into)
{
    const QString base = QDir::currentPath();
    QString path = QDir::cleanPath(QFileInfo(into).absoluteFilePath());
    // Only the steps below the current folder (all of them for a relative
    // name) are the class's; above it the system's own links are fine.
    while (path.size() > base.size() && path.startsWith(base)) {
        const QFileInfo step(path);
        if (step.isSymLink())
            throw RuntimeError(QStringLiteral("«%1» — ссылка на «%2»; тест туда не записывается")
                                   .arg(QDir::toNativeSeparators(path),
                                        QDir::toNativeSeparators(step.symLinkTarget())));
        path = step.path();
    }
    if (!QDir::isRelativePath(into) && QFileInfo(QDir::cleanPath(into)).isSymLink())
        throw RuntimeError(QStringLiteral("«%1» — ссылка на «%2»; тест туда не записывается")
                               .arg(QDir::toNativeSeparators(into),
                                    QDir::toNativeSeparators(QFileInfo(into).symLinkTarget())));
}

} // namespace

int ConvertCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--into")}, {QStringLiteral("--force")},
                                     2);
    const QString source = QFileInfo(arguments.positional().at(0)).absoluteFilePath();
    const QByteArray name = WorkingFolder::storedName(arguments.positional().at(1));
    const QString into = arguments.value(QStringLiteral("--into"));
    if (!into.isEmpty()) {
        refuseLink(into);
        WorkingFolder::enter(into);
    } else {
        AdminLogin::check();
    }

    const QByteArray output = TestConverter::outputName(name);
    const QByteArray raw = TextFile::read(source);
    const SourceChecker::Report report = SourceChecker::check(raw);
    if (report.hasErrors() && !arguments.has(QStringLiteral("--force"))) {
        for (const SourceChecker::Finding &f : report.findings)
            Console::warning(SourceChecker::entry(f));
        Console::error(QStringLiteral("ошибок в тексте вопросов: %1; тест не записан. Исправьте "
                                      "текст или запишите тест как есть с параметром --force")
                           .arg(report.errorCount()));
        return 1;
    }
    const QList<QByteArray> lines = QuestionSource::decode(raw).lines;
    TestConverter converter;
    const QList<int> unstorable = converter.unstorableLines(lines);
    if (!unstorable.isEmpty()) {
        Console::error(TestConverter::unstorableText(lines, unstorable));
        return 1;
    }
    const TestConverter::Result result = converter.convertLines(lines, output);

    Console::out(QStringLiteral("Создание тестов успешно завершено."));
    Console::out(QStringLiteral("Файл теста: %1").arg(Paths::display(Paths::resolve(output))));
    Console::out(QStringLiteral("Прочитано строк вопросов: %1").arg(result.questionLines));
    Console::out(QStringLiteral("Вопросов в тесте: %1").arg(result.count));
    // Scripts read the lines above; the findings go to the error stream.
    if (!report.clean())
        Console::warning(
            QStringLiteral("Замечаний к тексту вопросов: %1; их список выводит "
                           "команда %2 check %3")
                .arg(report.findings.size())
                .arg(QLatin1String(Console::ProgramName), arguments.positional().at(0)));
    return 0;
}

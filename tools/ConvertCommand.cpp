#include "ConvertCommand.h"

#include "CommandArguments.h"
#include "Console.h"
#include "Paths.h"
#include "QuestionSource.h"
#include "SourceChecker.h"
#include "TestConverter.h"
#include "TextFile.h"
#include "WorkingFolder.h"

#include <QFileInfo>

const char *const ConvertCommand::Synopsis = "convert SOURCE NAME [--into DIR]";

QString ConvertCommand::summary()
{
    return QStringLiteral("зашифровать вопросы из текста SOURCE в тест DIR/NAME.ini "
                          "(по умолчанию в текущую папку)");
}

int ConvertCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--into")}, {}, 2);
    const QString source = QFileInfo(arguments.positional().at(0)).absoluteFilePath();
    const QByteArray name = WorkingFolder::storedName(arguments.positional().at(1));
    const QString into = arguments.value(QStringLiteral("--into"));
    if (!into.isEmpty())
        WorkingFolder::enter(into);

    const QByteArray output = TestConverter::outputName(name);
    const QByteArray text = TextFile::read(source);
    const QList<QByteArray> lines = QuestionSource::split(text);
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
    // Scripts read the lines above; the findings of the check go to the
    // error stream, the test being written all the same.
    const SourceChecker::Report report = SourceChecker::check(text);
    if (!report.clean())
        Console::warning(
            QStringLiteral("Замечаний к тексту вопросов: %1; их список выводит "
                           "команда %2 check %3")
                .arg(report.findings.size())
                .arg(QLatin1String(Console::ProgramName), arguments.positional().at(0)));
    return 0;
}

#include "ConvertCommand.h"

#include "CommandArguments.h"
#include "Console.h"
#include "Paths.h"
#include "TestConverter.h"
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
    TestConverter converter;
    const TestConverter::Result result = converter.convert(source, output);

    Console::out(QStringLiteral("Создание тестов успешно завершено."));
    Console::out(QStringLiteral("Файл теста: %1").arg(Paths::display(Paths::resolve(output))));
    Console::out(QStringLiteral("Прочитано строк вопросов: %1").arg(result.questionLines));
    Console::out(QStringLiteral("Вопросов в тесте: %1").arg(result.count));
    return 0;
}

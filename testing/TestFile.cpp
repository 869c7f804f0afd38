// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestFile.h"

#include "CodePage.h"
#include "IniSnapshot.h"
#include "IntegerText.h"
#include "Paths.h"
#include "RuntimeError.h"
#include "Store.h"

#include <QFileInfo>

const QByteArray TestFile::Folder = QByteArrayLiteral("\\data\\tests\\");

TestFile::TestFile(const QByteArray &testName) : m_relativeName(Folder + testName + ".ini") {}

TestFile::TestFile(RelativeName name) : m_relativeName(name.name) {}

TestFile TestFile::atRelativeName(const QByteArray &relativeName)
{
    return TestFile(RelativeName{relativeName});
}

TestFile TestFile::readWhole(const QByteArray &relativeName)
{
    TestFile file(RelativeName{relativeName});
    file.m_whole =
        std::make_shared<const IniSnapshot>(IniSnapshot::load(Paths::resolve(relativeName)));
    return file;
}

TestFile TestFile::ofBytes(const QByteArray &relativeName, const QByteArray &bytes)
{
    TestFile file(RelativeName{relativeName});
    file.m_whole = std::make_shared<const IniSnapshot>(bytes);
    return file;
}

QString TestFile::fault(const QByteArray &testName)
{
    const TestFile file(testName);
    if (!QFileInfo(Paths::resolve(file.relativeName())).isFile())
        return QStringLiteral("файл теста не найден");
    int count = 0;
    try {
        count = file.count();
    } catch (const RuntimeError &) {
        count = 0;
    }
    return count >= 1 ? QString() : QStringLiteral("в файле теста не указано число вопросов");
}

QByteArray TestFile::startRefusal(const QByteArray &testName)
{
    const QString problem = fault(testName);
    if (problem.isEmpty())
        return QByteArray();
    return CodePage::fromUnicode(QStringLiteral("Тест %1 не может быть начат: %2.")
                                     .arg(CodePage::toUnicode(testName), problem));
}

QByteArray TestFile::value(const QByteArray &section, const QByteArray &key) const
{
    if (m_whole)
        return Store::crypt(m_whole->read(section, key, Store::MissingMarker));
    return Store::read(section, key, m_relativeName);
}

QByteArray TestFile::question(int k) const
{
    return value(QByteArray::number(k), QByteArrayLiteral("q"));
}

QByteArray TestFile::answer(int k, int i) const
{
    return value(QByteArray::number(k), 'a' + QByteArray::number(i));
}

QByteArray TestFile::rightAnswer(int k) const
{
    return value(QByteArray::number(k), QByteArrayLiteral("ap"));
}

QByteArray TestFile::countText() const
{
    return value(QByteArrayLiteral("inf"), QByteArrayLiteral("vsego"));
}

int TestFile::count() const
{
    return IntegerText::parse(countText());
}

#include "TestFile.h"

#include "IntegerText.h"
#include "Store.h"

const QByteArray TestFile::Folder = QByteArrayLiteral("\\data\\tests\\");

TestFile::TestFile(const QByteArray &testName) : m_relativeName(Folder + testName + ".ini") {}

TestFile::TestFile(RelativeName name) : m_relativeName(name.name) {}

TestFile TestFile::atRelativeName(const QByteArray &relativeName)
{
    return TestFile(RelativeName{relativeName});
}

QByteArray TestFile::question(int k) const
{
    return Store::read(QByteArray::number(k), QByteArrayLiteral("q"), m_relativeName);
}

QByteArray TestFile::answer(int k, int i) const
{
    return Store::read(QByteArray::number(k), 'a' + QByteArray::number(i), m_relativeName);
}

QByteArray TestFile::rightAnswer(int k) const
{
    return Store::read(QByteArray::number(k), QByteArrayLiteral("ap"), m_relativeName);
}

QByteArray TestFile::countText() const
{
    return Store::read(QByteArrayLiteral("inf"), QByteArrayLiteral("vsego"), m_relativeName);
}

int TestFile::count() const
{
    return IntegerText::parse(countText());
}

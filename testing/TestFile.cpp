#include "TestFile.h"

#include "IniSnapshot.h"
#include "IntegerText.h"
#include "Paths.h"
#include "Store.h"

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

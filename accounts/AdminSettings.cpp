#include "AdminSettings.h"

#include "Paths.h"
#include "TextFile.h"

const QByteArray AdminSettings::FileName = QByteArrayLiteral("data\\info\\tumb.db");

AdminSettings AdminSettings::parse(const QByteArray &line)
{
    AdminSettings s;
    QByteArray *fields[] = {&s.login, &s.password, &s.logName};
    int field = 0;
    for (char c : line) {
        if (c == '|') {
            if (++field > 2)
                break;
            continue;
        }
        fields[field]->append(c);
    }
    return s;
}

QByteArray AdminSettings::line() const
{
    return login + '|' + password + '|' + logName;
}

AdminSettings AdminSettings::read()
{
    const QByteArray data = TextFile::read(Paths::resolve(FileName));
    qsizetype end = 0;
    while (end < data.size() && data[end] != '\r' && data[end] != '\n' && data[end] != '\x1a')
        ++end;
    return parse(data.left(end));
}

void AdminSettings::write() const
{
    TextFile::replace(Paths::resolve(FileName), line() + "\r\n");
}

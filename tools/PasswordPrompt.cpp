// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasswordPrompt.h"

#include "RuntimeError.h"

#include <cstdio>
#include <optional>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

bool readLine(std::string *line)
{
    line->clear();
    int c;
    while ((c = std::getchar()) != EOF && c != '\n')
        line->push_back(char(c));
    if (!line->empty() && line->back() == '\r')
        line->pop_back();
    return c != EOF || !line->empty();
}

// Echo goes back on whatever happens while it is off.
class EchoOff
{
public:
    EchoOff()
    {
        m_on = tcgetattr(STDIN_FILENO, &m_saved) == 0;
        if (!m_on)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    ~EchoOff()
    {
        if (m_on)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved);
    }
    EchoOff(const EchoOff &) = delete;
    EchoOff &operator=(const EchoOff &) = delete;

private:
    termios m_saved{};
    bool m_on = false;
};

} // namespace

bool PasswordPrompt::fromTerminal()
{
    return isatty(STDIN_FILENO);
}

QString PasswordPrompt::typedOnce(const QString &prompt, bool shown)
{
    std::string line;
    bool got = false;
    {
        // Echo goes off before the prompt shows, so that what is typed
        // after it, however quickly, is neither shown nor thrown away.
        std::optional<EchoOff> quiet;
        if (!shown)
            quiet.emplace();
        std::fputs(prompt.toUtf8().constData(), stderr);
        std::fflush(stderr);
        got = readLine(&line);
    }
    if (!shown)
        std::fputs("\n", stderr);
    if (!got)
        throw RuntimeError(shown ? QStringLiteral("ничего не введено")
                                 : QStringLiteral("пароль не введён"));
    return QString::fromStdString(line);
}

QString PasswordPrompt::read(const QString &prompt)
{
    if (!isatty(STDIN_FILENO)) {
        std::string line;
        if (!readLine(&line))
            throw RuntimeError(QStringLiteral("пароль не прочитан: стандартный ввод пуст"));
        return QString::fromStdString(line);
    }
    const QString first = typedOnce(prompt, false);
    const QString second = typedOnce(QStringLiteral("Повторите пароль: "), false);
    if (first != second)
        throw RuntimeError(QStringLiteral("пароли не совпадают; ничего не изменено"));
    return first;
}

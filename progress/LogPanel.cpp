// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogPanel.h"

#include "AdminSettings.h"
#include "CodePage.h"
#include "IoError.h"
#include "Look.h"
#include "Paths.h"
#include "TextFile.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <cerrno>

LogPanel::LogPanel(QFrame *panel6) : Panel6(panel6)
{
    Memo2 = new QPlainTextEdit(QStringLiteral("Memo2"), Panel6);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setFont(Look::sansSerif(11));
    Memo2->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo2->setGeometry(4, 2, 920, 730);
    // The log is read, never written here: Tab goes on, and the keyboard
    // still moves through the lines for a screen reader.
    Memo2->setReadOnly(true);
    Memo2->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo2->setTabChangesFocus(true);
    Memo2->setAccessibleName(QStringLiteral("Отчет по проведению тестов"));
}

void LogPanel::load(const QByteArray &logName)
{
    const QString path = Paths::resolve(logName);
    // The name came from the settings file at start-up and may differ from
    // what the settings panel shows now, so the message names the file. An
    // empty name would name the working directory itself; it stands for no
    // file at all.
    if (logName.isEmpty())
        throw IoError::cannotOpen(path, IoError::reason(ENOENT));
    if (!AdminSettings::logNameStaysInside(logName))
        throw RuntimeError(CodePage::toUnicode(AdminSettings::logNameOutsideText(logName)));
    QByteArray text;
    try {
        text = TextFile::read(path);
    } catch (const RuntimeError &) {
        throw IoError::cannotOpen(path, IoError::reason(TextFile::diagnose(path, false)));
    }
    Memo2->setPlainText(linesOf(text));
}

QString LogPanel::linesOf(const QByteArray &text)
{
    QString lines = CodePage::toUnicode(text);
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (lines.endsWith(QLatin1Char('\n')))
        lines.chop(1);
    return lines;
}

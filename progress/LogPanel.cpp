// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogPanel.h"

#include "ClassStore.h"
#include "CodePage.h"
#include "Look.h"

#include <QFrame>
#include <QPlainTextEdit>

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

void LogPanel::load(const ClassStore &store)
{
    Memo2->setPlainText(linesOf(store.logText()));
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

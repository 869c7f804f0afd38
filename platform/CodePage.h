// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The Windows-1251 code page that every stored text is in. Texts stay bytes
// everywhere; they become QString only where a widget, the terminal or a file
// name needs Unicode, and only through these functions.
class CodePage
{
public:
    static QString toUnicode(const QByteArray &bytes);
    static QByteArray fromUnicode(const QString &text);
    // Whether every character has a byte in the code page, so that the
    // stored spelling reads back as the text typed.
    static bool canSpell(const QString &text);

    // Letter case folding the way the Russian Windows locale folds it: Latin
    // and Cyrillic capitals (Ё and the other 1251 letters included) map to
    // their small letters; every other byte stays.
    static char foldByte(char c);
    static QByteArray fold(const QByteArray &bytes);
    static bool equalsIgnoreCase(const QByteArray &a, const QByteArray &b);

    // Unicode text compared the way file names on the original platform are.
    static bool equalsIgnoreCase(const QString &a, const QString &b);
};

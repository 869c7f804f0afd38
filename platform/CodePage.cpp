// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"

#include <QTextCodec>
#include <array>

namespace {

QTextCodec *codec()
{
    static QTextCodec *const c = QTextCodec::codecForName("Windows-1251");
    return c;
}

std::array<char, 256> buildFoldTable()
{
    std::array<char, 256> table{};
    for (int b = 0; b < 256; ++b) {
        table[b] = char(b);
        const QByteArray one(1, char(b));
        const QString u = codec()->toUnicode(one);
        if (u.size() != 1 || u == QChar(0xFFFD))
            continue;
        const QString lower = u.toLower();
        if (lower == u)
            continue;
        const QByteArray back = codec()->fromUnicode(lower);
        if (back.size() == 1 && codec()->toUnicode(back) == lower)
            table[b] = back.at(0);
    }
    return table;
}

const std::array<char, 256> &foldTable()
{
    static const std::array<char, 256> table = buildFoldTable();
    return table;
}

} // namespace

QString CodePage::toUnicode(const QByteArray &bytes)
{
    return codec()->toUnicode(bytes);
}

QByteArray CodePage::fromUnicode(const QString &text)
{
    return codec()->fromUnicode(text);
}

bool CodePage::canSpell(const QString &text)
{
    return toUnicode(fromUnicode(text)) == text;
}

char CodePage::foldByte(char c)
{
    return foldTable()[static_cast<unsigned char>(c)];
}

QByteArray CodePage::fold(const QByteArray &bytes)
{
    QByteArray out(bytes.size(), Qt::Uninitialized);
    const auto &t = foldTable();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = t[static_cast<unsigned char>(bytes[i])];
    return out;
}

bool CodePage::equalsIgnoreCase(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    const auto &t = foldTable();
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (t[static_cast<unsigned char>(a[i])] != t[static_cast<unsigned char>(b[i])])
            return false;
    }
    return true;
}

bool CodePage::equalsIgnoreCase(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlainText.h"

#include <QHash>

namespace {

// Tags whose element shows something other than text.
bool isMedia(const QString &tag)
{
    static const QStringList tags = {
        QStringLiteral("img"),    QStringLiteral("audio"),  QStringLiteral("video"),
        QStringLiteral("object"), QStringLiteral("embed"),  QStringLiteral("iframe"),
        QStringLiteral("svg"),    QStringLiteral("canvas"), QStringLiteral("picture"),
        QStringLiteral("source"), QStringLiteral("math")};
    return tags.contains(tag);
}

// Tags whose content is no text for the reader.
bool hidesContent(const QString &tag)
{
    return tag == QLatin1String("script") || tag == QLatin1String("style") ||
           tag == QLatin1String("svg") || tag == QLatin1String("math") ||
           tag == QLatin1String("object");
}

bool breaksLine(const QString &tag)
{
    static const QStringList tags = {
        QStringLiteral("br"),     QStringLiteral("p"),  QStringLiteral("div"),
        QStringLiteral("li"),     QStringLiteral("ul"), QStringLiteral("ol"),
        QStringLiteral("tr"),     QStringLiteral("td"), QStringLiteral("th"),
        QStringLiteral("table"),  QStringLiteral("h1"), QStringLiteral("h2"),
        QStringLiteral("h3"),     QStringLiteral("h4"), QStringLiteral("h5"),
        QStringLiteral("h6"),     QStringLiteral("hr"), QStringLiteral("pre"),
        QStringLiteral("dd"),     QStringLiteral("dt"), QStringLiteral("blockquote"),
        QStringLiteral("section")};
    return tags.contains(tag);
}

const QHash<QString, char16_t> &namedEntities()
{
    static const QHash<QString, char16_t> names = {
        {QStringLiteral("amp"), u'&'},      {QStringLiteral("lt"), u'<'},
        {QStringLiteral("gt"), u'>'},       {QStringLiteral("quot"), u'"'},
        {QStringLiteral("apos"), u'\''},    {QStringLiteral("nbsp"), u'\u00A0'},
        {QStringLiteral("laquo"), u'«'},    {QStringLiteral("raquo"), u'»'},
        {QStringLiteral("ndash"), u'–'},    {QStringLiteral("mdash"), u'—'},
        {QStringLiteral("hellip"), u'…'},   {QStringLiteral("lsquo"), u'‘'},
        {QStringLiteral("rsquo"), u'’'},    {QStringLiteral("ldquo"), u'“'},
        {QStringLiteral("rdquo"), u'”'},    {QStringLiteral("bdquo"), u'„'},
        {QStringLiteral("sbquo"), u'‚'},    {QStringLiteral("bull"), u'•'},
        {QStringLiteral("middot"), u'·'},   {QStringLiteral("copy"), u'©'},
        {QStringLiteral("reg"), u'®'},      {QStringLiteral("trade"), u'™'},
        {QStringLiteral("deg"), u'°'},      {QStringLiteral("plusmn"), u'±'},
        {QStringLiteral("times"), u'×'},    {QStringLiteral("divide"), u'÷'},
        {QStringLiteral("minus"), u'−'},    {QStringLiteral("le"), u'≤'},
        {QStringLiteral("ge"), u'≥'},       {QStringLiteral("ne"), u'≠'},
        {QStringLiteral("asymp"), u'≈'},    {QStringLiteral("infin"), u'∞'},
        {QStringLiteral("larr"), u'←'},     {QStringLiteral("rarr"), u'→'},
        {QStringLiteral("harr"), u'↔'},     {QStringLiteral("uarr"), u'↑'},
        {QStringLiteral("darr"), u'↓'},     {QStringLiteral("sect"), u'§'},
        {QStringLiteral("para"), u'¶'},     {QStringLiteral("micro"), u'µ'},
        {QStringLiteral("euro"), u'€'},     {QStringLiteral("cent"), u'¢'},
        {QStringLiteral("pound"), u'£'},    {QStringLiteral("sup2"), u'²'},
        {QStringLiteral("sup3"), u'³'},     {QStringLiteral("frac12"), u'½'},
        {QStringLiteral("frac14"), u'¼'},   {QStringLiteral("frac34"), u'¾'},
        {QStringLiteral("shy"), u'\u00AD'}, {QStringLiteral("numero"), u'№'},
        {QStringLiteral("alpha"), u'α'},    {QStringLiteral("beta"), u'β'},
        {QStringLiteral("gamma"), u'γ'},    {QStringLiteral("delta"), u'δ'},
        {QStringLiteral("lambda"), u'λ'},   {QStringLiteral("mu"), u'μ'},
        {QStringLiteral("pi"), u'π'},       {QStringLiteral("sigma"), u'σ'},
        {QStringLiteral("omega"), u'ω'},    {QStringLiteral("Delta"), u'Δ'},
        {QStringLiteral("Sigma"), u'Σ'},    {QStringLiteral("Omega"), u'Ω'},
        {QStringLiteral("sum"), u'∑'},      {QStringLiteral("radic"), u'√'},
    };
    return names;
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('#');
}

} // namespace

QString PlainText::entity(const QString &name)
{
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const bool hex =
            name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'));
        const uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return QString();
        const char32_t point = code;
        return QString::fromUcs4(&point, 1);
    }
    const auto found = namedEntities().constFind(name);
    return found == namedEntities().constEnd() ? QString() : QString(QChar(*found));
}

PlainText::Reduced PlainText::fromHtml(const QString &html)
{
    Reduced reduced;
    QString out;
    out.reserve(html.size());
    QString hiddenUntil; // the closing tag that ends dropped content
    // The next ">" at or after the current "<": found once per stretch, so
    // that a text of many "<" and few ">" stays linear.
    qsizetype nextClose = -1;
    qsizetype i = 0;
    while (i < html.size()) {
        const QChar c = html[i];
        if (c == QLatin1Char('<')) {
            if (html.mid(i, 4) == QLatin1String("<!--")) {
                const qsizetype end = html.indexOf(QLatin1String("-->"), i + 4);
                i = end < 0 ? html.size() : end + 3;
                continue;
            }
            if (nextClose != html.size() && nextClose <= i) {
                nextClose = html.indexOf(QLatin1Char('>'), i + 1);
                if (nextClose < 0)
                    nextClose = html.size();
            }
            const qsizetype end = nextClose == html.size() ? -1 : nextClose;
            qsizetype n = i + 1;
            const bool closing = n < html.size() && html[n] == QLatin1Char('/');
            if (closing)
                ++n;
            qsizetype nameEnd = n;
            while (nameEnd < html.size() && html[nameEnd].isLetterOrNumber())
                ++nameEnd;
            // A "<" that opens no tag ("a < b") is text.
            if (end < 0 || nameEnd == n || !html[n].isLetter()) {
                if (hiddenUntil.isEmpty())
                    out.append(c);
                ++i;
                continue;
            }
            const QString tag = html.mid(n, nameEnd - n).toLower();
            i = end + 1;
            if (!hiddenUntil.isEmpty()) {
                if (closing && tag == hiddenUntil)
                    hiddenUntil.clear();
                continue;
            }
            if (isMedia(tag))
                reduced.droppedMedia = true;
            if (!closing && hidesContent(tag) && html[end - 1] != QLatin1Char('/'))
                hiddenUntil = tag;
            else if (breaksLine(tag))
                out.append(QLatin1Char(' '));
            continue;
        }
        if (!hiddenUntil.isEmpty()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('&')) {
            qsizetype n = i + 1;
            while (n < html.size() && n - i <= 32 && isNameChar(html[n]))
                ++n;
            if (n < html.size() && html[n] == QLatin1Char(';')) {
                const QString decoded = entity(html.mid(i + 1, n - i - 1));
                if (!decoded.isEmpty()) {
                    out.append(decoded);
                    i = n + 1;
                    continue;
                }
            }
        }
        out.append(c);
        ++i;
    }
    reduced.text = joined(out);
    return reduced;
}

QString PlainText::joined(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool blank = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Soft hyphens, and byte-order marks that files joined together leave
        // inside a text, show as nothing; a mark at the start of a text
        // written first in a file would be taken for the file's own.
        if (u == 0xAD || u == 0xFEFF)
            continue;
        if (c.isSpace() || u < 0x20 || (u >= 0x7F && u < 0xA0)) {
            blank = true;
            continue;
        }
        if (blank && !out.isEmpty())
            out.append(QLatin1Char(' '));
        blank = false;
        out.append(c);
    }
    return out;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageRule.h"

#include "Paths.h"

#include <QDir>

namespace {

// The engine's PDF viewer is an extension built into it, with its own
// resources; it reads the document through the page's own navigation.
const QLatin1String PdfViewerId("mhjfbmdgcfjbbpaeojofohoefgiehjai");

} // namespace

QUrl PageRule::pageUrl(const QString &localPath)
{
    const QString top = Paths::workingDirectory();
    QString relative = QDir::cleanPath(localPath);
    if (relative.startsWith(top))
        relative = relative.mid(top.size());
    if (!relative.startsWith(QLatin1Char('/')))
        relative.prepend(QLatin1Char('/'));
    QUrl url;
    url.setScheme(QLatin1String(Scheme));
    url.setHost(QLatin1String(Host));
    url.setPath(relative, QUrl::DecodedMode);
    return url;
}

QString PageRule::localPath(const QUrl &url)
{
    if (url.scheme().toLower() != QLatin1String(Scheme) || url.host() != QLatin1String(Host))
        return QString();
    QString name = url.path(QUrl::FullyDecoded);
    if (name.isEmpty())
        return QString();
    name[0] = QLatin1Char('\\');
    const QString path = QDir::cleanPath(Paths::resolve(name));
    QString top = QDir::cleanPath(Paths::workingDirectory());
    if (!top.endsWith(QLatin1Char('/')))
        top += QLatin1Char('/');
    return path.startsWith(top) && path.size() > top.size() ? path : QString();
}

bool PageRule::allows(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    // The disk by the engine's own means is never read: a link swapped in
    // after any look of ours would be followed.
    if (scheme == QLatin1String(Scheme))
        return !localPath(url).isEmpty();
    // Made by the page itself, or by the program (the page shown for a file
    // that cannot be loaded): nothing is fetched for them.
    if (scheme == QLatin1String("data") || scheme == QLatin1String("blob"))
        return true;
    if (scheme == QLatin1String("about"))
        return url.path() == QLatin1String("blank") || url.path() == QLatin1String("srcdoc");
    if (scheme == QLatin1String("chrome-extension"))
        return url.host() == PdfViewerId;
    if (scheme == QLatin1String("chrome"))
        return url.host() == QLatin1String("resources");
    return false;
}

bool PageRule::isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

QString PageRule::browserQuestion(const QUrl &url)
{
    return QStringLiteral("Ссылка ведёт на адрес в Интернете:\n%1\n\nОткрыть его в браузере?")
        .arg(url.toDisplayString());
}

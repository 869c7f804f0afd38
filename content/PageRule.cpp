// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageRule.h"

#include "FolderBounds.h"

namespace {

// The engine's PDF viewer is an extension built into it, with its own
// resources; it reads the document through the page's own navigation.
const QLatin1String PdfViewerId("mhjfbmdgcfjbbpaeojofohoefgiehjai");

} // namespace

bool PageRule::allows(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("file"))
        return url.host().isEmpty() && FolderBounds::isInside(url.toLocalFile());
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

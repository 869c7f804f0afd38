// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

// What the course-page view may reach. A course folder is written by every
// student, so its pages are not trusted: the view reads the folder through
// the program's own scheme and nothing else, not even a file of the disk by
// its own means, and the engine's own PDF viewer; it never reaches the
// network. A web address the user clicks is handed to
// the desktop's browser once the user agrees.
class PageRule
{
public:
    // The program's own scheme, which serves the course folder: a page's
    // address is its path in the folder under this scheme and host, so that
    // relative links, anchors and pictures resolve as they do on the disk.
    static constexpr char Scheme[] = "coursebook";
    static constexpr char Host[] = "course";

    // The address of a file in the course folder (the current directory).
    static QUrl pageUrl(const QString &localPath);
    // The file an address of the scheme names, found in the course folder
    // without regard to letter case as every name of the folder is; empty
    // for any other address or one that leads out of the folder by its
    // text. Links on the way are the opener's to refuse.
    static QString localPath(const QUrl &url);

    // Whether the view may load the URL, for any kind of request: page,
    // frame, style, picture, script, XHR or fetch, WebSocket. The course
    // folder is the current directory at the moment of the call.
    static bool allows(const QUrl &url);

    // An address of the web, which a clicked link may open in the browser.
    static bool isWebAddress(const QUrl &url);

    // The question put to the user before a web address leaves the program.
    static QString browserQuestion(const QUrl &url);
};

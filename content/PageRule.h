// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

// What the course-page view may reach. A course folder is written by every
// student, so its pages are not trusted: the view may read the folder and
// nothing else (after links are resolved), and the engine's own PDF viewer;
// it never reaches the network. A web address the user clicks is handed to
// the desktop's browser once the user agrees.
class PageRule
{
public:
    // Whether the view may load the URL, for any kind of request: page,
    // frame, style, picture, script, XHR or fetch, WebSocket. The course
    // folder is the current directory at the moment of the call.
    static bool allows(const QUrl &url);

    // An address of the web, which a clicked link may open in the browser.
    static bool isWebAddress(const QUrl &url);

    // The question put to the user before a web address leaves the program.
    static QString browserQuestion(const QUrl &url);
};

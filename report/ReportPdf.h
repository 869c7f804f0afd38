// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <memory>

// The report printed to A4 by the HTML engine the program ships, so the
// paper looks like the screen. It runs without a display.
class ReportPdf
{
public:
    // The application the engine needs, made before anything else of Qt: a
    // widget application sharing its GL contexts, the engine's sandbox off for
    // the superuser (it refuses to run there), the offscreen platform when
    // there is no display to open.
    static std::unique_ptr<QCoreApplication> application(int &argc, char **argv);

    // Loads the page from a temporary file outside the course folder and
    // prints it to path. Throws RuntimeError when the engine cannot load or
    // print it.
    static void print(const QByteArray &html, const QString &path);
};

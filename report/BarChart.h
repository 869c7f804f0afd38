// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// A bar chart as inline SVG: bars from a zero line with a value scale on the
// left, for a page that must carry its pictures inside itself and print them
// the way the screen shows them.
class BarChart
{
public:
    struct Bar
    {
        QString label; // under the bar; empty for none
        int value = 0;
        QString color; // "#rrggbb", filled flat so a print or a grab shows it exactly
    };

    int width = 360;
    int height = 180;
    QString title; // what a reader of the picture is told it shows
    // Values written above the bars, when they fit.
    bool showValues = true;
    // A dashed line between bar dividerAfter and the next.
    int dividerAfter = -1;

    QString svg(const QList<Bar> &bars) const;

    // Text safe inside an element or an attribute of the page.
    static QString escape(const QString &text);
};

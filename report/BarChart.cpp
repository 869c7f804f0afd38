// SPDX-License-Identifier: GPL-3.0-or-later
#include "BarChart.h"

#include <algorithm>

namespace {

constexpr double Left = 34;
constexpr double Right = 8;
constexpr double Top = 16;
constexpr double Bottom = 22;
constexpr int FontSize = 10;

QString number(double v)
{
    return QString::number(v, 'f', 1);
}

// The step between the scale's lines: the smallest of 1, 2, 5 × 10^n that
// needs no more than five steps to reach the largest value.
int scaleStep(int largest)
{
    for (int magnitude = 1;; magnitude *= 10) {
        for (int step : {1, 2, 5}) {
            if (step * magnitude * 5 >= largest)
                return step * magnitude;
        }
    }
}

} // namespace

QString BarChart::escape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        default:
            // Control bytes are not allowed in the page's markup at all.
            out += c.unicode() < 0x20 && c != QLatin1Char('\t') ? QChar(0xFFFD) : c;
        }
    }
    return out;
}

QString BarChart::svg(const QList<Bar> &bars) const
{
    const double plotWidth = width - Left - Right;
    const double plotHeight = height - Top - Bottom;
    int largest = 0;
    for (const Bar &bar : bars)
        largest = std::max(largest, bar.value);
    const int step = scaleStep(largest);
    const int steps = std::max(1, (largest + step - 1) / step);
    const int top = step * steps;

    QString out;
    out += QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"chart\" "
                          "viewBox=\"0 0 %1 %2\" width=\"%1\" height=\"%2\" role=\"img\" "
                          "font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"%3\">")
               .arg(width)
               .arg(height)
               .arg(FontSize);
    out += QStringLiteral("<title>%1</title>").arg(escape(title));

    for (int i = 0; i <= steps; ++i) {
        const double y = Top + plotHeight - plotHeight * i / steps;
        out += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\" stroke=\"%4\" "
                              "stroke-width=\"1\"/>")
                   .arg(number(Left), number(y), number(width - Right),
                        i ? QStringLiteral("#dddddd") : QStringLiteral("#555555"));
        out += QStringLiteral("<text x=\"%1\" y=\"%2\" text-anchor=\"end\" fill=\"#444444\">%3"
                              "</text>")
                   .arg(number(Left - 4), number(y + 3.5))
                   .arg(step * i);
    }

    const double slot = bars.isEmpty() ? plotWidth : plotWidth / bars.size();
    const double barWidth = std::max(1.0, slot * (slot > 6 ? 0.7 : 0.9));
    const bool values = showValues && slot >= 14;
    for (qsizetype i = 0; i < bars.size(); ++i) {
        const Bar &bar = bars[i];
        const double x = Left + slot * i + (slot - barWidth) / 2;
        const double h = plotHeight * bar.value / top;
        const double y = Top + plotHeight - h;
        if (bar.value > 0)
            out += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" "
                                  "fill=\"%5\"/>")
                       .arg(number(x), number(y), number(barWidth), number(h), bar.color);
        if (values)
            out += QStringLiteral("<text x=\"%1\" y=\"%2\" text-anchor=\"middle\" "
                                  "fill=\"#222222\">%3</text>")
                       .arg(number(x + barWidth / 2), number(y - 3))
                       .arg(bar.value);
        if (!bar.label.isEmpty())
            out += QStringLiteral("<text x=\"%1\" y=\"%2\" text-anchor=\"middle\" "
                                  "fill=\"#222222\">%3</text>")
                       .arg(number(Left + slot * i + slot / 2), number(height - Bottom + 14),
                            escape(bar.label));
    }

    if (dividerAfter >= 0 && dividerAfter + 1 < bars.size()) {
        const double x = Left + slot * (dividerAfter + 1);
        out += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%1\" y2=\"%3\" stroke=\"#333333\" "
                              "stroke-width=\"1\" stroke-dasharray=\"4 3\"/>")
                   .arg(number(x), number(Top - 6), number(Top + plotHeight));
    }
    out += QLatin1String("</svg>");
    return out;
}

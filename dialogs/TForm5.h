// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;

// "Об авторе": a modeless window beside the main window. Closing it only hides
// it; the next choice of the menu entry shows the same window again.
class TForm5 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm5(QWidget *parent = nullptr);

    QLabel *Label2;
    QLabel *Label3;
    QLabel *Image1;

    // Shows the window, or brings it forward when it is already open.
    void showForward();
};

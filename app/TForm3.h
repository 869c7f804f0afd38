// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// The title page: a fixed sheet shown modally at start-up while the main
// window stays hidden. It closes itself on the first tick of its timer, or
// earlier by its close button; closing it shows the main window.
class TForm3 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm3(QWidget *mainWindow, QWidget *parent = nullptr);

    // The page may come up before the main window exists; a page already
    // closed by then shows it at once.
    void setMainWindow(QWidget *mainWindow);
    bool isClosed() const { return m_closed; }

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Label7;
    QLabel *Label8;
    QLabel *Image1;
    QLabel *Image2;
    QTimer *Timer1;

    // Every way of closing the page ends here, once.
    void done(int result) override;

public slots:
    void Timer1Timer();
    void FormClose();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *m_mainWindow;
    bool m_closed = false;
};

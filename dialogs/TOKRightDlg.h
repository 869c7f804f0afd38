// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// "О программе": who the course book is meant for and for which course.
// Created once at start-up and shown modally from the help menu.
class TOKRightDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TOKRightDlg(QWidget *parent = nullptr);

    QLabel *Image1;
    QFrame *Bevel1;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label6;
    QPushButton *OKBtn;

public slots:
    void OKBtnClick();

protected:
    void showEvent(QShowEvent *event) override;
};

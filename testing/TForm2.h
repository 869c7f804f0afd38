// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TestConverter.h"

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// The authoring tool: turns a question source text into a scrambled test file.
// One window for the whole program run, shown modally; its fields and its
// converter's slots keep their contents from one opening to the next. While
// it is open the current directory may move to the folder of the chosen
// source; closing makes the directory saved at showing current again.
// A conversion writes nothing for a test name the code page cannot spell or a
// source line the store cannot keep, and asks first when the source check
// finds errors; a written test is reported with its full path, a warning
// when that is not the course's data\tests, and what the check finds.
class TForm2 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm2(QWidget *parent = nullptr);

    // The file-open dialog: returns the chosen file's path, or an empty
    // string when the user cancels. Runs OpenDialog1 unless replaced.
    std::function<QString()> chooseFile;
    // Where the class's tests are kept on a server: publishes a written
    // test's file under its name as the test's new version and says so, or
    // throws RuntimeError with the refusal. Unset for a course folder.
    std::function<QString(const QByteArray &testName, const QByteArray &file)> publish;

    // The directory that was current when the window was last shown.
    const QString &savedWorkingDirectory() const { return m_savedWorkingDirectory; }

    void Edit10Click();
    void Button1Click();
    void Button2Click();

    QFrame *Panel1;
    QLineEdit *Edit9;
    QLineEdit *Edit10;
    QPushButton *Button1;
    QLabel *Label1;
    QPushButton *Button2;
    QLineEdit *Edit1;
    QLineEdit *Edit2;
    QLineEdit *Edit3;
    QLineEdit *Edit4;
    QLineEdit *Edit5;
    QLineEdit *Edit6;
    QLineEdit *Edit7;
    QLineEdit *Edit8;
    // Made on first use.
    QFileDialog *OpenDialog1 = nullptr;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void FormClose();
    QString runOpenDialog();
    // Edit1 … Edit8 show the converter's slots.
    void showSlots();
    // Whether the folder is data\tests below the working directory, where
    // the test runs look for their files.
    bool isCourseTestFolder(const QString &folder) const;

    TestConverter m_converter;
    QString m_savedWorkingDirectory;
    std::array<QLineEdit *, TestConverter::SlotCount> m_slotEdits{};
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "CourseFolder.h"
#include "CourseFolderPrompt.h"
#include "RealComponent.h"
#include "ShareFolder.h"
#include "ShareLoginDialog.h"
#include "TempWorkDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QByteArray SettingsLine = "admin|admin123|testlog.txt\r\n";
// Stands for the closed share of the share fixture in the table.
const QString ClosedShare = QStringLiteral("smb:CLOSED");

QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

void unmount(const QString &address)
{
    QProcess gio;
    gio.setStandardOutputFile(QProcess::nullDevice());
    gio.setStandardErrorFile(QProcess::nullDevice());
    gio.start(QStringLiteral("gio"), {QStringLiteral("mount"), QStringLiteral("-u"), address});
    gio.waitForFinished();
}

// The closed share is unmounted after a row, also one that failed, so that
// the next starts as a fresh login.
struct Unmounted
{
    QString address;
    ~Unmounted()
    {
        if (address.isEmpty())
            return;
        QDir::setCurrent(QDir::tempPath());
        unmount(address);
    }
};

} // namespace

// The questions asked when the course folder is not simply there, wired to
// the choice of the folder: the box shown when the class folder or the last
// folder cannot be reached, and the login a share asks for. The button
// pressed decides what the program does; the choice itself is tested in
// tst_CourseFolder and, on a real share, tst_classshare. The rows on the
// share run when ctest starts the share fixture (tst_CourseFolderPrompt_share).
class TestCourseFolderPrompt : public QObject
{
    Q_OBJECT

private slots:
    void answers_data()
    {
        QTest::addColumn<QString>("classFolder");
        QTest::addColumn<QString>("last");
        // The buttons pressed, in the order the box or the dialog comes.
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<bool>("folderComesBack"); // before a button is pressed
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("entered"); // empty: none
        QTest::addColumn<QString>("cause");   // in the box's text
        const QString notThere = QStringLiteral("общая папка не подключена");
        QTest::newRow("class folder not reached, Выход: exit 2, nothing made")
            << "class"
            << "" << QStringList{QStringLiteral("Выход")} << false << 2 << "" << notThere;
        QTest::newRow("class folder back, Повторить: entered")
            << "class"
            << "" << QStringList{QStringLiteral("Повторить")} << true << 0 << "class" << notThere;
        QTest::newRow("last folder not reached, own copy of the sample")
            << ""
            << "class" << QStringList{QStringLiteral("Своя копия образца курса")} << false << 0
            << "userdata/course" << notThere;
        QTest::newRow("share wants a login, typed in the dialog: entered")
            << ClosedShare << "" << QStringList{QStringLiteral("Подключить")} << false << 0
            << "share"
            << "";
        QTest::newRow("share wants a login, dialog cancelled, Выход: exit 2, nothing made")
            << ClosedShare << "" << QStringList{QStringLiteral("Отмена"), QStringLiteral("Выход")}
            << false << 2 << "" << QStringLiteral("по имени пользователя и паролю");
    }

    void answers()
    {
        QFETCH(QString, classFolder);
        QFETCH(QString, last);
        QFETCH(QStringList, buttons);
        QFETCH(bool, folderComesBack);
        QFETCH(int, exitCode);
        QFETCH(QString, entered);
        QFETCH(QString, cause);
        TempWorkDir root;
        QVERIFY(root.isCurrent());
        std::unique_ptr<QTemporaryDir> onShare;
        Unmounted afterwards;
        QString address;
        if (classFolder == ClosedShare) {
            if (!ShareFolder::requested())
                QSKIP("no classroom share: the row runs with the share fixture "
                      "(tst_CourseFolderPrompt_share)");
            if (ShareFolder::stateValue("closed").isEmpty() ||
                ShareFolder::stateValue("gvfs_bus").isEmpty())
                COURSEBOOK_COMPONENT_MISSING(QStringLiteral("no classroom share: ") +
                                             ShareFolder::stateValue("skip") +
                                             ShareFolder::stateValue("closed-skip") + u' ' +
                                             ShareFolder::stateValue("gvfs-skip"));
            qputenv("DBUS_SESSION_BUS_ADDRESS", ShareFolder::stateValue("gvfs_bus").toUtf8());
            qputenv("GIO_USE_VOLUME_MONITOR", "unix");
            qputenv("GVFS_REMOTE_VOLUME_MONITOR_IGNORE", "1");
            unmount(ShareFolder::stateValue("closed"));
            afterwards.address = ShareFolder::stateValue("closed");
            onShare = std::make_unique<QTemporaryDir>(ShareFolder::stateValue("closed_folder") +
                                                      QStringLiteral("/lab-XXXXXX"));
            QVERIFY(onShare->isValid());
            QVERIFY(TempWorkDir::writeFile(onShare->filePath("data/info/tumb.db"), SettingsLine));
            address =
                ShareFolder::stateValue("closed") + u'/' + QFileInfo(onShare->path()).fileName();
        } else if (!classFolder.isEmpty()) {
            address = root.filePath(classFolder);
        }
        QVERIFY(root.write("sample/data/info/tumb.db", SettingsLine));
        QVERIFY(root.mkpath("userdata"));
        QVERIFY(root.mkpath("empty"));
        QVERIFY(QDir::setCurrent(root.filePath("empty")));
        QSettings settings(root.filePath("settings.ini"), QSettings::IniFormat);
        if (!last.isEmpty())
            settings.setValue(CourseFolder::LastFolderKey, root.filePath(last));
        CourseFolder course(settings, root.filePath("sample"), root.filePath("userdata"), address);

        QStringList texts;
        QStringList left = buttons;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            auto *box = qobject_cast<QMessageBox *>(modal);
            auto *login = qobject_cast<ShareLoginDialog *>(modal);
            if ((!box && !login) || !modal->isVisible())
                return;
            if (box)
                texts.append(box->text());
            // A question the row did not foresee is turned down and fails
            // the row rather than waiting for ever.
            if (left.isEmpty()) {
                texts.append(QStringLiteral("unforeseen question"));
                if (box)
                    box->escapeButton()->click();
                else
                    login->reject();
                return;
            }
            QList<QAbstractButton *> offered;
            if (box) {
                offered = box->buttons();
            } else {
                const QList<QLineEdit *> fields = login->findChildren<QLineEdit *>();
                QCOMPARE(fields.size(), 3);
                fields.at(0)->setText(ShareFolder::stateValue("closed_user"));
                fields.at(2)->setText(ShareFolder::stateValue("closed_password"));
                QCOMPARE(fields.at(2)->echoMode(), QLineEdit::Password);
                offered = login->findChild<QDialogButtonBox *>()->buttons();
            }
            if (folderComesBack)
                root.write(classFolder + QStringLiteral("/data/info/tumb.db"), SettingsLine);
            const QString button = left.takeFirst();
            for (QAbstractButton *b : offered) {
                if (b->text() == button)
                    b->click();
            }
        });
        answerer.start(20);
        const int code = CourseFolderPrompt::enter(course, QString());
        answerer.stop();

        QVERIFY2(code == exitCode, qPrintable(QStringLiteral("exit code %1 after: %2")
                                                  .arg(code)
                                                  .arg(texts.join(QStringLiteral(" | ")))));
        QVERIFY(left.isEmpty());
        const QString refused = address.isEmpty() ? root.filePath(last) : address;
        for (const QString &text : texts) {
            QVERIFY2(text.contains(QDir::toNativeSeparators(refused)), qPrintable(text));
            QVERIFY2(text.contains(cause), qPrintable(text));
        }
        if (entered == QLatin1String("share")) {
            // Where GVFS mounts it, not on the server's disk.
            QVERIFY(QDir::currentPath().contains(QLatin1String("/gvfs/")));
            QVERIFY(CourseFolder::holdsCourse(QDir::currentPath()));
            return;
        }
        const QString expected =
            root.filePath(entered.isEmpty() ? QStringLiteral("empty") : entered);
        QCOMPARE(canonical(QDir::currentPath()), canonical(expected));
        if (!entered.isEmpty())
            return;
        // Nothing made anywhere, nothing remembered.
        QCOMPARE(QDir(root.filePath("userdata")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        QCOMPARE(QDir(root.filePath("empty")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(!QFileInfo::exists(root.filePath("class")));
        if (onShare)
            QCOMPARE(QDir(onShare->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     QStringList{QStringLiteral("data")});
        QCOMPARE(settings.value(CourseFolder::LastFolderKey).toString(),
                 last.isEmpty() ? QString() : root.filePath(last));
    }
};

QTEST_MAIN(TestCourseFolderPrompt)
#include "tst_CourseFolderPrompt.moc"

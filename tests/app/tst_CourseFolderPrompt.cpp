#include "CourseFolder.h"
#include "CourseFolderPrompt.h"
#include "TempWorkDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

const QByteArray SettingsLine = "admin|admin123|testlog.txt\r\n";

QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

// The box shown when the class folder or the last folder cannot be reached,
// wired to the choice of the folder: the button pressed decides what the
// program does. The choice itself is tested in tst_CourseFolder.
class TestCourseFolderPrompt : public QObject
{
    Q_OBJECT

private slots:
    void answers_data()
    {
        QTest::addColumn<QString>("classFolder");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("folderComesBack"); // before the button is pressed
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("entered"); // empty: none
        QTest::newRow("class folder not reached, Выход: exit 2, nothing made")
            << "class"
            << "" << QStringLiteral("Выход") << false << 2 << "";
        QTest::newRow("class folder back, Повторить: entered")
            << "class"
            << "" << QStringLiteral("Повторить") << true << 0 << "class";
        QTest::newRow("last folder not reached, own copy of the sample")
            << ""
            << "class" << QStringLiteral("Своя копия образца курса") << false << 0
            << "userdata/course";
    }

    void answers()
    {
        QFETCH(QString, classFolder);
        QFETCH(QString, last);
        QFETCH(QString, button);
        QFETCH(bool, folderComesBack);
        QFETCH(int, exitCode);
        QFETCH(QString, entered);
        TempWorkDir root;
        QVERIFY(root.isCurrent());
        QVERIFY(root.write("sample/data/info/tumb.db", SettingsLine));
        QVERIFY(root.mkpath("userdata"));
        QVERIFY(root.mkpath("empty"));
        QVERIFY(QDir::setCurrent(root.filePath("empty")));
        QSettings settings(root.filePath("settings.ini"), QSettings::IniFormat);
        if (!last.isEmpty())
            settings.setValue(CourseFolder::LastFolderKey, root.filePath(last));
        CourseFolder course(settings, root.filePath("sample"), root.filePath("userdata"),
                            classFolder.isEmpty() ? QString() : root.filePath(classFolder));

        QStringList texts;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            texts.append(box->text());
            if (folderComesBack)
                root.write(classFolder + QStringLiteral("/data/info/tumb.db"), SettingsLine);
            for (QAbstractButton *b : box->buttons()) {
                if (b->text() == button)
                    b->click();
            }
        });
        answerer.start(20);
        const int code = CourseFolderPrompt::enter(course, QString());
        answerer.stop();

        QCOMPARE(code, exitCode);
        QCOMPARE(texts.size(), 1);
        const QString refused = root.filePath(classFolder.isEmpty() ? last : classFolder);
        QVERIFY2(texts.first().contains(QDir::toNativeSeparators(refused)),
                 qPrintable(texts.first()));
        QVERIFY2(texts.first().contains(QStringLiteral("общая папка не подключена")),
                 qPrintable(texts.first()));
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
        QVERIFY(!QFileInfo::exists(refused));
        QCOMPARE(settings.value(CourseFolder::LastFolderKey).toString(),
                 last.isEmpty() ? QString() : root.filePath(last));
    }
};

QTEST_MAIN(TestCourseFolderPrompt)
#include "tst_CourseFolderPrompt.moc"

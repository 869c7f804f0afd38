// SPDX-License-Identifier: GPL-3.0-or-later
#include "CourseFolder.h"
#include "TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QByteArray SettingsLine = "admin|admin123|testlog.txt\r\n";

QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

// The folders of one machine: the installed sample, the user's data folder,
// two class folders (one spelt the way a Windows copy may spell it), an
// empty folder, and the user's settings file.
class TestCourseFolder : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempWorkDir> m_root;
    QTemporaryDir m_system;

    QString at(const QString &key) const
    {
        return key.isEmpty() ? QString() : m_root->filePath(key);
    }

private slots:
    void initTestCase()
    {
        // Read once by the settings of the whole process, so before any.
        QVERIFY(m_system.isValid());
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_system.path()));
    }

    void systemClassFolder()
    {
        QCOMPARE(CourseFolder::systemClassFolder(), QString());
        QVERIFY(TempWorkDir::writeFile(m_system.filePath("coursebook/coursebook.conf"),
                                       "[General]\nClassFolder=smb://lab-server/class/course\n"));
        QCOMPARE(CourseFolder::systemClassFolder(),
                 QStringLiteral("smb://lab-server/class/course"));
        QVERIFY(QFile::remove(m_system.filePath("coursebook/coursebook.conf")));
    }

    void init()
    {
        m_root = std::make_unique<TempWorkDir>();
        QVERIFY(m_root->isCurrent());
        QVERIFY(m_root->write("sample/data/info/tumb.db", SettingsLine));
        QVERIFY(m_root->write("sample/users", QByteArray()));
        QVERIFY(m_root->write("sample/data/tests/test1.ini", "[1]\r\nq=x\r\n"));
        QVERIFY(m_root->write("class/DATA/Info/TUMB.DB", SettingsLine));
        QVERIFY(m_root->write("other/data/info/tumb.db", SettingsLine));
        QVERIFY(m_root->mkpath("empty"));
        QVERIFY(m_root->mkpath("userdata"));
    }

    void cleanup() { m_root.reset(); }

    void enter_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("classFolder");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("last");
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("expected");
        const int argument = int(CourseFolder::Source::Argument);
        const int classFolder = int(CourseFolder::Source::ClassFolder);
        const int current = int(CourseFolder::Source::Current);
        const int last = int(CourseFolder::Source::Last);
        const int sample = int(CourseFolder::Source::Sample);
        QTest::newRow("folder given, settings file in another letter case")
            << "class"
            << ""
            << "other"
            << "other" << argument << "class";
        QTest::newRow("folder given relative to the current directory")
            << "../class"
            << ""
            << "empty"
            << "" << argument << "class";
        QTest::newRow("folder given before the class folder") << "other"
                                                              << "class"
                                                              << "empty"
                                                              << "" << argument << "other";
        QTest::newRow("class folder before the current directory and the last folder")
            << ""
            << "class"
            << "other"
            << "other" << classFolder << "class";
        QTest::newRow("current directory holds a course") << ""
                                                          << ""
                                                          << "other"
                                                          << "class" << current << "other";
        QTest::newRow("current directory in another letter case") << ""
                                                                  << ""
                                                                  << "class"
                                                                  << "other" << current << "class";
        QTest::newRow("no course here: the folder used last") << ""
                                                              << ""
                                                              << "empty"
                                                              << "class" << last << "class";
        QTest::newRow("first start: the user's sample") << ""
                                                        << ""
                                                        << "empty"
                                                        << "" << sample << "userdata/course";
    }

    void enter()
    {
        QFETCH(QString, argument);
        QFETCH(QString, classFolder);
        QFETCH(QString, current);
        QFETCH(QString, last);
        QFETCH(int, source);
        QFETCH(QString, expected);
        QSettings settings(at("settings.ini"), QSettings::IniFormat);
        if (!last.isEmpty())
            settings.setValue(CourseFolder::LastFolderKey, at(last));
        QVERIFY(QDir::setCurrent(at(current)));

        CourseFolder folder(settings, at("sample"), at("userdata"), at(classFolder));
        // A relative folder stays as the user typed it.
        const CourseFolder::Choice choice =
            folder.enter(argument.startsWith(QLatin1String("..")) ? argument : at(argument));
        QCOMPARE(choice.refusal, QString());
        QCOMPARE(int(choice.source), source);
        QCOMPARE(canonical(choice.folder), canonical(at(expected)));
        QCOMPARE(canonical(QDir::currentPath()), canonical(at(expected)));
        QCOMPARE(canonical(QSettings(at("settings.ini"), QSettings::IniFormat)
                               .value(CourseFolder::LastFolderKey)
                               .toString()),
                 canonical(at(expected)));
        // Only a start on the sample makes the user's copy.
        QCOMPARE(QFileInfo::exists(at("userdata/course")),
                 source == int(CourseFolder::Source::Sample));
    }

    void firstStartCopiesTheWholeSample()
    {
        QSettings settings(at("settings.ini"), QSettings::IniFormat);
        QVERIFY(QDir::setCurrent(at("empty")));
        CourseFolder folder(settings, at("sample"), at("userdata"));
        QCOMPARE(folder.enter(QString()).refusal, QString());
        for (const char *name : {"data/info/tumb.db", "users", "data/tests/test1.ini"})
            QCOMPARE(m_root->read(QStringLiteral("userdata/course/") + QLatin1String(name)),
                     m_root->read(QStringLiteral("sample/") + QLatin1String(name)));
        QVERIFY(QFileInfo(at("userdata/course/users")).isWritable());
    }

    void userCopyKeepsTheUsersChanges_data()
    {
        QTest::addColumn<bool>("settingsFileLeft");
        QTest::newRow("whole copy: nothing copied") << true;
        QTest::newRow("settings file deleted: only it comes back") << false;
    }

    void userCopyKeepsTheUsersChanges()
    {
        QFETCH(bool, settingsFileLeft);
        QVERIFY(m_root->write("userdata/course/users", "anna\r\n"));
        QVERIFY(m_root->write("userdata/course/data/tests/test1.ini", "changed"));
        if (settingsFileLeft)
            QVERIFY(m_root->write("userdata/course/data/info/tumb.db", "me|mine|log\r\n"));
        QSettings settings(at("settings.ini"), QSettings::IniFormat);
        QVERIFY(QDir::setCurrent(at("empty")));
        CourseFolder folder(settings, at("sample"), at("userdata"));
        const CourseFolder::Choice choice = folder.enter(QString());
        QCOMPARE(choice.refusal, QString());
        QCOMPARE(canonical(QDir::currentPath()), canonical(at("userdata/course")));
        QCOMPARE(m_root->read("userdata/course/users"), QByteArray("anna\r\n"));
        QCOMPARE(m_root->read("userdata/course/data/tests/test1.ini"), QByteArray("changed"));
        QCOMPARE(m_root->read("userdata/course/data/info/tumb.db"),
                 settingsFileLeft ? QByteArray("me|mine|log\r\n") : SettingsLine);
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("classFolder");
        QTest::addColumn<QString>("last");
        QTest::addColumn<bool>("sampleInstalled");
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("reason");
        // 0 no, 1 try again, 2 try again or take the sample
        QTest::addColumn<int>("offers");
        QTest::newRow("folder given does not exist")
            << "missing"
            << ""
            << "gone" << true << "missing" << QStringLiteral("не найдена") << 0;
        QTest::newRow("folder given is a file")
            << "sample/users"
            << ""
            << "gone" << true << "sample/users" << QStringLiteral("не найдена") << 0;
        QTest::newRow("folder given holds no course")
            << "empty"
            << ""
            << "gone" << true << "empty" << QStringLiteral("нет учебного курса") << 0;
        QTest::newRow("nothing found and no sample installed")
            << ""
            << ""
            << "" << false << "sample" << QStringLiteral("образца курса нет") << 0;
        QTest::newRow("class folder not there")
            << ""
            << "gone"
            << "class" << true << "gone" << QStringLiteral("общая папка не подключена") << 1;
        QTest::newRow("class folder holds no course")
            << ""
            << "userdata"
            << "class" << true << "userdata" << QStringLiteral("нет учебного курса") << 1;
        QTest::newRow("class folder is a file")
            << ""
            << "sample/users"
            << "" << true << "sample/users" << QStringLiteral("не папка") << 1;
        QTest::newRow("last folder not there")
            << ""
            << ""
            << "gone" << true << "gone" << QStringLiteral("общая папка не подключена") << 2;
        QTest::newRow("last folder holds no course")
            << ""
            << ""
            << "userdata" << true << "userdata" << QStringLiteral("нет учебного курса") << 2;
    }

    void refusals()
    {
        QFETCH(QString, argument);
        QFETCH(QString, classFolder);
        QFETCH(QString, last);
        QFETCH(bool, sampleInstalled);
        QFETCH(QString, named);
        QFETCH(QString, reason);
        QFETCH(int, offers);
        if (!sampleInstalled)
            QVERIFY(QDir(at("sample")).removeRecursively());
        QSettings settings(at("settings.ini"), QSettings::IniFormat);
        if (!last.isEmpty())
            settings.setValue(CourseFolder::LastFolderKey, at(last));
        QVERIFY(QDir::setCurrent(at("empty")));

        CourseFolder folder(settings, at("sample"), at("userdata"), at(classFolder));
        const CourseFolder::Choice choice = folder.enter(at(argument));
        QVERIFY2(choice.refusal.contains(reason), qPrintable(choice.refusal));
        QVERIFY2(choice.refusal.contains(QDir::toNativeSeparators(at(named))),
                 qPrintable(choice.refusal));
        QCOMPARE(choice.canRetry, offers > 0);
        QCOMPARE(choice.sampleOffered, offers > 1);
        // Nothing moved and nothing made.
        QCOMPARE(canonical(QDir::currentPath()), canonical(at("empty")));
        QCOMPARE(settings.value(CourseFolder::LastFolderKey).toString(), at(last));
        QCOMPARE(QDir(at("empty")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(!QFileInfo::exists(at("missing")));
        QVERIFY(!QFileInfo::exists(at("userdata/course")));
        QCOMPARE(QDir(at("userdata")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void sampleChosenAfterARefusalIsNotRemembered()
    {
        QSettings settings(at("settings.ini"), QSettings::IniFormat);
        settings.setValue(CourseFolder::LastFolderKey, at("gone"));
        QVERIFY(QDir::setCurrent(at("empty")));
        CourseFolder folder(settings, at("sample"), at("userdata"));
        QVERIFY(folder.enter(QString()).sampleOffered);
        const CourseFolder::Choice choice = folder.enterSample();
        QCOMPARE(choice.refusal, QString());
        QCOMPARE(int(choice.source), int(CourseFolder::Source::Sample));
        QCOMPARE(canonical(QDir::currentPath()), canonical(at("userdata/course")));
        // The next start asks for the share again rather than going on here.
        QCOMPARE(settings.value(CourseFolder::LastFolderKey).toString(), at("gone"));
    }
};

QTEST_GUILESS_MAIN(TestCourseFolder)
#include "tst_CourseFolder.moc"

#include "CourseFolder.h"
#include "TempWorkDir.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
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

    QString at(const QString &key) const
    {
        return key.isEmpty() ? QString() : m_root->filePath(key);
    }

private slots:
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
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("last");
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("expected");
        const int argument = int(CourseFolder::Source::Argument);
        const int current = int(CourseFolder::Source::Current);
        const int last = int(CourseFolder::Source::Last);
        const int sample = int(CourseFolder::Source::Sample);
        QTest::newRow("folder given, settings file in another letter case")
            << "class"
            << "other"
            << "other" << argument << "class";
        QTest::newRow("folder given relative to the current directory")
            << "../class"
            << "empty"
            << "" << argument << "class";
        QTest::newRow("current directory holds a course") << ""
                                                          << "other"
                                                          << "class" << current << "other";
        QTest::newRow("current directory in another letter case") << ""
                                                                  << "class"
                                                                  << "other" << current << "class";
        QTest::newRow("no course here: the folder used last") << ""
                                                              << "empty"
                                                              << "class" << last << "class";
        QTest::newRow("folder used last is gone: the user's sample")
            << ""
            << "empty"
            << "gone" << sample << "userdata/course";
        QTest::newRow("first start: the user's sample") << ""
                                                        << "empty"
                                                        << "" << sample << "userdata/course";
    }

    void enter()
    {
        QFETCH(QString, argument);
        QFETCH(QString, current);
        QFETCH(QString, last);
        QFETCH(int, source);
        QFETCH(QString, expected);
        QSettings settings(at("settings.ini"), QSettings::IniFormat);
        if (!last.isEmpty())
            settings.setValue(CourseFolder::LastFolderKey, at(last));
        QVERIFY(QDir::setCurrent(at(current)));

        CourseFolder folder(settings, at("sample"), at("userdata"));
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
        QTest::addColumn<bool>("sampleInstalled");
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder given does not exist")
            << "missing" << true << "missing" << QStringLiteral("не найдена");
        QTest::newRow("folder given is a file")
            << "sample/users" << true << "sample/users" << QStringLiteral("не найдена");
        QTest::newRow("folder given holds no course")
            << "empty" << true << "empty" << QStringLiteral("нет учебного курса");
        QTest::newRow("nothing found and no sample installed")
            << "" << false << "sample" << QStringLiteral("образца курса нет");
    }

    void refusals()
    {
        QFETCH(QString, argument);
        QFETCH(bool, sampleInstalled);
        QFETCH(QString, named);
        QFETCH(QString, reason);
        if (!sampleInstalled)
            QVERIFY(QDir(at("sample")).removeRecursively());
        QSettings settings(at("settings.ini"), QSettings::IniFormat);
        settings.setValue(CourseFolder::LastFolderKey, at("gone"));
        QVERIFY(QDir::setCurrent(at("empty")));

        CourseFolder folder(settings, at("sample"), at("userdata"));
        const CourseFolder::Choice choice = folder.enter(at(argument));
        QVERIFY2(choice.refusal.contains(reason), qPrintable(choice.refusal));
        QVERIFY2(choice.refusal.contains(QDir::toNativeSeparators(at(named))),
                 qPrintable(choice.refusal));
        // Nothing moved and nothing made.
        QCOMPARE(canonical(QDir::currentPath()), canonical(at("empty")));
        QCOMPARE(settings.value(CourseFolder::LastFolderKey).toString(), at("gone"));
        QCOMPARE(QDir(at("empty")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(!QFileInfo::exists(at("missing")));
        QVERIFY(!QFileInfo::exists(at("userdata/course")));
    }
};

QTEST_GUILESS_MAIN(TestCourseFolder)
#include "tst_CourseFolder.moc"

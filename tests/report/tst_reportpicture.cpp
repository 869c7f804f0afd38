// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassFolder.h"
#include "ClassReport.h"
#include "FolderStore.h"
#include "ReportHtml.h"
#include "TempWorkDir.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWebEngineView>
#include <memory>

namespace {

void shareContexts()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}
Q_CONSTRUCTOR_FUNCTION(shareContexts)

int pixelsOf(const QImage &image, const QColor &color)
{
    const QRgb wanted = color.rgb();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            count += (line[x] | 0xFF000000u) == wanted;
    }
    return count;
}

} // namespace

class tst_ReportPicture : public QObject
{
    Q_OBJECT

private slots:
    void chartsRenderInTheEngine();
};

void tst_ReportPicture::chartsRenderInTheEngine()
{
    TempWorkDir dir;
    QVERIFY(dir.isCurrent());
    ClassFolder folder;
    // One user for each grade of test1, one run a day.
    const QDateTime first(QDate(2026, 12, 1), QTime(10, 0));
    for (int grade = 1; grade <= 5; ++grade) {
        const QByteArray name = "user" + QByteArray::number(grade);
        folder.registerUser(name);
        folder.storeGrade(name, 1, QByteArray::number(grade));
        folder.finishRun(name, 1, grade, first.addDays(grade));
    }
    const QString page = dir.filePath(QStringLiteral("report.html"));
    QVERIFY(TempWorkDir::writeFile(
        page, ReportHtml::write(ClassReport::read(FolderStore(QDir::currentPath())), first)));

    QWebEngineView view;
    view.resize(900, 2400);
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    view.load(QUrl::fromLocalFile(page));
    view.show();
    QVERIFY(loaded.wait(60000));
    QVERIFY(loaded.first().first().toBool());

    // The engine paints a while after the load; wait for the bars to appear.
    QImage shot;
    for (int attempt = 0; attempt < 100; ++attempt) {
        QTest::qWait(100);
        shot = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (pixelsOf(shot, QColor(ReportHtml::DayColor)) > 0)
            break;
    }
    const QString png = dir.filePath(QStringLiteral("report.png"));
    QVERIFY(shot.save(png));
    qInfo("grab saved as %s", qPrintable(png));

    // Each bar is a flat rectangle several pixels wide and tall.
    constexpr int Bar = 50;
    QVERIFY2(pixelsOf(shot, QColor(ReportHtml::DayColor)) >= 5 * Bar, "no bars of runs per day");
    for (int grade = 1; grade <= 5; ++grade)
        QVERIFY2(pixelsOf(shot, QColor(ReportHtml::gradeColor(grade))) >= Bar,
                 qPrintable(QStringLiteral("no bar of grade %1").arg(grade)));
}

QTEST_MAIN(tst_ReportPicture)
#include "tst_reportpicture.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the course book under a private Xvfb server and times how long it
// takes until its title page is mapped, beside the time a bare Qt window
// takes and the time the same window takes with one line of text in the title
// page's face (text needs the font configuration read first, which the bare
// window never does), all started in turn in one run:
//   bench_startup [--rounds N] [--program PATH] [--course FOLDER]
// Xvfb must be installed. Each start gets its own empty home, so nothing of
// the user's settings is read or written.

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include <xcb/xcb.h>

namespace {

const QByteArray TitlePage = "Титульный лист";
const QByteArray BareTitle = "bench bare window";

struct XConnection
{
    xcb_connection_t *c = nullptr;
    ~XConnection()
    {
        if (c)
            xcb_disconnect(c);
    }
};

QByteArray windowName(xcb_connection_t *c, xcb_window_t window)
{
    const auto atom = [c](const char *name) {
        const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, uint16_t(strlen(name)), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(c, cookie, nullptr), &std::free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    };
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(c, 0, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 256);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, cookie, nullptr), &std::free);
    if (!reply)
        return QByteArray();
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

// Milliseconds from the program's start until a window of that name is
// mapped, or nothing when none came within the limit.
std::optional<qint64> timeToMap(xcb_connection_t *c, const QString &program,
                                const QStringList &arguments, const QByteArray &title,
                                const QProcessEnvironment &environment)
{
    // Events of earlier starts are of no interest.
    while (xcb_generic_event_t *event = xcb_poll_for_event(c))
        std::free(event);
    QTemporaryDir home;
    QProcessEnvironment env = environment;
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    std::optional<qint64> result;
    while (!result && clock.elapsed() < 60000 && process.state() != QProcess::NotRunning) {
        xcb_generic_event_t *event = xcb_poll_for_event(c);
        if (!event) {
            QThread::usleep(200);
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (windowName(c, map->window) == title)
                result = clock.elapsed();
        }
        std::free(event);
    }
    process.kill();
    process.waitForFinished(10000);
    return result;
}

qint64 median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// The measure to compare with: a plain window of the title page's size,
// with one line of text in the face the title page asks for when withText.
int bareWindow(int argc, char *argv[], bool withText)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QString::fromUtf8(BareTitle));
    window.resize(612, 655);
    if (withText) {
        auto *line = new QLabel(QStringLiteral("Электронное учебное издание"), &window);
        QFont face;
        face.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                          QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
        face.setPixelSize(19);
        face.setBold(true);
        line->setFont(face);
        line->adjustSize();
    }
    window.show();
    return app.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--bare-window") == 0)
        return bareWindow(argc, argv, false);
    if (argc > 1 && std::strcmp(argv[1], "--bare-text") == 0)
        return bareWindow(argc, argv, true);
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int rounds = 5;
    QString program = QDir(app.applicationDirPath()).filePath(QStringLiteral("coursebook"));
    QString course = QStringLiteral(COURSEBOOK_SOURCE_DIR "/course");
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--rounds"))
            rounds = std::max(1, args[i + 1].toInt());
        else if (args[i] == QStringLiteral("--program"))
            program = args[i + 1];
        else if (args[i] == QStringLiteral("--course"))
            course = args[i + 1];
    }

    // A display number nobody uses.
    int display = 90;
    while (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display)) ||
           QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)))
        ++display;
    const QString name = QStringLiteral(":%1").arg(display);
    QProcess xvfb;
    xvfb.setProcessChannelMode(QProcess::ForwardedChannels);
    xvfb.start(QStringLiteral("Xvfb"), {name, QStringLiteral("-screen"), QStringLiteral("0"),
                                        QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                        QStringLiteral("tcp")});
    if (!xvfb.waitForStarted()) {
        std::fprintf(stderr, "bench_startup: Xvfb does not start (apt-get install xvfb)\n");
        return 1;
    }
    XConnection x;
    for (int i = 0; i < 100 && !x.c; ++i) {
        x.c = xcb_connect(name.toLatin1().constData(), nullptr);
        if (xcb_connection_has_error(x.c)) {
            xcb_disconnect(x.c);
            x.c = nullptr;
            QThread::msleep(50);
        }
    }
    if (!x.c) {
        std::fprintf(stderr, "bench_startup: no connection to Xvfb on %s\n", qPrintable(name));
        xvfb.kill();
        xvfb.waitForFinished();
        return 1;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x.c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x.c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x.c);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), name);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));

    QTemporaryDir copy;
    QProcess cp;
    cp.start(QStringLiteral("cp"),
             {QStringLiteral("-r"), course + QStringLiteral("/."), copy.path()});
    cp.waitForFinished();

    std::printf("round  bare window ms  with text ms  title page ms\n");
    QList<qint64> bare;
    QList<qint64> text;
    QList<qint64> title;
    for (int round = 1; round <= rounds; ++round) {
        const std::optional<qint64> b = timeToMap(
            x.c, app.applicationFilePath(), {QStringLiteral("--bare-window")}, BareTitle, env);
        const std::optional<qint64> w = timeToMap(x.c, app.applicationFilePath(),
                                                  {QStringLiteral("--bare-text")}, BareTitle, env);
        const std::optional<qint64> t = timeToMap(x.c, program, {copy.path()}, TitlePage, env);
        if (!b || !w || !t) {
            std::fprintf(stderr, "bench_startup: round %d: %s never came up\n", round,
                         !t ? "the title page" : "the bare window");
            continue;
        }
        bare.append(*b);
        text.append(*w);
        title.append(*t);
        std::printf("%5d  %13lld  %12lld  %13lld\n", round, static_cast<long long>(*b),
                    static_cast<long long>(*w), static_cast<long long>(*t));
    }
    xvfb.terminate();
    xvfb.waitForFinished(5000);
    if (bare.isEmpty())
        return 1;
    std::printf("median %13lld  %12lld  %13lld\n"
                "title page / bare window: %.2f (aim: 1.5 at most)\n"
                "title page / bare window with text: %.2f\n",
                static_cast<long long>(median(bare)), static_cast<long long>(median(text)),
                static_cast<long long>(median(title)), double(median(title)) / double(median(bare)),
                double(median(title)) / double(median(text)));
    return 0;
}

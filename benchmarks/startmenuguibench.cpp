/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// How the reference start menu (nimb-startmenu-gui) feels: the time from the start of the process to
// the window's first frame on the demo data, the time the search index takes to build after that
// frame, and the time a keystroke in the search field takes to bring the new results onto the
// screen, with a generated corpus of 1,400 and of 10,000 applications. Paths and the menu are process-wide, so each measure runs in a process of its own:
//
//   startmenuguibench                 every measure, a table on standard output
//   startmenuguibench --sizes 1400    the keystroke measure for the given corpus sizes only
//
// Without QT_QPA_PLATFORM the measures render off screen with the software scene graph, as the
// tests do; under "xvfb-run -a" with QT_QPA_PLATFORM=xcb they render to a virtual X server.

#include "benchcorpus.h"
#include "searchmodel.h"
#include "startmenuqml.h"

#include <NimbStartMenu/nimbpaths.h>
#include <NimbStartMenu/startmenuutils.h>

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
QElapsedTimer &processClock()
{
    static QElapsedTimer clock;
    return clock;
}

double milliseconds(qint64 nanoseconds)
{
    return double(nanoseconds) / 1e6;
}

double median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void useHome(const QString &home)
{
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_DATA_DIRS", "/usr/share");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home + QStringLiteral("/.cache")));
}

// Waits for the window's next frame; false if none comes within ten seconds.
bool waitForFrame(QQuickWindow *window)
{
    QEventLoop loop;
    QObject::connect(window, &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, [&loop] {
        loop.exit(1);
    });
    return loop.exec() == 0;
}

// The menu as nimb-startmenu-gui opens it, with the folders it makes at its start.
QQuickWindow *openMenu(QQmlApplicationEngine &engine)
{
    QDir().mkpath(QString::fromStdString(GetNimbDir(NimbDir::Base)));
    QDir().mkpath(QDir::homePath() + QStringLiteral("/.config/kolvatek"));
    StartMenuQml::registerTypes("org.nimb.startmenu");
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
    return engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
}

// Child: from the start of the process to the first frame, on the demo data.
int measureStartup(int argc, char **argv, const QString &home)
{
    useHome(home);
    QGuiApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug=false"));
    StartMenuUtils::setSystemRoot(QStringLiteral(DEMO_ROOT));
    QQmlApplicationEngine engine;
    QQuickWindow *window = openMenu(engine);
    if (!window || !waitForFrame(window)) {
        return 1;
    }
    std::printf("%.1f\n", milliseconds(processClock().nsecsElapsed()));
    return 0;
}

// Child: keystrokes in the search field over a corpus of @p count applications.
int measureTyping(int argc, char **argv, int count)
{
    QTemporaryDir work;
    const QString root = work.filePath(QStringLiteral("root"));
    const QString home = work.filePath(QStringLiteral("home"));
    generateCorpus(root + QStringLiteral("/usr/share/applications"), count);
    QFile::link(QStringLiteral(NIMBSTARTMENU_SYSTEMROOT_DATA_DIR "/usr/share/nimb-start-menu"), root + QStringLiteral("/usr/share/nimb-start-menu"));
    QDir().mkpath(home);
    useHome(home);

    QGuiApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug=false"));
    StartMenuUtils::setSystemRoot(root);
    QQmlApplicationEngine engine;
    QQuickWindow *window = openMenu(engine);
    if (!window || !waitForFrame(window)) {
        return 1;
    }
    auto *field = window->findChild<QQuickItem *>(QStringLiteral("searchField"));
    if (!field) {
        return 1;
    }
    field->forceActiveFocus();
    auto *search = window->findChild<SearchModel *>();
    if (!search) {
        return 1;
    }
    // The menu builds the index after its first frame; timed on its own, it is not a keystroke's.
    QElapsedTimer indexTimer;
    indexTimer.start();
    search->prepare();
    const double indexing = milliseconds(indexTimer.nsecsElapsed());
    // The corpus was written just now: the menu's watcher may still take a file it found being
    // written, at most a second after its first update. Typing starts once that has settled.
    QTest::qWait(1500);

    // A keystroke is timed from the key press to the frame that shows its results: handling (the
    // query, the model, the bindings) and rendering.
    const auto keystroke = [window](char key, double &handled) {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(window, key);
        handled = milliseconds(timer.nsecsElapsed());
        window->update();
        waitForFrame(window);
        return milliseconds(timer.nsecsElapsed());
    };
    double unused = 0;
    const double first = keystroke('t', unused);
    std::vector<double> handled;
    std::vector<double> shown;
    const QByteArray words = QByteArray(markerWord()).toLower() + " text editor";
    QTest::keyClick(window, Qt::Key_Backspace);
    waitForFrame(window);
    for (const char key : words) {
        double handledMs = 0;
        shown.push_back(keystroke(key, handledMs));
        handled.push_back(handledMs);
    }
    std::printf("%.2f %.2f %.2f %.2f %.2f %.2f\n",
                indexing,
                first,
                median(handled),
                *std::max_element(handled.begin(), handled.end()),
                median(shown),
                *std::max_element(shown.begin(), shown.end()));
    return 0;
}

QString runChild(const QStringList &arguments)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    if (!environment.contains(QStringLiteral("QT_QUICK_BACKEND"))) {
        environment.insert(QStringLiteral("QT_QUICK_BACKEND"), QStringLiteral("software"));
    }
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(300000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        return QString();
    }
    return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
}
}

int main(int argc, char **argv)
{
    processClock().start();
    // Outside a desktop session there may be no runtime folder; Qt would warn in every process.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray dir = QFile::encodeName(QDir::tempPath()) + "/runtime-" + QByteArray::number(::getuid());
        if (::mkdir(dir.constData(), 0700) == 0 || errno == EEXIST) {
            qputenv("XDG_RUNTIME_DIR", dir);
        }
    }
    if (argc == 3 && qstrcmp(argv[1], "--startup") == 0) {
        return measureStartup(1, argv, QFile::decodeName(argv[2]));
    }
    if (argc == 3 && qstrcmp(argv[1], "--typing") == 0) {
        return measureTyping(1, argv, QByteArray(argv[2]).toInt());
    }

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the reference start menu: start to first frame, and a keystroke to its results."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("sizes"), QStringLiteral("Corpus sizes for the keystroke measure (default: 1400,10000)."), QStringLiteral("N,...")});
    parser.addOption({QStringLiteral("starts"), QStringLiteral("Starts with an existing menu tree to time (default: 5)."), QStringLiteral("N")});
    parser.process(app);
    const QStringList sizes = parser.value(QStringLiteral("sizes")).isEmpty() ? QStringList{QStringLiteral("1400"), QStringLiteral("10000")}
                                                                              : parser.value(QStringLiteral("sizes")).split(QLatin1Char(','));
    const int starts = parser.isSet(QStringLiteral("starts")) ? parser.value(QStringLiteral("starts")).toInt() : 5;

    bool ok = true;
    if (starts > 0) {
        // The first start generates the menu tree and compiles the QML; later ones find both.
        QTemporaryDir home;
        const QString first = runChild({QStringLiteral("--startup"), home.path()});
        std::vector<double> later;
        for (int i = 0; i < starts; ++i) {
            later.push_back(runChild({QStringLiteral("--startup"), home.path()}).toDouble());
        }
        ok = !first.isEmpty();
        std::printf("start to first frame, demo data: first start %s ms, later starts median %.1f ms (%d runs)\n", qPrintable(first), median(later), starts);
    }
    std::printf("%-12s %10s %13s %26s %26s\n", "applications", "index ms", "first key ms", "handled ms median / max", "on screen ms median / max");
    for (const QString &size : sizes) {
        const QStringList values = runChild({QStringLiteral("--typing"), size}).split(QLatin1Char(' '));
        if (values.size() != 6) {
            std::printf("%-12s failed\n", qPrintable(size));
            ok = false;
            continue;
        }
        std::printf("%-12s %10s %13s %12s / %-11s %12s / %-11s\n",
                    qPrintable(size),
                    qPrintable(values[0]),
                    qPrintable(values[1]),
                    qPrintable(values[2]),
                    qPrintable(values[3]),
                    qPrintable(values[4]),
                    qPrintable(values[5]));
    }
    return ok ? 0 : 1;
}

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// Measures menu generation over a folder of desktop files: a forced generation into an empty tree
// (first use, reset) and a regeneration with nothing changed (what every watcher event costs).
// Usage: menugenerationbench [applications folder] [rounds]; the folder defaults to the corpus that
// make-corpus.sh builds. The shipped template tree and settings table come from the build's
// system root.

#include <NimbStartMenu/menu.h>
#include <NimbStartMenu/startmenuutils.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace
{
double medianMs(int rounds, const std::function<void()> &prepare, const std::function<void()> &run)
{
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The category logs every item written; that is not what is measured here.
    if (!qEnvironmentVariableIsSet("BENCH_DEBUG"))
        QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug=false"));
    const QStringList arguments = app.arguments();
    const QString applications = QDir(arguments.value(1, QStringLiteral("/tmp/nimb-corpus-dev/real/applications"))).absolutePath();
    const int rounds = std::max(1, arguments.value(2, QStringLiteral("7")).toInt());
    const QString shippedData = QStringLiteral(NIMBSTARTMENU_SYSTEMROOT_DATA_DIR "/usr/share/nimb-start-menu");

    QTemporaryDir scratch;
    const QString root = scratch.path() + QStringLiteral("/root");
    const QString home = scratch.path() + QStringLiteral("/home");
    QDir().mkpath(root + QStringLiteral("/usr/share"));
    QDir().mkpath(home + QStringLiteral("/.nimb"));
    if (!QFile::link(applications, root + QStringLiteral("/usr/share/applications"))
        || !QFile::link(shippedData, root + QStringLiteral("/usr/share/nimb-start-menu"))) {
        std::fprintf(stderr, "cannot set up the system root in %s\n", qPrintable(root));
        return 1;
    }
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_DATA_DIRS", "/usr/share");
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toUtf8());
    StartMenuUtils::setSystemRoot(root);

    int files = 0;
    for (QDirIterator it(applications, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next()) {
        ++files;
    }

    const double forced = medianMs(rounds, Menu::remove, Menu::init);
    int items = 0;
    for (QDirIterator it(StartMenuUtils::menuDir(), {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next()) {
        ++items;
    }
    const double unchanged = medianMs(
        rounds,
        [] {},
        [] {
            Menu::generate(false);
        });

    std::printf("%d desktop files in %s, %d items written, median of %d rounds\n", files, qPrintable(applications), items, rounds);
    std::printf("forced generation into an empty tree  %8.1f ms  (%.1f us a file)\n", forced, forced * 1000.0 / files);
    std::printf("regeneration with nothing changed     %8.1f ms  (%.1f us a file)\n", unchanged, unchanged * 1000.0 / files);
    return 0;
}

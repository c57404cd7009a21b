/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// Measures the search: building the index (applications and classic settings items) over a folder
// of desktop files plus the shipped data, and answering queries end to end with ServiceFinder.
// Usage: searchbench [applications folder] [rounds] [query...]; the folder defaults to the corpus
// that make-corpus.sh builds.

#include <NimbStartMenu/indexer.h>
#include <NimbStartMenu/indexingrunner.h>
#include <NimbStartMenu/menu.h>
#include <NimbStartMenu/servicefinder.h>
#include <NimbStartMenu/startmenuutils.h>

#include <KRunner/RunnerContext>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
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
    QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug=false"));
    const QStringList arguments = app.arguments();
    const QString applications = QDir(arguments.value(1, QStringLiteral("/tmp/nimb-corpus-dev/real/applications"))).absolutePath();
    const int rounds = std::max(1, arguments.value(2, QStringLiteral("15")).toInt());
    QStringList queries = arguments.mid(3);
    if (queries.isEmpty()) {
        queries = QStringList{QStringLiteral("f"),
                              QStringLiteral("te"),
                              QStringLiteral("text editor"),
                              QStringLiteral("media player"),
                              QStringLiteral("calc"),
                              QStringLiteral("system settings"),
                              QStringLiteral("reboot"),
                              QStringLiteral("xyzzy")};
    }

    QTemporaryDir scratch;
    const QString root = scratch.path() + QStringLiteral("/root");
    const QString home = scratch.path() + QStringLiteral("/home");
    QDir().mkpath(root + QStringLiteral("/usr/share"));
    QDir().mkpath(home + QStringLiteral("/.nimb"));
    QFile::link(applications, root + QStringLiteral("/usr/share/applications"));
    QFile::link(QStringLiteral(NIMBSTARTMENU_SYSTEMROOT_DATA_DIR "/usr/share/nimb-start-menu"), root + QStringLiteral("/usr/share/nimb-start-menu"));
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_DATA_DIRS", "/usr/share");
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toUtf8());
    StartMenuUtils::setSystemRoot(root);
    Menu::init();

    const QJsonObject metaData{{QStringLiteral("KPlugin"), QJsonObject{{QStringLiteral("Id"), QStringLiteral("searchbench")}}}};
    IndexingRunner runner(nullptr, KPluginMetaData(metaData, QString()), QVariantList());
    Indexer &indexer = runner.indexer();
    const double indexing = medianMs(
        rounds,
        [&indexer] {
            indexer.clear();
        },
        [&indexer] {
            indexer.indexApplications();
            indexer.indexClassicSettings();
        });
    std::printf("%s, median of %d rounds\n", qPrintable(applications), rounds);
    std::printf("index applications and classic settings  %8.2f ms  (%d records for \"desktop\")\n",
                indexing,
                int(indexer.find(QStringLiteral("desktop")).size()));

    for (const QString &query : qAsConst(queries)) {
        int matches = 0;
        const double answer = medianMs(
            rounds * 4,
            [] {},
            [&] {
                Plasma::RunnerContext context;
                context.setQuery(query);
                ServiceFinder finder(&runner);
                finder.match(context);
                matches = context.matches().size();
            });
        std::printf("query %-18s %8.3f ms  %5d matches\n", qPrintable(QLatin1Char('"') + query + QLatin1Char('"')), answer, matches);
    }
    return 0;
}

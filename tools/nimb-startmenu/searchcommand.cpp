/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// "search QUERY...": the start menu's search, end to end.

#include "cli.h"

#include <NimbStartMenu/indexer.h>
#include <NimbStartMenu/indexingrunner.h>
#include <NimbStartMenu/menu.h>
#include <NimbStartMenu/servicefinder.h>

#include <KRunner/RunnerContext>

#include <QElapsedTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace
{
QString typeName(Plasma::QueryMatch::Type type)
{
    switch (type) {
    case Plasma::QueryMatch::ExactMatch:
        return QStringLiteral("exact");
    case Plasma::QueryMatch::PossibleMatch:
        return QStringLiteral("possible");
    case Plasma::QueryMatch::HelperMatch:
        return QStringLiteral("helper");
    case Plasma::QueryMatch::CompletionMatch:
        return QStringLiteral("completion");
    default:
        return QString::number(int(type));
    }
}

QString dataText(const QVariant &data)
{
    return data.canConvert<QUrl>() && data.userType() == QMetaType::QUrl ? data.toUrl().toString() : data.toString();
}

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}
}

namespace Commands
{
int search(const Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("query"), QStringLiteral("What to search for."), QStringLiteral("QUERY..."));
    parser.addOption({QStringLiteral("limit"), QStringLiteral("Print at most N matches (default: all)."), QStringLiteral("N")});
    if (!Cli::parse(parser, invocation, QStringLiteral("Searches applications and settings as the start menu does."))) {
        return Cli::UsageError;
    }
    const QString query = parser.positionalArguments().join(QLatin1Char(' '));
    if (query.trimmed().isEmpty()) {
        return Cli::usageError(parser, QStringLiteral("search needs a query"));
    }
    int limit = -1;
    if (parser.isSet(QStringLiteral("limit"))) {
        bool ok = false;
        limit = parser.value(QStringLiteral("limit")).toInt(&ok);
        if (!ok || limit < 0) {
            return Cli::usageError(parser, QStringLiteral("--limit needs a number of 0 or more"));
        }
    }

    Cli::prepareHome();
    Menu::update();
    if (!Menu::exists()) {
        // The application folders are indexed all the same; only the tree's items are missing.
        std::fprintf(stderr, "nimb-startmenu: warning: %s; searching the application folders only\n", qPrintable(Cli::menuTreeProblem()));
    }

    const QJsonObject metaData{{QStringLiteral("KPlugin"), QJsonObject{{QStringLiteral("Id"), QStringLiteral("nimb-startmenu")}}}};
    IndexingRunner runner(nullptr, KPluginMetaData(metaData, QString()), QVariantList());
    QElapsedTimer timer;
    timer.start();
    runner.indexer().indexApplications();
    runner.indexer().indexSettings();
    const double indexingMs = milliseconds(timer);

    Plasma::RunnerContext context;
    context.setQuery(query);
    timer.start();
    ServiceFinder finder(&runner);
    finder.match(context);
    const double queryMs = milliseconds(timer);

    QList<Plasma::QueryMatch> matches = context.matches();
    std::stable_sort(matches.begin(), matches.end(), [](const Plasma::QueryMatch &a, const Plasma::QueryMatch &b) {
        return a.relevance() > b.relevance();
    });
    const int shown = limit < 0 ? matches.size() : std::min(limit, int(matches.size()));

    if (invocation.json) {
        QJsonArray list;
        for (int i = 0; i < shown; ++i) {
            const Plasma::QueryMatch &match = matches.at(i);
            list.append(QJsonObject{
                {QStringLiteral("relevance"), match.relevance()},
                {QStringLiteral("type"), typeName(match.type())},
                {QStringLiteral("text"), match.text()},
                {QStringLiteral("subtext"), match.subtext()},
                {QStringLiteral("data"), dataText(match.data())},
                {QStringLiteral("icon"), match.iconName()},
            });
        }
        Cli::printJson(QJsonObject{
            {QStringLiteral("query"), query},
            {QStringLiteral("matches"), list},
            {QStringLiteral("count"), matches.size()},
            {QStringLiteral("indexingMs"), indexingMs},
            {QStringLiteral("queryMs"), queryMs},
        });
        return Cli::Success;
    }
    for (int i = 0; i < shown; ++i) {
        const Plasma::QueryMatch &match = matches.at(i);
        Cli::print(QStringLiteral("%1  %2  %3").arg(match.relevance(), 0, 'f', 5).arg(typeName(match.type()), -8).arg(match.text()));
        Cli::print(QStringLiteral("         %1").arg(match.subtext()));
        Cli::print(QStringLiteral("         %1").arg(dataText(match.data())));
    }
    Cli::print(
        QStringLiteral("%1 matches for \"%2\"; indexing %3 ms, query %4 ms").arg(matches.size()).arg(query).arg(indexingMs, 0, 'f', 1).arg(queryMs, 0, 'f', 2));
    return Cli::Success;
}
}

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
#include <NimbStartMenu/settingsmap.h>
#include <NimbStartMenu/startmenuutils.h>

// The intake of desktop files the index uses, to tell a settings item from an application.
#include "applicationsource_p.h"
#include "treeformat_p.h"

#include <KRunner/RunnerContext>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

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

// What a match is, as a person tells the items of the start menu apart, and the name of its file or
// module.
struct Found {
    QString kind;
    QString id;
};

Found describe(const Plasma::QueryMatch &match, const ApplicationSource &source)
{
    const QString data = dataText(match.data());
    const QString module = QStringLiteral("kcm://");
    if (data.startsWith(module)) {
        return {QStringLiteral("settings module"), data.mid(module.size())};
    }
    const QString path = match.subtext();
    const QString id = QFileInfo(path).fileName();
    if (path.startsWith(StartMenuUtils::systemPath(TreeFormat::actionsFolder) + QLatin1Char('/'))) {
        return {QStringLiteral("power action"), id};
    }
    const ApplicationSource::Kind kind = source.read(path).kind;
    const bool settingsItem = kind == ApplicationSource::Kind::ClassicSettings || kind == ApplicationSource::Kind::SettingsApplication;
    return {settingsItem ? QStringLiteral("settings item") : QStringLiteral("application"), id};
}

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}
}

namespace Commands
{
int search(Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("query"), QStringLiteral("What to search for."), QStringLiteral("QUERY..."));
    parser.addOption({QStringLiteral("limit"), QStringLiteral("Print at most N matches (default: all)."), QStringLiteral("N")});
    if (const auto exit = Cli::parse(parser,
                                     invocation,
                                     QStringLiteral("Searches applications and settings as the start menu does, and prints one line a match: its "
                                                    "rank, name, kind (application, settings module, settings item, power action) and desktop id. "
                                                    "--verbose adds the relevance and the path."))) {
        return *exit;
    }
    const QString query = Cli::positionalArguments(parser).join(QLatin1Char(' '));
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
        Cli::warning(Cli::menuTreeProblem() + QStringLiteral("; searching the application folders only"));
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

    const ApplicationSource source(ApplicationSource::Overrides::First, SettingsMap::loadSettingsMap());
    QJsonArray list;
    for (int i = 0; i < shown; ++i) {
        const Plasma::QueryMatch &match = matches.at(i);
        const Found found = describe(match, source);
        list.append(QJsonObject{
            {QStringLiteral("rank"), i + 1},
            {QStringLiteral("name"), match.text()},
            {QStringLiteral("kind"), found.kind},
            {QStringLiteral("desktopId"), found.id},
            {QStringLiteral("relevance"), match.relevance()},
            {QStringLiteral("type"), typeName(match.type())},
            {QStringLiteral("text"), match.text()},
            {QStringLiteral("subtext"), match.subtext()},
            {QStringLiteral("data"), dataText(match.data())},
            {QStringLiteral("icon"), match.iconName()},
        });
    }
    if (invocation.json) {
        Cli::printJson(QJsonObject{
            {QStringLiteral("query"), query},
            {QStringLiteral("matches"), list},
            {QStringLiteral("count"), matches.size()},
            {QStringLiteral("indexingMs"), indexingMs},
            {QStringLiteral("queryMs"), queryMs},
        });
        return Cli::Success;
    }

    int nameWidth = 0;
    int kindWidth = 0;
    for (const auto &value : qAsConst(list)) {
        nameWidth = std::max(nameWidth, int(Cli::escaped(value[QStringLiteral("name")].toString()).size()));
        kindWidth = std::max(kindWidth, int(value[QStringLiteral("kind")].toString().size()));
    }
    const int rankWidth = int(QString::number(shown).size());
    for (const auto &value : qAsConst(list)) {
        const QJsonObject match = value.toObject();
        QString line = QStringLiteral("%1  %2  %3  %4")
                           .arg(match[QStringLiteral("rank")].toInt(), rankWidth)
                           .arg(Cli::escaped(match[QStringLiteral("name")].toString()), -nameWidth)
                           .arg(match[QStringLiteral("kind")].toString(), -kindWidth)
                           .arg(Cli::escaped(match[QStringLiteral("desktopId")].toString()));
        if (invocation.verbose) {
            line += QStringLiteral("  %1  %2")
                        .arg(match[QStringLiteral("relevance")].toDouble(), 0, 'f', 5)
                        .arg(Cli::escaped(match[QStringLiteral("subtext")].toString()));
        }
        Cli::print(line.trimmed());
    }
    QString summary = QStringLiteral("%1 for \"%2\"").arg(Cli::count(matches.size(), QStringLiteral("match"), QStringLiteral("matches")), Cli::escaped(query));
    if (shown < matches.size()) {
        summary += QStringLiteral(", %1 shown").arg(shown);
    }
    if (invocation.verbose) {
        summary += QStringLiteral("; indexing %1 ms, query %2 ms").arg(indexingMs, 0, 'f', 1).arg(queryMs, 0, 'f', 2);
    }
    Cli::print(summary);
    return Cli::Success;
}
}

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// "files status | enable | disable | suspend | resume | purge" and
// "files folders [add | include | exclude | remove PATH]": the file indexer behind file search.

#include "cli.h"

#include <NimbStartMenu/balooctl.h>
#include <NimbStartMenu/baloomonitor.h>
#include <NimbStartMenu/baloosettings.h>
#include <NimbStartMenu/foldertablemodel.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <functional>
#include <vector>

namespace
{
// How long the status waits for the indexer's monitor to hear from the indexer.
constexpr int monitorWaitMs = 1500;

struct ServiceAction {
    QString name;
    QString done;
    std::function<void(BalooCtl &)> run;
};

const std::vector<ServiceAction> &serviceActions()
{
    static const std::vector<ServiceAction> actions{
        {QStringLiteral("enable"), QStringLiteral("enabled file indexing"), &BalooCtl::enable},
        {QStringLiteral("disable"), QStringLiteral("disabled file indexing"), &BalooCtl::disable},
        {QStringLiteral("suspend"), QStringLiteral("suspended file indexing"), &BalooCtl::suspend},
        {QStringLiteral("resume"), QStringLiteral("resumed file indexing"), &BalooCtl::resume},
        {QStringLiteral("purge"), QStringLiteral("purged the file index"), &BalooCtl::purge},
    };
    return actions;
}

bool hasBalooctl()
{
    return !QStandardPaths::findExecutable(QStringLiteral("balooctl")).isEmpty();
}

int status(Cli::Invocation &invocation)
{
    if (!hasBalooctl()) {
        return Cli::failure(QStringLiteral("the file indexer's tool balooctl is not installed (not found on PATH)"));
    }
    BalooCtl control;
    const int progress = control.progress();

    // The monitor learns the indexer's state over D-Bus; give it a moment to hear.
    BalooMonitor monitor;
    QEventLoop loop;
    QTimer::singleShot(monitorWaitMs, &loop, &QEventLoop::quit);
    QObject::connect(&monitor, &BalooMonitor::balooStateChanged, &loop, &QEventLoop::quit);
    QObject::connect(&monitor, &BalooMonitor::totalFilesChanged, &loop, &QEventLoop::quit);
    if (!monitor.balooRunning()) {
        loop.exec();
    }

    const QJsonObject result{
        {QStringLiteral("running"), monitor.balooRunning()},
        {QStringLiteral("state"), monitor.stateString()},
        {QStringLiteral("indexing"), monitor.currentlyIndexing()},
        {QStringLiteral("filesIndexed"), double(monitor.filesIndexed())},
        {QStringLiteral("totalFiles"), double(monitor.totalFiles())},
        {QStringLiteral("completion"), monitor.completionPercentage()},
        {QStringLiteral("remainingTime"), monitor.remainingTime()},
        {QStringLiteral("progress"), progress},
    };
    if (invocation.json) {
        Cli::printJson(result);
        return Cli::Success;
    }
    if (!monitor.balooRunning()) {
        // Its counts and progress are then only the neutral answers of a tool that got none.
        Cli::print(QStringLiteral("the file indexer is not running"));
        return Cli::Success;
    }
    Cli::print(QStringLiteral("indexer running:  yes"));
    Cli::print(QStringLiteral("state:            %1").arg(Cli::escaped(monitor.stateString())));
    Cli::print(QStringLiteral("files indexed:    %1 of %2 (%3 %)").arg(monitor.filesIndexed()).arg(monitor.totalFiles()).arg(monitor.completionPercentage()));
    if (!monitor.remainingTime().isEmpty()) {
        Cli::print(QStringLiteral("remaining time:   %1").arg(Cli::escaped(monitor.remainingTime())));
    }
    Cli::print(QStringLiteral("progress:         %1 %").arg(progress));
    return Cli::Success;
}

int serviceAction(Cli::Invocation &invocation, const ServiceAction &action)
{
    if (!hasBalooctl()) {
        return Cli::failure(QStringLiteral("the file indexer's tool balooctl is not installed (not found on PATH)"));
    }
    BalooCtl control;
    action.run(control);
    if (invocation.json) {
        Cli::printJson(QJsonObject{{QStringLiteral("action"), action.name}});
    } else {
        Cli::print(action.done);
    }
    return Cli::Success;
}

QString absoluteFolder(const QString &path)
{
    return FolderTableModel::normalizeTrailingSlashes(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
}

int folders(Cli::Invocation &invocation, const QCommandLineParser &parser, const QStringList &arguments)
{
    BalooSettings settings;
    FolderTableModel model;
    model.load(settings.folders(), settings.excludedFolders());

    if (!arguments.isEmpty()) {
        static const QStringList edits{QStringLiteral("add"), QStringLiteral("include"), QStringLiteral("exclude"), QStringLiteral("remove")};
        if (arguments.size() != 2 || !edits.contains(arguments.first())) {
            return Cli::usageError(parser, QStringLiteral("files folders takes nothing, or add, include, exclude or remove with a folder"));
        }
        const QString &edit = arguments.first();
        const QString folder = absoluteFolder(arguments.at(1));
        bool known = false;
        for (int row = 0; row < model.rowCount() && !known; ++row) {
            known = model.folderAtIndex(model.index(row, 0)) == folder;
        }
        if (edit == QLatin1String("add") || (!known && edit != QLatin1String("remove"))) {
            model.add(folder, edit != QLatin1String("exclude"));
        } else if (edit == QLatin1String("include")) {
            model.include(folder);
        } else if (edit == QLatin1String("exclude")) {
            model.exclude(folder);
        } else if (!known) {
            return Cli::usageError(parser, QStringLiteral("%1 is not among the indexer's folders").arg(folder));
        } else {
            model.remove(folder);
        }
        if (model.needSave()) {
            model.save(settings);
            settings.save();
            BalooCtl().updateConfig();
        }
    }

    QStringList folders;
    for (int row = 0; row < model.rowCount(); ++row) {
        folders.append(model.folderAtIndex(model.index(row, 0)));
    }
    folders.sort();
    QJsonArray rows;
    for (const QString &folder : qAsConst(folders)) {
        const bool exists = QFileInfo(folder).isDir();
        rows.append(QJsonObject{
            {QStringLiteral("folder"), folder},
            {QStringLiteral("name"), model.name(folder)},
            {QStringLiteral("included"), model.isIncluded(folder)},
            {QStringLiteral("exists"), exists},
        });
        if (!exists) {
            Cli::warning(QStringLiteral("the folder %1 does not exist").arg(Cli::escaped(folder)));
        }
    }
    if (invocation.json) {
        Cli::printJson(QJsonObject{{QStringLiteral("folders"), rows}});
        return Cli::Success;
    }
    // The home folder as a shell writes it.
    const QString home = FolderTableModel::normalizeTrailingSlashes(QDir::homePath());
    for (const auto &value : qAsConst(rows)) {
        const QJsonObject row = value.toObject();
        QString folder = row.value(QStringLiteral("folder")).toString();
        if (folder.startsWith(home)) {
            folder.replace(0, home.size(), QStringLiteral("~/"));
        }
        Cli::print(QStringLiteral("%1  %2").arg(row.value(QStringLiteral("included")).toBool() ? QStringLiteral("indexed    ") : QStringLiteral("not indexed"),
                                                Cli::escaped(folder)));
    }
    return Cli::Success;
}
}

namespace Commands
{
int files(Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("action"),
                                 QStringLiteral("status: the indexer's state and progress; enable, disable, suspend, resume, purge: tell the indexer; "
                                                "folders: the folders it indexes, or add/include/exclude/remove one and tell the indexer."),
                                 QStringLiteral("status|enable|disable|suspend|resume|purge|folders [add|include|exclude|remove PATH]"));
    if (const auto exit = Cli::parse(parser,
                                     invocation,
                                     QStringLiteral("The file indexer behind file search.\n"
                                                    "Exit status 1: the indexer's tool balooctl is not installed."))) {
        return *exit;
    }
    QStringList arguments = Cli::positionalArguments(parser);
    if (arguments.isEmpty()) {
        return Cli::usageError(parser, QStringLiteral("files needs an action"));
    }
    const QString action = arguments.takeFirst();
    if (action == QLatin1String("folders")) {
        return folders(invocation, parser, arguments);
    }
    if (!arguments.isEmpty()) {
        return Cli::usageError(parser, QStringLiteral("files %1 takes no arguments").arg(action));
    }
    if (action == QLatin1String("status")) {
        return status(invocation);
    }
    for (const ServiceAction &serviceAction : serviceActions()) {
        if (serviceAction.name == action) {
            return ::serviceAction(invocation, serviceAction);
        }
    }
    return Cli::usageError(parser, QStringLiteral("unknown files action \"%1\"").arg(action));
}
}

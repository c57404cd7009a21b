/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// "watch": follows the menu's watcher until interrupted.

#include "cli.h"

#include <NimbStartMenu/menu.h>
#include <NimbStartMenu/startmenuutils.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{
int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop reads the pipe and quits.
void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}
}

namespace Commands
{
int watch(Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    if (const auto exit = Cli::parse(parser,
                                     invocation,
                                     QStringLiteral("Brings the menu tree up to date, then follows the application folders until interrupted, and "
                                                    "prints one line for each update that adds applications (with --verbose, for every update; "
                                                    "with --json, one JSON object a line).\n"
                                                    "Exit status 1: the menu tree cannot be built (the message says why)."))) {
        return *exit;
    }
    if (!Cli::positionalArguments(parser).isEmpty()) {
        return Cli::usageError(parser, QStringLiteral("watch takes no arguments"));
    }

    if (::pipe2(signalPipe, O_CLOEXEC) != 0) {
        return Cli::failure(QStringLiteral("cannot set up signal handling"));
    }
    QSocketNotifier interrupted(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&interrupted, &QSocketNotifier::activated, QCoreApplication::instance(), &QCoreApplication::quit);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    Cli::prepareHome();
    Menu *menu = Menu::instance();
    QSet<QString> before;
    QObject::connect(menu, &Menu::updateStarted, menu, [&before] {
        before = Cli::menuItems();
    });
    QObject::connect(menu, &Menu::updateFinished, menu, [&before, &invocation] {
        if (!Menu::exists()) {
            // As "menu update" says it; the folders are not worth following without a tree.
            Cli::failure(Cli::menuTreeProblem());
            QCoreApplication::exit(Cli::Failure);
            return;
        }
        const QJsonArray added = Cli::addedItems(before, Cli::menuItems());
        if (added.isEmpty() && !invocation.verbose) {
            return;
        }
        // With the offset from UTC, so that the time reads the same anywhere.
        const QDateTime now = QDateTime::currentDateTime();
        const QString time = now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate);
        if (invocation.json) {
            const QJsonObject line{{QStringLiteral("time"), time}, {QStringLiteral("added"), added}};
            Cli::print(QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)));
            return;
        }
        const QStringList names = Cli::describeAdded(added);
        Cli::print(
            QStringLiteral("%1 %2").arg(time, names.isEmpty() ? QStringLiteral("nothing added") : QStringLiteral("added ") + names.join(QStringLiteral(", "))));
    });

    if (!invocation.json) {
        Cli::print(QStringLiteral("watching the application folders for %1 (Ctrl+C ends)").arg(Cli::escaped(StartMenuUtils::menuDir())));
    }
    menu->updateMenu();
    if (!Menu::exists()) {
        return Cli::Failure; // the update's line said why
    }
    return QCoreApplication::exec();
}
}

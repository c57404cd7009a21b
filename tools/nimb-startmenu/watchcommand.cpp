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
int watch(const Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    if (!Cli::parse(parser,
                    invocation,
                    QStringLiteral("Brings the menu tree up to date, then follows the application folders and prints one line per update "
                                   "until interrupted (with --json, one JSON object per line)."))) {
        return Cli::UsageError;
    }
    if (!parser.positionalArguments().isEmpty()) {
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
            Cli::failure(Cli::menuTreeProblem());
            return;
        }
        const QJsonArray added = Cli::addedItems(before, Cli::menuItems());
        const QString time = QDateTime::currentDateTime().toString(Qt::ISODate);
        if (invocation.json) {
            const QJsonObject line{{QStringLiteral("time"), time}, {QStringLiteral("added"), added}};
            Cli::print(QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)));
            return;
        }
        const QStringList names = Cli::describeAdded(added);
        Cli::print(QStringLiteral("%1 update: %2")
                       .arg(time, names.isEmpty() ? QStringLiteral("nothing added") : QStringLiteral("added ") + names.join(QStringLiteral(", "))));
    });

    if (!invocation.json) {
        Cli::print(QStringLiteral("watching the application folders for %1 (Ctrl+C ends)").arg(StartMenuUtils::menuDir()));
    }
    menu->updateMenu();
    if (!Menu::exists()) {
        return Cli::Failure; // the update's line said why
    }
    return QCoreApplication::exec();
}
}

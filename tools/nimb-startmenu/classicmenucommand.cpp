/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// "classic-menu [on|off]": the window manager's classic menu in place of the start menu.

#include "cli.h"

#include <NimbStartMenu/startmenuutils.h>

#include <QStandardPaths>

namespace
{
int report(Cli::Invocation &invocation, bool enabled)
{
    if (invocation.json) {
        Cli::printJson(QJsonObject{{QStringLiteral("classicMenu"), enabled}});
    } else {
        Cli::print(QStringLiteral("classic menu: %1").arg(enabled ? QStringLiteral("on") : QStringLiteral("off")));
    }
    return Cli::Success;
}
}

namespace Commands
{
int classicMenu(Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("state"),
                                 QStringLiteral("Switch the classic menu on or off; without it, print its state."),
                                 QStringLiteral("[on|off]"));
    if (const auto exit = Cli::parse(parser,
                                     invocation,
                                     QStringLiteral("Whether the window manager shows its classic menu instead of the start menu.\n"
                                                    "Exit status 1: the window manager's tool nimb-wmfunc is missing or does not switch."))) {
        return *exit;
    }
    const QStringList arguments = Cli::positionalArguments(parser);
    if (arguments.isEmpty()) {
        return report(invocation, StartMenuUtils::isClassicMenuEnabled());
    }
    if (arguments.size() > 1 || (arguments.first() != QLatin1String("on") && arguments.first() != QLatin1String("off"))) {
        return Cli::usageError(parser, QStringLiteral("classic-menu takes nothing, \"on\" or \"off\""));
    }
    // The library's switch reports nothing, so the tool checks what it depends on.
    if (QStandardPaths::findExecutable(QStringLiteral("nimb-wmfunc")).isEmpty()) {
        return Cli::failure(QStringLiteral("the window manager's tool nimb-wmfunc is not installed (not found on PATH)"));
    }
    const bool enable = arguments.first() == QLatin1String("on");
    StartMenuUtils::enableClassicMenu(enable);
    if (StartMenuUtils::isClassicMenuEnabled() != enable) {
        return Cli::failure(QStringLiteral("nimb-wmfunc did not switch the classic menu %1").arg(arguments.first()));
    }
    return report(invocation, enable);
}
}

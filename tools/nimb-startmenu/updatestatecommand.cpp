/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// "update-state [activate]": the operating system's update state.

#include "cli.h"

#include <NimbStartMenu/startmenuutils.h>
#include <NimbStartMenu/updatemode.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace
{
const QString updateService = QStringLiteral("quorvex.nimb.talvoupdateservice");

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}
}

namespace Commands
{
int updateState(Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("activate"),
                                 QStringLiteral("Ask the update service to activate the available update."),
                                 QStringLiteral("[activate]"));
    if (const auto exit = Cli::parse(parser,
                                     invocation,
                                     QStringLiteral("The operating system's update state and the power icon that goes with it.\n"
                                                    "Exit status 1: activate finds no system bus or no update service."))) {
        return *exit;
    }
    const QStringList arguments = Cli::positionalArguments(parser);
    if (arguments.size() > 1 || (arguments.size() == 1 && arguments.first() != QLatin1String("activate"))) {
        return Cli::usageError(parser, QStringLiteral("update-state takes nothing or \"activate\""));
    }

    if (!arguments.isEmpty()) {
        // The library's call reports nothing, so the tool says itself what is missing.
        const QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected()) {
            return Cli::failure(QStringLiteral("there is no D-Bus system bus to reach the update service"));
        }
        if (!bus.interface()->isServiceRegistered(updateService)) {
            return Cli::failure(QStringLiteral("the update service %1 is not running").arg(updateService));
        }
        StartMenuUtils::activateAvailableUpdate();
        if (!invocation.json) {
            Cli::print(QStringLiteral("asked the update service to activate the available update"));
        }
    }

    const UpdateMode *mode = UpdateMode::instance();
    if (invocation.json) {
        Cli::printJson(QJsonObject{
            {QStringLiteral("updateAvailable"), mode->isUpdateAvailable()},
            {QStringLiteral("updateActive"), mode->isUpdateActive()},
            {QStringLiteral("icon"), mode->icon()},
            {QStringLiteral("minorUpdateAvailable"), StartMenuUtils::isMinorUpdateAvailable()},
            {QStringLiteral("majorUpdateAvailable"), StartMenuUtils::isMajorUpdateAvailable()},
            {QStringLiteral("minorUpdateActive"), StartMenuUtils::isMinorUpdateActive()},
            {QStringLiteral("majorUpdateActive"), StartMenuUtils::isMajorUpdateActive()},
            {QStringLiteral("activationRequested"), !arguments.isEmpty()},
        });
        return Cli::Success;
    }
    const QString kind = StartMenuUtils::isMajorUpdateAvailable() || StartMenuUtils::isMajorUpdateActive() ? QStringLiteral(" (major)")
        : mode->isUpdateAvailable() || mode->isUpdateActive()                                              ? QStringLiteral(" (minor)")
                                                                                                           : QString();
    Cli::print(QStringLiteral("update available:       %1%2").arg(yesNo(mode->isUpdateAvailable()), mode->isUpdateAvailable() ? kind : QString()));
    Cli::print(QStringLiteral("update being activated: %1%2").arg(yesNo(mode->isUpdateActive()), mode->isUpdateActive() ? kind : QString()));
    Cli::print(QStringLiteral("power icon:             %1").arg(mode->icon()));
    return Cli::Success;
}
}

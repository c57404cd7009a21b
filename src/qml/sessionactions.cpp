/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "sessionactions.h"

#include "launcher.h"
#include "treeformat_p.h"

#include <NimbStartMenu/startmenuutils.h>
#include <NimbStartMenu/updatemode.h>

SessionActions::SessionActions(QObject *parent)
    : QObject(parent)
{
}

bool SessionActions::classicMenuEnabled() const
{
    return StartMenuUtils::isClassicMenuEnabled();
}

void SessionActions::setClassicMenuEnabled(bool enabled)
{
    StartMenuUtils::enableClassicMenu(enabled);
    // Also when the tool failed: a view that showed the wish then shows the state again.
    Q_EMIT classicMenuEnabledChanged();
}

void SessionActions::restart()
{
    run(QStringLiteral("reboot"));
}

void SessionActions::shutDown()
{
    run(QStringLiteral("shutdown"));
}

QString SessionActions::actionFile(const QString &action) const
{
    const UpdateMode *mode = UpdateMode::instance();
    const QString suffix = mode->isUpdateActive() ? QStringLiteral("-update-activated")
        : mode->isUpdateAvailable()               ? QStringLiteral("-update-available")
                                                  : QString();
    return StartMenuUtils::systemPath(TreeFormat::actionsFolder + QLatin1Char('/') + action + suffix + QLatin1String(TreeFormat::desktopFileSuffix));
}

void SessionActions::run(const QString &action)
{
    StartMenuQml::launch(actionFile(action), this, [this, action](const QString &error) {
        Q_EMIT launchFailed(action, error);
    });
}

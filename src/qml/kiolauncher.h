/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_KIOLAUNCHER_H
#define NIMBSTARTMENU_QML_KIOLAUNCHER_H

#include "launcher.h"

/// Starts through KIO: ApplicationLauncherJob for a desktop file, CommandLauncherJob for a command.
class KioLauncher : public Launcher
{
public:
    void startApplication(const QString &desktopFile, QObject *context, const Failure &failed) override;
    void startCommand(const QString &program, const QStringList &arguments, QObject *context, const Failure &failed) override;
};

#endif

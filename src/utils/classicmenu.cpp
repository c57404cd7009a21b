/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "startmenuutils.h"

#include "nimbpaths.h"
#include "nimbsettings.h"

#include <QProcess>

namespace
{
const QString useStartButtonKey = QStringLiteral("UseStartButton");
const QString wmTool = QStringLiteral("nimb-wmfunc");
const QString updateValueCommand = QStringLiteral("NIMBWM_UPDATE_VAL");
constexpr int wmToolTimeoutMs = 30000;

QString themeSettingsFile()
{
    return QString::fromStdString(GetNimbDir(NimbDir::WindowManager)) + QStringLiteral("/current.themerc")
        + QString::fromStdString(nimbSessionConfigSuffix(WhatNimbSession::Desktop));
}
}

namespace StartMenuUtils
{
bool isClassicMenuEnabled()
{
    NimbSettings settings(themeSettingsFile());
    settings.sync(false);
    return settings.value(useStartButtonKey, QStringLiteral("false")).toBool();
}

void enableClassicMenu(bool enable)
{
    // Through the window manager's own tool, so that the running window manager applies the value.
    QProcess tool;
    tool.start(wmTool, {updateValueCommand, useStartButtonKey, enable ? QStringLiteral("true") : QStringLiteral("false")}, QIODevice::ReadWrite);
    tool.waitForFinished(wmToolTimeoutMs);
    // A tool still running when `tool` goes out of scope is killed.
}
}

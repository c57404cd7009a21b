/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_CONFIGFILE_P_H
#define NIMBSTARTMENU_CONFIGFILE_P_H

#include <QDir>
#include <QString>

// The preferences' file, which MenuSettings, SearchSettings and their readers share.
namespace ConfigFile
{
/// QDir::homePath() + "/.config/kolvatek", with the home folder of the moment.
inline QString preferencesFolder()
{
    return QDir::homePath() + QStringLiteral("/.config/kolvatek");
}

/// preferencesFolder() + "/nimb-start-menu.conf".
inline QString preferencesPath()
{
    return preferencesFolder() + QStringLiteral("/nimb-start-menu.conf");
}
}

#endif

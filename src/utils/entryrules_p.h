/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_ENTRYRULES_P_H
#define NIMBSTARTMENU_ENTRYRULES_P_H

#include "nimbdesktopentry.h"

#include <string>

// The rules the menu tree and the search index share about which desktop files they take.
namespace StartMenuUtils
{
// Whether a desktop file may be shown at all; one that is not is ignored wherever it is read.
inline bool isAccepted(const NimbDesktopEntry &entry)
{
    return entry.isLoaded() && entry.isValid() && entry.isSuitable(nullptr) && entry.isDisplayable(nullptr) && entry.isForNimb(nullptr);
}

// Whether a launcher only opens a settings module, which the settings tree offers already. The
// command is valid UTF-8, in which these ASCII words mean the same as in its decoded text.
inline bool isSettingsCommand(const std::string &command)
{
    return command.find("kcmshell") != std::string::npos || command.rfind("systemsettings", 0) == 0;
}
}

#endif

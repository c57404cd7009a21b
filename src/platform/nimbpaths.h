/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_NIMBPATHS_H
#define NIMBSTARTMENU_NIMBPATHS_H

#include "nimbstartmenu_export.h"

#include <string>
#include <vector>

/**
 * The well-known folders of the desktop environment, all below the user's home directory.
 */
enum class NimbDir : int {
    Base = 0, ///< "~/.nimb", the root of the desktop environment's own files
    Config = 1, ///< "~/.nimb/config", configuration of the desktop's components
    Cache = 2, ///< "~/.nimb/cache", data that can be rebuilt
    WindowManager = 3, ///< "~/.nimb/wm", the window manager's configuration and themes
};

/**
 * @return the path of @p dir (UTF-8, no trailing slash) below QDir::homePath(); the folder is not
 *         created
 */
NIMBSTARTMENU_EXPORT std::string GetNimbDir(NimbDir dir);

/**
 * The kinds of desktop session, each with configuration files of its own.
 */
enum class WhatNimbSession : int {
    Desktop = 0, ///< the normal session: plain file names
    Safe = 1, ///< the safe-mode session, which keeps its own files so a broken setup stays untouched
};

/**
 * @return the suffix appended, without separator, to the names of @p session's configuration
 *         files: "" for WhatNimbSession::Desktop, "-safe" for WhatNimbSession::Safe
 */
NIMBSTARTMENU_EXPORT std::string nimbSessionConfigSuffix(WhatNimbSession session);

/**
 * The folders that hold application desktop files, in the order in which they are read: each entry
 * of $XDG_DATA_DIRS (default "/usr/local/share:/usr/share") followed by "/applications", then
 * $XDG_DATA_HOME (default "~/.local/share") followed by "/applications", so that a user's own copy of
 * an entry is met after the system's.
 *
 * Relative entries, which the XDG Base Directory Specification declares invalid, are skipped, and a
 * folder named twice is listed once, however it is spelt ("/usr/share/", "/usr//share"). The system
 * folders lie below StartMenuUtils::systemRoot().
 *
 * @return the folders as clean UTF-8 paths (see QDir::cleanPath()), so without trailing slash
 */
NIMBSTARTMENU_EXPORT std::vector<std::string> GetAllAppDesktopEntrySearchPaths();

#endif

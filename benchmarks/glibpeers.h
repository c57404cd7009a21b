/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef STARTMENUBENCH_GLIBPEERS_H
#define STARTMENUBENCH_GLIBPEERS_H

#include <string>

/**
 * GIO's search of the installed applications, g_desktop_app_info_search(): the application folders
 * come from XDG_DATA_DIRS and XDG_DATA_HOME, and the first call builds the word index.
 *
 * @param elapsedMs receives the time of the call alone, without freeing its result
 * @return how many desktop ids the search returns for @p query, all groups together
 */
int gioSearch(const std::string &query, double &elapsedMs);

#endif

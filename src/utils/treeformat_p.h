/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_TREEFORMAT_P_H
#define NIMBSTARTMENU_TREEFORMAT_P_H

#include <QString>

// The vocabulary of the menu tree and of the system files it is made from. Fixed system paths are
// given as on a real system; StartMenuUtils::systemPath() puts them below the system root.
namespace TreeFormat
{
/// The template the menu tree starts from.
inline const QString templateTree = QStringLiteral("/usr/share/nimb-start-menu/startmenu");
/// The desktop's own launchers, which never join the menu or the index as applications.
inline const QString excludedApplicationFolder = QStringLiteral("/usr/share/applications/nimbdesktop");
/// Desktop-entry overrides: the menu applies both folders, in this order; the index the first only.
inline const QString firstOverrideFolder = QStringLiteral("/usr/share/nimb/desktop-entries-override");
inline const QString secondOverrideFolder = QStringLiteral("/usr/share/nimb-start-menu/overrides");
/// The power actions the index offers as settings items.
inline const QString actionsFolder = QStringLiteral("/usr/share/nimb-start-menu/actions");

/// In a category folder's declaration: the desktop-entry categories the folder collects.
constexpr const char *categoriesKey = "X-Categories";
/// In an item of the tree: the desktop file it was copied from.
constexpr const char *originKey = "X-Nimb-OriginFile";
/// In a desktop file: the settings group that makes it a classic settings item.
constexpr const char *yastGroupKey = "X-SuSE-YaST-Group";

constexpr const char *desktopFileSuffix = ".desktop";
constexpr const char *declarationFileSuffix = ".directory";
}

#endif

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_STARTMENUUTILS_H
#define NIMBSTARTMENU_STARTMENUUTILS_H

#include "nimbstartmenu_export.h"
#include "systemroot.h"

#include <QIcon>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class NimbDesktopEntry;

/**
 * The library's free functions: where things are, desktop-entry overrides, and the debug switch.
 * The system root (setSystemRoot(), systemRoot(), systemPath()) comes with them from systemroot.h.
 *
 * Functions that return lists of directories skip what they cannot read; none reports errors other
 * than through its result.
 */
namespace StartMenuUtils
{
/**
 * @return the canonical home directory of the user who ran sudo (named by SUDO_USER), or a null
 *         string when there is none, it has no account, or the home directory cannot be read
 */
NIMBSTARTMENU_EXPORT QString sudoUserHomeDir();

/**
 * @return the root of the generated menu tree, QDir::homePath() + "/.nimb/startmenu2", as computed
 *         on the first call
 */
NIMBSTARTMENU_EXPORT QString menuDir();

/**
 * Patches @p entry from the file named @p fileName in @p overrideDir, when there is one: its keys
 * replace the entry's (see NimbDesktopEntry::overrideFrom()).
 */
NIMBSTARTMENU_EXPORT void overrideDesktopEntry(NimbDesktopEntry &entry, const QString &fileName, const QString &overrideDir);

/**
 * @return the readable, non-hidden directories below @p root (symbolic links followed), in the order
 *         of the walk, @p root itself excluded; with @p topLevelOnly just the first level. Nothing
 *         inside a hidden directory is listed either.
 */
NIMBSTARTMENU_EXPORT QStringList subdirs(const QString &root, bool topLevelOnly);

/// subdirs() of each of @p roots, concatenated; duplicates are kept.
NIMBSTARTMENU_EXPORT QStringList subdirs(const QStringList &roots, bool topLevelOnly);

/// Decodes each element from UTF-8, in order.
NIMBSTARTMENU_EXPORT QStringList stdStringVectorToQStringList(const std::vector<std::string> &list);

/// Encodes each element as UTF-8, in order.
NIMBSTARTMENU_EXPORT std::vector<std::string> qStringListToStdStringVector(const QStringList &list);

/**
 * @return the folders searched for application desktop files, system ones first (see
 *         GetAllAppDesktopEntrySearchPaths()), as computed on the first call
 */
NIMBSTARTMENU_EXPORT QStringList appSearchPaths();

/**
 * @return each of appSearchPaths() preceded by its ancestors ("/usr", "/usr/share",
 *         "/usr/share/applications"), for watching; the home directory itself and "/" are left out,
 *         and a shared ancestor comes once per search path
 */
NIMBSTARTMENU_EXPORT QStringList appSearchPathsWithParents();

/**
 * @return every file and folder inside menuDir(), hidden ones included, menuDir() itself excluded;
 *         empty when the menu tree does not exist
 */
NIMBSTARTMENU_EXPORT QStringList menuPathsToWatch();

/// @return the first-level folders of every icon theme search path (the theme folders)
NIMBSTARTMENU_EXPORT QStringList iconDirsToWatch();

/// @return the roots of the administrator-defined categories: "/usr/share/applications/nimbstartmenu"
NIMBSTARTMENU_EXPORT QStringList userCategoriesSearchPaths();

/// @return every folder at any depth below userCategoriesSearchPaths(), computed afresh
NIMBSTARTMENU_EXPORT QStringList userCategoriesSearchPathsWithSubdirs();

/// @return what the menu watches to notice new or changed applications and categories
NIMBSTARTMENU_EXPORT QStringList appDirsToWatch();

/**
 * Saves the 32×32 pixmap of @p icon to @p filePath, in the format its suffix names. Needs a
 * QGuiApplication.
 *
 * @return whether the image was written
 */
NIMBSTARTMENU_EXPORT bool saveIconToFile(const QIcon &icon, const QString &filePath);

/**
 * Switches the debug log on or off for the whole process. On: debug messages of LOG_GENERAL() are
 * enabled and messageHandler() is installed, which copies every message to standard error and to
 * QDir::homePath() + "/.cache/nimb-start-menu/nimb-start-menu.log". Off: the category's debug
 * messages are disabled and Qt's default message handler is restored (not one installed before).
 */
NIMBSTARTMENU_EXPORT void enableDebug(bool enable);

/// @return whether a minor operating-system update is available (asked afresh)
NIMBSTARTMENU_EXPORT bool isMinorUpdateAvailable();
/// @return whether a major operating-system update is available (asked afresh)
NIMBSTARTMENU_EXPORT bool isMajorUpdateAvailable();
/// @return whether a minor or a major update is available
NIMBSTARTMENU_EXPORT bool isUpdateAvailable();
/// @return whether a minor update is being activated
NIMBSTARTMENU_EXPORT bool isMinorUpdateActive();
/// @return whether a major update is being activated
NIMBSTARTMENU_EXPORT bool isMajorUpdateActive();
/// @return whether a minor or a major update is being activated
NIMBSTARTMENU_EXPORT bool isUpdateActive();

/**
 * Asks the update service on the system bus to start activating the available update, and waits
 * for its answer while the GUI's events go on. An error or a missing service has no effect.
 */
NIMBSTARTMENU_EXPORT void activateAvailableUpdate();

/**
 * @return whether the window manager shows its classic menu behind the start button instead of the
 *         start menu: the value "UseStartButton" of GetNimbDir(NimbDir::WindowManager) +
 *         "/current.themerc" + nimbSessionConfigSuffix(WhatNimbSession::Desktop); false when the
 *         file or the value is missing
 */
NIMBSTARTMENU_EXPORT bool isClassicMenuEnabled();

/**
 * Switches between the classic menu (@p enable true) and the start menu, through the window
 * manager's tool "nimb-wmfunc" so that the running window manager follows. Blocks until the tool
 * ends, at most 30 seconds, after which it is killed; a missing or failing tool changes nothing.
 */
NIMBSTARTMENU_EXPORT void enableClassicMenu(bool enable);
}

#endif

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_SYSTEMROOT_H
#define NIMBSTARTMENU_SYSTEMROOT_H

#include "nimbstartmenu_export.h"

#include <QString>

// The process-wide system root, below which every fixed system path of the library lies. It sits
// with the platform layer, the lowest one, since the platform's stand-ins read system files too;
// startmenuutils.h offers it with the other StartMenuUtils functions.
namespace StartMenuUtils
{
/**
 * Moves every fixed system path of the library below @p root: "/usr/share/..." becomes
 * root + "/usr/share/...". Paths below the home directory are not affected.
 *
 * Call it before anything else of the library: the directory caches keep what they computed first.
 * A relative @p root is taken relative to the current directory; an empty one means "/".
 */
NIMBSTARTMENU_EXPORT void setSystemRoot(const QString &root);

/// @return the system root, "/" unless setSystemRoot() said otherwise; absolute and clean
NIMBSTARTMENU_EXPORT QString systemRoot();

/**
 * @param path an absolute system path such as "/usr/share/applications"
 * @return @p path below systemRoot(); a relative @p path is returned unchanged
 */
NIMBSTARTMENU_EXPORT QString systemPath(const QString &path);
}

#endif

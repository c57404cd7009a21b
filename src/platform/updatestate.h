/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_UPDATESTATE_H
#define NIMBSTARTMENU_UPDATESTATE_H

#include "nimbstartmenu_export.h"

#include <QString>

namespace TalvoUpdateState
{
/**
 * @class UpdateState updatestate.h <NimbStartMenu/updatestate.h>
 *
 * The operating system's update state, as the update service leaves it in its state files (below
 * StartMenuUtils::systemRoot()).
 */
class NIMBSTARTMENU_EXPORT UpdateState
{
public:
    /// Holds "available" or "activating" (white space around it ignored) for a minor update.
    static const QString MINOR_FILE;
    /// Holds a line "status: available" or "status: activating" for a major update.
    static const QString MAJOR_FILE;

    /**
     * Reads both files afresh.
     *
     * @return 4 when a major update is being activated, else 2 when a minor one is, else 3 when a
     *         major update is available, else 1 when a minor one is, else 0; a missing or unreadable
     *         file counts as no update
     */
    static int getCurrentState();
};
}

#endif

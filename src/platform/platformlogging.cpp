/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "platformlogging_p.h"

Q_LOGGING_CATEGORY(LOG_PLATFORM, "quorvex.nimb-start-menu")

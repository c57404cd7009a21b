/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_PLATFORMLOGGING_P_H
#define NIMBSTARTMENU_PLATFORMLOGGING_P_H

#include <QLoggingCategory>

// The platform layer's debug messages. The category has the name of the library's own
// (LOG_GENERAL, logging.h), so that the debug switch turns both on and off alike, while the layer
// depends on nothing above it.
Q_DECLARE_LOGGING_CATEGORY(LOG_PLATFORM)

#endif

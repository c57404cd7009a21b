/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_BALOOMONITOR_H
#define NIMBSTARTMENU_BALOOMONITOR_H

// PLACEHOLDER: being written.

#endif

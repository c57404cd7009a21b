/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_SEARCHSETTINGS_H
#define NIMBSTARTMENU_SEARCHSETTINGS_H

// PLACEHOLDER: being written.

#endif

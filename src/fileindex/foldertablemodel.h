/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_FOLDERTABLEMODEL_H
#define NIMBSTARTMENU_FOLDERTABLEMODEL_H

// PLACEHOLDER: being written.

#endif

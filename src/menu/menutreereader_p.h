/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_MENUTREEREADER_P_H
#define NIMBSTARTMENU_MENUTREEREADER_P_H

#include "entry.h"
#include "nimbstartmenu_export.h"

#include <QList>
#include <QString>

/**
 * Reads the on-disk menu tree back as the start menu shows it: one category node per folder, named
 * and drawn by the first declaration file in it that has a name (the folder's name and "folder"
 * otherwise), with the desktop files of the folder that load as its applications. Nothing is
 * ordered here; the readers of the tree order each level as they show it.
 */
class NIMBSTARTMENU_EXPORT MenuTreeReader
{
public:
    /// The categories below @p root, each with its applications as children, in no particular order.
    static QList<Entry> categories(const QString &root);
};

#endif

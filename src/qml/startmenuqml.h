/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_STARTMENUQML_H
#define NIMBSTARTMENU_QML_STARTMENUQML_H

namespace StartMenuQml
{
/**
 * Registers the types of the QML module under @p uri ("org.nimb.startmenu"), version 1.0:
 * MenuSettings, SearchSettings, BalooCtl, BalooMonitor and FolderTableModel, the models
 * CategoriesModel, ApplicationsModel and SearchModel, SessionActions (the power actions and the
 * classic-menu switch), and the singleton UpdateMode.
 */
void registerTypes(const char *uri);
}

#endif

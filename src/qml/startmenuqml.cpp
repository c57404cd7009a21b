/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "startmenuqml.h"

#include "applicationsmodel.h"
#include "categoriesmodel.h"
#include "qmlbalooctl.h"
#include "qmlbaloomonitor.h"
#include "qmlfoldertablemodel.h"
#include "qmlsearchsettings.h"
#include "searchmodel.h"
#include "sessionactions.h"

#include <NimbStartMenu/menusettings.h>
#include <NimbStartMenu/updatemode.h>

#include <QQmlEngine>

namespace StartMenuQml
{
void registerTypes(const char *uri)
{
    qmlRegisterType<MenuSettings>(uri, 1, 0, "MenuSettings");
    qmlRegisterType<QmlSearchSettings>(uri, 1, 0, "SearchSettings");
    qmlRegisterType<QmlBalooCtl>(uri, 1, 0, "BalooCtl");
    qmlRegisterType<QmlBalooMonitor>(uri, 1, 0, "BalooMonitor");
    qmlRegisterType<QmlFolderTableModel>(uri, 1, 0, "FolderTableModel");
    qmlRegisterType<CategoriesModel>(uri, 1, 0, "CategoriesModel");
    qmlRegisterType<ApplicationsModel>(uri, 1, 0, "ApplicationsModel");
    qmlRegisterType<SearchModel>(uri, 1, 0, "SearchModel");
    qmlRegisterType<SessionActions>(uri, 1, 0, "SessionActions");
    qmlRegisterSingletonType<UpdateMode>(uri, 1, 0, "UpdateMode", [](QQmlEngine *, QJSEngine *) -> QObject * {
        UpdateMode *mode = UpdateMode::instance();
        // The process owns the object: the engine must not delete it with itself.
        QQmlEngine::setObjectOwnership(mode, QQmlEngine::CppOwnership);
        return mode;
    });
}
}

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_KCMODULEITEM_P_H
#define NIMBSTARTMENU_KCMODULEITEM_P_H

#include "nimbstartmenu_export.h"

#include <KPluginMetaData>

#include <QString>
#include <QVector>

// Not installed. Exported for the tests only: getKCModuleTree() builds its tree once per process,
// for the system root of its first call, so the search itself is reached here for any root.
namespace ZDS
{
/**
 * The settings modules of the system whose root is @p systemRoot, in the order getKCModuleTree()
 * files them: those of "plasma/kcms/systemsettings", then those of
 * "plasma/kcms/systemsettings_qwidgets". Within a namespace a module id found twice is kept once, the
 * first found.
 *
 * Under "/" these are the plug-ins KPluginMetaData::findPlugins() finds in the namespaces below every
 * folder of QCoreApplication::libraryPaths(). Under any other root only folders below it are searched:
 * each library path below the root, then root + "/usr/lib/qt5/plugins" and every
 * root + "/usr/lib/<architecture>/qt5/plugins"; there both plug-in libraries and JSON metadata files
 * ("*.json", read with KPluginMetaData::fromJsonFile()) count as modules.
 */
NIMBSTARTMENU_EXPORT QVector<KPluginMetaData> findSettingsModules(const QString &systemRoot);
}

#endif

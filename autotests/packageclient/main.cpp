/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// A client of the installed package: every public header must compile on its own and link.
#include <NimbStartMenu/balooctl.h>
#include <NimbStartMenu/baloomonitor.h>
#include <NimbStartMenu/baloosettings.h>
#include <NimbStartMenu/entry.h>
#include <NimbStartMenu/fileinfo.h>
#include <NimbStartMenu/foldertablemodel.h>
#include <NimbStartMenu/indexer.h>
#include <NimbStartMenu/indexingrunner.h>
#include <NimbStartMenu/kcmoduleitem.h>
#include <NimbStartMenu/logging.h>
#include <NimbStartMenu/menu.h>
#include <NimbStartMenu/menusettings.h>
#include <NimbStartMenu/nimbdesktopentry.h>
#include <NimbStartMenu/nimbstartmenu_version.h>
#include <NimbStartMenu/searchsettings.h>
#include <NimbStartMenu/servicefinder.h>
#include <NimbStartMenu/settingsmap.h>
#include <NimbStartMenu/startmenuutils.h>
#include <NimbStartMenu/updatemode.h>
#include <NimbStartMenu/updatestate.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir root;
    StartMenuUtils::setSystemRoot(root.path());

    const NimbDesktopEntry missing(root.filePath(QStringLiteral("missing.desktop")).toStdString());
    const bool ok = !missing.isLoaded() && StartMenuUtils::systemRoot() == root.path() && !StartMenuUtils::appSearchPaths().isEmpty()
        && QString::fromLatin1(LOG_GENERAL().categoryName()) == QLatin1String("quorvex.nimb-start-menu") && GetNimbDir(NimbDir::WindowManager).size() > 0
        && !Menu::exists() && SettingsMap::loadSettingsMap().isEmpty() && !Entry().hasChildren() && Indexer().find(QStringLiteral("anything")).isEmpty()
        && TalvoUpdateState::UpdateState::getCurrentState() == 0 && SearchSettings() == SearchSettings() && MenuSettings().getTabs().size() == 6
        && FolderTableModel().columnCount() > 0 && BalooCtl::progressFromStatus(QString()) == 100;
    std::printf("package client: %s (library %s)\n", ok ? "ok" : "broken", NIMBSTARTMENU_VERSION_STRING);
    return ok ? 0 : 1;
}

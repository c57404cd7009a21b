/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "startmenuqml.h"

#include <QQmlExtensionPlugin>

class StartMenuQmlPlugin : public QQmlExtensionPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QQmlExtensionInterface_iid)

public:
    void registerTypes(const char *uri) override
    {
        StartMenuQml::registerTypes(uri);
    }
};

#include "startmenuplugin.moc"

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// A settings module as a machine installs one: a plug-in library that carries its JSON metadata.
// kcmoduleitemtest only reads the metadata; it never loads the library.

#include <QObject>

class KCModuleItemTestPlugin : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.kde.nimbstartmenu.KCModuleItemTest" FILE "kcmoduleitemtestplugin.json")
};

#include "kcmoduleitemtestplugin.moc"

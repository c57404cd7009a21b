/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "menutree.h"

#include "menutreereader_p.h"

#include <NimbStartMenu/menu.h>
#include <NimbStartMenu/startmenuutils.h>

#include <QDir>
#include <QSettings>

namespace
{
// The user's order of the menu's levels: a file of its own, so that the preferences' file, which
// two classes and possibly other writers share, gains no keys.
QString orderFile()
{
    return QDir::homePath() + QStringLiteral("/.config/kolvatek/nimb-start-menu-order.conf");
}
}

MenuTree::MenuTree()
{
    Menu *menu = Menu::instance();
    connect(menu, &Menu::updateFinished, this, &MenuTree::reload);
    menu->updateMenu();
}

MenuTree *MenuTree::instance()
{
    static MenuTree *tree = new MenuTree; // lives as long as Menu::instance(), which it follows
    return tree;
}

const QList<Entry> &MenuTree::categories() const
{
    return m_categories;
}

void MenuTree::reload()
{
    m_categories = MenuTreeReader::categories(StartMenuUtils::menuDir());
    Q_EMIT changed();
}

QStringList MenuTree::savedOrder(const QString &level)
{
    return QSettings(orderFile(), QSettings::IniFormat).value(level).toStringList();
}

void MenuTree::saveOrder(const QString &level, const QStringList &ids)
{
    QSettings(orderFile(), QSettings::IniFormat).setValue(level, ids);
}

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "menutree.h"

#include "treeformat_p.h"

#include <NimbStartMenu/menu.h>
#include <NimbStartMenu/nimbdesktopentry.h>
#include <NimbStartMenu/startmenuutils.h>

#include <QDir>
#include <QSettings>

namespace
{
QString text(const std::string &value)
{
    return QString::fromUtf8(value.c_str(), int(value.size()));
}

std::string localPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// The name filter for the files that end in @p suffix.
QStringList endingIn(const char *suffix)
{
    return {QLatin1Char('*') + QLatin1String(suffix)};
}

Entry readCategory(const QFileInfo &folder)
{
    Entry category;
    category.setIsCategory(true);
    category.setId(folder.fileName());
    category.setPath(folder.filePath());
    category.setName(folder.fileName());
    category.setIcon(QStringLiteral("folder"));
    const QDir dir(folder.filePath());
    for (const QFileInfo &declarationFile : dir.entryInfoList(endingIn(TreeFormat::declarationFileSuffix), QDir::Files | QDir::Hidden)) {
        const NimbDesktopEntry declaration(localPath(declarationFile.filePath()));
        if (declaration.isLoaded() && !declaration.localName().empty()) {
            category.setName(text(declaration.localName()));
            category.setIcon(text(declaration.localIconOrFallback()));
            category.setTooltip(text(declaration.localComment()));
            break;
        }
    }

    QList<Entry> applications;
    for (const QFileInfo &itemFile : dir.entryInfoList(endingIn(TreeFormat::desktopFileSuffix), QDir::Files)) {
        const NimbDesktopEntry item(localPath(itemFile.filePath()));
        if (!item.isLoaded()) {
            continue;
        }
        Entry application;
        application.setId(itemFile.fileName());
        application.setPath(itemFile.filePath());
        application.setName(item.localName().empty() ? itemFile.fileName() : text(item.localName()));
        application.setIcon(text(item.localIconOrFallback()));
        application.setTooltip(text(item.localComment()));
        application.setCategoryId(category.id());
        application.setCategoryName(category.name());
        applications.append(application);
    }
    category.setChildren(applications);
    return category;
}

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
    QList<Entry> categories;
    const QDir root(StartMenuUtils::menuDir());
    for (const QFileInfo &folder : root.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        categories.append(readCategory(folder));
    }
    m_categories = categories;
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

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_MENUTREE_H
#define NIMBSTARTMENU_QML_MENUTREE_H

#include <NimbStartMenu/entry.h>

#include <QObject>
#include <QStringList>

/**
 * The on-disk menu tree as the models show it: one category node per folder of
 * StartMenuUtils::menuDir(), with its applications as children, read again after every update of
 * Menu::instance(). Levels are not ordered here; the models order them by the preferences.
 *
 * The first instance() brings the tree up to date and arms the watcher of the application folders.
 */
class MenuTree : public QObject
{
    Q_OBJECT

public:
    static MenuTree *instance();

    /// The categories, each with its applications as children, in no particular order.
    const QList<Entry> &categories() const;

    /// Reads the tree from disk again and emits changed().
    void reload();

    /// The order the user gave a level (empty if none); @p level is "categories" or an
    /// applications level such as "applications/<category id>".
    static QStringList savedOrder(const QString &level);
    static void saveOrder(const QString &level, const QStringList &ids);

Q_SIGNALS:
    void changed();

private:
    MenuTree();

    QList<Entry> m_categories;
};

#endif

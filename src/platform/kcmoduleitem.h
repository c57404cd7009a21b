/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_KCMODULEITEM_H
#define NIMBSTARTMENU_KCMODULEITEM_H

#include "nimbstartmenu_export.h"

#include <KPluginMetaData>

#include <QList>
#include <QString>

namespace ZDS
{
/**
 * @class AbstractItem kcmoduleitem.h <NimbStartMenu/kcmoduleitem.h>
 *
 * A node of the tree of settings items: a group with children, or (KCModuleItem) a settings
 * module. A node owns its children.
 */
class NIMBSTARTMENU_EXPORT AbstractItem
{
public:
    /// The type of a group item.
    static constexpr int GroupType = 1;

    AbstractItem(const QString &name, const QString &text, const QString &icon, int type);
    virtual ~AbstractItem();

    AbstractItem(const AbstractItem &) = delete;
    AbstractItem &operator=(const AbstractItem &) = delete;

    /// The item's identifier.
    QString name() const;
    /// The item's display text.
    QString text() const;
    /// 2 for a settings module (KCModuleItem::Type).
    int type() const;
    /// The children, in order.
    QList<AbstractItem *> childs() const;
    /// The item's icon name, possibly empty.
    virtual QString icon() const;

    /// Appends @p child and takes ownership of it.
    void appendChild(AbstractItem *child);

private:
    QString m_name;
    QString m_text;
    QString m_icon;
    int m_type;
    QList<AbstractItem *> m_childs;
};

/**
 * @class KCModuleItem kcmoduleitem.h <NimbStartMenu/kcmoduleitem.h>
 *
 * A settings module of the tree, with its plug-in metadata.
 */
class NIMBSTARTMENU_EXPORT KCModuleItem : public AbstractItem
{
public:
    static constexpr int Type = 2;

    KCModuleItem(const QString &name, const QString &text, const QString &icon, const KPluginMetaData &metaData);

    /**
     * The tree of the settings modules installed on the system: the modules of the plug-in namespaces
     * "plasma/kcms/systemsettings" and "plasma/kcms/systemsettings_qwidgets", grouped under one group
     * item per parent category ("X-KDE-System-Settings-Parent-Category", "other" without one). Built
     * on the first call, for the system root of that moment, and kept, owned by this layer, until the
     * process ends.
     *
     * Under the system root "/" the modules are the plug-ins found below every folder of
     * QCoreApplication::libraryPaths(). Under any other root (StartMenuUtils::setSystemRoot()) only
     * modules below that root count, never the machine's own: the namespaces are searched in each
     * library path moved below the root, in root + "/usr/lib/qt5/plugins" and in every
     * root + "/usr/lib/<architecture>/qt5/plugins", and there a JSON metadata file ("*.json") counts as
     * a module as well as a plug-in library.
     *
     * @return the root item, or null when no settings module is installed
     */
    static AbstractItem *getKCModuleTree();

    KPluginMetaData metaData;
};
}

#endif

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_ENTRY_H
#define NIMBSTARTMENU_ENTRY_H

#include "nimbstartmenu_export.h"

#include <QList>
#include <QString>

/**
 * @class Entry entry.h <NimbStartMenu/entry.h>
 *
 * A node of the application menu: a category (a folder of the menu tree) or an application, with its
 * display data, its children and the order in which the children are shown.
 *
 * A plain value: copies share their strings and lists implicitly. The start-menu application fills
 * the nodes and orders each level with sortChildren().
 */
class NIMBSTARTMENU_EXPORT Entry
{
public:
    Entry();
    Entry(const Entry &other);
    Entry &operator=(const Entry &other);
    ~Entry();

    /// For a category the name of its folder in the menu tree; the key of the saved sort order.
    QString id() const;
    QString path() const;
    /// The display name, and the alphabetical sort key.
    QString name() const;
    QString tooltip() const;
    QString icon() const;
    QString categoryId() const;
    QString categoryName() const;
    QString categoryGroupId() const;
    QString categoryGroupName() const;
    /// The position among its siblings, as sortChildren() of the parent numbered it.
    unsigned int priority() const;
    bool isCategory() const;
    const QList<Entry> &children() const;
    /// The saved order of the children, as a list of child ids.
    QList<QString> sortOrder() const;

    void setId(const QString &id);
    void setPath(const QString &path);
    void setName(const QString &name);
    void setTooltip(const QString &tooltip);
    void setIcon(const QString &icon);
    void setCategoryId(const QString &categoryId);
    void setCategoryName(const QString &categoryName);
    void setCategoryGroupId(const QString &categoryGroupId);
    void setCategoryGroupName(const QString &categoryGroupName);
    void setPriority(unsigned int priority);
    void setIsCategory(bool isCategory);
    void setChildren(const QList<Entry> &children);
    void setSortOrder(const QList<QString> &sortOrder);

    bool hasChildren() const;

    /**
     * Records the current order of the children: sortOrder() becomes their ids, in order.
     */
    void updateSortOrder();

    /**
     * Orders the children (this level only): those whose id the saved order names come first, in
     * that order (an id named twice takes its last place); the others follow by name, compared by
     * UTF-16 code units (case-sensitive, not locale-aware). Then the child at position i gets the
     * priority i. The saved order itself is not changed.
     */
    void sortChildren();

private:
    QString m_id;
    QString m_path;
    QString m_name;
    QString m_tooltip;
    QString m_icon;
    QString m_categoryId;
    QString m_categoryName;
    QString m_categoryGroupId;
    QString m_categoryGroupName;
    unsigned int m_priority = 0;
    bool m_isCategory = false;
    QList<Entry> m_children;
    QList<QString> m_sortOrder;
};

#endif

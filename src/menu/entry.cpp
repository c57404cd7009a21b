/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "entry.h"

#include <QHash>

#include <algorithm>

Entry::Entry() = default;

Entry::Entry(const Entry &other) = default;

Entry &Entry::operator=(const Entry &other) = default;

Entry::~Entry() = default;

QString Entry::id() const
{
    return m_id;
}

QString Entry::path() const
{
    return m_path;
}

QString Entry::name() const
{
    return m_name;
}

QString Entry::tooltip() const
{
    return m_tooltip;
}

QString Entry::icon() const
{
    return m_icon;
}

QString Entry::categoryId() const
{
    return m_categoryId;
}

QString Entry::categoryName() const
{
    return m_categoryName;
}

QString Entry::categoryGroupId() const
{
    return m_categoryGroupId;
}

QString Entry::categoryGroupName() const
{
    return m_categoryGroupName;
}

unsigned int Entry::priority() const
{
    return m_priority;
}

bool Entry::isCategory() const
{
    return m_isCategory;
}

const QList<Entry> &Entry::children() const
{
    return m_children;
}

QList<QString> Entry::sortOrder() const
{
    return m_sortOrder;
}

void Entry::setId(const QString &id)
{
    m_id = id;
}

void Entry::setPath(const QString &path)
{
    m_path = path;
}

void Entry::setName(const QString &name)
{
    m_name = name;
}

void Entry::setTooltip(const QString &tooltip)
{
    m_tooltip = tooltip;
}

void Entry::setIcon(const QString &icon)
{
    m_icon = icon;
}

void Entry::setCategoryId(const QString &categoryId)
{
    m_categoryId = categoryId;
}

void Entry::setCategoryName(const QString &categoryName)
{
    m_categoryName = categoryName;
}

void Entry::setCategoryGroupId(const QString &categoryGroupId)
{
    m_categoryGroupId = categoryGroupId;
}

void Entry::setCategoryGroupName(const QString &categoryGroupName)
{
    m_categoryGroupName = categoryGroupName;
}

void Entry::setPriority(unsigned int priority)
{
    m_priority = priority;
}

void Entry::setIsCategory(bool isCategory)
{
    m_isCategory = isCategory;
}

void Entry::setChildren(const QList<Entry> &children)
{
    m_children = children;
}

void Entry::setSortOrder(const QList<QString> &sortOrder)
{
    m_sortOrder = sortOrder;
}

bool Entry::hasChildren() const
{
    return !m_children.isEmpty();
}

void Entry::updateSortOrder()
{
    QList<QString> order;
    order.reserve(m_children.size());
    for (const Entry &child : std::as_const(m_children)) {
        order.append(child.m_id);
    }
    m_sortOrder = order;
}

void Entry::sortChildren()
{
    if (m_children.isEmpty()) {
        return;
    }

    // Later positions overwrite earlier ones: an id saved twice takes its last place.
    QHash<QString, int> position;
    position.reserve(m_sortOrder.size());
    for (int i = 0; i < m_sortOrder.size(); ++i) {
        position.insert(m_sortOrder.at(i), i);
    }

    const auto comesBefore = [&position](const Entry &a, const Entry &b) {
        const auto aPosition = position.constFind(a.m_id);
        const auto bPosition = position.constFind(b.m_id);
        const bool aSaved = aPosition != position.constEnd();
        const bool bSaved = bPosition != position.constEnd();
        if (aSaved && bSaved) {
            return aPosition.value() < bPosition.value();
        }
        if (aSaved || bSaved) {
            return aSaved;
        }
        // Code-unit order on purpose: the menu must not reorder itself when the locale changes.
        return a.m_name < b.m_name;
    };
    std::sort(m_children.begin(), m_children.end(), comesBefore);

    for (int i = 0; i < m_children.size(); ++i) {
        m_children[i].m_priority = static_cast<unsigned int>(i);
    }
}

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "kcmoduleitem.h"

#include <QHash>
#include <QJsonObject>
#include <QVector>

#include <memory>

namespace
{
const QString parentCategoryKey = QStringLiteral("X-KDE-System-Settings-Parent-Category");
const QString fallbackCategory = QStringLiteral("other");
const QString rootName = QStringLiteral("root");

QVector<KPluginMetaData> installedModules()
{
    static const QString namespaces[] = {
        QStringLiteral("plasma/kcms/systemsettings"),
        QStringLiteral("plasma/kcms/systemsettings_qwidgets"),
    };
    QVector<KPluginMetaData> modules;
    for (const QString &pluginNamespace : namespaces) {
        modules += KPluginMetaData::findPlugins(pluginNamespace);
    }
    return modules;
}

std::unique_ptr<ZDS::AbstractItem> buildTree()
{
    const QVector<KPluginMetaData> modules = installedModules();
    if (modules.isEmpty()) {
        return nullptr;
    }

    auto root = std::make_unique<ZDS::AbstractItem>(rootName, QString(), QString(), ZDS::AbstractItem::GroupType);
    // Groups come in the order their first module was found; the tree owns them.
    QHash<QString, ZDS::AbstractItem *> groups;
    for (const KPluginMetaData &metaData : modules) {
        QString category = metaData.rawData().value(parentCategoryKey).toString();
        if (category.isEmpty()) {
            category = fallbackCategory;
        }
        ZDS::AbstractItem *&group = groups[category];
        if (!group) {
            group = new ZDS::AbstractItem(category, category, QString(), ZDS::AbstractItem::GroupType);
            root->appendChild(group);
        }
        group->appendChild(new ZDS::KCModuleItem(metaData.pluginId(), metaData.name(), metaData.iconName(), metaData));
    }
    return root;
}
}

namespace ZDS
{
AbstractItem::AbstractItem(const QString &name, const QString &text, const QString &icon, int type)
    : m_name(name)
    , m_text(text)
    , m_icon(icon)
    , m_type(type)
{
}

AbstractItem::~AbstractItem()
{
    qDeleteAll(m_childs);
}

QString AbstractItem::name() const
{
    return m_name;
}

QString AbstractItem::text() const
{
    return m_text;
}

int AbstractItem::type() const
{
    return m_type;
}

QList<AbstractItem *> AbstractItem::childs() const
{
    return m_childs;
}

QString AbstractItem::icon() const
{
    return m_icon;
}

void AbstractItem::appendChild(AbstractItem *child)
{
    m_childs.append(child);
}

KCModuleItem::KCModuleItem(const QString &name, const QString &text, const QString &icon, const KPluginMetaData &metaData)
    : AbstractItem(name, text, icon, Type)
    , metaData(metaData)
{
}

AbstractItem *KCModuleItem::getKCModuleTree()
{
    static const std::unique_ptr<AbstractItem> tree = buildTree();
    return tree.get();
}
}

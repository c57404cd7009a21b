/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "kcmoduleitem.h"

#include <KPluginMetaData>

#include <QJsonObject>
#include <QTest>

namespace
{
// Notes its own destruction, to see who deletes what.
class TrackedItem : public ZDS::AbstractItem
{
public:
    TrackedItem(const QString &name, QStringList &destroyed)
        : ZDS::AbstractItem(name, name + QStringLiteral(" KCModuleItemTest"), QString(), ZDS::AbstractItem::GroupType)
        , m_destroyed(destroyed)
    {
    }
    ~TrackedItem() override
    {
        m_destroyed.append(name());
    }

private:
    QStringList &m_destroyed;
};

class ThemedItem : public ZDS::AbstractItem
{
public:
    ThemedItem()
        : ZDS::AbstractItem(QStringLiteral("themed"), QStringLiteral("Themed"), QStringLiteral("stored-icon"), ZDS::AbstractItem::GroupType)
    {
    }
    QString icon() const override
    {
        return QStringLiteral("themed-icon");
    }
};

KPluginMetaData moduleMetaData(const QString &id, const QString &name)
{
    const QJsonObject plugin{{QStringLiteral("Id"), id},
                             {QStringLiteral("Name"), name},
                             {QStringLiteral("Icon"), QStringLiteral("preferences-kcmoduleitemtest")}};
    return KPluginMetaData(QJsonObject{{QStringLiteral("KPlugin"), plugin}}, QStringLiteral("/kcms/%1.so").arg(id));
}

QVector<KPluginMetaData> installedModules()
{
    return KPluginMetaData::findPlugins(QStringLiteral("plasma/kcms/systemsettings"))
        + KPluginMetaData::findPlugins(QStringLiteral("plasma/kcms/systemsettings_qwidgets"));
}

QList<const ZDS::KCModuleItem *> modulesOf(const ZDS::AbstractItem *item)
{
    QList<const ZDS::KCModuleItem *> modules;
    if (const auto *module = dynamic_cast<const ZDS::KCModuleItem *>(item)) {
        modules.append(module);
    }
    const QList<ZDS::AbstractItem *> children = item->childs();
    for (const ZDS::AbstractItem *child : children) {
        modules += modulesOf(child);
    }
    return modules;
}
}

class KCModuleItemTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void groupItem();
    void childrenInOrder();
    void childrenDeletedWithTheirParent();
    void iconThroughTheVirtualAccessor();
    void moduleItem();
    void moduleTreeBuiltOnce();
    void moduleTreeHoldsTheInstalledModules();
};

void KCModuleItemTest::groupItem()
{
    const ZDS::AbstractItem group(QStringLiteral("hardware"),
                                  QStringLiteral("Hardware KCModuleItemTest"),
                                  QStringLiteral("computer"),
                                  ZDS::AbstractItem::GroupType);
    QCOMPARE(group.name(), QStringLiteral("hardware"));
    QCOMPARE(group.text(), QStringLiteral("Hardware KCModuleItemTest"));
    QCOMPARE(group.icon(), QStringLiteral("computer"));
    QCOMPARE(group.type(), 1);
    QVERIFY(group.childs().isEmpty());
}

void KCModuleItemTest::childrenInOrder()
{
    ZDS::AbstractItem root(QStringLiteral("root"), QString(), QString(), ZDS::AbstractItem::GroupType);
    auto *first = new ZDS::AbstractItem(QStringLiteral("first"), QString(), QString(), ZDS::AbstractItem::GroupType);
    auto *second =
        new ZDS::KCModuleItem(QStringLiteral("kcm_second"), QString(), QString(), moduleMetaData(QStringLiteral("kcm_second"), QStringLiteral("Second")));
    auto *third = new ZDS::AbstractItem(QStringLiteral("third"), QString(), QString(), ZDS::AbstractItem::GroupType);
    root.appendChild(first);
    root.appendChild(second);
    root.appendChild(third);
    QCOMPARE(root.childs(), (QList<ZDS::AbstractItem *>{first, second, third}));
    QVERIFY(first->childs().isEmpty());
}

void KCModuleItemTest::childrenDeletedWithTheirParent()
{
    QStringList destroyed;
    auto *root = new TrackedItem(QStringLiteral("root"), destroyed);
    auto *group = new TrackedItem(QStringLiteral("group"), destroyed);
    group->appendChild(new TrackedItem(QStringLiteral("grandchild"), destroyed));
    root->appendChild(group);
    root->appendChild(new TrackedItem(QStringLiteral("sibling"), destroyed));
    QVERIFY(destroyed.isEmpty());

    delete root;
    destroyed.sort();
    QCOMPARE(destroyed, (QStringList{QStringLiteral("grandchild"), QStringLiteral("group"), QStringLiteral("root"), QStringLiteral("sibling")}));
}

void KCModuleItemTest::iconThroughTheVirtualAccessor()
{
    const ThemedItem themed;
    const ZDS::AbstractItem &item = themed;
    QCOMPARE(item.icon(), QStringLiteral("themed-icon"));
}

void KCModuleItemTest::moduleItem()
{
    const KPluginMetaData metaData = moduleMetaData(QStringLiteral("kcm_clock"), QStringLiteral("Clock KCModuleItemTest"));
    ZDS::AbstractItem group(QStringLiteral("personal"), QString(), QString(), ZDS::AbstractItem::GroupType);
    group.appendChild(
        new ZDS::KCModuleItem(QStringLiteral("kcm_clock"), QStringLiteral("Clock KCModuleItemTest"), QStringLiteral("preferences-clock"), metaData));

    const ZDS::AbstractItem *item = group.childs().constFirst();
    QCOMPARE(ZDS::KCModuleItem::Type, 2);
    QCOMPARE(item->type(), 2);
    QCOMPARE(item->name(), QStringLiteral("kcm_clock"));
    QCOMPARE(item->text(), QStringLiteral("Clock KCModuleItemTest"));
    QCOMPARE(item->icon(), QStringLiteral("preferences-clock"));
    QVERIFY(item->childs().isEmpty());

    const auto *module = dynamic_cast<const ZDS::KCModuleItem *>(item);
    QVERIFY(module);
    QCOMPARE(module->metaData.pluginId(), QStringLiteral("kcm_clock"));
    QCOMPARE(module->metaData.name(), QStringLiteral("Clock KCModuleItemTest"));
    QCOMPARE(module->metaData.metaDataFileName(), QStringLiteral("/kcms/kcm_clock.so"));
    QCOMPARE(module->metaData.rawData(), metaData.rawData());
}

void KCModuleItemTest::moduleTreeBuiltOnce()
{
    ZDS::AbstractItem *const first = ZDS::KCModuleItem::getKCModuleTree();
    QCOMPARE(ZDS::KCModuleItem::getKCModuleTree(), first);
}

void KCModuleItemTest::moduleTreeHoldsTheInstalledModules()
{
    const QVector<KPluginMetaData> installed = installedModules();
    const ZDS::AbstractItem *root = ZDS::KCModuleItem::getKCModuleTree();
    if (installed.isEmpty()) {
        QCOMPARE(root, nullptr);
        return;
    }
    QVERIFY(root);

    QStringList expectedIds;
    for (const KPluginMetaData &metaData : installed) {
        expectedIds.append(metaData.pluginId());
    }
    QStringList treeIds;
    const QList<const ZDS::KCModuleItem *> modules = modulesOf(root);
    for (const ZDS::KCModuleItem *module : modules) {
        treeIds.append(module->name());
        QCOMPARE(module->name(), module->metaData.pluginId());
        QCOMPARE(module->text(), module->metaData.name());
        QCOMPARE(module->icon(), module->metaData.iconName());
    }
    expectedIds.sort();
    treeIds.sort();
    QCOMPARE(treeIds, expectedIds);

    // One level of groups, each named after the parent category its modules give.
    const QList<ZDS::AbstractItem *> groups = root->childs();
    for (const ZDS::AbstractItem *group : groups) {
        QCOMPARE(group->type(), int(ZDS::AbstractItem::GroupType));
        QVERIFY(!group->childs().isEmpty());
        const QList<ZDS::AbstractItem *> children = group->childs();
        for (const ZDS::AbstractItem *child : children) {
            const auto *module = dynamic_cast<const ZDS::KCModuleItem *>(child);
            QVERIFY(module);
            const QString category = module->metaData.rawData().value(QStringLiteral("X-KDE-System-Settings-Parent-Category")).toString();
            QCOMPARE(group->name(), category.isEmpty() ? QStringLiteral("other") : category);
        }
    }
}

QTEST_GUILESS_MAIN(KCModuleItemTest)

#include "kcmoduleitemtest.moc"

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "kcmoduleitem.h"
#include "kcmoduleitem_p.h"
#include "testsupport.h"

#include <KPluginMetaData>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
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

const QString systemSettings = QStringLiteral("/plasma/kcms/systemsettings");
const QString systemSettingsWidgets = QStringLiteral("/plasma/kcms/systemsettings_qwidgets");
const QString sharedPlugins = QStringLiteral("/usr/lib/qt5/plugins");
const QString architecturePlugins = QStringLiteral("/usr/lib/riscv64-linux-gnu/qt5/plugins");
const QString machineModuleId = QStringLiteral("kcm_machine_kcmoduleitemtest");

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
    void initTestCase();
    void init();

    void groupItem();
    void childrenInOrder();
    void childrenDeletedWithTheirParent();
    void iconThroughTheVirtualAccessor();
    void moduleItem();
    void moduleTreeBuiltOnce();
    void moduleTreeHoldsTheInstalledModules();
    void modulesBelowARoot_data();
    void modulesBelowARoot();

private:
    QString root() const
    {
        return m_dir.path() + QStringLiteral("/root");
    }

    QTemporaryDir m_dir;
    // A plug-in folder of this test, in QCoreApplication::libraryPaths() as the machine's are (which
    // holds canonical paths).
    QString m_machinePlugins;
};

void KCModuleItemTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Whatever the machine has installed, one module is always found under "/".
    const QString folder = m_dir.path() + QStringLiteral("/machine-plugins") + systemSettings;
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::copy(QStringLiteral(TEST_PLUGIN), folder + QLatin1Char('/') + machineModuleId + QStringLiteral(".so")));
    m_machinePlugins = QDir(m_dir.path() + QStringLiteral("/machine-plugins")).canonicalPath();
    QCoreApplication::addLibraryPath(m_machinePlugins);
    QVERIFY(QCoreApplication::libraryPaths().contains(m_machinePlugins));
}

void KCModuleItemTest::init()
{
    QVERIFY(QDir(root()).removeRecursively());
}

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
    // Built for the system root "/": the plug-ins of the library paths, as findPlugins() sees them.
    const QVector<KPluginMetaData> installed = installedModules();
    const ZDS::AbstractItem *root = ZDS::KCModuleItem::getKCModuleTree();
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
    QVERIFY(expectedIds.contains(machineModuleId));
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

void KCModuleItemTest::modulesBelowARoot_data()
{
    // Modules written below the root, a plug-in library or a metadata file by their suffix, and
    // those found, in order. The machine's module is never among them.
    QTest::addColumn<QStringList>("modules");
    QTest::addColumn<QStringList>("found");

    const QString machineFolder = m_machinePlugins + systemSettings;
    const QString library = machineFolder + QStringLiteral("/kcm_library.so");
    const QString metaData = machineFolder + QStringLiteral("/kcm_metadata.json");
    const QString shared = sharedPlugins + systemSettings + QStringLiteral("/kcm_shared.json");
    const QString architecture = architecturePlugins + systemSettingsWidgets + QStringLiteral("/kcm_architecture.so");
    const QString sharedTwin = sharedPlugins + systemSettings + QStringLiteral("/kcm_twin.json");
    const QString architectureTwin = architecturePlugins + systemSettings + QStringLiteral("/kcm_twin.json");

    QTest::addRow("nothing below the root") << QStringList() << QStringList();
    QTest::addRow("plug-in in a library path") << QStringList{library} << QStringList{library};
    QTest::addRow("metadata in a library path") << QStringList{metaData} << QStringList{metaData};
    QTest::addRow("metadata in the shared plug-in folder") << QStringList{shared} << QStringList{shared};
    QTest::addRow("plug-in in an architecture's plug-in folder") << QStringList{architecture} << QStringList{architecture};
    QTest::addRow("same module twice, the first kept") << QStringList{architectureTwin, sharedTwin} << QStringList{sharedTwin};
    QTest::addRow("namespaces in order") << QStringList{architecture, shared} << QStringList{shared, architecture};
    QTest::addRow("another namespace") << QStringList{sharedPlugins + QStringLiteral("/plasma/kcms/kinfocenter/kcm_other.json")} << QStringList();
    QTest::addRow("below a namespace") << QStringList{sharedPlugins + systemSettings + QStringLiteral("/nested/kcm_nested.json")} << QStringList();
    QTest::addRow("not a plug-in folder") << QStringList{QStringLiteral("/usr/share") + systemSettings + QStringLiteral("/kcm_data.json")} << QStringList();
}

void KCModuleItemTest::modulesBelowARoot()
{
    QFETCH(QStringList, modules);
    QFETCH(QStringList, found);

    const QByteArray metaData =
        QJsonDocument(QJsonObject{{QStringLiteral("KPlugin"), QJsonObject{{QStringLiteral("Name"), QStringLiteral("Rooted Module KCModuleItemTest")}}}})
            .toJson();
    for (const QString &module : modules) {
        const QString path = root() + module;
        if (path.endsWith(QLatin1String(".json"))) {
            TestSupport::writeFile(path, metaData);
        } else {
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QVERIFY(QFile::copy(QStringLiteral(TEST_PLUGIN), path));
        }
    }

    QStringList fileNames;
    const QVector<KPluginMetaData> rooted = ZDS::findSettingsModules(root());
    for (const KPluginMetaData &module : rooted) {
        fileNames.append(module.fileName());
    }
    QStringList expected;
    for (const QString &module : found) {
        expected.append(root() + module);
    }
    QCOMPARE(fileNames, expected);
}

QTEST_GUILESS_MAIN(KCModuleItemTest)

#include "kcmoduleitemtest.moc"

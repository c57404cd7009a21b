/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "menupreferences.h"
#include "menusettings.h"
#include "startmenuutils.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace
{
// QML hands a string list back as a list of variants.
QVariant normalised(const QVariant &value, const QVariant &like)
{
    return like.userType() == QMetaType::QStringList ? QVariant(value.toStringList()) : value;
}
}

class MenuSettingsQmlTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void readsPublishedNames_data();
    void readsPublishedNames();
    void spellingOfSortNames();
    void writesPublishedNames();
    void assigningUndefinedResets();
    void bindingFollowsChangeSignal_data();
    void bindingFollowsChangeSignal();
    void loadFromQml();
    void saveFromQml();
    void createdAsQmlType();

private:
    std::unique_ptr<QObject> create(const QString &body);

    QTemporaryDir m_tempDir;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<MenuSettings> m_settings;
    QtMessageHandler m_testMessageHandler = nullptr;
};

void MenuSettingsQmlTest::initTestCase()
{
    QVERIFY(!TestSupport::isolate(m_tempDir).isEmpty());

    qmlRegisterType<MenuSettings>("org.nimbtest.startmenu", 1, 0, "MenuSettings");
}

void MenuSettingsQmlTest::init()
{
    QDir(QFileInfo(TestSupport::preferencesFile()).path()).removeRecursively();
    const QtMessageHandler handler = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(handler);
    m_testMessageHandler = handler;

    m_settings = std::make_unique<MenuSettings>();
    m_engine = std::make_unique<QQmlEngine>();
    m_engine->rootContext()->setContextProperty(QStringLiteral("menuSettings"), m_settings.get());
}

void MenuSettingsQmlTest::cleanup()
{
    m_engine.reset();
    m_settings.reset();
    // The debug switch is process-wide: undo what a case turned on.
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(m_testMessageHandler);
}

std::unique_ptr<QObject> MenuSettingsQmlTest::create(const QString &body)
{
    QQmlComponent component(m_engine.get());
    component.setData(QByteArray("import QtQml 2.15\n") + body.toUtf8(), QUrl::fromLocalFile(m_tempDir.filePath(QStringLiteral("test.qml"))));
    std::unique_ptr<QObject> object(component.create());
    if (!object) {
        qWarning() << component.errors();
    }
    return object;
}

void MenuSettingsQmlTest::readsPublishedNames_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("otherValue");
    for (const Preference &preference : preferences()) {
        QTest::addRow("%s", preference.property) << QString::fromLatin1(preference.property) << preference.otherValue;
    }
}

void MenuSettingsQmlTest::readsPublishedNames()
{
    QFETCH(QString, property);
    QFETCH(QVariant, otherValue);

    QVERIFY(m_settings->setProperty(property.toLatin1().constData(), otherValue));
    const auto object = create(QStringLiteral("QtObject { property var value: menuSettings.%1 }").arg(property));
    QVERIFY(object);
    QCOMPARE(normalised(object->property("value"), otherValue), otherValue);
}

void MenuSettingsQmlTest::spellingOfSortNames()
{
    m_settings->setEnableSortAppsAlphabetically(true);
    const auto object =
        create(QStringLiteral("QtObject {\n"
                              "    property bool apps: menuSettings.enableSortAppsAlphabatically\n"
                              "    property bool categories: menuSettings.enableSortCategoriesAlphabatically\n"
                              "    property bool plainAppsDefined: menuSettings.enableSortAppsAlphabetically !== undefined\n"
                              "    property bool plainCategoriesDefined: menuSettings.enableSortCategoriesAlphabetically !== undefined\n"
                              "}"));
    QVERIFY(object);
    QCOMPARE(object->property("apps"), QVariant(true));
    QCOMPARE(object->property("categories"), QVariant(false));
    QCOMPARE(object->property("plainAppsDefined"), QVariant(false));
    QCOMPARE(object->property("plainCategoriesDefined"), QVariant(false));
}

void MenuSettingsQmlTest::writesPublishedNames()
{
    QSignalSpy sortSpy(m_settings.get(), &MenuSettings::enableSortAppsAlphabeticallyChanged);
    QVERIFY(sortSpy.isValid());
    QSignalSpy tabsSpy(m_settings.get(), &MenuSettings::tabsChanged);
    QVERIFY(tabsSpy.isValid());

    const auto object =
        create(QStringLiteral("QtObject {\n"
                              "    Component.onCompleted: {\n"
                              "        menuSettings.enableSortAppsAlphabatically = true\n"
                              "        menuSettings.enableSortCategoriesAlphabatically = true\n"
                              "        menuSettings.defaultTab = \"recent\"\n"
                              "        menuSettings.appsMode = \"grid\"\n"
                              "        menuSettings.tabs = [\"leave\", \"gridapps\", \"leave\"]\n"
                              "        menuSettings.enableFavorites = false\n"
                              "        menuSettings.tabs = [\"gridapps\", \"leave\"]\n"
                              "    }\n"
                              "}"));
    QVERIFY(object);
    QVERIFY(m_settings->enableSortAppsAlphabetically());
    QVERIFY(m_settings->enableSortCategoriesAlphabetically());
    QCOMPARE(m_settings->defaultTab(), QStringLiteral("recent"));
    QCOMPARE(m_settings->appsMode(), QStringLiteral("grid"));
    QCOMPARE(m_settings->getTabs(), (QStringList{"gridapps", "leave"}));
    QVERIFY(!m_settings->enableFavorites());
    QCOMPARE(sortSpy.count(), 1);
    // The second list names the same set as the first.
    QCOMPARE(tabsSpy.count(), 1);
}

void MenuSettingsQmlTest::assigningUndefinedResets()
{
    m_settings->setDefaultTab(QStringLiteral("recent"));
    m_settings->setEnableAnimation(false);
    m_settings->setTabs({"leave"});
    QSignalSpy spy(m_settings.get(), &MenuSettings::defaultTabChanged);
    QVERIFY(spy.isValid());

    const auto object =
        create(QStringLiteral("QtObject {\n"
                              "    Component.onCompleted: {\n"
                              "        menuSettings.defaultTab = undefined\n"
                              "        menuSettings.enableAnimation = undefined\n"
                              "        menuSettings.tabs = undefined\n"
                              "    }\n"
                              "}"));
    QVERIFY(object);
    QCOMPARE(m_settings->defaultTab(), QStringLiteral("apps"));
    QVERIFY(m_settings->enableAnimation());
    QCOMPARE(m_settings->getTabs(), defaultTabs);
    QCOMPARE(spy.count(), 1);
}

void MenuSettingsQmlTest::bindingFollowsChangeSignal_data()
{
    readsPublishedNames_data();
}

void MenuSettingsQmlTest::bindingFollowsChangeSignal()
{
    QFETCH(QString, property);
    QFETCH(QVariant, otherValue);

    const auto object = create(QStringLiteral("QtObject { property var follower: menuSettings.%1 }").arg(property));
    QVERIFY(object);
    QVERIFY(normalised(object->property("follower"), otherValue) != otherValue);

    QVERIFY(m_settings->setProperty(property.toLatin1().constData(), otherValue));
    QCOMPARE(normalised(object->property("follower"), otherValue), otherValue);
}

void MenuSettingsQmlTest::loadFromQml()
{
    {
        QSettings file(TestSupport::preferencesFile(), QSettings::NativeFormat);
        file.setValue("enableSortAppsAlphabetically", true);
        file.setValue("appsMode", "grid");
        file.setValue("tabs", QStringList{"leave", "gridrecent", "gridapps"});
    }
    const auto object =
        create(QStringLiteral("QtObject {\n"
                              "    property bool sortApps: menuSettings.enableSortAppsAlphabatically\n"
                              "    property var tabs: menuSettings.tabs\n"
                              "    function reload() { menuSettings.load() }\n"
                              "}"));
    QVERIFY(object);
    QCOMPARE(object->property("sortApps"), QVariant(false));

    QVERIFY(QMetaObject::invokeMethod(object.get(), "reload"));
    QCOMPARE(object->property("sortApps"), QVariant(true));
    QCOMPARE(object->property("tabs").toStringList(), (QStringList{"gridapps", "gridrecent", "leave"}));
    QCOMPARE(m_settings->appsMode(), QStringLiteral("grid"));
}

void MenuSettingsQmlTest::saveFromQml()
{
    const auto object =
        create(QStringLiteral("QtObject {\n"
                              "    function store() {\n"
                              "        menuSettings.enableSortAppsAlphabatically = true\n"
                              "        menuSettings.enableRecent = false\n"
                              "        menuSettings.save()\n"
                              "    }\n"
                              "}"));
    QVERIFY(object);
    QVERIFY(!QFileInfo::exists(TestSupport::preferencesFile()));
    QVERIFY(QMetaObject::invokeMethod(object.get(), "store"));

    const QSettings file(TestSupport::preferencesFile(), QSettings::NativeFormat);
    QCOMPARE(file.value("enableSortAppsAlphabetically").toString(), QStringLiteral("true"));
    QCOMPARE(file.value("enableRecent").toString(), QStringLiteral("false"));
    QVERIFY(!file.contains("enableSortAppsAlphabatically"));
    QVERIFY(!file.value("tabs").toStringList().contains("recent"));
}

void MenuSettingsQmlTest::createdAsQmlType()
{
    const auto object =
        create(QStringLiteral("import org.nimbtest.startmenu 1.0\n"
                              "MenuSettings {\n"
                              "    appsMode: \"grid\"\n"
                              "    enableSortAppsAlphabatically: true\n"
                              "    property bool followsAnimation: enableAnimation\n"
                              "}"));
    QVERIFY(object);
    auto *settings = qobject_cast<MenuSettings *>(object.get());
    QVERIFY(settings);
    QCOMPARE(settings->appsMode(), QStringLiteral("grid"));
    QVERIFY(settings->enableSortAppsAlphabetically());
    QVERIFY(!settings->autoRefresh());

    settings->setEnableAnimation(false);
    QCOMPARE(object->property("followsAnimation"), QVariant(false));
}

QTEST_GUILESS_MAIN(MenuSettingsQmlTest)

#include "menusettingsqmltest.moc"

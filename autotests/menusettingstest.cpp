/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "menusettings.h"
#include "logging.h"
#include "menupreferences.h"
#include "startmenuutils.h"
#include "testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace
{
// The entries of the file's general section as written, without QSettings' conversions.
QMap<QString, QString> rawEntries()
{
    QMap<QString, QString> entries;
    bool general = true;
    const QList<QByteArray> lines = TestSupport::readFile(TestSupport::preferencesFile()).split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith('[')) {
            general = line == "[General]";
        } else if (general && line.contains('=')) {
            const int equals = line.indexOf('=');
            entries.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
        }
    }
    return entries;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QFileSystemWatcher *watcherOf(const MenuSettings &settings)
{
    const QList<QFileSystemWatcher *> watchers = settings.findChildren<QFileSystemWatcher *>(QString(), Qt::FindDirectChildrenOnly);
    return watchers.size() == 1 ? watchers.first() : nullptr;
}

QtMessageHandler currentMessageHandler()
{
    const QtMessageHandler handler = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(handler);
    return handler;
}

void sentinelMessageHandler(QtMsgType, const QMessageLogContext &, const QString &)
{
}

QVariantMap propertyValues(const QObject &object)
{
    QVariantMap values;
    const QMetaObject *metaObject = object.metaObject();
    for (int i = metaObject->propertyOffset(); i < metaObject->propertyCount(); ++i) {
        values.insert(QString::fromLatin1(metaObject->property(i).name()), metaObject->property(i).read(&object));
    }
    return values;
}

QVariantMap defaultValues()
{
    QVariantMap values;
    for (const Preference &preference : preferences()) {
        values.insert(QString::fromLatin1(preference.property), preference.defaultValue);
    }
    return values;
}
}

// Records the change signals of a MenuSettings, each as the name of its property, in the order they come.
class ChangeRecorder : public QObject
{
    Q_OBJECT

public:
    explicit ChangeRecorder(MenuSettings &settings)
    {
        const QMetaMethod recordSlot = staticMetaObject.method(staticMetaObject.indexOfSlot("record()"));
        const QMetaObject *settingsMeta = settings.metaObject();
        for (int i = settingsMeta->propertyOffset(); i < settingsMeta->propertyCount(); ++i) {
            const QMetaProperty property = settingsMeta->property(i);
            m_names.insert(property.notifySignalIndex(), QString::fromLatin1(property.name()));
            connect(&settings, property.notifySignal(), this, recordSlot);
        }
    }

    QStringList takeChanges()
    {
        return std::exchange(m_changes, {});
    }

private Q_SLOTS:
    void record()
    {
        m_changes.append(m_names.value(senderSignalIndex(), QStringLiteral("<unknown signal>")));
    }

private:
    QHash<int, QString> m_names;
    QStringList m_changes;
};

class MenuSettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void propertiesInOrder();
    void methodsInOrder();
    void defaults_data();
    void defaults();
    void freshObjectWithoutFile();

    void setterSignalsOnlyOnChange_data();
    void setterSignalsOnlyOnChange();
    void resetRestoresDefault_data();
    void resetRestoresDefault();
    void setTabsIgnoresOrderAndRepetition_data();
    void setTabsIgnoresOrderAndRepetition();
    void tabsAndSwitchesIndependent();
    void getTabsRanks_data();
    void getTabsRanks();
    void enableDebugSwitchesLoggingOnChangeOnly();

    void loadSignalsChangedValuesOnly_data();
    void loadSignalsChangedValuesOnly();
    void loadConvertsValues_data();
    void loadConvertsValues();
    void damagedFileKeepsUserValues_data();
    void damagedFileKeepsUserValues();
    void loadKeepsValuesIfFileCannotBeOpened_data();
    void loadKeepsValuesIfFileCannotBeOpened();
    void loadSwitchesDebugLogging();

    void saveWritesPreferences();
    void saveLeavesEnableDebugEntry_data();
    void saveLeavesEnableDebugEntry();
    void saveKeepsOtherEntries();
    void saveKeepsValuesOfOtherWriters_data();
    void saveKeepsValuesOfOtherWriters();
    void saveReconcilesTabs_data();
    void saveReconcilesTabs();
    void tabFollowsSwitchOnlyAfterSave();
    void saveAndLoadRoundTrip();

    void watchesFileAndFolder();
    void autoRefreshReloadsAfterInPlaceWrite();
    void autoRefreshReloadsAfterAtomicReplace();
    void autoRefreshReloadsNewFile();
    void autoRefreshOffIgnoresChanges();
    void switchingAutoRefreshOnReloads();

private:
    QTemporaryDir m_tempDir;
    QtMessageHandler m_testMessageHandler = nullptr;
};

void MenuSettingsTest::initTestCase()
{
    QVERIFY(!TestSupport::isolate(m_tempDir).isEmpty());
}

void MenuSettingsTest::init()
{
    QDir(QFileInfo(TestSupport::preferencesFile()).path()).removeRecursively();
    QVERIFY(!QFileInfo::exists(QFileInfo(TestSupport::preferencesFile()).path()));
    m_testMessageHandler = currentMessageHandler();
}

void MenuSettingsTest::cleanup()
{
    // The debug switch is process-wide: undo what a case turned on.
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(m_testMessageHandler);
    if (QFileInfo(TestSupport::preferencesFile()).isFile()) {
        QFile::setPermissions(TestSupport::preferencesFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

void MenuSettingsTest::propertiesInOrder()
{
    struct Expected {
        const char *name;
        const char *type;
        bool resettable;
        const char *notify;
    };
    const Expected expected[] = {
        {"enableFavorites", "bool", true, "enableFavoritesChanged"},
        {"enableComputer", "bool", true, "enableComputerChanged"},
        {"enableRecent", "bool", true, "enableRecentChanged"},
        {"defaultTab", "QString", true, "defaultTabChanged"},
        {"tabs", "QStringList", true, "tabsChanged"},
        {"showClassicMenu", "bool", true, "showClassicMenuChanged"},
        {"showLastLoginInfo", "bool", true, "showLastLoginInfoChanged"},
        {"appsMode", "QString", true, "appsModeChanged"},
        {"enableSortCategoriesAlphabatically", "bool", true, "enableSortCategoriesAlphabeticallyChanged"},
        {"enableSortAppsAlphabatically", "bool", true, "enableSortAppsAlphabeticallyChanged"},
        {"askConfirmation", "bool", true, "askConfirmationChanged"},
        {"enableAnimation", "bool", true, "enableAnimationChanged"},
        {"showTooltips", "bool", true, "showTooltipsChanged"},
        {"autoRefresh", "bool", false, "autoRefreshChanged"},
        {"enableDebug", "bool", true, "enableDebugChanged"},
    };

    const QMetaObject &metaObject = MenuSettings::staticMetaObject;
    QCOMPARE(metaObject.propertyCount() - metaObject.propertyOffset(), int(std::size(expected)));
    for (int i = 0; i < int(std::size(expected)); ++i) {
        const QMetaProperty property = metaObject.property(metaObject.propertyOffset() + i);
        QCOMPARE(property.name(), expected[i].name);
        QCOMPARE(property.typeName(), expected[i].type);
        QVERIFY(property.isReadable());
        QVERIFY(property.isWritable());
        QCOMPARE(property.isResettable(), expected[i].resettable);
        QVERIFY(property.hasNotifySignal());
        QCOMPARE(property.notifySignal().name(), QByteArray(expected[i].notify));
    }
    QCOMPARE(metaObject.indexOfProperty("enableSortAppsAlphabetically"), -1);
    QCOMPARE(metaObject.indexOfProperty("enableSortCategoriesAlphabetically"), -1);
}

void MenuSettingsTest::methodsInOrder()
{
    const QStringList expectedSignals = {
        "enableFavoritesChanged()",
        "enableComputerChanged()",
        "enableRecentChanged()",
        "defaultTabChanged()",
        "tabsChanged()",
        "showClassicMenuChanged()",
        "showLastLoginInfoChanged()",
        "appsModeChanged()",
        "enableSortCategoriesAlphabeticallyChanged()",
        "enableSortAppsAlphabeticallyChanged()",
        "askConfirmationChanged()",
        "autoRefreshChanged()",
        "enableAnimationChanged()",
        "showTooltipsChanged()",
        "enableDebugChanged()",
    };
    const QStringList expectedMethods = {"load()", "save()"};

    const QMetaObject &metaObject = MenuSettings::staticMetaObject;
    QStringList signalSignatures;
    QStringList methodSignatures;
    for (int i = metaObject.methodOffset(); i < metaObject.methodCount(); ++i) {
        const QMetaMethod method = metaObject.method(i);
        QCOMPARE(method.access(), QMetaMethod::Public);
        QCOMPARE(method.parameterCount(), 0);
        QCOMPARE(method.returnType(), int(QMetaType::Void));
        const QString signature = QString::fromLatin1(method.methodSignature());
        if (method.methodType() == QMetaMethod::Signal) {
            QVERIFY2(methodSignatures.isEmpty(), "a signal after the invokable methods");
            signalSignatures.append(signature);
        } else {
            QCOMPARE(method.methodType(), QMetaMethod::Method);
            methodSignatures.append(signature);
        }
    }
    QCOMPARE(signalSignatures, expectedSignals);
    QCOMPARE(methodSignatures, expectedMethods);
}

void MenuSettingsTest::defaults_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("expected");
    for (const Preference &preference : preferences()) {
        QTest::addRow("%s", preference.property) << QByteArray(preference.property) << preference.defaultValue;
    }
}

void MenuSettingsTest::defaults()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, expected);

    const MenuSettings settings;
    QCOMPARE(settings.property(property.constData()), expected);
}

void MenuSettingsTest::freshObjectWithoutFile()
{
    MenuSettings settings;
    QCOMPARE(settings.getTabs(), defaultTabs);
    QCOMPARE(settings.defaultTab(), QStringLiteral("apps"));
    QCOMPARE(settings.appsMode(), QStringLiteral("tree"));
    QVERIFY(!settings.autoRefresh());
    QVERIFY(!settings.enableDebug());
    QCOMPARE(settings.parent(), nullptr);

    ChangeRecorder recorder(settings);
    settings.load();
    QCOMPARE(recorder.takeChanges(), QStringList());
    QCOMPARE(propertyValues(settings), defaultValues());
    QVERIFY2(!QFileInfo::exists(TestSupport::preferencesFile()), "load() wrote the file");
}

void MenuSettingsTest::setterSignalsOnlyOnChange_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("defaultValue");
    QTest::addColumn<QVariant>("otherValue");
    for (const Preference &preference : preferences()) {
        QTest::addRow("%s", preference.property) << QByteArray(preference.property) << preference.defaultValue << preference.otherValue;
    }
}

void MenuSettingsTest::setterSignalsOnlyOnChange()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, defaultValue);
    QFETCH(QVariant, otherValue);

    MenuSettings settings;
    const QMetaProperty metaProperty = settings.metaObject()->property(settings.metaObject()->indexOfProperty(property.constData()));
    QVERIFY(metaProperty.isValid());
    ChangeRecorder recorder(settings);
    const QStringList once = {QString::fromLatin1(property)};

    QVERIFY(metaProperty.write(&settings, defaultValue));
    QCOMPARE(recorder.takeChanges(), QStringList());

    QVERIFY(metaProperty.write(&settings, otherValue));
    QCOMPARE(recorder.takeChanges(), once);
    QCOMPARE(metaProperty.read(&settings), otherValue);

    QVERIFY(metaProperty.write(&settings, otherValue));
    QCOMPARE(recorder.takeChanges(), QStringList());

    QVERIFY(metaProperty.write(&settings, defaultValue));
    QCOMPARE(recorder.takeChanges(), once);
    QCOMPARE(metaProperty.read(&settings), defaultValue);
}

void MenuSettingsTest::resetRestoresDefault_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("defaultValue");
    QTest::addColumn<QVariant>("otherValue");
    for (const Preference &preference : preferences()) {
        if (qstrcmp(preference.property, "autoRefresh") != 0) {
            QTest::addRow("%s", preference.property) << QByteArray(preference.property) << preference.defaultValue << preference.otherValue;
        }
    }
}

void MenuSettingsTest::resetRestoresDefault()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, defaultValue);
    QFETCH(QVariant, otherValue);

    MenuSettings settings;
    const QMetaProperty metaProperty = settings.metaObject()->property(settings.metaObject()->indexOfProperty(property.constData()));
    QVERIFY(metaProperty.isResettable());
    ChangeRecorder recorder(settings);

    QVERIFY(metaProperty.reset(&settings));
    QCOMPARE(recorder.takeChanges(), QStringList());

    QVERIFY(metaProperty.write(&settings, otherValue));
    recorder.takeChanges();
    QVERIFY(metaProperty.reset(&settings));
    QCOMPARE(recorder.takeChanges(), QStringList{QString::fromLatin1(property)});
    QCOMPARE(metaProperty.read(&settings), defaultValue);
}

void MenuSettingsTest::setTabsIgnoresOrderAndRepetition_data()
{
    QTest::addColumn<QStringList>("tabs");
    QTest::addColumn<bool>("changes");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("same names") << defaultTabs << false << defaultTabs;
    QTest::addRow("other order") << QStringList{"leave", "params", "recent", "computer", "favorites", "apps"} << false << defaultTabs;
    QTest::addRow("repeated name") << QStringList{"apps", "apps", "favorites", "computer", "recent", "params", "leave", "leave"} << false << defaultTabs;
    QTest::addRow("one name less") << QStringList{"apps", "favorites", "computer", "recent", "params"} << true
                                   << QStringList{"apps", "favorites", "computer", "recent", "params"};
    QTest::addRow("grid form instead") << QStringList{"gridapps", "favorites", "computer", "recent", "params", "leave"} << true
                                       << QStringList{"gridapps", "favorites", "computer", "recent", "params", "leave"};
    QTest::addRow("no tabs") << QStringList() << true << QStringList();
}

void MenuSettingsTest::setTabsIgnoresOrderAndRepetition()
{
    QFETCH(QStringList, tabs);
    QFETCH(bool, changes);
    QFETCH(QStringList, expected);

    MenuSettings settings;
    QSignalSpy spy(&settings, &MenuSettings::tabsChanged);
    QVERIFY(spy.isValid());
    settings.setTabs(tabs);
    QCOMPARE(spy.count(), changes ? 1 : 0);
    QCOMPARE(settings.getTabs(), expected);

    settings.resetTabs();
    QCOMPARE(spy.count(), changes ? 2 : 0);
    QCOMPARE(settings.getTabs(), defaultTabs);
}

void MenuSettingsTest::tabsAndSwitchesIndependent()
{
    MenuSettings settings;
    ChangeRecorder recorder(settings);

    settings.setTabs({"apps", "leave"});
    QCOMPARE(recorder.takeChanges(), QStringList{"tabs"});
    QVERIFY(settings.enableFavorites());
    QVERIFY(settings.enableComputer());
    QVERIFY(settings.enableRecent());

    settings.setEnableFavorites(false);
    settings.setEnableComputer(false);
    settings.setEnableRecent(false);
    settings.setEnableRecent(true);
    QCOMPARE(recorder.takeChanges(), (QStringList{"enableFavorites", "enableComputer", "enableRecent", "enableRecent"}));
    QCOMPARE(settings.getTabs(), (QStringList{"apps", "leave"}));
}

void MenuSettingsTest::getTabsRanks_data()
{
    QTest::addColumn<QStringList>("tabs");
    QTest::addColumn<QStringList>("expected");

    const QStringList ranked =
        {"apps", "gridapps", "favorites", "gridfavorites", "computer", "gridcomputer", "recent", "gridrecent", "params", "gridparams", "leave"};
    QStringList reversed = ranked;
    std::reverse(reversed.begin(), reversed.end());

    QTest::addRow("defaults") << defaultTabs << defaultTabs;
    QTest::addRow("every known name, reversed") << reversed << ranked;
    QTest::addRow("grid forms and leave") << QStringList{"leave", "gridrecent", "gridapps"} << QStringList{"gridapps", "gridrecent", "leave"};
    QTest::addRow("leave alone") << QStringList{"leave"} << QStringList{"leave"};
    QTest::addRow("unknown name ranks with apps") << QStringList{"leave", "zzz MenuSettingsTest", "gridapps"}
                                                  << QStringList{"zzz MenuSettingsTest", "gridapps", "leave"};
    QTest::addRow("unknown names before favorites") << QStringList{"favorites", "weather MenuSettingsTest", "calendar MenuSettingsTest"}
                                                    << QStringList{"calendar MenuSettingsTest", "weather MenuSettingsTest", "favorites"};
    QTest::addRow("nothing") << QStringList() << QStringList();
}

void MenuSettingsTest::getTabsRanks()
{
    QFETCH(QStringList, tabs);
    QFETCH(QStringList, expected);

    MenuSettings settings;
    settings.setTabs(tabs);
    const QStringList result = settings.getTabs();
    // Names of equal rank may come in any order; everything else is fixed.
    const auto rankOf = [&expected](const QString &tab) {
        return tab == QLatin1String("apps") || tab.contains(QLatin1String("MenuSettingsTest")) ? 0 : expected.indexOf(tab) + 1;
    };
    QCOMPARE(sorted(result), sorted(expected));
    for (int i = 1; i < result.size(); ++i) {
        QVERIFY2(rankOf(result.at(i - 1)) <= rankOf(result.at(i)), qPrintable(result.join(QLatin1Char(','))));
    }
    QCOMPARE(settings.property("tabs").toStringList(), result);
}

void MenuSettingsTest::enableDebugSwitchesLoggingOnChangeOnly()
{
    MenuSettings settings;
    qInstallMessageHandler(sentinelMessageHandler);

    settings.setEnableDebug(true);
    QVERIFY(currentMessageHandler() == &messageHandler);
    QVERIFY(LOG_GENERAL().isDebugEnabled());

    // Set again to the value it has: the switch must not be called a second time.
    qInstallMessageHandler(sentinelMessageHandler);
    settings.setEnableDebug(true);
    QVERIFY(currentMessageHandler() == &sentinelMessageHandler);

    settings.setEnableDebug(false);
    QVERIFY(currentMessageHandler() != &sentinelMessageHandler);
    QVERIFY(currentMessageHandler() != &messageHandler);
    QVERIFY(!LOG_GENERAL().isDebugEnabled());

    qInstallMessageHandler(sentinelMessageHandler);
    settings.resetEnableDebug();
    QVERIFY(currentMessageHandler() == &sentinelMessageHandler);
}

void MenuSettingsTest::loadSignalsChangedValuesOnly_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expectedChanges");
    QTest::addColumn<QVariantMap>("expectedValues");

    const QVariantMap defaults = defaultValues();

    QTest::addRow("empty file") << QByteArray() << QStringList() << defaults;
    const QByteArray defaultsFile =
        "[General]\nenableFavorites=true\nenableComputer=true\nenableRecent=true\ndefaultTab=apps\n"
        "showClassicMenu=false\nshowLastLoginInfo=false\nappsMode=tree\nenableSortCategoriesAlphabetically=false\n"
        "enableSortAppsAlphabetically=false\naskConfirmation=false\nenableAnimation=true\nshowTooltips=true\n"
        "enableDebug=false\ntabs=leave, params, recent, computer, favorites, apps\n";
    QTest::addRow("file holding the defaults") << defaultsFile << QStringList() << defaults;

    // "tabs" comes first in the file; load() still reads it last.
    const QByteArray otherValuesFile =
        "[General]\ntabs=leave, gridrecent, gridapps\nenableFavorites=false\nenableComputer=false\nenableRecent=false\n"
        "defaultTab=recent MenuSettingsTest\nshowClassicMenu=true\nshowLastLoginInfo=true\nappsMode=grid MenuSettingsTest\n"
        "enableSortCategoriesAlphabetically=true\nenableSortAppsAlphabetically=true\naskConfirmation=true\n"
        "enableAnimation=false\nshowTooltips=false\nenableDebug=true\nautoRefresh=true\n";
    const QStringList loadOrder = {"enableFavorites",
                                   "enableComputer",
                                   "enableRecent",
                                   "defaultTab",
                                   "showClassicMenu",
                                   "showLastLoginInfo",
                                   "appsMode",
                                   "enableSortCategoriesAlphabatically",
                                   "enableSortAppsAlphabatically",
                                   "askConfirmation",
                                   "enableAnimation",
                                   "showTooltips",
                                   "enableDebug",
                                   "tabs"};
    QVariantMap changed = defaults;
    changed["enableFavorites"] = false;
    changed["enableComputer"] = false;
    changed["enableRecent"] = false;
    changed["defaultTab"] = "recent MenuSettingsTest";
    changed["showClassicMenu"] = true;
    changed["showLastLoginInfo"] = true;
    changed["appsMode"] = "grid MenuSettingsTest";
    changed["enableSortCategoriesAlphabatically"] = true;
    changed["enableSortAppsAlphabatically"] = true;
    changed["askConfirmation"] = true;
    changed["enableAnimation"] = false;
    changed["showTooltips"] = false;
    changed["enableDebug"] = true;
    changed["tabs"] = QStringList{"gridapps", "gridrecent", "leave"};
    QTest::addRow("every value changed") << otherValuesFile << loadOrder << changed;

    QVariantMap some = defaults;
    some["enableSortAppsAlphabatically"] = true;
    some["showTooltips"] = false;
    QTest::addRow("two values changed, others missing") << QByteArray("enableSortAppsAlphabetically=true\nshowTooltips=false\nenableAnimation=true\n")
                                                        << QStringList{"enableSortAppsAlphabatically", "showTooltips"} << some;

    QTest::addRow("keys spelt as the published names")
        << QByteArray("enableSortAppsAlphabatically=true\nenableSortCategoriesAlphabatically=true\n") << QStringList() << defaults;
    QTest::addRow("keys in another group") << QByteArray("[Menu]\nenableFavorites=false\ndefaultTab=recent\n") << QStringList() << defaults;
    QTest::addRow("tabs in another order") << QByteArray("tabs=leave, apps, recent, favorites, params, computer\n") << QStringList() << defaults;
}

void MenuSettingsTest::loadSignalsChangedValuesOnly()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expectedChanges);
    QFETCH(QVariantMap, expectedValues);

    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), content));
    MenuSettings settings;
    ChangeRecorder recorder(settings);
    settings.load();
    QCOMPARE(recorder.takeChanges(), expectedChanges);
    QCOMPARE(propertyValues(settings), expectedValues);

    settings.load();
    QCOMPARE(recorder.takeChanges(), QStringList());
    QCOMPARE(TestSupport::readFile(TestSupport::preferencesFile()), content);
}

void MenuSettingsTest::loadConvertsValues_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("expected");

    // As QVariant converts: a switch is off only for "false", "0" (in any case) and nothing.
    QTest::addRow("true") << QByteArray("showClassicMenu=true\n") << QByteArray("showClassicMenu") << QVariant(true);
    QTest::addRow("false") << QByteArray("enableAnimation=false\n") << QByteArray("enableAnimation") << QVariant(false);
    QTest::addRow("capitalised true") << QByteArray("showClassicMenu=True\n") << QByteArray("showClassicMenu") << QVariant(true);
    QTest::addRow("capitalised false") << QByteArray("enableAnimation=FALSE\n") << QByteArray("enableAnimation") << QVariant(false);
    QTest::addRow("digit one") << QByteArray("showClassicMenu=1\n") << QByteArray("showClassicMenu") << QVariant(true);
    QTest::addRow("digit zero") << QByteArray("enableAnimation=0\n") << QByteArray("enableAnimation") << QVariant(false);
    QTest::addRow("yes") << QByteArray("showClassicMenu=yes\n") << QByteArray("showClassicMenu") << QVariant(true);
    QTest::addRow("off, a word like any other") << QByteArray("askConfirmation=off\n") << QByteArray("askConfirmation") << QVariant(true);
    QTest::addRow("bool as an empty value") << QByteArray("enableRecent=\n") << QByteArray("enableRecent") << QVariant(false);
    QTest::addRow("bool as a list") << QByteArray("showTooltips=0, 1\n") << QByteArray("showTooltips") << QVariant(false);
    QTest::addRow("bool as an invalid variant") << QByteArray("enableAnimation=@Invalid()\n") << QByteArray("enableAnimation") << QVariant(false);
    QTest::addRow("bool as a byte array") << QByteArray("enableSortAppsAlphabetically=@ByteArray(true)\n") << QByteArray("enableSortAppsAlphabatically")
                                          << QVariant(true);
    QTest::addRow("quoted string") << QByteArray("defaultTab=\"a, b\"\n") << QByteArray("defaultTab") << QVariant(QStringLiteral("a, b"));
    QTest::addRow("empty string") << QByteArray("appsMode=\n") << QByteArray("appsMode") << QVariant(QString());
    QTest::addRow("string as a list") << QByteArray("appsMode=a,b\n") << QByteArray("appsMode") << QVariant(QString());
    QTest::addRow("string as an invalid variant") << QByteArray("defaultTab=@Invalid()\n") << QByteArray("defaultTab") << QVariant(QString());
    QTest::addRow("one tab, written as a plain string") << QByteArray("tabs=leave\n") << QByteArray("tabs") << QVariant(QStringList{"leave"});
    QTest::addRow("tabs with a repeated name") << QByteArray("tabs=leave, apps, leave\n") << QByteArray("tabs") << QVariant(QStringList{"apps", "leave"});
    QTest::addRow("tabs as an invalid variant") << QByteArray("tabs=@Invalid()\n") << QByteArray("tabs") << QVariant(QStringList());
    QTest::addRow("tabs as a byte array") << QByteArray("tabs=@ByteArray(leave)\n") << QByteArray("tabs") << QVariant(QStringList());
}

void MenuSettingsTest::loadConvertsValues()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, expected);

    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), content));
    MenuSettings settings;
    ChangeRecorder recorder(settings);
    settings.load();
    QCOMPARE(settings.property(property.constData()), expected);
    QCOMPARE(recorder.takeChanges(), QStringList{QString::fromLatin1(property)});
}

void MenuSettingsTest::damagedFileKeepsUserValues_data()
{
    QTest::addColumn<QByteArray>("content");
    for (const auto &damage : TestSupport::damagedLines()) {
        QTest::addRow("%s", damage.first) << damage.second + "appsMode=list\nenableRecent=false\n";
    }
}

void MenuSettingsTest::damagedFileKeepsUserValues()
{
    QFETCH(QByteArray, content);

    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), content));
    {
        QSettings file(TestSupport::preferencesFile(), QSettings::NativeFormat);
        file.allKeys();
        QCOMPARE(file.status(), QSettings::FormatError);
    }
    MenuSettings settings;
    ChangeRecorder recorder(settings);
    settings.load();
    QCOMPARE(recorder.takeChanges(), (QStringList{"enableRecent", "appsMode"}));
    QCOMPARE(settings.appsMode(), QStringLiteral("list"));
    QVERIFY(!settings.enableRecent());

    settings.setShowTooltips(false);
    settings.save();
    const QMap<QString, QString> entries = rawEntries();
    QCOMPARE(entries.value("appsMode"), QStringLiteral("list"));
    QCOMPARE(entries.value("enableRecent"), QStringLiteral("false"));
    QCOMPARE(entries.value("showTooltips"), QStringLiteral("false"));
}

void MenuSettingsTest::loadKeepsValuesIfFileCannotBeOpened_data()
{
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<bool>("folder");

    QTest::addRow("unreadable file") << true << false;
    QTest::addRow("folder in place of the file") << false << true;
}

void MenuSettingsTest::loadKeepsValuesIfFileCannotBeOpened()
{
    QFETCH(bool, unreadable);
    QFETCH(bool, folder);

    if (unreadable && geteuid() == 0) {
        QSKIP("root reads a file without read permission");
    }
    if (folder) {
        QVERIFY(QDir().mkpath(TestSupport::preferencesFile()));
    } else {
        QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "enableFavorites=false\ndefaultTab=recent\n"));
    }
    if (unreadable) {
        QVERIFY(QFile::setPermissions(TestSupport::preferencesFile(), QFileDevice::WriteOwner));
    }

    MenuSettings settings;
    settings.setEnableSortCategoriesAlphabetically(true);
    settings.setTabs({"gridapps", "leave"});
    QVariantMap expected = defaultValues();
    expected["enableSortCategoriesAlphabatically"] = true;
    expected["tabs"] = QStringList{"gridapps", "leave"};

    ChangeRecorder recorder(settings);
    settings.load();
    QCOMPARE(recorder.takeChanges(), QStringList());
    QCOMPARE(propertyValues(settings), expected);
}

void MenuSettingsTest::loadSwitchesDebugLogging()
{
    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "enableDebug=true\n"));
    MenuSettings settings;
    QSignalSpy spy(&settings, &MenuSettings::enableDebugChanged);
    QVERIFY(spy.isValid());

    settings.load();
    QCOMPARE(spy.count(), 1);
    QVERIFY(settings.enableDebug());
    QVERIFY(currentMessageHandler() == &messageHandler);
    QVERIFY(LOG_GENERAL().isDebugEnabled());

    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "enableDebug=false\n"));
    settings.load();
    QCOMPARE(spy.count(), 2);
    QVERIFY(!LOG_GENERAL().isDebugEnabled());
    QVERIFY(currentMessageHandler() != &messageHandler);
}

void MenuSettingsTest::saveWritesPreferences()
{
    MenuSettings settings;
    for (const Preference &preference : preferences()) {
        QVERIFY(settings.setProperty(preference.property, preference.otherValue));
    }
    settings.save();

    // Written as QSettings writes a bool, a string and a list; autoRefresh and enableDebug are not kept.
    QMap<QString, QString> entries = rawEntries();
    const QStringList tabs = entries.take("tabs").split(QStringLiteral(", "));
    const QMap<QString, QString> expected = {
        {"enableFavorites", "false"},
        {"enableComputer", "false"},
        {"enableRecent", "false"},
        {"defaultTab", "recent MenuSettingsTest"},
        {"showClassicMenu", "true"},
        {"showLastLoginInfo", "true"},
        {"appsMode", "grid MenuSettingsTest"},
        {"enableSortCategoriesAlphabetically", "true"},
        {"enableSortAppsAlphabetically", "true"},
        {"askConfirmation", "true"},
        {"enableAnimation", "false"},
        {"showTooltips", "false"},
    };
    QCOMPARE(entries, expected);
    QCOMPARE(sorted(tabs), (QStringList{"apps", "gridapps", "leave", "params"}));
    QVERIFY(TestSupport::readFile(TestSupport::preferencesFile()).startsWith("[General]\n"));
}

void MenuSettingsTest::saveLeavesEnableDebugEntry_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("enableDebug");
    QTest::addColumn<QString>("expected");

    QTest::addRow("entry true, preference false") << QByteArray("enableDebug=true\n") << false << "true";
    QTest::addRow("entry false, preference true") << QByteArray("enableDebug=false\n") << true << "false";
    QTest::addRow("no entry, preference true") << QByteArray() << true << QString();
}

void MenuSettingsTest::saveLeavesEnableDebugEntry()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, enableDebug);
    QFETCH(QString, expected);

    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), before));
    MenuSettings settings;
    settings.setEnableDebug(enableDebug);
    settings.save();
    QCOMPARE(rawEntries().value("enableDebug"), expected);
    QCOMPARE(rawEntries().contains("enableDebug"), !expected.isNull());
    QCOMPARE(settings.enableDebug(), enableDebug);
}

void MenuSettingsTest::saveKeepsOtherEntries()
{
    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(),
                                         "[General]\nindexMedia=false\nindexSizeLimit=42\n\n[Window MenuSettingsTest]\nwidth=640\n"));
    MenuSettings settings;
    settings.setAppsMode("grid");
    settings.save();

    QSettings file(TestSupport::preferencesFile(), QSettings::IniFormat);
    QCOMPARE(file.status(), QSettings::NoError);
    QCOMPARE(file.value("indexMedia").toString(), QStringLiteral("false"));
    QCOMPARE(file.value("indexSizeLimit").toString(), QStringLiteral("42"));
    QCOMPARE(file.value("Window MenuSettingsTest/width").toString(), QStringLiteral("640"));
    QCOMPARE(file.value("appsMode").toString(), QStringLiteral("grid"));
}

void MenuSettingsTest::saveKeepsValuesOfOtherWriters_data()
{
    TestSupport::addOtherWriterRows();
}

void MenuSettingsTest::saveKeepsValuesOfOtherWriters()
{
    QFETCH(bool, loadFirst);
    QFETCH(bool, changeHere);

    MenuSettings settings;
    if (loadFirst) {
        settings.load();
    }
    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "appsMode=list\nenableRecent=false\ntabs=gridapps, leave\n"));
    if (changeHere) {
        settings.setAppsMode("grid");
    }
    settings.setShowTooltips(false);
    settings.save();
    // Kept again: the file's values are still not this object's.
    settings.save();

    const QMap<QString, QString> entries = rawEntries();
    QCOMPARE(entries.value("appsMode"), changeHere ? QStringLiteral("grid") : QStringLiteral("list"));
    QCOMPARE(entries.value("enableRecent"), QStringLiteral("false"));
    QCOMPARE(entries.value("tabs"), QStringLiteral("gridapps, leave"));
    QCOMPARE(entries.value("showTooltips"), QStringLiteral("false"));
    QCOMPARE(entries.value("enableFavorites"), QStringLiteral("true"));
    QCOMPARE(settings.appsMode(), changeHere ? QStringLiteral("grid") : QStringLiteral("tree"));
}

void MenuSettingsTest::saveReconcilesTabs_data()
{
    QTest::addColumn<bool>("enableFavorites");
    QTest::addColumn<bool>("enableComputer");
    QTest::addColumn<bool>("enableRecent");
    QTest::addColumn<QStringList>("tabs");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("defaults") << true << true << true << defaultTabs << defaultTabs;
    QTest::addRow("computer switched off") << true << false << true << defaultTabs << QStringList{"apps", "favorites", "recent", "params", "leave"};
    QTest::addRow("all switched off") << false << false << false << defaultTabs << QStringList{"apps", "params", "leave"};
    QTest::addRow("switched on, tabs missing") << true << true << true << QStringList{"leave"} << defaultTabs;
    QTest::addRow("fixed tabs removed") << false << false << true << QStringList{"recent"} << QStringList{"apps", "recent", "params", "leave"};
    QTest::addRow("grid forms untouched") << false << false << false << QStringList{"gridfavorites", "gridcomputer", "gridapps"}
                                          << QStringList{"apps", "gridapps", "gridfavorites", "gridcomputer", "params", "leave"};
    QTest::addRow("grid forms not added") << true << true << true << QStringList{"gridapps"}
                                          << QStringList{"apps", "gridapps", "favorites", "computer", "recent", "params", "leave"};
    QTest::addRow("unknown name kept") << false << false << false << QStringList{"weather MenuSettingsTest", "favorites"}
                                       << QStringList{"apps", "weather MenuSettingsTest", "params", "leave"};
}

void MenuSettingsTest::saveReconcilesTabs()
{
    QFETCH(bool, enableFavorites);
    QFETCH(bool, enableComputer);
    QFETCH(bool, enableRecent);
    QFETCH(QStringList, tabs);
    QFETCH(QStringList, expected);

    MenuSettings settings;
    settings.setEnableFavorites(enableFavorites);
    settings.setEnableComputer(enableComputer);
    settings.setEnableRecent(enableRecent);
    settings.setTabs(tabs);
    ChangeRecorder recorder(settings);

    settings.save();
    QCOMPARE(recorder.takeChanges(), QStringList());
    QCOMPARE(sorted(settings.getTabs()), sorted(expected));
    QCOMPARE(sorted(rawEntries().value("tabs").split(QStringLiteral(", "))), sorted(expected));
    QCOMPARE(settings.enableFavorites(), enableFavorites);
    QCOMPARE(settings.enableComputer(), enableComputer);
    QCOMPARE(settings.enableRecent(), enableRecent);
}

void MenuSettingsTest::tabFollowsSwitchOnlyAfterSave()
{
    MenuSettings settings;
    QSignalSpy spy(&settings, &MenuSettings::tabsChanged);
    QVERIFY(spy.isValid());

    settings.setEnableComputer(false);
    QVERIFY(settings.getTabs().contains("computer"));
    settings.save();
    QCOMPARE(settings.getTabs(), (QStringList{"apps", "favorites", "recent", "params", "leave"}));
    QVERIFY(!rawEntries().value("tabs").split(QStringLiteral(", ")).contains("computer"));
    QCOMPARE(spy.count(), 0);
}

void MenuSettingsTest::saveAndLoadRoundTrip()
{
    MenuSettings saved;
    for (const Preference &preference : preferences()) {
        QVERIFY(saved.setProperty(preference.property, preference.otherValue));
    }
    saved.setTabs({"gridapps", "leave", "gridparams"});
    saved.save();
    QVERIFY(QFileInfo(TestSupport::preferencesFile()).isFile());

    MenuSettings loaded;
    loaded.load();
    QVariantMap expected = propertyValues(saved);
    expected["autoRefresh"] = false;
    expected["enableDebug"] = false;
    QCOMPARE(propertyValues(loaded), expected);
    QCOMPARE(loaded.getTabs(), (QStringList{"apps", "gridapps", "params", "gridparams", "leave"}));
}

void MenuSettingsTest::watchesFileAndFolder()
{
    {
        const MenuSettings settings;
        const QFileSystemWatcher *watcher = watcherOf(settings);
        QVERIFY(watcher);
        QCOMPARE(watcher->directories(), QStringList());
        QCOMPARE(watcher->files(), QStringList());
    }

    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "appsMode=grid\n"));
    const MenuSettings settings;
    const QFileSystemWatcher *watcher = watcherOf(settings);
    QVERIFY(watcher);
    QCOMPARE(watcher->directories(), QStringList{QFileInfo(TestSupport::preferencesFile()).path()});
    QCOMPARE(watcher->files(), QStringList{TestSupport::preferencesFile()});
}

void MenuSettingsTest::autoRefreshReloadsAfterInPlaceWrite()
{
    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "appsMode=grid\n"));
    MenuSettings settings;
    settings.setAutoRefresh(true);
    QCOMPARE(settings.appsMode(), QStringLiteral("grid"));
    QSignalSpy spy(&settings, &MenuSettings::appsModeChanged);
    QVERIFY(spy.isValid());

    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "appsMode=list\n"));
    QTRY_COMPARE(settings.appsMode(), QStringLiteral("list"));
    QCOMPARE(spy.count(), 1);

    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "appsMode=tiles\n"));
    QTRY_COMPARE(settings.appsMode(), QStringLiteral("tiles"));
    QCOMPARE(spy.count(), 2);
}

void MenuSettingsTest::autoRefreshReloadsAfterAtomicReplace()
{
    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "enableFavorites=true\n"));
    MenuSettings settings;
    settings.setAutoRefresh(true);
    QSignalSpy spy(&settings, &MenuSettings::enableFavoritesChanged);
    QVERIFY(spy.isValid());

    // QSettings writes a new file and renames it over the old one: the watched file is gone.
    {
        QSettings writer(TestSupport::preferencesFile(), QSettings::NativeFormat);
        writer.setValue("enableFavorites", false);
    }
    QTRY_COMPARE(settings.enableFavorites(), false);
    QCOMPARE(spy.count(), 1);
    QTRY_COMPARE(watcherOf(settings)->files(), QStringList{TestSupport::preferencesFile()});

    {
        QSettings writer(TestSupport::preferencesFile(), QSettings::NativeFormat);
        writer.setValue("enableFavorites", true);
    }
    QTRY_COMPARE(settings.enableFavorites(), true);
    QCOMPARE(spy.count(), 2);

    // Another MenuSettings saving is another writer too.
    MenuSettings other;
    other.setDefaultTab("recent");
    other.save();
    QTRY_COMPARE(settings.defaultTab(), QStringLiteral("recent"));
}

void MenuSettingsTest::autoRefreshReloadsNewFile()
{
    QVERIFY(QDir().mkpath(QFileInfo(TestSupport::preferencesFile()).path()));
    MenuSettings settings;
    settings.setAutoRefresh(true);
    QCOMPARE(watcherOf(settings)->files(), QStringList());

    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "showTooltips=false\n"));
    QTRY_COMPARE(settings.showTooltips(), false);
    QTRY_COMPARE(watcherOf(settings)->files(), QStringList{TestSupport::preferencesFile()});

    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "showTooltips=true\n"));
    QTRY_COMPARE(settings.showTooltips(), true);
}

void MenuSettingsTest::autoRefreshOffIgnoresChanges()
{
    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "appsMode=grid\n"));
    MenuSettings settings;
    QFileSystemWatcher *watcher = watcherOf(settings);
    QVERIFY(watcher);
    // Connected after the settings' own handler, so that it has run when the spy counts.
    QSignalSpy fileSpy(watcher, &QFileSystemWatcher::fileChanged);
    QVERIFY(fileSpy.isValid());
    ChangeRecorder recorder(settings);

    {
        QSettings writer(TestSupport::preferencesFile(), QSettings::NativeFormat);
        writer.setValue("appsMode", "list");
    }
    QTRY_VERIFY(fileSpy.count() > 0);
    QCOMPARE(recorder.takeChanges(), QStringList());
    QCOMPARE(settings.appsMode(), QStringLiteral("tree"));
    // Still watched: the replaced file was taken up again.
    QTRY_COMPARE(watcher->files(), QStringList{TestSupport::preferencesFile()});
}

void MenuSettingsTest::switchingAutoRefreshOnReloads()
{
    MenuSettings settings;
    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "enableRecent=false\n"));
    ChangeRecorder recorder(settings);

    settings.setAutoRefresh(true);
    QCOMPARE(sorted(recorder.takeChanges()), (QStringList{"autoRefresh", "enableRecent"}));
    QVERIFY(!settings.enableRecent());

    settings.setAutoRefresh(true);
    QCOMPARE(recorder.takeChanges(), QStringList());

    settings.setEnableRecent(true);
    settings.setAutoRefresh(false);
    QCOMPARE(recorder.takeChanges(), (QStringList{"enableRecent", "autoRefresh"}));
    QVERIFY(settings.enableRecent());

    // autoRefresh itself is never stored.
    settings.save();
    QVERIFY(!rawEntries().contains("autoRefresh"));
}

QTEST_GUILESS_MAIN(MenuSettingsTest)

#include "menusettingstest.moc"

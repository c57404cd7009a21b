/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "menusettings.h"

#include "configvalues_p.h"
#include "logging.h"
#include "startmenuutils.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QSettings>

#include <algorithm>
#include <memory>

namespace
{
const QString enableFavoritesKey = QStringLiteral("enableFavorites");
const QString enableComputerKey = QStringLiteral("enableComputer");
const QString enableRecentKey = QStringLiteral("enableRecent");
const QString defaultTabKey = QStringLiteral("defaultTab");
const QString showClassicMenuKey = QStringLiteral("showClassicMenu");
const QString showLastLoginInfoKey = QStringLiteral("showLastLoginInfo");
const QString appsModeKey = QStringLiteral("appsMode");
const QString enableSortCategoriesKey = QStringLiteral("enableSortCategoriesAlphabetically");
const QString enableSortAppsKey = QStringLiteral("enableSortAppsAlphabetically");
const QString askConfirmationKey = QStringLiteral("askConfirmation");
const QString enableAnimationKey = QStringLiteral("enableAnimation");
const QString showTooltipsKey = QStringLiteral("showTooltips");
const QString enableDebugKey = QStringLiteral("enableDebug");
const QString tabsKey = QStringLiteral("tabs");

const QString appsTab = QStringLiteral("apps");
const QString favoritesTab = QStringLiteral("favorites");
const QString computerTab = QStringLiteral("computer");
const QString recentTab = QStringLiteral("recent");
const QString paramsTab = QStringLiteral("params");
const QString leaveTab = QStringLiteral("leave");

// Presentation order of the tabs; a name's rank is its index.
const QHash<QString, int> &tabRanks()
{
    static const QHash<QString, int> ranks = [] {
        const QString order[] = {
            appsTab,
            QStringLiteral("gridapps"),
            favoritesTab,
            QStringLiteral("gridfavorites"),
            computerTab,
            QStringLiteral("gridcomputer"),
            recentTab,
            QStringLiteral("gridrecent"),
            paramsTab,
            QStringLiteral("gridparams"),
            leaveTab,
        };
        QHash<QString, int> table;
        for (const QString &tab : order) {
            table.insert(tab, table.size());
        }
        return table;
    }();
    return ranks;
}

// What save() writes, in its order; enableDebug is the user's to keep in the file. The tabs are
// written in the set's order, which means nothing, so whether they changed goes by getTabs().
ConfigValues::Entries storedPreferences(const MenuSettings &settings, const QSet<QString> &tabs)
{
    return {
        {enableFavoritesKey, settings.enableFavorites()},
        {enableComputerKey, settings.enableComputer()},
        {enableRecentKey, settings.enableRecent()},
        {defaultTabKey, settings.defaultTab()},
        {showClassicMenuKey, settings.showClassicMenu()},
        {showLastLoginInfoKey, settings.showLastLoginInfo()},
        {appsModeKey, settings.appsMode()},
        {enableSortCategoriesKey, settings.enableSortCategoriesAlphabetically()},
        {enableSortAppsKey, settings.enableSortAppsAlphabetically()},
        {askConfirmationKey, settings.askConfirmation()},
        {enableAnimationKey, settings.enableAnimation()},
        {showTooltipsKey, settings.showTooltips()},
        {tabsKey, QStringList(tabs.values()), settings.getTabs()},
    };
}
}

MenuSettings::MenuSettings(QObject *parent)
    : QObject(parent)
    , m_baseline(std::make_unique<ConfigValues::Baseline>(storedPreferences(*this, m_tabs)))
{
    auto *watcher = new QFileSystemWatcher(this);
    const auto refresh = [this, watcher] {
        if (m_autoRefresh) {
            load();
        }
        // A file replaced by rename or newly created is a new file to the watcher.
        watcher->addPath(m_configFile);
    };
    connect(this, &MenuSettings::autoRefreshChanged, this, refresh);
    connect(watcher, &QFileSystemWatcher::fileChanged, this, refresh);
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, refresh);
    watcher->addPaths({m_configDir, m_configFile});
}

MenuSettings::~MenuSettings() = default;

QSet<QString> MenuSettings::defaultTabSet()
{
    return {appsTab, favoritesTab, computerTab, recentTab, paramsTab, leaveTab};
}

template<typename T>
bool MenuSettings::assign(T &member, const T &value, void (MenuSettings::*changed)())
{
    if (member == value) {
        return false;
    }
    member = value;
    Q_EMIT(this->*changed)();
    return true;
}

bool MenuSettings::enableFavorites() const
{
    return m_enableFavorites;
}

void MenuSettings::setEnableFavorites(bool enable)
{
    assign(m_enableFavorites, enable, &MenuSettings::enableFavoritesChanged);
}

void MenuSettings::resetEnableFavorites()
{
    setEnableFavorites(true);
}

bool MenuSettings::enableComputer() const
{
    return m_enableComputer;
}

void MenuSettings::setEnableComputer(bool enable)
{
    assign(m_enableComputer, enable, &MenuSettings::enableComputerChanged);
}

void MenuSettings::resetEnableComputer()
{
    setEnableComputer(true);
}

bool MenuSettings::enableRecent() const
{
    return m_enableRecent;
}

void MenuSettings::setEnableRecent(bool enable)
{
    assign(m_enableRecent, enable, &MenuSettings::enableRecentChanged);
}

void MenuSettings::resetEnableRecent()
{
    setEnableRecent(true);
}

const QString &MenuSettings::defaultTab() const
{
    return m_defaultTab;
}

void MenuSettings::setDefaultTab(const QString &tab)
{
    assign(m_defaultTab, tab, &MenuSettings::defaultTabChanged);
}

void MenuSettings::resetDefaultTab()
{
    setDefaultTab(appsTab);
}

QStringList MenuSettings::getTabs() const
{
    const auto rank = [](const QString &tab) {
        return tabRanks().value(tab, 0);
    };
    QStringList tabs = m_tabs.values();
    // Ties (unknown names rank with "apps") go by name, so the order does not depend on hashing.
    std::sort(tabs.begin(), tabs.end(), [&rank](const QString &left, const QString &right) {
        const int leftRank = rank(left);
        const int rightRank = rank(right);
        return leftRank != rightRank ? leftRank < rightRank : left < right;
    });
    return tabs;
}

void MenuSettings::setTabs(const QStringList &tabs)
{
    assign(m_tabs, QSet<QString>(tabs.cbegin(), tabs.cend()), &MenuSettings::tabsChanged);
}

void MenuSettings::resetTabs()
{
    setTabs({appsTab, favoritesTab, computerTab, recentTab, paramsTab, leaveTab});
}

bool MenuSettings::showClassicMenu() const
{
    return m_showClassicMenu;
}

void MenuSettings::setShowClassicMenu(bool show)
{
    assign(m_showClassicMenu, show, &MenuSettings::showClassicMenuChanged);
}

void MenuSettings::resetShowClassicMenu()
{
    setShowClassicMenu(false);
}

bool MenuSettings::showLastLoginInfo() const
{
    return m_showLastLoginInfo;
}

void MenuSettings::setShowLastLoginInfo(bool show)
{
    assign(m_showLastLoginInfo, show, &MenuSettings::showLastLoginInfoChanged);
}

void MenuSettings::resetShowLastLoginInfo()
{
    setShowLastLoginInfo(false);
}

const QString &MenuSettings::appsMode() const
{
    return m_appsMode;
}

void MenuSettings::setAppsMode(const QString &mode)
{
    assign(m_appsMode, mode, &MenuSettings::appsModeChanged);
}

void MenuSettings::resetAppsMode()
{
    setAppsMode(QStringLiteral("tree"));
}

bool MenuSettings::enableSortCategoriesAlphabetically() const
{
    return m_enableSortCategoriesAlphabetically;
}

void MenuSettings::setEnableSortCategoriesAlphabetically(bool enable)
{
    assign(m_enableSortCategoriesAlphabetically, enable, &MenuSettings::enableSortCategoriesAlphabeticallyChanged);
}

void MenuSettings::resetEnableSortCategoriesAlphabetically()
{
    setEnableSortCategoriesAlphabetically(false);
}

bool MenuSettings::enableSortAppsAlphabetically() const
{
    return m_enableSortAppsAlphabetically;
}

void MenuSettings::setEnableSortAppsAlphabetically(bool enable)
{
    assign(m_enableSortAppsAlphabetically, enable, &MenuSettings::enableSortAppsAlphabeticallyChanged);
}

void MenuSettings::resetEnableSortAppsAlphabetically()
{
    setEnableSortAppsAlphabetically(false);
}

bool MenuSettings::askConfirmation() const
{
    return m_askConfirmation;
}

void MenuSettings::setAskConfirmation(bool ask)
{
    assign(m_askConfirmation, ask, &MenuSettings::askConfirmationChanged);
}

void MenuSettings::resetAskConfirmation()
{
    setAskConfirmation(false);
}

bool MenuSettings::enableAnimation() const
{
    return m_enableAnimation;
}

void MenuSettings::setEnableAnimation(bool enable)
{
    assign(m_enableAnimation, enable, &MenuSettings::enableAnimationChanged);
}

void MenuSettings::resetEnableAnimation()
{
    setEnableAnimation(true);
}

bool MenuSettings::showTooltips() const
{
    return m_showTooltips;
}

void MenuSettings::setShowTooltips(bool show)
{
    assign(m_showTooltips, show, &MenuSettings::showTooltipsChanged);
}

void MenuSettings::resetShowTooltips()
{
    setShowTooltips(true);
}

bool MenuSettings::autoRefresh() const
{
    return m_autoRefresh;
}

void MenuSettings::setAutoRefresh(bool autoRefresh)
{
    assign(m_autoRefresh, autoRefresh, &MenuSettings::autoRefreshChanged);
}

bool MenuSettings::enableDebug() const
{
    return m_enableDebug;
}

void MenuSettings::setEnableDebug(bool enable)
{
    if (assign(m_enableDebug, enable, &MenuSettings::enableDebugChanged)) {
        StartMenuUtils::enableDebug(enable);
    }
}

void MenuSettings::resetEnableDebug()
{
    setEnableDebug(false);
}

void MenuSettings::load()
{
    QSettings settings(m_configFile, QSettings::NativeFormat);
    // Nothing was read; QSettings reports a file that is damaged but readable as a format error and
    // still gives every value it could parse, and those are taken.
    if (settings.status() == QSettings::AccessError) {
        qCDebug(LOG_GENERAL) << "preferences not loaded: cannot open" << m_configFile;
        return;
    }

    // The current value is the default, so a missing entry changes nothing.
    const auto read = [this, &settings](const QString &key, const QVariant &current) {
        return m_baseline->read(settings, key, current);
    };
    setEnableFavorites(read(enableFavoritesKey, m_enableFavorites).toBool());
    setEnableComputer(read(enableComputerKey, m_enableComputer).toBool());
    setEnableRecent(read(enableRecentKey, m_enableRecent).toBool());
    setDefaultTab(read(defaultTabKey, m_defaultTab).toString());
    setShowClassicMenu(read(showClassicMenuKey, m_showClassicMenu).toBool());
    setShowLastLoginInfo(read(showLastLoginInfoKey, m_showLastLoginInfo).toBool());
    setAppsMode(read(appsModeKey, m_appsMode).toString());
    setEnableSortCategoriesAlphabetically(read(enableSortCategoriesKey, m_enableSortCategoriesAlphabetically).toBool());
    setEnableSortAppsAlphabetically(read(enableSortAppsKey, m_enableSortAppsAlphabetically).toBool());
    setAskConfirmation(read(askConfirmationKey, m_askConfirmation).toBool());
    setEnableAnimation(read(enableAnimationKey, m_enableAnimation).toBool());
    setShowTooltips(read(showTooltipsKey, m_showTooltips).toBool());
    setEnableDebug(read(enableDebugKey, m_enableDebug).toBool());
    setTabs(read(tabsKey, QStringList(m_tabs.values())).toStringList());
    m_baseline->hold(storedPreferences(*this, m_tabs));

    if (settings.status() != QSettings::NoError) {
        qCDebug(LOG_GENERAL) << "preferences loaded from a damaged file" << m_configFile << settings.status();
    }
}

void MenuSettings::save()
{
    const auto keepTab = [this](const QString &tab, bool enabled) {
        if (enabled) {
            m_tabs.insert(tab);
        } else {
            m_tabs.remove(tab);
        }
    };
    keepTab(favoritesTab, m_enableFavorites);
    keepTab(computerTab, m_enableComputer);
    keepTab(recentTab, m_enableRecent);
    m_tabs.insert(appsTab);
    m_tabs.insert(paramsTab);
    m_tabs.insert(leaveTab);

    QSettings settings(m_configFile, QSettings::NativeFormat);
    m_baseline->write(settings, storedPreferences(*this, m_tabs));
}

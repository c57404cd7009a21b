/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "menusettings.h"

#include "configfile_p.h"
#include "configfilewatcher_p.h"
#include "configvalues_p.h"
#include "startmenuutils.h"

#include <QHash>

#include <algorithm>
#include <memory>

namespace
{
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

using Preference = ConfigValues::Preference<MenuSettings>;
}

// In the order load() reads them and save() writes them; enableDebug is the user's to keep in the file.
const ConfigValues::Preferences<MenuSettings> &MenuSettings::preferences()
{
    static const ConfigValues::Preferences<MenuSettings> table = {
        {QStringLiteral("enableFavorites"), &MenuSettings::m_enableFavorites, true, &MenuSettings::setEnableFavorites},
        {QStringLiteral("enableComputer"), &MenuSettings::m_enableComputer, true, &MenuSettings::setEnableComputer},
        {QStringLiteral("enableRecent"), &MenuSettings::m_enableRecent, true, &MenuSettings::setEnableRecent},
        {QStringLiteral("defaultTab"), &MenuSettings::m_defaultTab, appsTab, &MenuSettings::setDefaultTab},
        {QStringLiteral("showClassicMenu"), &MenuSettings::m_showClassicMenu, false, &MenuSettings::setShowClassicMenu},
        {QStringLiteral("showLastLoginInfo"), &MenuSettings::m_showLastLoginInfo, false, &MenuSettings::setShowLastLoginInfo},
        {QStringLiteral("appsMode"), &MenuSettings::m_appsMode, QStringLiteral("tree"), &MenuSettings::setAppsMode},
        {QStringLiteral("enableSortCategoriesAlphabetically"),
         &MenuSettings::m_enableSortCategoriesAlphabetically,
         false,
         &MenuSettings::setEnableSortCategoriesAlphabetically},
        {QStringLiteral("enableSortAppsAlphabetically"), &MenuSettings::m_enableSortAppsAlphabetically, false, &MenuSettings::setEnableSortAppsAlphabetically},
        {QStringLiteral("askConfirmation"), &MenuSettings::m_askConfirmation, false, &MenuSettings::setAskConfirmation},
        {QStringLiteral("enableAnimation"), &MenuSettings::m_enableAnimation, true, &MenuSettings::setEnableAnimation},
        {QStringLiteral("showTooltips"), &MenuSettings::m_showTooltips, true, &MenuSettings::setShowTooltips},
        {QStringLiteral("enableDebug"), &MenuSettings::m_enableDebug, false, &MenuSettings::setEnableDebug, Preference::ReadOnly},
        {QStringLiteral("tabs"), &MenuSettings::m_tabs, {appsTab, favoritesTab, computerTab, recentTab, paramsTab, leaveTab}, &MenuSettings::setTabs},
    };
    return table;
}

MenuSettings::MenuSettings(QObject *parent)
    : QObject(parent)
    , m_configDir(ConfigFile::preferencesFolder())
    , m_configFile(ConfigFile::preferencesPath())
{
    preferences().setDefaults(*this);
    m_baseline = std::make_unique<ConfigValues::Baseline>(preferences().stored(*this));
    ConfigFileWatcher::watch(this, m_configDir, m_configFile, &MenuSettings::autoRefresh, &MenuSettings::load, &MenuSettings::autoRefreshChanged);
}

MenuSettings::~MenuSettings() = default;

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
    preferences().reset(*this, m_enableFavorites);
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
    preferences().reset(*this, m_enableComputer);
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
    preferences().reset(*this, m_enableRecent);
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
    preferences().reset(*this, m_defaultTab);
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
    preferences().reset(*this, m_tabs);
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
    preferences().reset(*this, m_showClassicMenu);
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
    preferences().reset(*this, m_showLastLoginInfo);
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
    preferences().reset(*this, m_appsMode);
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
    preferences().reset(*this, m_enableSortCategoriesAlphabetically);
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
    preferences().reset(*this, m_enableSortAppsAlphabetically);
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
    preferences().reset(*this, m_askConfirmation);
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
    preferences().reset(*this, m_enableAnimation);
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
    preferences().reset(*this, m_showTooltips);
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
    preferences().reset(*this, m_enableDebug);
}

void MenuSettings::load()
{
    // The current value is the default, so a missing entry changes nothing.
    preferences().load(*this, *m_baseline, m_configFile, "preferences");
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

    preferences().save(*this, *m_baseline, m_configFile);
}

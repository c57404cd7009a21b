/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_MENUSETTINGS_H
#define NIMBSTARTMENU_MENUSETTINGS_H

#include "nimbstartmenu_export.h"

#include <QDir>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

namespace ConfigValues
{
class Baseline;
template<typename Owner>
class Preferences;
}

/**
 * @class MenuSettings menusettings.h <NimbStartMenu/menusettings.h>
 *
 * The start menu's preferences, kept in QDir::homePath() + "/.config/kolvatek/nimb-start-menu.conf"
 * beside the search preferences of SearchSettings.
 *
 * Nothing is read or written on its own: the owner calls load() after construction and save() when
 * the preferences are to be kept. Setters signal only a change. With autoRefresh on, a change of the
 * file or its folder by any writer reloads the preferences.
 *
 * The two sorting properties are published as "enableSortCategoriesAlphabatically" and
 * "enableSortAppsAlphabatically"; the user interface binds to these names.
 *
 * load() takes every value the file holds, converted as QVariant converts it: "false", "0" (in any
 * case) and an empty value switch a preference off, any other text ("true", "yes") on; a list where a
 * name belongs reads as an empty name. A file with lines QSettings cannot parse still gives the
 * values it could; only a file that cannot be opened at all leaves every preference as it was.
 *
 * The file has other writers (a second start menu, a text editor). save() writes every preference
 * but one that the file holds with a value it did not hold when this object last loaded or saved
 * that key (or, without either, when the object was made), and that has not changed here since: the
 * file keeps that value. A preference changed here is always written.
 */
class NIMBSTARTMENU_EXPORT MenuSettings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool enableFavorites READ enableFavorites WRITE setEnableFavorites RESET resetEnableFavorites NOTIFY enableFavoritesChanged)
    Q_PROPERTY(bool enableComputer READ enableComputer WRITE setEnableComputer RESET resetEnableComputer NOTIFY enableComputerChanged)
    Q_PROPERTY(bool enableRecent READ enableRecent WRITE setEnableRecent RESET resetEnableRecent NOTIFY enableRecentChanged)
    Q_PROPERTY(QString defaultTab READ defaultTab WRITE setDefaultTab RESET resetDefaultTab NOTIFY defaultTabChanged)
    Q_PROPERTY(QStringList tabs READ getTabs WRITE setTabs RESET resetTabs NOTIFY tabsChanged)
    Q_PROPERTY(bool showClassicMenu READ showClassicMenu WRITE setShowClassicMenu RESET resetShowClassicMenu NOTIFY showClassicMenuChanged)
    Q_PROPERTY(bool showLastLoginInfo READ showLastLoginInfo WRITE setShowLastLoginInfo RESET resetShowLastLoginInfo NOTIFY showLastLoginInfoChanged)
    Q_PROPERTY(QString appsMode READ appsMode WRITE setAppsMode RESET resetAppsMode NOTIFY appsModeChanged)
    Q_PROPERTY(bool enableSortCategoriesAlphabatically READ enableSortCategoriesAlphabetically WRITE setEnableSortCategoriesAlphabetically RESET
                   resetEnableSortCategoriesAlphabetically NOTIFY enableSortCategoriesAlphabeticallyChanged)
    Q_PROPERTY(bool enableSortAppsAlphabatically READ enableSortAppsAlphabetically WRITE setEnableSortAppsAlphabetically RESET resetEnableSortAppsAlphabetically
                   NOTIFY enableSortAppsAlphabeticallyChanged)
    Q_PROPERTY(bool askConfirmation READ askConfirmation WRITE setAskConfirmation RESET resetAskConfirmation NOTIFY askConfirmationChanged)
    Q_PROPERTY(bool enableAnimation READ enableAnimation WRITE setEnableAnimation RESET resetEnableAnimation NOTIFY enableAnimationChanged)
    Q_PROPERTY(bool showTooltips READ showTooltips WRITE setShowTooltips RESET resetShowTooltips NOTIFY showTooltipsChanged)
    Q_PROPERTY(bool autoRefresh READ autoRefresh WRITE setAutoRefresh NOTIFY autoRefreshChanged)
    Q_PROPERTY(bool enableDebug READ enableDebug WRITE setEnableDebug RESET resetEnableDebug NOTIFY enableDebugChanged)

public:
    /// Sets the defaults and watches the configuration file and its folder; reads nothing.
    explicit MenuSettings(QObject *parent = nullptr);
    ~MenuSettings() override;

    bool enableFavorites() const;
    void setEnableFavorites(bool enable);
    void resetEnableFavorites();

    bool enableComputer() const;
    void setEnableComputer(bool enable);
    void resetEnableComputer();

    bool enableRecent() const;
    void setEnableRecent(bool enable);
    void resetEnableRecent();

    /// The tab that opens first; any name is accepted. Default "apps".
    const QString &defaultTab() const;
    void setDefaultTab(const QString &tab);
    void resetDefaultTab();

    /**
     * @return the enabled tabs in presentation order: "apps", "gridapps", "favorites",
     *         "gridfavorites", "computer", "gridcomputer", "recent", "gridrecent", "params",
     *         "gridparams", "leave"; a name not in this list ranks with "apps"
     */
    QStringList getTabs() const;

    /**
     * Enables exactly the tabs in @p tabs; order and repetitions do not matter. The switches
     * enableFavorites, enableComputer and enableRecent are brought in line only by save().
     */
    void setTabs(const QStringList &tabs);
    /// Enables "apps", "favorites", "computer", "recent", "params" and "leave".
    void resetTabs();

    bool showClassicMenu() const;
    void setShowClassicMenu(bool show);
    void resetShowClassicMenu();

    bool showLastLoginInfo() const;
    void setShowLastLoginInfo(bool show);
    void resetShowLastLoginInfo();

    /// How applications are presented; any name is accepted. Default "tree".
    const QString &appsMode() const;
    void setAppsMode(const QString &mode);
    void resetAppsMode();

    bool enableSortCategoriesAlphabetically() const;
    void setEnableSortCategoriesAlphabetically(bool enable);
    void resetEnableSortCategoriesAlphabetically();

    bool enableSortAppsAlphabetically() const;
    void setEnableSortAppsAlphabetically(bool enable);
    void resetEnableSortAppsAlphabetically();

    bool askConfirmation() const;
    void setAskConfirmation(bool ask);
    void resetAskConfirmation();

    bool enableAnimation() const;
    void setEnableAnimation(bool enable);
    void resetEnableAnimation();

    bool showTooltips() const;
    void setShowTooltips(bool show);
    void resetShowTooltips();

    /// Whether a change of the configuration file reloads the preferences; never stored. Switching
    /// it on reloads at once.
    bool autoRefresh() const;
    void setAutoRefresh(bool autoRefresh);

    /// Whether debug logging is on; a change switches it with StartMenuUtils::enableDebug(). Read
    /// by load(), never written by save().
    bool enableDebug() const;
    void setEnableDebug(bool enable);
    void resetEnableDebug();

    /**
     * Reads every stored preference through its setter, so that each one that changes signals. A
     * missing key leaves its preference as it is, and so does a file that cannot be opened.
     */
    Q_INVOKABLE void load();

    /**
     * Writes the preferences, all but autoRefresh and enableDebug. The tabs are first brought in
     * line with the switches: "favorites", "computer" and "recent" follow enableFavorites,
     * enableComputer and enableRecent, and "apps", "params" and "leave" are always enabled. This
     * change of the tabs is not signalled. A value another writer put into the file since the last
     * load() or save() stays unless the preference changed here since.
     */
    Q_INVOKABLE void save();

Q_SIGNALS:
    void enableFavoritesChanged();
    void enableComputerChanged();
    void enableRecentChanged();
    void defaultTabChanged();
    void tabsChanged();
    void showClassicMenuChanged();
    void showLastLoginInfoChanged();
    void appsModeChanged();
    void enableSortCategoriesAlphabeticallyChanged();
    void enableSortAppsAlphabeticallyChanged();
    void askConfirmationChanged();
    void autoRefreshChanged();
    void enableAnimationChanged();
    void showTooltipsChanged();
    void enableDebugChanged();

private:
    static const ConfigValues::Preferences<MenuSettings> &preferences();

    template<typename T>
    bool assign(T &member, const T &value, void (MenuSettings::*changed)());

    QString m_configDir;
    QString m_configFile;
    // The stored preferences get their defaults from preferences() on construction.
    bool m_enableFavorites;
    bool m_enableComputer;
    bool m_enableRecent;
    QString m_defaultTab;
    QSet<QString> m_tabs;
    bool m_showClassicMenu;
    bool m_showLastLoginInfo;
    QString m_appsMode;
    bool m_enableSortCategoriesAlphabetically;
    bool m_enableSortAppsAlphabetically;
    bool m_askConfirmation;
    bool m_enableAnimation;
    bool m_showTooltips;
    bool m_autoRefresh = false;
    bool m_enableDebug;
    std::unique_ptr<ConfigValues::Baseline> m_baseline;
};

#endif

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_APPLICATIONSOURCE_P_H
#define NIMBSTARTMENU_APPLICATIONSOURCE_P_H

#include "filewalk_p.h"
#include "nimbdesktopentry.h"
#include "nimbstartmenu_export.h"
#include "settingsmap.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <string_view>
#include <vector>

/**
 * The one intake of desktop files, for the menu tree and for the index alike: it walks the
 * application folders, reads each desktop file, runs the acceptance test, applies the overrides and
 * classifies the entry. Each file it turns away is logged once, with the reason, to the debug log.
 *
 * The two users differ in one point only, made explicit by Overrides: the menu applies both override
 * folders, the index the first one. Everything else (which files are walked, the order of the
 * checks, the classes) is the same for both.
 *
 * Exported for the tests; the header is not installed.
 */
class NIMBSTARTMENU_EXPORT ApplicationSource
{
public:
    enum class Overrides {
        First, ///< "/usr/share/nimb/desktop-entries-override", as the index reads entries
        Both, ///< and then "/usr/share/nimb-start-menu/overrides", as the menu reads them
    };

    enum class Kind {
        Application, ///< an application: the menu writes it, the index files it as one
        ClassicSettings, ///< a classic settings item: a settings-table row marked so, or a YaST group
        SettingsApplication, ///< another row of the settings-applications table
        SettingsLauncher, ///< its command only opens a settings module, which the settings tree offers
        Unaccepted, ///< not a desktop entry that can be read, or fails the acceptance test
    };

    struct Item {
        Kind kind = Kind::Unaccepted;
        /// The entry with its overrides applied (for an accepted one).
        NimbDesktopEntry entry;
        /// Why it is not an application; empty for one. For a file that is not read as a desktop
        /// entry at all, the cause: no such file, a folder, not a regular file, too large, not UTF-8
        /// text, no "[Desktop Entry]" group, or the system's reason why it cannot be read.
        QString reason;
    };

    ApplicationSource(Overrides overrides, const QMap<QString, SettingsMapRecord> &settingsMap);

    const QMap<QString, SettingsMapRecord> &settingsMap() const
    {
        return m_settingsMap;
    }

    /// Whether an override may patch the file of this name (so that its bytes do not tell all).
    bool mayBeOverridden(const QString &fileName) const;

    /// Whether the file at @p path lies directly in the excluded folder, the desktop's own launchers,
    /// which neither the menu nor the index reads (a folder below it they do).
    bool isExcluded(const QString &path) const
    {
        return StartMenuUtils::folderOf(path) == m_excludedFolder;
    }

    /// The excluded folder, below the system root.
    const QString &excludedFolder() const
    {
        return m_excludedFolder;
    }

    /// Calls visit(path) with every desktop file below @p folders, in walk order, but for the
    /// excluded ones.
    template<typename Visit>
    void forEachDesktopFile(const QStringList &folders, Visit visit) const
    {
        for (const QString &folder : folders) {
            StartMenuUtils::walkFiles(folder, false, isDesktopFileName, [&](const QString &path) {
                if (!isExcluded(path)) {
                    visit(path);
                }
            });
        }
    }

    /// Reads, checks, overrides and classifies the desktop file at @p path.
    Item read(const QString &path) const;

    /// The class of an accepted entry, with its overrides, named @p completeBaseName.
    Kind classify(const QString &completeBaseName, const NimbDesktopEntry &entry, QString *reason = nullptr) const;

    /// Whether the entry names a settings group, which makes it a classic settings item.
    static bool hasYastGroup(const NimbDesktopEntry &entry);

    /// Why the file at @p path gives no desktop entry, for one that does not load.
    static QString unreadableReason(const QString &path);

    /// Whether a file name ends in ".desktop".
    static bool isDesktopFileName(const char *name)
    {
        const std::string_view view(name);
        return view.size() >= 8 && view.compare(view.size() - 8, 8, ".desktop") == 0;
    }

private:
    QMap<QString, SettingsMapRecord> m_settingsMap;
    QString m_excludedFolder;
    std::vector<StartMenuUtils::OverrideNames> m_overrides;
};

#endif

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_CONFIGFILEWATCHER_P_H
#define NIMBSTARTMENU_CONFIGFILEWATCHER_P_H

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

/**
 * Keeps an object's preferences in step with their file while the object's autoRefresh is on.
 *
 * watch() gives @p owner a QFileSystemWatcher as a child, on @p file and its @p folder (a path that
 * does not exist yet is simply not watched). A change of either, and every emission of the owner's
 * @p autoRefreshChanged, runs one handler: it calls @p reload if @p autoRefresh returns true, and in
 * every case watches @p file again, since a file replaced by rename, or newly created, is a new file
 * to the watcher. So switching autoRefresh on reloads at once, and with it off the changes are
 * ignored but the file stays watched. The owner is the context of every connection.
 */
class ConfigFileWatcher
{
public:
    template<typename Owner>
    static void watch(Owner *owner,
                      const QString &folder,
                      const QString &file,
                      bool (Owner::*autoRefresh)() const,
                      void (Owner::*reload)(),
                      void (Owner::*autoRefreshChanged)())
    {
        auto *watcher = new QFileSystemWatcher(owner);
        const auto refresh = [owner, watcher, file, autoRefresh, reload] {
            if ((owner->*autoRefresh)()) {
                (owner->*reload)();
            }
            watcher->addPath(file);
        };
        QObject::connect(owner, autoRefreshChanged, owner, refresh);
        QObject::connect(watcher, &QFileSystemWatcher::fileChanged, owner, refresh);
        QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, owner, refresh);
        watcher->addPaths({folder, file});
    }
};

#endif

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_MENU_H
#define NIMBSTARTMENU_MENU_H

#include "nimbstartmenu_export.h"

#include <QFileSystemWatcher>
#include <QObject>

#include <memory>

class MenuPrivate;

/**
 * @class Menu menu.h <NimbStartMenu/menu.h>
 *
 * The on-disk menu tree below StartMenuUtils::menuDir(): one folder per category, holding one desktop
 * file per application.
 *
 * The static operations work on the file system alone. The process-wide object from instance()
 * watches the application folders and brings the tree up to date (updateMenu()) when they change,
 * announcing each update with updateStarted() and updateFinished().
 *
 * A change does not start an update at once: the watcher waits until the folders have been quiet
 * for 200 ms, and at most one second after the first change it saw. A burst of installs so gives
 * a few updates rather than one per file, and a desktop file written in place just after it was
 * created is complete when the update reads it. A desktop file that an update still finds empty,
 * cut short or being written is watched on its own until the next update, which takes it once it
 * is complete even if no folder changes again.
 *
 * Generation only adds: it never deletes or rewrites an item, so an application the user removed
 * from a category stays away until its desktop file changes or the tree is reset.
 */
class NIMBSTARTMENU_EXPORT Menu : public QObject
{
    Q_OBJECT

public:
    explicit Menu(QObject *parent = nullptr);
    ~Menu() override;

    /// The process-wide object, created on the first call; it watches but writes nothing yet.
    static Menu *instance();

    /// Whether the menu tree exists.
    static bool exists();

    /**
     * Deletes the menu tree (symbolic links are removed, not followed). The tree is renamed aside
     * first, so that a process killed while deleting leaves no half of it behind.
     */
    static void remove();

    /**
     * Copies the template tree "/usr/share/nimb-start-menu/startmenu" (below the system root) into
     * the menu directory. The menu directory is created, its parent is not; existing files are never
     * overwritten.
     */
    static void initFolderStructure();

    /**
     * Brings the tree up to date on the calling thread: reads the categories the tree's folders
     * collect, copies the administrator-defined categories in, and writes every accepted
     * application that the tree does not record yet into its category folder.
     *
     * A generation that writes into the tree keeps the hidden file ".update-journal" in it until
     * done. A generation killed halfway so leaves it behind, and the next one completes what the
     * killed one began: forced if that one was, otherwise judging each folder it wrote into by the
     * folder's change time from before its writes.
     *
     * @param force true writes every application not yet recorded; false only those whose desktop
     *              file changed after their category folder
     */
    static void generate(bool force);

    /**
     * initFolderStructure(), then a forced generation. When there is no tree yet, it is built in a
     * folder beside the menu directory and renamed into place when complete: a process killed
     * meanwhile leaves no tree, which the next update() builds again, rather than part of one.
     */
    static void init();

    /// remove(), then init(): the user's removals are forgotten.
    static void reset();

    /// An unforced generation when the tree exists, init() otherwise.
    static void update();

    /// Watches what StartMenuUtils::appDirsToWatch() lists; folders watched already stay watched.
    void initWatcher();

    /**
     * Emits updateStarted(), runs update(), re-arms the watcher, emits updateFinished(); on the
     * calling thread, at once. A desktop file the update left unfinished is watched until the next
     * call, which takes it whatever its change time.
     */
    void updateMenu();

Q_SIGNALS:
    void updateStarted();
    void updateFinished();

private:
    QFileSystemWatcher m_watcher;
    const std::unique_ptr<MenuPrivate> d;
};

#endif

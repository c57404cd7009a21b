/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_FILEWALK_P_H
#define NIMBSTARTMENU_FILEWALK_P_H

#include "folderlist_p.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace StartMenuUtils
{
/// What a walk visits, as the filters and flags of a QDirIterator that follows links.
struct WalkFilter {
    bool files = true; // QDir::Files | QDir::Readable
    bool folders = false; // QDir::Dirs | QDir::Readable
    bool hidden = false; // QDir::Hidden
    bool recursive = true; // QDirIterator::Subdirectories
};

namespace FileWalk
{
template<typename Wanted, typename Visit>
void walkFolder(const QByteArray &folder, const WalkFilter &filter, QSet<QString> &visited, Wanted &wanted, Visit &visit)
{
    const QByteArray prefix = folder.endsWith('/') ? folder : folder + '/';
    FolderList::list(folder, [&](const FolderList::Entry &entry) {
        if (entry.isHidden() && !filter.hidden) {
            return;
        }
        if (entry.isDir) {
            const QByteArray path = prefix + entry.name;
            if (filter.folders && entry.isReadable()) {
                visit(QFile::decodeName(path));
            }
            // Every folder once, whatever the links leading to it: link loops end there.
            if (filter.recursive) {
                const QString canonical = FolderList::canonicalPath(path);
                if (!visited.contains(canonical)) {
                    visited.insert(canonical);
                    walkFolder(path, filter, visited, wanted, visit);
                }
            }
            return;
        }
        // Files, and links to anything but a folder; not sockets, pipes, devices or broken links.
        // QDir lists a link to a pipe or a device with the folders as well.
        const bool listed = entry.isFile ? filter.files : entry.isListedAsFile() && (filter.files || filter.folders);
        if (listed && wanted(entry.name) && entry.isReadable()) {
            visit(QFile::decodeName(prefix + entry.name));
        }
    });
}
}

/**
 * Walks @p root as QDirIterator(root, filters, flags | QDirIterator::FollowSymlinks) does, the
 * filters and flags that @p filter names: it visits the same paths in the same order, the order of
 * the file system, each folder before its contents and before the rest of its parent. It builds no
 * QFileInfo for every entry and asks the file system only what those filters need.
 *
 * @param wanted called with the native name of a file: a file it refuses is not visited, which spares
 *        its access() call; it must refuse only files the visitor would skip
 * @param visit called with the path of each file or folder, as QDirIterator::next() returns it
 */
template<typename Wanted, typename Visit>
void walk(const QString &root, const WalkFilter &filter, Wanted wanted, Visit visit)
{
    const QByteArray native = QFile::encodeName(root);
    QSet<QString> visited{FolderList::canonicalPath(native)};
    FileWalk::walkFolder(native, filter, visited, wanted, visit);
}

/// The readable files below @p root, with the hidden ones when @p hidden; see walk().
template<typename Wanted, typename Visit>
void walkFiles(const QString &root, bool hidden, Wanted wanted, Visit visit)
{
    WalkFilter filter;
    filter.hidden = hidden;
    walk(root, filter, wanted, visit);
}

/// Every path walk() visits below @p root.
inline QStringList walkedPaths(const QString &root, const WalkFilter &filter)
{
    QStringList paths;
    walk(
        root,
        filter,
        [](const char *) {
            return true;
        },
        [&paths](const QString &path) {
            paths.append(path);
        });
    return paths;
}

/// The folder of a walked path as QFileInfo::dir().path() gives it: up to the last slash, without
/// the trailing slash that QDir drops; "/" at the root, "." without a slash.
inline QStringView folderOf(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0) {
        return slash == 0 ? QStringView(u"/") : QStringView(u".");
    }
    QStringView folder = QStringView(path).left(slash);
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) {
        folder.chop(1);
    }
    return folder;
}

/**
 * The names in an override folder, listed once per walk rather than looked for file by file. A name
 * not listed is one that StartMenuUtils::overrideDesktopEntry() cannot find; a folder that exists
 * but cannot be listed leaves every name possible.
 */
class OverrideNames
{
public:
    explicit OverrideNames(const QString &folder)
        : m_folder(folder)
    {
        const QFileInfo info(folder);
        m_listed = !info.exists() || (info.isDir() && info.isReadable());
        if (m_listed && info.exists()) {
            const QStringList names = FolderList::names(folder, [](const FolderList::Entry &) {
                return true;
            });
            m_names = QSet<QString>(names.cbegin(), names.cend());
        }
    }

    const QString &folder() const
    {
        return m_folder;
    }

    bool mayHave(const QString &name) const
    {
        return !m_listed || m_names.contains(name);
    }

private:
    QString m_folder;
    bool m_listed = false;
    QSet<QString> m_names;
};
}

#endif

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_FOLDERLIST_P_H
#define NIMBSTARTMENU_FOLDERLIST_P_H

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The one way the library lists a folder: readdir(), asking the file system only what the caller
// needs (the type readdir() gives, stat() for links, access() when asked).
namespace FolderList
{
/// An entry of a listed folder; a link stands for what it points to.
struct Entry {
    const char *name;
    int folderFd; // names are looked up in the open folder, not along the whole path again
    bool isLink;
    bool isDir; // a folder, or a link to one
    bool isFile; // a regular file, or a link to one
    bool exists; // false for a broken link

    bool isHidden() const
    {
        return name[0] == '.';
    }
    /// Whether QDir::Files takes it: a file, or a link to anything but a folder that exists.
    bool isListedAsFile() const
    {
        return !isDir && (isFile || isLink) && exists;
    }
    bool isReadable() const
    {
        return ::faccessat(folderFd, name, R_OK, 0) == 0;
    }
};

/**
 * Calls @p visit with each entry of @p folder (a native path) but "." and "..", in the order of the
 * file system. Returns false if the folder cannot be opened, with errno set.
 */
template<typename Visit>
bool list(const QByteArray &folder, Visit visit)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir) {
        return false;
    }
    const int folderFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        Entry found{name, folderFd, false, false, false, true};
        unsigned char type = entry->d_type;
        struct stat status;
        if (type == DT_UNKNOWN) {
            if (::fstatat(folderFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                continue; // gone: neither file, folder nor link
            }
            type = S_ISLNK(status.st_mode) ? DT_LNK : S_ISDIR(status.st_mode) ? DT_DIR : S_ISREG(status.st_mode) ? DT_REG : DT_FIFO;
        }
        if (type == DT_LNK) {
            found.isLink = true;
            found.exists = ::fstatat(folderFd, name, &status, 0) == 0;
            found.isDir = found.exists && S_ISDIR(status.st_mode);
            found.isFile = found.exists && S_ISREG(status.st_mode);
        } else {
            found.isDir = type == DT_DIR;
            found.isFile = type == DT_REG;
        }
        visit(static_cast<const Entry &>(found));
    }
    ::closedir(dir);
    return true;
}

/// The names of the entries of @p folder that @p wanted accepts; nothing if it cannot be listed.
template<typename Wanted>
QStringList names(const QString &folder, Wanted wanted)
{
    QStringList found;
    list(QFile::encodeName(folder), [&](const Entry &entry) {
        if (wanted(entry)) {
            found.append(QFile::decodeName(entry.name));
        }
    });
    return found;
}

// QFileInfo::canonicalFilePath() of a native path: realpath(), a missing entry giving an empty
// path and any other failure the path itself.
inline QString canonicalPath(const QByteArray &native)
{
    if (native == "/") {
        return QStringLiteral("/");
    }
    char *resolved = ::realpath(native.constData(), nullptr);
    if (!resolved) {
        return (errno == ENOENT || errno == ENOTDIR) ? QString() : QFile::decodeName(native);
    }
    const QString path = QDir::cleanPath(QFile::decodeName(resolved));
    std::free(resolved);
    return path;
}
}

#endif

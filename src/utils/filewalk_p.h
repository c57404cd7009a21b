/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_FILEWALK_P_H
#define NIMBSTARTMENU_FILEWALK_P_H

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace StartMenuUtils
{
namespace FileWalk
{
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

template<typename Wanted, typename Visit>
void walkFolder(QByteArray folder, bool hidden, QSet<QString> &visited, Wanted &wanted, Visit &visit)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir) {
        return;
    }
    if (!folder.endsWith('/')) {
        folder.append('/');
    }
    // Names are looked up in the open folder, not along the whole path again.
    const int folderFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        bool exists = true;
        bool link = false;
        bool isDir = false;
        bool isFile = false;
        unsigned char type = entry->d_type;
        struct stat status;
        if (type == DT_UNKNOWN) {
            if (::fstatat(folderFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                continue; // gone: neither file, folder nor link
            }
            type = S_ISLNK(status.st_mode) ? DT_LNK : S_ISDIR(status.st_mode) ? DT_DIR : S_ISREG(status.st_mode) ? DT_REG : DT_FIFO;
        }
        if (type == DT_LNK) {
            // A link stands for what it points to.
            link = true;
            exists = ::fstatat(folderFd, name, &status, 0) == 0;
            isDir = exists && S_ISDIR(status.st_mode);
            isFile = exists && S_ISREG(status.st_mode);
        } else {
            isDir = type == DT_DIR;
            isFile = type == DT_REG;
        }
        const bool isHidden = name[0] == '.';
        if (isDir) {
            // Every folder once, whatever the links leading to it: link loops end there.
            if (!isHidden || hidden) {
                const QByteArray path = folder + name;
                const QString canonical = canonicalPath(path);
                if (!visited.contains(canonical)) {
                    visited.insert(canonical);
                    walkFolder(path, hidden, visited, wanted, visit);
                }
            }
            continue;
        }
        // Files, and links to anything but a folder; not sockets, pipes, devices or broken links.
        if ((isHidden && !hidden) || !(isFile || link) || !exists || !wanted(name)) {
            continue;
        }
        if (::faccessat(folderFd, name, R_OK, 0) == 0) {
            visit(QFile::decodeName(folder + name));
        }
    }
    ::closedir(dir);
}
}

/**
 * Walks @p root as QDirIterator(root, QDir::Files | QDir::Readable, QDirIterator::Subdirectories |
 * QDirIterator::FollowSymlinks) does, with QDir::Hidden when @p hidden: it visits the same paths in
 * the same order, the order of the file system, each folder before the rest of its parent. It
 * builds no QFileInfo for every entry and asks the file system only what those filters need: the
 * type that readdir() gives, stat() for links, access() for the files visited.
 *
 * @param wanted called with the native name of a file: a file it refuses is not visited, which spares
 *        its access() call; it must refuse only files the visitor would skip
 * @param visit called with the path of each file, as QDirIterator::next() returns it
 */
template<typename Wanted, typename Visit>
void walkFiles(const QString &root, bool hidden, Wanted wanted, Visit visit)
{
    const QByteArray native = QFile::encodeName(root);
    QSet<QString> visited{FileWalk::canonicalPath(native)};
    FileWalk::walkFolder(native, hidden, visited, wanted, visit);
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
            const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
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

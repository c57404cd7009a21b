/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "startmenuutils.h"
#include "filewalk_p.h"
#include "nimbdesktopentry.h"

#include <QDir>
#include <QPixmap>
#include <QProcessEnvironment>

#include <cerrno>

#include <pwd.h>
#include <unistd.h>

namespace
{
const QString menuSubdir = QStringLiteral("/.nimb/startmenu2");
const QString userCategoriesRoot = QStringLiteral("/usr/share/applications/nimbstartmenu");
const QString sudoUserVariable = QStringLiteral("SUDO_USER");
constexpr int savedIconSize = 32;
}

namespace StartMenuUtils
{
QString sudoUserHomeDir()
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(sudoUserVariable)) {
        return QString();
    }
    const QByteArray userName = environment.value(sudoUserVariable).toUtf8();

    // getpwnam_r rather than getpwnam: the record lands in a buffer of ours, not in the C library's
    // static one that any other code of the process may overwrite. The size sysconf suggests is only
    // a hint; a longer account record asks for a larger buffer.
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    QByteArray buffer(suggested > 0 ? int(suggested) : 1024, Qt::Uninitialized);
    struct passwd account;
    struct passwd *found = nullptr;
    int status;
    while ((status = ::getpwnam_r(userName.constData(), &account, buffer.data(), size_t(buffer.size()), &found)) == ERANGE && buffer.size() < (1 << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0 || !found) {
        return QString();
    }
    const QDir home(QString::fromUtf8(found->pw_dir));
    if (!home.isReadable()) {
        return QString();
    }
    return home.canonicalPath();
}

QString menuDir()
{
    static const QString dir = QDir::homePath() + menuSubdir;
    return dir;
}

void overrideDesktopEntry(NimbDesktopEntry &entry, const QString &fileName, const QString &overrideDir)
{
    const QDir dir(overrideDir);
    if (!dir.exists(fileName)) {
        return;
    }
    const NimbDesktopEntry override(dir.filePath(fileName).toStdString());
    entry.overrideFrom(override);
}

QStringList subdirs(const QString &root, bool topLevelOnly)
{
    // Hidden folders are neither listed nor entered. A link loop ends the descent, the link itself
    // still listed.
    WalkFilter filter;
    filter.files = false;
    filter.folders = true;
    filter.recursive = !topLevelOnly;
    return walkedPaths(root, filter);
}

QStringList subdirs(const QStringList &roots, bool topLevelOnly)
{
    QStringList dirs;
    for (const QString &root : roots) {
        dirs += subdirs(root, topLevelOnly);
    }
    return dirs;
}

QStringList stdStringVectorToQStringList(const std::vector<std::string> &list)
{
    QStringList result;
    result.reserve(int(list.size()));
    for (const std::string &element : list) {
        result.append(QString::fromUtf8(element.data(), int(element.size())));
    }
    return result;
}

std::vector<std::string> qStringListToStdStringVector(const QStringList &list)
{
    std::vector<std::string> result;
    result.reserve(size_t(list.size()));
    for (const QString &element : list) {
        const QByteArray utf8 = element.toUtf8();
        result.emplace_back(utf8.constData(), size_t(utf8.size()));
    }
    return result;
}

QStringList appSearchPaths()
{
    static const QStringList paths = stdStringVectorToQStringList(GetAllAppDesktopEntrySearchPaths());
    return paths;
}

QStringList appSearchPathsWithParents()
{
    static QStringList paths;
    if (!paths.isEmpty()) {
        return paths;
    }
    const QString home = QDir::homePath();
    for (const QString &searchPath : appSearchPaths()) {
        QString prefix;
        const QStringList pieces = QDir::cleanPath(searchPath).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        for (const QString &piece : pieces) {
            prefix += QLatin1Char('/') + piece;
            // Watching the home directory itself would wake the menu for every file the user touches.
            if (prefix != home) {
                paths.append(prefix);
            }
        }
    }
    return paths;
}

QStringList menuPathsToWatch()
{
    WalkFilter filter;
    filter.folders = true;
    filter.hidden = true;
    return walkedPaths(menuDir(), filter);
}

QStringList iconDirsToWatch()
{
    static const QStringList dirs = subdirs(QIcon::themeSearchPaths(), true);
    return dirs;
}

QStringList userCategoriesSearchPaths()
{
    static const QStringList paths{systemPath(userCategoriesRoot)};
    return paths;
}

QStringList userCategoriesSearchPathsWithSubdirs()
{
    return subdirs(userCategoriesSearchPaths(), false);
}

QStringList appDirsToWatch()
{
    return appSearchPathsWithParents() + userCategoriesSearchPathsWithSubdirs();
}

bool saveIconToFile(const QIcon &icon, const QString &filePath)
{
    return icon.pixmap(savedIconSize, savedIconSize, QIcon::Normal, QIcon::Off).save(filePath, nullptr, -1);
}
}

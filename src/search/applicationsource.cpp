/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "applicationsource_p.h"
#include "entryrules_p.h"
#include "logging.h"
#include "startmenuutils.h"
#include "treeformat_p.h"
#include "utf8validator_p.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ApplicationSource::ApplicationSource(Overrides overrides, const QMap<QString, SettingsMapRecord> &settingsMap)
    : m_settingsMap(settingsMap)
    , m_excludedFolder(StartMenuUtils::systemPath(TreeFormat::excludedApplicationFolder))
{
    m_overrides.emplace_back(StartMenuUtils::systemPath(TreeFormat::firstOverrideFolder));
    if (overrides == Overrides::Both) {
        m_overrides.emplace_back(StartMenuUtils::systemPath(TreeFormat::secondOverrideFolder));
    }
}

bool ApplicationSource::mayBeOverridden(const QString &fileName) const
{
    return std::any_of(m_overrides.cbegin(), m_overrides.cend(), [&fileName](const StartMenuUtils::OverrideNames &override) {
        return override.mayHave(fileName);
    });
}

ApplicationSource::Item ApplicationSource::read(const QString &path) const
{
    Item item{Kind::Unaccepted, NimbDesktopEntry(path.toStdString()), QString()};
    std::string why;
    if (!item.entry.isLoaded()) {
        why = unreadableReason(path).toStdString();
    } else if (item.entry.isValid(&why) && item.entry.isSuitable(&why) && item.entry.isDisplayable(&why) && item.entry.isForNimb(&why)) {
        const QFileInfo file(path);
        const QString fileName = file.fileName();
        for (const StartMenuUtils::OverrideNames &override : m_overrides) {
            if (override.mayHave(fileName)) {
                StartMenuUtils::overrideDesktopEntry(item.entry, fileName, override.folder());
            }
        }
        item.kind = classify(file.completeBaseName(), item.entry, &item.reason);
    }
    if (item.kind == Kind::Unaccepted) {
        item.reason = QString::fromStdString(why);
    }
    if (item.kind != Kind::Application) {
        qCDebug(LOG_GENERAL) << "not an application:" << path << item.reason;
    }
    return item;
}

ApplicationSource::Kind ApplicationSource::classify(const QString &completeBaseName, const NimbDesktopEntry &entry, QString *reason) const
{
    const auto because = [reason](Kind kind, const char *why) {
        if (reason) {
            *reason = QString::fromLatin1(why);
        }
        return kind;
    };
    if (StartMenuUtils::isSettingsCommand(entry.exec())) {
        return because(Kind::SettingsLauncher, "its command opens a settings module");
    }
    const auto row = m_settingsMap.constFind(completeBaseName);
    if (row != m_settingsMap.cend()) {
        return row->classicSettings ? because(Kind::ClassicSettings, "a classic settings item of the settings-applications table")
                                    : because(Kind::SettingsApplication, "named by the settings-applications table");
    }
    if (hasYastGroup(entry)) {
        return because(Kind::ClassicSettings, "a classic settings item by its X-SuSE-YaST-Group");
    }
    return Kind::Application;
}

bool ApplicationSource::hasYastGroup(const NimbDesktopEntry &entry)
{
    return !entry.getUnknownValue(TreeFormat::yastGroupKey).empty();
}

QString ApplicationSource::unreadableReason(const QString &path)
{
    // The checks of the desktop-entry reader, in its order; they are asked only of the rare file that
    // fails, so that the walks pay nothing for them. As the reader does, the file is opened without
    // blocking and then examined, so that a FIFO put in its place meanwhile cannot hold the caller.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? QStringLiteral("there is no such file")
                                                   : QStringLiteral("it cannot be read: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    const auto closed = [fd](const QString &reason) {
        ::close(fd);
        return reason;
    };
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        return closed(QStringLiteral("it cannot be read: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (S_ISDIR(status.st_mode)) {
        return closed(QStringLiteral("it is a folder"));
    }
    if (!S_ISREG(status.st_mode)) {
        return closed(QStringLiteral("it is not a regular file"));
    }
    if (std::size_t(status.st_size) > NimbDesktopEntry::MaxFileSize) {
        return closed(QStringLiteral("it is larger than %1 KiB, the most a desktop file may be").arg(NimbDesktopEntry::MaxFileSize / 1024));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly)) {
        return closed(QStringLiteral("it cannot be read: %1").arg(file.errorString()));
    }
    const QByteArray contents = file.read(qint64(NimbDesktopEntry::MaxFileSize) + 1);
    file.close();
    ::close(fd);
    if (!Utf8Validator::isValid(std::string_view(contents.constData(), std::size_t(contents.size())))) {
        return QStringLiteral("it is not UTF-8 text");
    }
    return QStringLiteral("it has no [Desktop Entry] group");
}

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "readers.h"

#include <NimbStartMenu/nimbdesktopentry.h>

#include <KConfigGroup>
#include <KDesktopFile>

#include <fcntl.h>
#include <unistd.h>

namespace Readers
{
void raw(const std::string &path, ReadTally &tally)
{
    char buffer[65536];
    ++tally.files;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    ssize_t count;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0) {
        tally.bytes += std::size_t(count);
    }
    ::close(fd);
    ++tally.loaded;
}

void nimbDesktopEntry(const std::string &path, ReadTally &tally)
{
    ++tally.files;
    const NimbDesktopEntry entry(path);
    if (!entry.isLoaded()) {
        return;
    }
    ++tally.loaded;
    if (!(entry.isValid() && entry.isSuitable(nullptr) && entry.isDisplayable(nullptr) && entry.isForNimb(nullptr))) {
        return;
    }
    ++tally.accepted;
    tally.bytes += entry.name().size() + entry.localName().size() + entry.genericName().size() + entry.localGenericName().size();
    tally.bytes += entry.comment().size() + entry.localComment().size() + entry.exec().size() + entry.localIconOrFallback().size();
    tally.bytes += entry.keywords().size() + entry.localKeywords().size() + entry.categories().size();
    tally.bytes += entry.getUnknownValue("X-Nimb-OriginFile").size() + entry.getUnknownValue("X-SuSE-YaST-Group").size();
}

void kDesktopFile(const std::string &path, ReadTally &tally)
{
    ++tally.files;
    const KDesktopFile file(QString::fromStdString(path));
    if (!file.hasGroup("Desktop Entry")) {
        return;
    }
    ++tally.loaded;
    const KConfigGroup group = file.desktopGroup();
    const QString type = file.readType();
    const bool valid = !group.readEntryUntranslated("Name").isEmpty()
        && (type == QLatin1String("Directory") || (type == QLatin1String("Application") && !group.readEntry("Exec").isEmpty()));
    if (!valid || group.readEntry("Hidden", false) || !file.tryExec() || file.noDisplay()) {
        return;
    }
    const QString desktop = QString::fromLatin1(desktopName);
    if (group.hasKey("OnlyShowIn") && !group.readXdgListEntry("OnlyShowIn").contains(desktop)) {
        return;
    }
    if (group.readXdgListEntry("NotShowIn").contains(desktop)) {
        return;
    }
    ++tally.accepted;
    tally.bytes += std::size_t(group.readEntryUntranslated("Name").size() + file.readName().size());
    tally.bytes += std::size_t(group.readEntryUntranslated("GenericName").size() + file.readGenericName().size());
    tally.bytes += std::size_t(group.readEntryUntranslated("Comment").size() + file.readComment().size());
    tally.bytes += std::size_t(group.readEntry("Exec").size() + file.readIcon().size());
    tally.bytes += std::size_t(group.readEntryUntranslated("Keywords").split(QLatin1Char(';'), Qt::SkipEmptyParts).size());
    tally.bytes += std::size_t(group.readXdgListEntry("Keywords").size());
    tally.bytes += std::size_t(group.readXdgListEntry("Categories").size());
    tally.bytes += std::size_t(group.readEntry("X-Nimb-OriginFile").size() + group.readEntry("X-SuSE-YaST-Group").size());
}
}

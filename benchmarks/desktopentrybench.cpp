/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// Compares the cost of reading desktop files raw, with NimbDesktopEntry and with KConfig's
// KDesktopFile, each reading every value the library asks for.
// Usage: desktopentrybench [folder] [rounds]; the folder defaults to the corpus that
// make-corpus.sh builds.

#include <NimbStartMenu/nimbdesktopentry.h>

#include <KConfigGroup>
#include <KDesktopFile>

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace
{
std::size_t sink = 0;

void readRaw(const std::string &path)
{
    char buffer[65536];
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    ssize_t count;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0) {
        sink += std::size_t(count);
    }
    ::close(fd);
}

void readNimb(const std::string &path)
{
    const NimbDesktopEntry entry(path);
    if (!(entry.isLoaded() && entry.isValid() && entry.isSuitable(nullptr) && entry.isDisplayable(nullptr) && entry.isForNimb(nullptr))) {
        return;
    }
    sink += entry.name().size() + entry.localName().size() + entry.genericName().size() + entry.localGenericName().size();
    sink += entry.comment().size() + entry.localComment().size() + entry.exec().size() + entry.localIconOrFallback().size();
    sink += entry.keywords().size() + entry.localKeywords().size() + entry.categories().size();
    sink += entry.getUnknownValue("X-Nimb-OriginFile").size() + entry.getUnknownValue("X-SuSE-YaST-Group").size();
}

void readKDesktopFile(const std::string &path)
{
    const KDesktopFile file(QString::fromStdString(path));
    const KConfigGroup group = file.desktopGroup();
    if (file.readName().isEmpty() || group.readEntry("Hidden", false) || file.noDisplay()) {
        return;
    }
    sink += group.readEntryUntranslated("Name").size() + file.readName().size();
    sink += group.readEntryUntranslated("GenericName").size() + file.readGenericName().size();
    sink += group.readEntryUntranslated("Comment").size() + file.readComment().size();
    sink += group.readEntry("Exec").size() + group.readEntry("TryExec").size() + file.readIcon().size();
    sink += group.readEntry("OnlyShowIn", QStringList()).size() + group.readEntry("NotShowIn", QStringList()).size();
    sink += group.readXdgListEntry("Keywords").size() + group.readXdgListEntry("Categories").size();
    sink += group.readEntry("X-Nimb-OriginFile").size() + group.readEntry("X-SuSE-YaST-Group").size();
}

// Median of several rounds, in microseconds a file.
double measure(const std::vector<std::string> &files, int rounds, const std::function<void(const std::string &)> &read)
{
    std::vector<double> perFile;
    for (int round = 0; round <= rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (const std::string &file : files) {
            read(file);
        }
        if (round > 0) { // the first round only warms the caches
            perFile.push_back(double(timer.nsecsElapsed()) / 1000.0 / double(files.size()));
        }
    }
    std::sort(perFile.begin(), perFile.end());
    return perFile[perFile.size() / 2];
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QString folder = arguments.value(1, QStringLiteral("/tmp/nimb-corpus-dev/real/applications"));
    const int rounds = std::max(1, arguments.value(2, QStringLiteral("15")).toInt());

    std::vector<std::string> files;
    QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files.push_back(it.next().toStdString());
    }
    if (files.empty()) {
        std::fprintf(stderr, "no desktop files in %s\n", qPrintable(folder));
        return 1;
    }

    const double raw = measure(files, rounds, readRaw);
    const double nimb = measure(files, rounds, readNimb);
    const double kconfig = measure(files, rounds, readKDesktopFile);
    std::printf("%zu files, median of %d rounds, locale %s\n", files.size(), rounds, NimbDesktopEntry::locale().c_str());
    std::printf("read only          %7.2f us a file\n", raw);
    std::printf("NimbDesktopEntry   %7.2f us a file  (%.2fx the read)\n", nimb, nimb / raw);
    std::printf("KDesktopFile       %7.2f us a file  (%.2fx the read, %.2fx NimbDesktopEntry)\n", kconfig, kconfig / raw, kconfig / nimb);
    return sink == 0;
}

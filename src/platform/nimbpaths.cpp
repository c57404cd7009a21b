/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "nimbpaths.h"
#include "systemroot.h"

#include <QDir>

#include <algorithm>
#include <cstdlib>

namespace
{
std::string homePath()
{
    return QDir::homePath().toStdString();
}

// "/usr/share", "/usr/share/" and "/usr//share" name one folder and must compare equal.
std::string cleanPath(const std::string &path)
{
    return QDir::cleanPath(QString::fromStdString(path)).toStdString();
}

std::string environmentValue(const char *name)
{
    const char *value = std::getenv(name);
    return value ? std::string(value) : std::string();
}
}

std::string GetNimbDir(NimbDir dir)
{
    static constexpr const char *subfolders[] = {"/.nimb", "/.nimb/config", "/.nimb/cache", "/.nimb/wm"};
    const int index = static_cast<int>(dir);
    if (index < 0 || index >= int(std::size(subfolders))) {
        return {};
    }
    return homePath() + subfolders[index];
}

std::string nimbSessionConfigSuffix(WhatNimbSession session)
{
    return session == WhatNimbSession::Safe ? "-safe" : "";
}

std::vector<std::string> GetAllAppDesktopEntrySearchPaths()
{
    std::vector<std::string> paths;
    const auto add = [&paths](const std::string &dataDir) {
        std::string path = cleanPath(dataDir + "/applications");
        if (std::find(paths.cbegin(), paths.cend(), path) == paths.cend()) {
            paths.push_back(std::move(path));
        }
    };

    std::string dataDirs = environmentValue("XDG_DATA_DIRS");
    if (dataDirs.empty()) {
        dataDirs = "/usr/local/share:/usr/share";
    }
    std::size_t start = 0;
    while (start <= dataDirs.size()) {
        const auto colon = std::min(dataDirs.find(':', start), dataDirs.size());
        const std::string dir = dataDirs.substr(start, colon - start);
        if (!dir.empty() && dir.front() == '/') {
            add(StartMenuUtils::systemPath(QString::fromStdString(cleanPath(dir))).toStdString());
        }
        start = colon + 1;
    }

    std::string dataHome = environmentValue("XDG_DATA_HOME");
    if (dataHome.empty() || dataHome.front() != '/') {
        dataHome = homePath() + "/.local/share";
    }
    add(dataHome);
    return paths;
}

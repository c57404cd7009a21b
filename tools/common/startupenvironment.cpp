/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "startupenvironment.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
void setHome(const char *home)
{
    qputenv("HOME", home);
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_CACHE_HOME");
}
}

namespace StartupEnvironment
{
void applyHomeOption(int argc, char **argv, std::initializer_list<const char *> valueOptions)
{
    const auto takesValue = [&valueOptions](const char *argument) {
        return std::any_of(valueOptions.begin(), valueOptions.end(), [argument](const char *option) {
            return std::strcmp(argument, option) == 0;
        });
    };
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc) {
            setHome(argv[++i]);
        } else if (std::strncmp(argv[i], "--home=", 7) == 0) {
            setHome(argv[i] + 7);
        } else if (takesValue(argv[i])) {
            ++i; // its value
        }
    }
}

void ensureRuntimeDir()
{
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray dir = QFile::encodeName(QDir::tempPath()) + "/runtime-" + QByteArray::number(::getuid());
        if (::mkdir(dir.constData(), 0700) == 0 || errno == EEXIST) {
            qputenv("XDG_RUNTIME_DIR", dir);
        }
    }
}
}

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "systemroot.h"

#include <QDir>

namespace
{
QString &systemRootStorage()
{
    static QString root = QStringLiteral("/");
    return root;
}
}

namespace StartMenuUtils
{
void setSystemRoot(const QString &root)
{
    systemRootStorage() = root.isEmpty() ? QStringLiteral("/") : QDir::cleanPath(QDir(root).absolutePath());
}

QString systemRoot()
{
    return systemRootStorage();
}

QString systemPath(const QString &path)
{
    const QString &root = systemRootStorage();
    if (root == QLatin1String("/") || !path.startsWith(QLatin1Char('/'))) {
        return path;
    }
    // "/" itself is the root, not the root with a trailing slash, which the watcher would list apart.
    if (path == QLatin1String("/")) {
        return root;
    }
    return root + path;
}
}

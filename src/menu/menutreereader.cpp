/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "menutreereader_p.h"

#include "nimbdesktopentry.h"
#include "treeformat_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{
QString text(const std::string &value)
{
    return QString::fromUtf8(value.c_str(), int(value.size()));
}

// The path in the file system's encoding, as the desktop-entry reader opens it.
std::string localPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// The name filter for the files that end in @p suffix.
QStringList endingIn(const char *suffix)
{
    return {QLatin1Char('*') + QLatin1String(suffix)};
}

Entry readCategory(const QFileInfo &folder)
{
    Entry category;
    category.setIsCategory(true);
    category.setId(folder.fileName());
    category.setPath(folder.filePath());
    category.setName(folder.fileName());
    category.setIcon(QStringLiteral("folder"));
    const QDir dir(folder.filePath());
    for (const QFileInfo &declarationFile : dir.entryInfoList(endingIn(TreeFormat::declarationFileSuffix), QDir::Files | QDir::Hidden)) {
        const NimbDesktopEntry declaration(localPath(declarationFile.filePath()));
        if (declaration.isLoaded() && !declaration.localName().empty()) {
            category.setName(text(declaration.localName()));
            category.setIcon(text(declaration.localIconOrFallback()));
            category.setTooltip(text(declaration.localComment()));
            break;
        }
    }

    QList<Entry> applications;
    for (const QFileInfo &itemFile : dir.entryInfoList(endingIn(TreeFormat::desktopFileSuffix), QDir::Files)) {
        const NimbDesktopEntry item(localPath(itemFile.filePath()));
        if (!item.isLoaded()) {
            continue;
        }
        Entry application;
        application.setId(itemFile.fileName());
        application.setPath(itemFile.filePath());
        application.setName(item.localName().empty() ? itemFile.fileName() : text(item.localName()));
        application.setIcon(text(item.localIconOrFallback()));
        application.setTooltip(text(item.localComment()));
        application.setCategoryId(category.id());
        application.setCategoryName(category.name());
        applications.append(application);
    }
    category.setChildren(applications);
    return category;
}
}

QList<Entry> MenuTreeReader::categories(const QString &root)
{
    QList<Entry> categories;
    for (const QFileInfo &folder : QDir(root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        categories.append(readCategory(folder));
    }
    return categories;
}

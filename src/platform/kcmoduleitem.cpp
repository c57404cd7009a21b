/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "kcmoduleitem.h"
#include "folderlist_p.h"
#include "kcmoduleitem_p.h"
#include "systemroot.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonObject>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <memory>

namespace
{
const QString parentCategoryKey = QStringLiteral("X-KDE-System-Settings-Parent-Category");
const QString fallbackCategory = QStringLiteral("other");
const QString rootName = QStringLiteral("root");
const QString pluginNamespaces[] = {
    QStringLiteral("plasma/kcms/systemsettings"),
    QStringLiteral("plasma/kcms/systemsettings_qwidgets"),
};

// Below a system root, the plug-in folders of a Debian system of any architecture are searched as
// well as this machine's library paths, so that the data of a root does not depend on the machine
// that reads it.
const QString sharedPluginFolder = QStringLiteral("/usr/lib/qt5/plugins");
const QString architecturesFolder = QStringLiteral("/usr/lib");
const QString architecturePluginSubfolder = QStringLiteral("/qt5/plugins");
const QStringList metaDataFilePatterns{QStringLiteral("*.json")};

QVector<KPluginMetaData> installedModules()
{
    QVector<KPluginMetaData> modules;
    for (const QString &pluginNamespace : pluginNamespaces) {
        modules += KPluginMetaData::findPlugins(pluginNamespace);
    }
    return modules;
}

QStringList pluginFoldersBelow(const QString &systemRoot)
{
    QStringList folders;
    const auto add = [&folders](const QString &folder) {
        const QString clean = QDir::cleanPath(folder);
        if (!folders.contains(clean)) {
            folders.append(clean);
        }
    };
    const QStringList libraryPaths = QCoreApplication::libraryPaths();
    for (const QString &libraryPath : libraryPaths) {
        if (QDir::isAbsolutePath(libraryPath)) {
            add(systemRoot + libraryPath);
        }
    }
    add(systemRoot + sharedPluginFolder);
    const QDir architectures(systemRoot + architecturesFolder);
    QStringList names = FolderList::names(architectures.path(), [](const FolderList::Entry &entry) {
        return entry.isDir && !entry.isHidden();
    });
    std::sort(names.begin(), names.end());
    for (const QString &name : std::as_const(names)) {
        const QString folder = architectures.filePath(name) + architecturePluginSubfolder;
        if (QFileInfo(folder).isDir()) {
            add(folder);
        }
    }
    return folders;
}

// An absolute folder makes findPlugins() search that folder only. It takes plug-in libraries alone;
// a system image may describe its modules by their metadata files instead.
QVector<KPluginMetaData> modulesIn(const QString &folder)
{
    QVector<KPluginMetaData> modules = KPluginMetaData::findPlugins(folder);
    const QDir dir(folder);
    QStringList metaDataFiles = FolderList::names(folder, [](const FolderList::Entry &entry) {
        return entry.isListedAsFile() && !entry.isHidden() && QDir::match(metaDataFilePatterns, QFile::decodeName(entry.name)) && entry.isReadable();
    });
    std::sort(metaDataFiles.begin(), metaDataFiles.end());
    for (const QString &fileName : std::as_const(metaDataFiles)) {
        const KPluginMetaData metaData = KPluginMetaData::fromJsonFile(dir.filePath(fileName));
        if (metaData.isValid()) {
            modules.append(metaData);
        }
    }
    return modules;
}

// As findPlugins() does across the library paths, the first module of an id wins within a namespace.
QVector<KPluginMetaData> modulesBelow(const QString &systemRoot)
{
    const QStringList pluginFolders = pluginFoldersBelow(systemRoot);
    QVector<KPluginMetaData> modules;
    for (const QString &pluginNamespace : pluginNamespaces) {
        QSet<QString> ids;
        for (const QString &pluginFolder : pluginFolders) {
            const QVector<KPluginMetaData> found = modulesIn(pluginFolder + QLatin1Char('/') + pluginNamespace);
            for (const KPluginMetaData &metaData : found) {
                if (!ids.contains(metaData.pluginId())) {
                    ids.insert(metaData.pluginId());
                    modules.append(metaData);
                }
            }
        }
    }
    return modules;
}

std::unique_ptr<ZDS::AbstractItem> buildTree(const QVector<KPluginMetaData> &modules)
{
    if (modules.isEmpty()) {
        return nullptr;
    }

    auto root = std::make_unique<ZDS::AbstractItem>(rootName, QString(), QString(), ZDS::AbstractItem::GroupType);
    // Groups come in the order their first module was found; the tree owns them.
    QHash<QString, ZDS::AbstractItem *> groups;
    for (const KPluginMetaData &metaData : modules) {
        QString category = metaData.rawData().value(parentCategoryKey).toString();
        if (category.isEmpty()) {
            category = fallbackCategory;
        }
        ZDS::AbstractItem *&group = groups[category];
        if (!group) {
            group = new ZDS::AbstractItem(category, category, QString(), ZDS::AbstractItem::GroupType);
            root->appendChild(group);
        }
        group->appendChild(new ZDS::KCModuleItem(metaData.pluginId(), metaData.name(), metaData.iconName(), metaData));
    }
    return root;
}
}

namespace ZDS
{
QVector<KPluginMetaData> findSettingsModules(const QString &systemRoot)
{
    if (QDir::cleanPath(systemRoot) == QLatin1String("/")) {
        return installedModules();
    }
    return modulesBelow(systemRoot);
}

AbstractItem::AbstractItem(const QString &name, const QString &text, const QString &icon, int type)
    : m_name(name)
    , m_text(text)
    , m_icon(icon)
    , m_type(type)
{
}

AbstractItem::~AbstractItem()
{
    qDeleteAll(m_childs);
}

QString AbstractItem::name() const
{
    return m_name;
}

QString AbstractItem::text() const
{
    return m_text;
}

int AbstractItem::type() const
{
    return m_type;
}

QList<AbstractItem *> AbstractItem::childs() const
{
    return m_childs;
}

QString AbstractItem::icon() const
{
    return m_icon;
}

void AbstractItem::appendChild(AbstractItem *child)
{
    m_childs.append(child);
}

KCModuleItem::KCModuleItem(const QString &name, const QString &text, const QString &icon, const KPluginMetaData &metaData)
    : AbstractItem(name, text, icon, Type)
    , metaData(metaData)
{
}

AbstractItem *KCModuleItem::getKCModuleTree()
{
    static const std::unique_ptr<AbstractItem> tree = buildTree(findSettingsModules(StartMenuUtils::systemRoot()));
    return tree.get();
}
}

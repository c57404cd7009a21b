/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "baloosettings.h"

#include <QDir>

namespace
{
const QString foldersName = QStringLiteral("folders");
const QString excludedFoldersName = QStringLiteral("excludedFolders");
}

BalooSettings::BalooSettings(QObject *parent)
    // A relative name is looked up in QStandardPaths::GenericConfigLocation, as baloo_file does.
    : KCoreConfigSkeleton(QStringLiteral("baloofilerc"), parent)
{
    const auto notify = static_cast<KConfigCompilerSignallingItem::NotifyFunction>(&BalooSettings::itemChanged);

    setCurrentGroup(QStringLiteral("General"));

    // Path lists, as the indexer writes them: a folder below home is stored as "$HOME/...".
    auto *folders = new KCoreConfigSkeleton::ItemPathList(currentGroup(), QStringLiteral("folders"), m_folders, defaultFoldersValue());
    m_foldersItem = new KConfigCompilerSignallingItem(folders, this, notify, FoldersSignal);
    addItem(m_foldersItem, foldersName);

    auto *excluded = new KCoreConfigSkeleton::ItemPathList(currentGroup(), QStringLiteral("exclude folders"), m_excludedFolders, defaultExcludedFoldersValue());
    m_excludedFoldersItem = new KConfigCompilerSignallingItem(excluded, this, notify, ExcludedFoldersSignal);
    addItem(m_excludedFoldersItem, excludedFoldersName);
}

BalooSettings::~BalooSettings() = default;

QStringList BalooSettings::folders() const
{
    return m_folders;
}

void BalooSettings::setFolders(const QStringList &folders)
{
    if (folders != m_folders && !isFoldersImmutable()) {
        m_folders = folders;
        Q_EMIT foldersChanged();
    }
}

bool BalooSettings::isFoldersImmutable() const
{
    return isImmutable(foldersName);
}

QStringList BalooSettings::defaultFoldersValue() const
{
    return {QDir::homePath()};
}

KConfigCompilerSignallingItem *BalooSettings::foldersItem()
{
    return m_foldersItem;
}

QStringList BalooSettings::excludedFolders() const
{
    return m_excludedFolders;
}

void BalooSettings::setExcludedFolders(const QStringList &folders)
{
    if (folders != m_excludedFolders && !isExcludedFoldersImmutable()) {
        m_excludedFolders = folders;
        Q_EMIT excludedFoldersChanged();
    }
}

bool BalooSettings::isExcludedFoldersImmutable() const
{
    return isImmutable(excludedFoldersName);
}

QStringList BalooSettings::defaultExcludedFoldersValue() const
{
    return {};
}

KConfigCompilerSignallingItem *BalooSettings::excludedFoldersItem()
{
    return m_excludedFoldersItem;
}

void BalooSettings::itemChanged(quint64 signal)
{
    switch (signal) {
    case FoldersSignal:
        Q_EMIT foldersChanged();
        break;
    case ExcludedFoldersSignal:
        Q_EMIT excludedFoldersChanged();
        break;
    }
}

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_BALOOSETTINGS_H
#define NIMBSTARTMENU_BALOOSETTINGS_H

#include "nimbstartmenu_export.h"

#include <KCoreConfigSkeleton>

#include <QStringList>

/**
 * @class BalooSettings baloosettings.h <NimbStartMenu/baloosettings.h>
 *
 * The folders the Baloo file indexer includes and excludes, kept in the indexer's own configuration
 * file "baloofilerc" in the user's configuration folder (group "General", keys "folders" and
 * "exclude folders"), which is where baloo_file reads them.
 *
 * The items are named "folders" and "excludedFolders". A new object holds what the file says;
 * load() reads it again and save() writes what changed. The running indexer picks a saved change up on
 * BalooCtl::updateConfig(). A key marked immutable in the file ("[$i]") keeps its value.
 */
class NIMBSTARTMENU_EXPORT BalooSettings : public KCoreConfigSkeleton
{
    Q_OBJECT
    Q_PROPERTY(QStringList folders READ folders WRITE setFolders NOTIFY foldersChanged)
    Q_PROPERTY(QStringList excludedFolders READ excludedFolders WRITE setExcludedFolders NOTIFY excludedFoldersChanged)
    Q_PROPERTY(bool isFoldersImmutable READ isFoldersImmutable CONSTANT)
    Q_PROPERTY(bool isExcludedFoldersImmutable READ isExcludedFoldersImmutable CONSTANT)

public:
    explicit BalooSettings(QObject *parent = nullptr);
    ~BalooSettings() override;

    /// The included folders; the home folder when the file names none.
    QStringList folders() const;
    /// Stores and signals only when @p folders differs and the item is not immutable.
    void setFolders(const QStringList &folders);
    bool isFoldersImmutable() const;
    QStringList defaultFoldersValue() const;
    KConfigCompilerSignallingItem *foldersItem();

    /// The excluded folders; none when the file names none.
    QStringList excludedFolders() const;
    /// Stores and signals only when @p folders differs and the item is not immutable.
    void setExcludedFolders(const QStringList &folders);
    bool isExcludedFoldersImmutable() const;
    QStringList defaultExcludedFoldersValue() const;
    KConfigCompilerSignallingItem *excludedFoldersItem();

Q_SIGNALS:
    /// Also emitted when load() or a reset brings another value.
    void foldersChanged();
    void excludedFoldersChanged();

private:
    enum ChangeSignal : quint64 {
        FoldersSignal = 1,
        ExcludedFoldersSignal = 2,
    };
    void itemChanged(quint64 signal);

    QStringList m_folders;
    QStringList m_excludedFolders;
    KConfigCompilerSignallingItem *m_foldersItem = nullptr;
    KConfigCompilerSignallingItem *m_excludedFoldersItem = nullptr;
};

#endif

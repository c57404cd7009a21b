/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_FILEINFO_H
#define NIMBSTARTMENU_FILEINFO_H

#include "nimbstartmenu_export.h"

#include <QString>
#include <QStringList>

#include <memory>

class FileInfo;
class FileInfoPrivate;

/**
 * The hash of a shared record in QSet and QHash: that of its path. Elements still compare by
 * pointer, so two records of one path are two elements.
 */
NIMBSTARTMENU_EXPORT uint qHash(const std::shared_ptr<FileInfo> &item, uint seed = 0);

/**
 * @class FileInfo fileinfo.h <NimbStartMenu/fileinfo.h>
 *
 * The search index's record of one item a query can find: a desktop entry (category()
 * "Applications") or a settings module (category() "KCM").
 *
 * Immutable, and shared rather than copied: every holder keeps a std::shared_ptr<FileInfo> to the
 * same object. Equality compares path() only and ordering compares displayName() only; in sets of
 * shared pointers, two elements are one only when they point to the same record.
 */
class NIMBSTARTMENU_EXPORT FileInfo
{
public:
    FileInfo(const QString &displayName,
             const QString &path,
             const QString &fileName,
             const QString &name,
             const QString &localName,
             const QString &genericName,
             const QString &localGenericName,
             const QString &comment,
             const QString &localComment,
             const QString &executableName,
             const QString &icon,
             const QStringList &keywords,
             const QStringList &categories,
             const QString &category);
    virtual ~FileInfo();

    /// The name shown: the localised name, else the name, else the file name.
    const QString &displayName() const;
    const QString &path() const;
    const QString &fileName() const;
    const QString &name() const;
    const QString &localName() const;
    const QString &genericName() const;
    const QString &localGenericName() const;
    const QString &comment() const;
    const QString &localComment() const;
    /// The command line of a desktop entry; the module's identifier for a settings module.
    const QString &executableName() const;
    const QString &icon() const;
    const QStringList &keywords() const;
    const QStringList &categories() const;
    /// "Applications" or "KCM".
    const QString &category() const;

    /// Whether both records stand for the same path.
    bool operator==(const FileInfo &other) const;
    bool operator!=(const FileInfo &other) const;
    /// Whether displayName() sorts before the other's, by UTF-16 code units.
    bool operator<(const FileInfo &other) const;
    bool operator<=(const FileInfo &other) const;

private:
    const std::unique_ptr<const FileInfoPrivate> d;

    friend uint qHash(const std::shared_ptr<FileInfo> &item, uint seed);
};

#endif

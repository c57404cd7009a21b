/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "fileinfo.h"

#include <QHash>

class FileInfoPrivate
{
public:
    const QString m_displayName;
    const QString m_path;
    const QString m_fileName;
    const QString m_name;
    const QString m_localName;
    const QString m_genericName;
    const QString m_localGenericName;
    const QString m_comment;
    const QString m_localComment;
    const QString m_executableName;
    const QString m_icon;
    const QStringList m_keywords;
    const QStringList m_categories;
    const QString m_category;
    // The index hashes a record once for every key it is filed under, always with the process's
    // seed, which every new QHash takes: that hash is worked out once.
    const uint m_pathHashSeed = uint(qGlobalQHashSeed());
    const uint m_pathHash = qHash(m_path, m_pathHashSeed);
};

FileInfo::FileInfo(const QString &displayName,
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
                   const QString &category)
    : d(new FileInfoPrivate{displayName,
                            path,
                            fileName,
                            name,
                            localName,
                            genericName,
                            localGenericName,
                            comment,
                            localComment,
                            executableName,
                            icon,
                            keywords,
                            categories,
                            category})
{
}

FileInfo::~FileInfo() = default;

const QString &FileInfo::displayName() const
{
    return d->m_displayName;
}

const QString &FileInfo::path() const
{
    return d->m_path;
}

const QString &FileInfo::fileName() const
{
    return d->m_fileName;
}

const QString &FileInfo::name() const
{
    return d->m_name;
}

const QString &FileInfo::localName() const
{
    return d->m_localName;
}

const QString &FileInfo::genericName() const
{
    return d->m_genericName;
}

const QString &FileInfo::localGenericName() const
{
    return d->m_localGenericName;
}

const QString &FileInfo::comment() const
{
    return d->m_comment;
}

const QString &FileInfo::localComment() const
{
    return d->m_localComment;
}

const QString &FileInfo::executableName() const
{
    return d->m_executableName;
}

const QString &FileInfo::icon() const
{
    return d->m_icon;
}

const QStringList &FileInfo::keywords() const
{
    return d->m_keywords;
}

const QStringList &FileInfo::categories() const
{
    return d->m_categories;
}

const QString &FileInfo::category() const
{
    return d->m_category;
}

bool FileInfo::operator==(const FileInfo &other) const
{
    return d->m_path == other.d->m_path;
}

bool FileInfo::operator!=(const FileInfo &other) const
{
    return !(*this == other);
}

bool FileInfo::operator<(const FileInfo &other) const
{
    return d->m_displayName < other.d->m_displayName;
}

bool FileInfo::operator<=(const FileInfo &other) const
{
    return !(other.d->m_displayName < d->m_displayName);
}

uint qHash(const std::shared_ptr<FileInfo> &item, uint seed)
{
    return seed == item->d->m_pathHashSeed ? item->d->m_pathHash : qHash(item->path(), seed);
}

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "fileinfo.h"

#include <QHash>

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
    : m_displayName(displayName)
    , m_path(path)
    , m_fileName(fileName)
    , m_name(name)
    , m_localName(localName)
    , m_genericName(genericName)
    , m_localGenericName(localGenericName)
    , m_comment(comment)
    , m_localComment(localComment)
    , m_executableName(executableName)
    , m_icon(icon)
    , m_keywords(keywords)
    , m_categories(categories)
    , m_category(category)
    , m_pathHashSeed(uint(qGlobalQHashSeed()))
    , m_pathHash(qHash(path, m_pathHashSeed))
{
}

FileInfo::~FileInfo() = default;

const QString &FileInfo::displayName() const
{
    return m_displayName;
}

const QString &FileInfo::path() const
{
    return m_path;
}

const QString &FileInfo::fileName() const
{
    return m_fileName;
}

const QString &FileInfo::name() const
{
    return m_name;
}

const QString &FileInfo::localName() const
{
    return m_localName;
}

const QString &FileInfo::genericName() const
{
    return m_genericName;
}

const QString &FileInfo::localGenericName() const
{
    return m_localGenericName;
}

const QString &FileInfo::comment() const
{
    return m_comment;
}

const QString &FileInfo::localComment() const
{
    return m_localComment;
}

const QString &FileInfo::executableName() const
{
    return m_executableName;
}

const QString &FileInfo::icon() const
{
    return m_icon;
}

const QStringList &FileInfo::keywords() const
{
    return m_keywords;
}

const QStringList &FileInfo::categories() const
{
    return m_categories;
}

const QString &FileInfo::category() const
{
    return m_category;
}

bool FileInfo::operator==(const FileInfo &other) const
{
    return m_path == other.m_path;
}

bool FileInfo::operator!=(const FileInfo &other) const
{
    return !(*this == other);
}

bool FileInfo::operator<(const FileInfo &other) const
{
    return m_displayName < other.m_displayName;
}

bool FileInfo::operator<=(const FileInfo &other) const
{
    return !(other.m_displayName < m_displayName);
}

uint qHash(const std::shared_ptr<FileInfo> &item, uint seed)
{
    return seed == item->m_pathHashSeed ? item->m_pathHash : qHash(item->path(), seed);
}

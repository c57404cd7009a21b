/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "indexer.h"
#include "kcmoduleitem.h"
#include "nimbdesktopentry.h"
#include "startmenuutils.h"
#include "updatemode.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringView>

#include <algorithm>

namespace
{
constexpr int reservedKeys = 10000;
const QString desktopSuffix = QStringLiteral("desktop");
const QString excludedApplicationFolder = QStringLiteral("/usr/share/applications/nimbdesktop");
const QString overrideDir = QStringLiteral("/usr/share/nimb/desktop-entries-override");
const QString applicationsDir = QStringLiteral("/usr/share/applications");
const QString actionsDir = QStringLiteral("/usr/share/nimb-start-menu/actions");
const QString fallbackIcon = QStringLiteral("system-run");
const QString systemSettingsRow = QStringLiteral("talvo-systemsettings");
constexpr const char *originKey = "X-Nimb-OriginFile";
constexpr const char *yastGroupKey = "X-SuSE-YaST-Group";

// Without Unicode properties the POSIX classes stay ASCII: "«" or "。" are part of a word.
const QRegularExpression &wordSeparator()
{
    static const QRegularExpression separator(QStringLiteral("([[:space:]]|[[:punct:]])"));
    return separator;
}

QStringList splitWords(const QString &text)
{
    return text.split(wordSeparator(), Qt::SkipEmptyParts);
}

// The longest key filed for a lower-cased word, and so the key a query word is looked up by: both
// sides cut at the same place, after lower-casing, which may change a word's length.
QStringView leadingKey(const QString &lowerCaseWord)
{
    return QStringView(lowerCaseWord).left(Indexer::MaxKeyLength);
}

QSet<QString> actionPaths(std::initializer_list<const char *> fileNames)
{
    QSet<QString> paths;
    for (const char *fileName : fileNames) {
        paths.insert(StartMenuUtils::systemPath(actionsDir + QLatin1Char('/') + QLatin1String(fileName)));
    }
    return paths;
}

const QSet<QString> &updateActivatedActions()
{
    static const QSet<QString> paths = actionPaths({"reboot-update-activated.desktop", "shutdown-update-activated.desktop"});
    return paths;
}

const QSet<QString> &updateAvailableActions()
{
    static const QSet<QString> paths =
        actionPaths({"reboot-update-available.desktop", "reboot.desktop", "shutdown-update-available.desktop", "shutdown.desktop"});
    return paths;
}

const QSet<QString> &noUpdateActions()
{
    static const QSet<QString> paths = actionPaths({"reboot.desktop", "shutdown.desktop"});
    return paths;
}

const QSet<QString> &allActions()
{
    static const QSet<QString> paths = updateActivatedActions() + updateAvailableActions() + noUpdateActions();
    return paths;
}

bool isAccepted(const NimbDesktopEntry &entry)
{
    return entry.isLoaded() && entry.isValid() && entry.isSuitable(nullptr) && entry.isDisplayable(nullptr) && entry.isForNimb(nullptr);
}

// Settings modules come from the settings tree; their launchers would only double them.
bool isSettingsCommand(const QString &command)
{
    return command.contains(QLatin1String("kcmshell")) || command.startsWith(QLatin1String("systemsettings"));
}

QString entryText(const NimbDesktopEntry &entry, std::string (NimbDesktopEntry::*accessor)() const)
{
    return QString::fromStdString((entry.*accessor)());
}

QString yastGroup(const NimbDesktopEntry &entry)
{
    return QString::fromStdString(entry.getUnknownValue(yastGroupKey));
}

// A module's keywords are one text; the parts between separators are kept, empty ones included,
// as the record shows them. A module without keywords has none, not one empty keyword.
QStringList splitKeywords(const QString &keywords)
{
    return keywords.isEmpty() ? QStringList() : keywords.split(wordSeparator(), Qt::KeepEmptyParts);
}

QString jsonString(const QJsonObject &object, const QString &key)
{
    return object.value(key).toString();
}
}

Indexer::Indexer(QObject *parent)
    : QObject(parent)
{
    m_index.reserve(reservedKeys);
}

Indexer::~Indexer() = default;

void Indexer::clear()
{
    m_index.clear();
}

void Indexer::indexApplications()
{
    const QMap<QString, SettingsMapRecord> settingsMap = SettingsMap::loadSettingsMap();
    // The menu tree first: its copies name their sources, which are then skipped.
    const QStringList dirs = QStringList{StartMenuUtils::menuDir()} + StartMenuUtils::appSearchPaths();
    indexDesktopFiles(dirs, &Indexer::isApplication, settingsMap);
}

void Indexer::indexClassicSettings()
{
    QMap<QString, SettingsMapRecord> settingsMap = SettingsMap::loadSettingsMap();
    // The settings centre is always one, whatever the installed table says.
    const auto systemSettings = settingsMap.find(systemSettingsRow);
    if (systemSettings != settingsMap.end()) {
        systemSettings->classicSettings = true;
    }
    const QStringList dirs{StartMenuUtils::systemPath(applicationsDir), StartMenuUtils::systemPath(actionsDir)};
    indexDesktopFiles(dirs, &Indexer::isClassicSettings, settingsMap);
}

void Indexer::indexSettings()
{
    indexClassicSettings();
    indexZDS();
}

void Indexer::indexZDS()
{
    m_settingsTree = ZDS::KCModuleItem::getKCModuleTree();
    if (m_settingsTree) {
        indexZDSNode(m_settingsTree);
    }
}

void Indexer::indexZDSNode(ZDS::AbstractItem *item)
{
    if (!item) {
        return;
    }
    if (!item->name().isEmpty() && item->type() == ZDS::KCModuleItem::Type) {
        if (const auto *module = dynamic_cast<const ZDS::KCModuleItem *>(item)) {
            indexKCMItem(module);
        }
    }
    const QList<ZDS::AbstractItem *> children = item->childs();
    for (ZDS::AbstractItem *child : children) {
        indexZDSNode(child);
    }
}

void Indexer::indexKCMItem(const ZDS::KCModuleItem *module)
{
    const QJsonObject raw = module->metaData.rawData();
    const QJsonObject plugin = raw.value(QLatin1String("KPlugin")).toObject();

    const QString path = module->metaData.metaDataFileName();
    const QString name = jsonString(plugin, QStringLiteral("Name"));
    const QString text = module->text();
    const QString description = jsonString(plugin, QStringLiteral("Description"));
    const QString russianDescription = jsonString(plugin, QStringLiteral("Description[ru]"));
    const QString moduleName = module->name();
    const QString icon = module->icon();

    const QStringList keywords =
        splitKeywords(jsonString(raw, QStringLiteral("X-KDE-Keywords"))) + splitKeywords(jsonString(raw, QStringLiteral("X-KDE-Keywords[ru]")));

    QStringList words;
    for (const QString &part : {name, text, description, russianDescription, moduleName}) {
        words += splitWords(part);
    }
    words += keywords;

    const auto record = std::make_shared<FileInfo>(text,
                                                   path,
                                                   path,
                                                   name,
                                                   text,
                                                   description,
                                                   russianDescription,
                                                   QString(),
                                                   QString(),
                                                   moduleName,
                                                   icon.isEmpty() ? fallbackIcon : icon,
                                                   keywords,
                                                   QStringList(),
                                                   m_kcmCategory);
    indexFileInfo(record, words);
}

bool Indexer::isApplication(const QFileInfo &file, const NimbDesktopEntry &entry, const QMap<QString, SettingsMapRecord> &settingsMap)
{
    return !settingsMap.contains(file.completeBaseName()) && yastGroup(entry).isEmpty();
}

bool Indexer::isClassicSettings(const QFileInfo &file, const NimbDesktopEntry &entry, const QMap<QString, SettingsMapRecord> &settingsMap)
{
    const auto row = settingsMap.constFind(file.completeBaseName());
    if (row != settingsMap.cend()) {
        return row->classicSettings;
    }
    if (yastGroup(entry).isEmpty()) {
        return false;
    }
    const QString path = file.filePath();
    if (!allActions().contains(path)) {
        return true;
    }
    // Only the reboot and shutdown actions that fit the current update state are offered.
    const UpdateMode *updateMode = UpdateMode::instance();
    if (updateMode->isUpdateActive()) {
        return updateActivatedActions().contains(path);
    }
    if (updateMode->isUpdateAvailable()) {
        return updateAvailableActions().contains(path);
    }
    return noUpdateActions().contains(path);
}

void Indexer::indexDesktopFiles(const QStringList &dirs, const DesktopFileFilter &filter, const QMap<QString, SettingsMapRecord> &settingsMap)
{
    const QString excludedFolder = StartMenuUtils::systemPath(excludedApplicationFolder);
    const QString systemOverrideDir = StartMenuUtils::systemPath(overrideDir);
    QSet<QString> origins;

    for (const QString &dir : dirs) {
        QDirIterator it(dir, QDir::Files | QDir::Readable, QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (it.hasNext()) {
            const QString path = it.next();
            const QFileInfo file = it.fileInfo();
            if (file.dir().path() == excludedFolder || file.suffix() != desktopSuffix) {
                continue;
            }

            NimbDesktopEntry entry(path.toStdString());
            if (!isAccepted(entry)) {
                continue;
            }
            StartMenuUtils::overrideDesktopEntry(entry, file.fileName(), systemOverrideDir);
            if (isSettingsCommand(entryText(entry, &NimbDesktopEntry::exec))) {
                continue;
            }

            const QString origin = QString::fromStdString(entry.getUnknownValue(originKey));
            if (!origin.isEmpty()) {
                origins.insert(origin);
            }
            if (origins.contains(path)) {
                continue;
            }
            if (filter(file, entry, settingsMap)) {
                indexDesktopFile(path, file, entry);
            }
        }
    }
}

void Indexer::indexDesktopFile(const QString &path, const QFileInfo &file, const NimbDesktopEntry &entry)
{
    const QString fileName = file.fileName();
    const QString name = entryText(entry, &NimbDesktopEntry::name);
    const QString localName = entryText(entry, &NimbDesktopEntry::localName);
    const QString genericName = entryText(entry, &NimbDesktopEntry::genericName);
    const QString localGenericName = entryText(entry, &NimbDesktopEntry::localGenericName);
    const QString comment = entryText(entry, &NimbDesktopEntry::comment);
    const QString localComment = entryText(entry, &NimbDesktopEntry::localComment);
    const QString command = entryText(entry, &NimbDesktopEntry::exec);
    const QString icon = entryText(entry, &NimbDesktopEntry::localIconOrFallback);
    const QStringList keywords =
        StartMenuUtils::stdStringVectorToQStringList(entry.keywords()) + StartMenuUtils::stdStringVectorToQStringList(entry.localKeywords());
    const QStringList categories = StartMenuUtils::stdStringVectorToQStringList(entry.categories());

    // The file name is a word source too: its suffix makes every entry findable by "desktop".
    QStringList words;
    for (const QString &part : {fileName, name, localName, genericName, localGenericName, comment, localComment, command}) {
        words += splitWords(part);
    }
    // A keyword such as "Web Browser" stays one word.
    words += keywords;

    const QString displayName = !localName.isEmpty() ? localName : !name.isEmpty() ? name : fileName;

    const auto record = std::make_shared<FileInfo>(displayName,
                                                   path,
                                                   fileName,
                                                   name,
                                                   localName,
                                                   genericName,
                                                   localGenericName,
                                                   comment,
                                                   localComment,
                                                   command,
                                                   icon.isEmpty() ? fallbackIcon : icon,
                                                   keywords,
                                                   categories,
                                                   m_applicationsCategory);
    indexFileInfo(record, words);
}

void Indexer::indexFileInfo(const std::shared_ptr<FileInfo> &item, const QList<QString> &words)
{
    QSet<QString> keys;
    for (const QString &word : words) {
        const QString lowerCaseWord = word.toLower();
        const QStringView head = leadingKey(lowerCaseWord);
        for (int length = 1; length <= head.size(); ++length) {
            keys.insert(head.left(length).toString());
        }
        const int longestSuffix = std::min<int>(lowerCaseWord.size() - 1, MaxKeyLength);
        for (int length = longestSuffix; length >= 1; --length) {
            keys.insert(lowerCaseWord.right(length));
        }
    }

    for (const QString &key : qAsConst(keys)) {
        m_index[key].insert(item);
    }
}

QSet<std::shared_ptr<FileInfo>> Indexer::find(const QString &query) const
{
    const QStringList words = splitWords(query);
    if (words.isEmpty()) {
        return {};
    }

    const auto recordsOf = [this](const QString &word) {
        return m_index.value(leadingKey(word.toLower()).toString());
    };

    QSet<std::shared_ptr<FileInfo>> result = recordsOf(words.first());
    for (auto word = std::next(words.cbegin()); word != words.cend(); ++word) {
        // QSet::intersect() walks the smaller of the two sets.
        result.intersect(recordsOf(*word));
    }
    return result;
}

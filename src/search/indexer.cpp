/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "indexer.h"
#include "applicationsource_p.h"
#include "filewalk_p.h"
#include "indexer_p.h"
#include "indextable_p.h"
#include "kcmoduleitem.h"
#include "nimbdesktopentry.h"
#include "regularfile_p.h"
#include "startmenuutils.h"
#include "treeformat_p.h"
#include "updatemode.h"

#include <QDir>
#include <QJsonObject>
#include <QStringView>
#include <QUrl>

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

namespace
{
// std::vector::shrink_to_fit() gives nothing back when the library is built without exceptions, as
// here: libstdc++ then declines the request. A copy of the right size does what it would.
template<typename T>
void shrinkToFit(std::vector<T> &buffer)
{
    if (buffer.capacity() > buffer.size()) {
        std::vector<T>(std::make_move_iterator(buffer.begin()), std::make_move_iterator(buffer.end())).swap(buffer);
    }
}

// Empties a buffer and gives back its memory.
template<typename T>
void release(std::vector<T> &buffer)
{
    std::vector<T>().swap(buffer);
}

const QString applicationsDir = QStringLiteral("/usr/share/applications");
const QString fallbackIcon = QStringLiteral("system-run");
const QString systemSettingsRow = QStringLiteral("talvo-systemsettings");

// The word separator is the regular expression "([[:space:]]|[[:punct:]])" without Unicode
// properties, whose POSIX classes stay ASCII: "«" or "。" are part of a word. It matches one
// character at a time, so a table of those characters splits alike, without a regular-expression
// match per word.
constexpr std::array<bool, 128> separatorTable()
{
    std::array<bool, 128> table{};
    for (const char c : std::string_view(" \t\n\v\f\r!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~")) {
        table[std::size_t(c)] = true;
    }
    return table;
}

bool isSeparator(QChar c)
{
    static constexpr std::array<bool, 128> separators = separatorTable();
    return c.unicode() < separators.size() && separators[c.unicode()];
}

// Calls visit() with each part of text between separators, empty parts included.
template<typename Visit>
void forEachPart(QStringView text, Visit visit)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isSeparator(text[i])) {
            visit(text.mid(start, i - start));
            start = i + 1;
        }
    }
    visit(text.mid(start));
}

template<typename Visit>
void forEachWord(QStringView text, Visit visit)
{
    forEachPart(text, [&visit](QStringView part) {
        if (!part.isEmpty()) {
            visit(part);
        }
    });
}

QStringList splitWords(const QString &text)
{
    QStringList words;
    forEachWord(text, [&words](QStringView word) {
        words.append(word.toString());
    });
    return words;
}

// The one lower-casing of filed words and query words. Qt 5.15 lower-cases a string it may change in
// place (a temporary) differently from a shared one when the text holds unpaired surrogates: the
// in-place form turns the second of two high surrogates into a low one. Both sides take the form of
// the shared string, which leaves surrogates as they are, so that a word always finds itself.
QString lowerCased(QStringView word)
{
    const QString text = word.toString();
    return text.toLower();
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
        paths.insert(StartMenuUtils::systemPath(TreeFormat::actionsFolder + QLatin1Char('/') + QLatin1String(fileName)));
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

QString entryText(const NimbDesktopEntry &entry, std::string (NimbDesktopEntry::*accessor)() const)
{
    return QString::fromStdString((entry.*accessor)());
}

// A local text that is the untranslated one shares its string rather than copying it.
QString localText(const std::string &local, const std::string &plain, const QString &plainText)
{
    return local == plain ? plainText : QString::fromStdString(local);
}

// A module's keywords are one text; the parts between separators are kept, empty ones included,
// as the record shows them. A module without keywords has none, not one empty keyword.
QStringList splitKeywords(const QString &keywords)
{
    QStringList parts;
    if (!keywords.isEmpty()) {
        forEachPart(keywords, [&parts](QStringView part) {
            parts.append(part.toString());
        });
    }
    return parts;
}

/**
 * The keys of one record: every prefix and proper suffix of its lower-cased words, each once.
 * Keys are places in one buffer of lower-cased words rather than strings of their own; the index
 * copies the text of a word only when one of its keys is new to it.
 */
class RecordKeys
{
public:
    // Keeps the buffers: the next record reuses them.
    void clear()
    {
        m_text.resize(0);
        m_keys.clear();
        m_words.clear();
        m_segments.clear();
        m_keyTable.clear();
        m_wordTable.clear();
    }

    void addWord(QStringView word)
    {
        if (word.isEmpty()) {
            return;
        }
        const int start = m_text.size();
        if (std::all_of(word.begin(), word.end(), [](QChar c) {
                return c.unicode() < 128;
            })) {
            m_text.resize(start + int(word.size()));
            QChar *lower = m_text.data() + start;
            for (const QChar c : word) {
                *lower++ = (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ? QChar(c.unicode() + ('a' - 'A')) : c;
            }
        } else {
            // Full case mapping may change the length ("İ" becomes two characters).
            m_text += lowerCased(word);
        }
        const int length = m_text.size() - start;

        // Polynomial hashes: the hash of a text is the same wherever it stands, and the hashes of
        // the prefixes of a text give the hash of each of its suffixes in one step. Only the first
        // and the last MaxKeyLength characters make keys; the word's own hash runs over all of it.
        const QChar *text = m_text.constData() + start;
        std::uint64_t whole = 0;
        for (int i = 0; i < length; ++i) {
            whole = IndexTable::hashStep(whole, text[i].unicode());
        }
        // A word met before in the record (a name is often its file name and its command too) has
        // all its keys already.
        if (!insert(m_words, m_wordTable, Key{start, length, whole, -1})) {
            m_text.resize(start);
            return;
        }
        const int head = std::min(length, Indexer::MaxKeyLength);
        const int tail = std::min(length, Indexer::MaxKeyLength + 1);
        const int tailStart = length - tail;
        // The text a new key's index copy comes from: the word, or for a word longer than its keys
        // reach, its head and its tail, so that a huge word does not stay in the index whole.
        const int headSegment = int(m_segments.size());
        int tailSegment = headSegment;
        if (tailStart > head) {
            m_segments.push_back(Segment{start, head});
            tailSegment = headSegment + 1;
            m_segments.push_back(Segment{start + tailStart, tail});
        } else {
            m_segments.push_back(Segment{start, length});
        }
        prefixHashes(text, head);
        for (int prefix = 1; prefix <= head; ++prefix) {
            insert(m_keys, m_keyTable, Key{start, prefix, m_prefixHashes[std::size_t(prefix)], headSegment});
        }
        prefixHashes(text + tailStart, tail);
        for (int suffix = tail - 1; suffix >= 1; --suffix) {
            const std::size_t offset = std::size_t(tail - suffix);
            const std::uint64_t hash = m_prefixHashes[std::size_t(tail)] - m_prefixHashes[offset] * m_powers[std::size_t(suffix)];
            insert(m_keys, m_keyTable, Key{start + tailStart + int(offset), suffix, hash, tailSegment});
        }
    }

    // Files the record under its keys.
    void fileInto(IndexerPrivate &index, const std::shared_ptr<FileInfo> &item)
    {
        const std::uint32_t record = index.recordNumber(item);
        m_copies.assign(m_segments.size(), -1);
        for (const Key &key : m_keys) {
            const std::uint32_t number = index.keyNumber(m_text.constData() + key.offset, key.length, key.hash, [&] {
                const Segment &segment = m_segments[std::size_t(key.segment)];
                std::int64_t &copy = m_copies[std::size_t(key.segment)];
                if (copy < 0) {
                    copy = index.appendText(m_text.constData() + segment.start, segment.length);
                }
                return std::uint32_t(copy + (key.offset - segment.start));
            });
            index.file(number, record);
        }
    }

private:
    struct Key {
        int offset;
        int length;
        std::uint64_t hash;
        int segment; // in m_segments
    };
    struct Segment {
        int start;
        int length;
    };

    // Adds key to keys unless the same text is there.
    bool insert(std::vector<Key> &keys, IndexTable &table, const Key &key)
    {
        const QChar *text = m_text.constData() + key.offset;
        const auto place = std::int32_t(keys.size());
        const bool added = table.findOrInsert(key.hash, place, [&](std::int32_t index) {
            const Key &known = keys[std::size_t(index)];
            return known.hash == key.hash && known.length == key.length && std::equal(text, text + key.length, m_text.constData() + known.offset);
        }) == place;
        if (added) {
            keys.push_back(key);
        }
        return added;
    }

    void prefixHashes(const QChar *text, int length)
    {
        m_prefixHashes.resize(std::size_t(length) + 1);
        m_powers.resize(std::size_t(length) + 1);
        m_prefixHashes[0] = 0;
        m_powers[0] = 1;
        for (int i = 0; i < length; ++i) {
            m_prefixHashes[std::size_t(i) + 1] = IndexTable::hashStep(m_prefixHashes[std::size_t(i)], text[i].unicode());
            m_powers[std::size_t(i) + 1] = m_powers[std::size_t(i)] * IndexTable::HashBase;
        }
    }

    QString m_text; // the lower-cased words, one after the other
    std::vector<Key> m_keys;
    IndexTable m_keyTable;
    std::vector<Key> m_words;
    IndexTable m_wordTable;
    std::vector<std::uint64_t> m_prefixHashes;
    std::vector<std::uint64_t> m_powers;
    std::vector<Segment> m_segments;
    std::vector<std::int64_t> m_copies; // the place of each segment's copy in the index, or -1
};

// The buffers of RecordKeys, kept from one record to the next: allocating them afresh for every
// record costs more than the keys themselves. One for the process: the index is built on the thread
// its owner lives in, as everything of the library is.
RecordKeys &recordKeys()
{
    static RecordKeys keys;
    keys.clear();
    return keys;
}

QString jsonString(const QJsonObject &object, const QString &key)
{
    return object.value(key).toString();
}

// Whether the bytes of a file hold one of keys. Keys stand in a desktop file as they are, so a file
// without them cannot have them. A file that the reader turns away answers yes: it is then read as
// usual, which turns it away as usual.
bool mayHoldKey(const QString &path, std::initializer_list<const char *> keys, std::string &buffer)
{
    const std::optional<std::size_t> length =
        RegularFile::read(path.toStdString().c_str(), NimbDesktopEntry::MaxFileSize, [&buffer](std::size_t capacity, std::size_t) {
            buffer.resize(capacity);
            return buffer.data();
        });
    if (!length) {
        return true;
    }
    const std::string_view contents(buffer.data(), *length);
    return std::any_of(keys.begin(), keys.end(), [&contents](const char *key) {
        return contents.find(key) != std::string_view::npos;
    });
}

/**
 * The desktop files of @p dirs that the index may take, in walk order: accepted, with the first
 * override applied, not a settings launcher, and not the source of an earlier copy in the menu tree.
 * A file whose reading can change nothing is not read: one that an earlier copy stands in for, and,
 * when @p requiredKey is given, one that the table does not name and that lacks that key, which the
 * caller turns away. Reading it could still add a source named by its "X-Nimb-OriginFile", or the
 * override could add keys: a file that may hold the key or has an override is read.
 */
template<typename Visit>
void forEachIndexable(const ApplicationSource &source, const QStringList &dirs, const char *requiredKey, Visit visit)
{
    QSet<QString> origins;
    std::string buffer;
    source.forEachDesktopFile(dirs, [&](const QString &path) {
        const QFileInfo file(path);
        if (!source.mayBeOverridden(file.fileName())) {
            if (origins.contains(path)) {
                if (!mayHoldKey(path, {TreeFormat::originKey}, buffer)) {
                    return;
                }
            } else if (requiredKey && !source.settingsMap().contains(file.completeBaseName())
                       && !mayHoldKey(path, {requiredKey, TreeFormat::originKey}, buffer)) {
                return;
            }
        }

        const ApplicationSource::Item item = source.read(path);
        if (item.kind == ApplicationSource::Kind::Unaccepted || item.kind == ApplicationSource::Kind::SettingsLauncher) {
            return;
        }
        const std::string origin = item.entry.getUnknownValue(TreeFormat::originKey);
        if (!origin.empty()) {
            origins.insert(QString::fromStdString(origin));
        }
        if (!origins.contains(path)) {
            visit(path, file, item.entry);
        }
    });
}
}

Indexer::Indexer(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<IndexerPrivate>())
{
}

Indexer::~Indexer() = default;

void Indexer::clear()
{
    d->clear();
}

void Indexer::indexApplications()
{
    const QMap<QString, SettingsMapRecord> settingsMap = SettingsMap::loadSettingsMap();
    // The menu tree first: its copies name their sources, which are then skipped.
    const QStringList dirs = QStringList{StartMenuUtils::menuDir()} + StartMenuUtils::appSearchPaths();
    indexDesktopFiles(dirs, &Indexer::isApplication, settingsMap);
    d->finish();
}

void Indexer::indexClassicSettings()
{
    QMap<QString, SettingsMapRecord> settingsMap = SettingsMap::loadSettingsMap();
    // The settings centre is always one, whatever the installed table says.
    const auto systemSettings = settingsMap.find(systemSettingsRow);
    if (systemSettings != settingsMap.end()) {
        systemSettings->classicSettings = true;
    }
    const QStringList dirs{StartMenuUtils::systemPath(applicationsDir), StartMenuUtils::systemPath(TreeFormat::actionsFolder)};
    // A file that the table does not name is a classic settings item only with a YaST group.
    const ApplicationSource source(ApplicationSource::Overrides::First, settingsMap);
    forEachIndexable(source, dirs, TreeFormat::yastGroupKey, [this, &settingsMap](const QString &path, const QFileInfo &file, const NimbDesktopEntry &entry) {
        if (isClassicSettings(file, entry, settingsMap)) {
            indexDesktopFile(path, file, entry);
        }
    });
    d->finish();
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
    d->finish();
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
    return !settingsMap.contains(file.completeBaseName()) && !ApplicationSource::hasYastGroup(entry);
}

bool Indexer::isClassicSettings(const QFileInfo &file, const NimbDesktopEntry &entry, const QMap<QString, SettingsMapRecord> &settingsMap)
{
    const auto row = settingsMap.constFind(file.completeBaseName());
    if (row != settingsMap.cend()) {
        return row->classicSettings;
    }
    if (!ApplicationSource::hasYastGroup(entry)) {
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
    const ApplicationSource source(ApplicationSource::Overrides::First, settingsMap);
    forEachIndexable(source, dirs, nullptr, [this, &filter, &settingsMap](const QString &path, const QFileInfo &file, const NimbDesktopEntry &entry) {
        if (filter(file, entry, settingsMap)) {
            indexDesktopFile(path, file, entry);
        }
    });
}

void Indexer::indexDesktopFile(const QString &path, const QFileInfo &file, const NimbDesktopEntry &entry)
{
    const QString fileName = file.fileName();
    // Without a translation the local texts are the untranslated ones: they share them.
    const std::string nameText = entry.name();
    const std::string genericNameText = entry.genericName();
    const std::string commentText = entry.comment();
    const QString name = QString::fromStdString(nameText);
    const QString localName = localText(entry.localName(), nameText, name);
    const QString genericName = QString::fromStdString(genericNameText);
    const QString localGenericName = localText(entry.localGenericName(), genericNameText, genericName);
    const QString comment = QString::fromStdString(commentText);
    const QString localComment = localText(entry.localComment(), commentText, comment);
    const QString command = entryText(entry, &NimbDesktopEntry::exec);
    const QString icon = entryText(entry, &NimbDesktopEntry::localIconOrFallback);
    const std::vector<std::string> keywordTexts = entry.keywords();
    const std::vector<std::string> localKeywordTexts = entry.localKeywords();
    const QStringList plainKeywords = StartMenuUtils::stdStringVectorToQStringList(keywordTexts);
    const QStringList keywords =
        plainKeywords + (localKeywordTexts == keywordTexts ? plainKeywords : StartMenuUtils::stdStringVectorToQStringList(localKeywordTexts));
    const QStringList categories = StartMenuUtils::stdStringVectorToQStringList(entry.categories());

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
    // The file name is a word source too: its suffix makes every entry findable by "desktop".
    RecordKeys &keys = recordKeys();
    for (const QString *text : {&fileName, &name, &localName, &genericName, &localGenericName, &comment, &localComment, &command}) {
        forEachWord(*text, [&keys](QStringView word) {
            keys.addWord(word);
        });
    }
    // A keyword such as "Web Browser" stays one word.
    for (const QString &keyword : keywords) {
        keys.addWord(keyword);
    }
    keys.fileInto(*d, record);
}

void Indexer::indexFileInfo(const std::shared_ptr<FileInfo> &item, const QList<QString> &words)
{
    RecordKeys &keys = recordKeys();
    for (const QString &word : words) {
        keys.addWord(word);
    }
    keys.fileInto(*d, item);
}

QSet<std::shared_ptr<FileInfo>> Indexer::find(const QString &query) const
{
    const std::vector<std::uint32_t> numbers = d->find(query);
    QSet<std::shared_ptr<FileInfo>> result;
    result.reserve(int(numbers.size()));
    for (const std::uint32_t number : numbers) {
        result.insert(d->record(number));
    }
    return result;
}

void IndexerPrivate::clear()
{
    const std::lock_guard<std::mutex> lock(m_settling);
    release(m_records);
    release(m_matchData);
    release(m_nameUnits);
    release(m_commandUnits);
    m_recordTable = IndexTable();
    release(m_text);
    release(m_keys);
    m_keyTable = IndexTable();
    m_runStarts = std::vector<std::uint32_t>{0};
    release(m_runs);
    release(m_pending);
    release(m_ownPaths);
    m_dirty.store(false);
}

std::uint32_t IndexerPrivate::recordNumber(const std::shared_ptr<FileInfo> &record)
{
    // Records are told apart by pointer, as in a set of shared pointers.
    const auto address = std::uint64_t(reinterpret_cast<std::uintptr_t>(record.get()));
    const auto place = std::int32_t(m_records.size());
    const std::int32_t found = m_recordTable.findOrInsert(address, place, [&](std::int32_t index) {
        return m_records[std::size_t(index)].get() == record.get();
    });
    if (found == place) {
        m_dirty.store(true, std::memory_order_relaxed);
        m_records.push_back(record);
        // Made once here rather than for every match of every query: a URL costs more to make
        // than the rest of a match.
        m_matchData.push_back(matchDataOf(*record));
        m_nameUnits.push_back(FoldedUnits::of(record->displayName()));
        m_commandUnits.push_back(FoldedUnits::of(record->executableName()));
    }
    return std::uint32_t(found);
}

IndexerPrivate::FoldedUnits IndexerPrivate::FoldedUnits::of(const QString &text)
{
    FoldedUnits units;
    for (const QChar unit : text) {
        const char16_t folded = foldedUnit(unit.unicode());
        if (folded < 64) {
            units.low |= std::uint64_t(1) << folded;
        } else if (folded < 128) {
            units.high |= std::uint64_t(1) << (folded - 64);
        }
    }
    if (!text.isEmpty()) {
        units.first = foldedUnit(text.front().unicode());
    }
    return units;
}

QVariant IndexerPrivate::matchDataOf(const FileInfo &record)
{
    if (record.category() == QLatin1String("KCM")) {
        return QVariant(QStringLiteral("kcm://") + record.executableName());
    }
    return QVariant(QUrl::fromLocalFile(record.path()));
}

std::uint32_t IndexerPrivate::appendText(const QChar *text, int length)
{
    const auto place = std::uint32_t(m_text.size());
    m_text.insert(m_text.end(), text, text + length);
    return place;
}

void IndexerPrivate::settle() const
{
    if (!m_dirty.load(std::memory_order_acquire)) {
        return;
    }
    const std::lock_guard<std::mutex> lock(m_settling);
    if (!m_dirty.load(std::memory_order_relaxed)) {
        return;
    }
    // Counting sort of the new pairs by key, behind each key's run: records are numbered in filing
    // order, so a run stays ascending unless a record was filed again.
    const std::size_t keys = m_keys.size();
    const std::size_t settledKeys = m_runStarts.size() - 1;
    std::vector<std::uint32_t> starts(keys + 1, 0);
    for (std::size_t key = 0; key < settledKeys; ++key) {
        starts[key + 1] = m_runStarts[key + 1] - m_runStarts[key];
    }
    for (const Pair &pair : m_pending) {
        ++starts[std::size_t(pair.key) + 1];
    }
    for (std::size_t key = 0; key < keys; ++key) {
        starts[key + 1] += starts[key];
    }
    std::vector<std::uint32_t> runs(starts.back());
    std::vector<std::uint32_t> ends(starts.cbegin(), starts.cend() - 1);
    for (std::size_t key = 0; key < settledKeys; ++key) {
        ends[key] =
            std::uint32_t(std::copy(m_runs.cbegin() + m_runStarts[key], m_runs.cbegin() + m_runStarts[key + 1], runs.begin() + starts[key]) - runs.begin());
    }
    bool refiled = false;
    for (const Pair &pair : m_pending) {
        std::uint32_t &end = ends[pair.key];
        refiled = refiled || (end > starts[pair.key] && runs[end - 1] >= pair.record);
        runs[end++] = pair.record;
    }
    if (refiled) {
        // A record filed again under a key it had: each run sorted and without repeats, then packed.
        std::uint32_t packed = 0;
        for (std::size_t key = 0; key < keys; ++key) {
            const auto first = runs.begin() + starts[key];
            const auto last = runs.begin() + ends[key];
            std::sort(first, last);
            const auto unique = std::unique(first, last);
            starts[key] = packed;
            packed = std::uint32_t(std::copy(first, unique, runs.begin() + packed) - runs.begin());
        }
        starts[keys] = packed;
        runs.resize(packed);
        shrinkToFit(runs);
    }
    m_runStarts.swap(starts);
    m_runs.swap(runs);
    std::vector<Pair>().swap(m_pending);
    findOwnPaths();
    m_dirty.store(false, std::memory_order_release);
}

void IndexerPrivate::findOwnPaths() const
{
    // How often each text stands as a path or a command, a record's two texts counted once each.
    struct Text {
        const QString *text;
        std::uint32_t count;
    };
    std::vector<Text> texts;
    texts.reserve(2 * m_records.size());
    IndexTable table;
    table.reserve(2 * m_records.size());
    const auto count = [&](const QString &text) {
        const auto place = std::int32_t(texts.size());
        const std::int32_t found = table.findOrInsert(qHash(text), place, [&](std::int32_t known) {
            return *texts[std::size_t(known)].text == text;
        });
        if (found == place) {
            texts.push_back(Text{&text, 0});
        }
        return &texts[std::size_t(found)].count;
    };
    std::vector<std::uint32_t *> pathCounts;
    pathCounts.reserve(m_records.size());
    for (const std::shared_ptr<FileInfo> &record : m_records) {
        ++*count(record->path());
        if (record->executableName() != record->path()) {
            ++*count(record->executableName());
        }
    }
    // The vector no longer grows: the counts stay in place.
    for (const std::shared_ptr<FileInfo> &record : m_records) {
        pathCounts.push_back(count(record->path()));
    }
    m_ownPaths.assign(m_records.size(), false);
    for (std::size_t number = 0; number < m_records.size(); ++number) {
        m_ownPaths[number] = *pathCounts[number] == 1;
    }
}

void IndexerPrivate::finish()
{
    settle();
    // The buffers grew by doubling; what is filed after a whole build is little.
    shrinkToFit(m_text);
    shrinkToFit(m_keys);
    shrinkToFit(m_records);
    shrinkToFit(m_matchData);
    shrinkToFit(m_nameUnits);
    shrinkToFit(m_commandUnits);
    m_keyTable.shrink();
}

std::int32_t IndexerPrivate::lookUp(const QChar *text, int length) const
{
    std::uint64_t hash = 0;
    for (int i = 0; i < length; ++i) {
        hash = IndexTable::hashStep(hash, text[i].unicode());
    }
    return m_keyTable.find(hash, [&](std::int32_t index) {
        return sameText(m_keys[std::size_t(index)], text, length);
    });
}

std::vector<std::uint32_t> IndexerPrivate::find(const QString &query) const
{
    settle();
    struct Run {
        const std::uint32_t *begin;
        const std::uint32_t *end;
    };
    std::vector<Run> runs;
    bool missing = false;
    forEachWord(query, [&](QStringView word) {
        if (missing) {
            return;
        }
        const QString lowerCaseWord = lowerCased(word);
        const QStringView key = leadingKey(lowerCaseWord);
        const std::int32_t number = lookUp(key.data(), int(key.size()));
        if (number < 0) {
            missing = true;
            return;
        }
        const std::uint32_t *all = m_runs.data();
        runs.push_back(Run{all + m_runStarts[std::size_t(number)], all + m_runStarts[std::size_t(number) + 1]});
    });
    if (missing || runs.empty()) {
        return {};
    }
    // The shortest run first: every further run only thins it out.
    std::sort(runs.begin(), runs.end(), [](const Run &a, const Run &b) {
        return a.end - a.begin < b.end - b.begin;
    });
    std::vector<std::uint32_t> result(runs.front().begin, runs.front().end);
    for (auto run = std::next(runs.cbegin()); run != runs.cend() && !result.empty(); ++run) {
        const std::uint32_t *from = run->begin;
        const auto kept = std::remove_if(result.begin(), result.end(), [&](std::uint32_t record) {
            from = std::lower_bound(from, run->end, record);
            return from == run->end || *from != record;
        });
        result.erase(kept, result.end());
    }
    return result;
}

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "servicefinder.h"
#include "indexer_p.h"
#include "indexingrunner.h"
#include "indextable_p.h"

#include <KRunner/RunnerContext>
#include <KStringHandler>

#include <QList>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <array>
#include <vector>

namespace
{

// Relevances before the final spreading; the table of name rules below uses the rest.
constexpr double exactNameRelevance = 1.0;
constexpr double shortQueryPrefixRelevance = 0.9;
constexpr double unplacedWordRelevance = 0.6;
constexpr double categoryRelevance = 0.6;
constexpr double furtherWordBonus = 0.01;
constexpr double spreadStep = 0.00005;
// Up to this weighted length a query is "short": it is matched by prefix only.
constexpr int shortQueryLength = 2;
constexpr int reservedMatches = 100;

using Item = std::shared_ptr<FileInfo>;
using Text = const QString &(FileInfo::*)() const;

// Looking for one character, Qt folds each UTF-16 unit on its own; ASCII folds to lower case.
char16_t folded(char16_t unit)
{
    return IndexerPrivate::foldedUnit(unit);
}

bool contains(const QString &text, const QString &word)
{
    // A one-letter query tests every text of every hit: the test QString::indexOf() makes, folding
    // each unit alone.
    if (word.size() == 1) {
        const char16_t needle = folded(word.front().unicode());
        return std::any_of(text.cbegin(), text.cend(), [needle](QChar unit) {
            return folded(unit.unicode()) == needle;
        });
    }
    // A word of ASCII letters can only meet text units that fold to ASCII, and those fold alone,
    // surrogates included: the test QString::indexOf() makes, without its call and table lookups.
    const bool ascii = std::all_of(word.cbegin(), word.cend(), [](QChar unit) {
        return unit.unicode() < 128;
    });
    if (!ascii) {
        return text.indexOf(word, 0, Qt::CaseInsensitive) != -1;
    }
    const qsizetype length = word.size();
    if (length == 0) {
        return true;
    }
    const char16_t first = folded(word.front().unicode());
    const QChar *units = text.constData();
    const QChar *needle = word.constData();
    for (qsizetype at = 0; at + length <= text.size(); ++at) {
        if (folded(units[at].unicode()) != first) {
            continue;
        }
        qsizetype i = 1;
        while (i < length && folded(units[at + i].unicode()) == folded(needle[i].unicode())) {
            ++i;
        }
        if (i == length) {
            return true;
        }
    }
    return false;
}

// A set of texts, shared copies in one vector found through an open table: no allocation per text,
// as a QSet<QString> would make.
class TextSet
{
public:
    void reserve(std::size_t count)
    {
        m_texts.reserve(count);
        m_table.reserve(count);
    }

    bool contains(const QString &text) const
    {
        return m_table.find(hashOf(text), [&](std::int32_t place) {
            return m_texts[std::size_t(place)] == text;
        }) >= 0;
    }

    // Whether text was new.
    bool insert(const QString &text)
    {
        const auto place = std::int32_t(m_texts.size());
        const bool added = m_table.findOrInsert(hashOf(text), place, [&](std::int32_t known) {
            return m_texts[std::size_t(known)] == text;
        }) == place;
        if (added) {
            m_texts.push_back(text);
        }
        return added;
    }

private:
    // Paths share their beginnings and commands their ends: the length and the last units tell
    // them apart, for a fraction of the cost of qHash() over all of them.
    static std::uint64_t hashOf(const QString &text)
    {
        std::uint64_t hash = std::uint64_t(text.size());
        for (qsizetype i = std::max<qsizetype>(0, text.size() - 24); i < text.size(); ++i) {
            hash = IndexTable::hashStep(hash, text.at(int(i)).unicode());
        }
        return hash;
    }

    std::vector<QString> m_texts;
    IndexTable m_table;
};

bool startsWith(const QString &text, const QString &word)
{
    return text.startsWith(word, Qt::CaseInsensitive);
}

struct NameRule {
    QString field; // the bonus field of increaseMatchRelavance()
    std::array<Text, 2> texts; // the texts the rule looks at; the second may be none
    double base;
    double prefixExtra;

    template<typename Test>
    bool anyText(const FileInfo &item, const QString &word, Test test) const
    {
        return std::any_of(texts.cbegin(), texts.cend(), [&](Text text) {
            return text && test((item.*text)(), word);
        });
    }
};

// Tried in this order; the generic name comes before the command although its base is lower.
const std::vector<NameRule> &nameRules()
{
    static const std::vector<NameRule> rules{
        {QStringLiteral("Name"), {&FileInfo::displayName, nullptr}, 0.8, 0.1},
        {QStringLiteral("GenericName"), {&FileInfo::genericName, &FileInfo::localGenericName}, 0.65, 0.05},
        {QStringLiteral("Exec"), {&FileInfo::executableName, nullptr}, 0.7, 0.05},
        {QStringLiteral("Comment"), {&FileInfo::comment, &FileInfo::localComment}, 0.5, 0.05},
    };
    return rules;
}

const NameRule *ruleOfField(const QString &field)
{
    const auto &rules = nameRules();
    const auto rule = std::find_if(rules.cbegin(), rules.cend(), [&field](const NameRule &candidate) {
        return candidate.field == field;
    });
    return rule == rules.cend() ? nullptr : &*rule;
}
}

// The state of the one query a ServiceFinder answers, and the steps of match() after the matchers.
class ServiceFinderPrivate
{
public:
    explicit ServiceFinderPrivate(IndexingRunner *runner)
        : m_runner(runner)
    {
    }

    // A match's place in the ranking, kept as the match is added: reading a match's fields back
    // takes its lock.
    // The text is the record's own, which outlives the query; its first four units, read once,
    // decide most comparisons without a look at the texts, which lie scattered in memory.
    struct Rank {
        double relevance;
        std::uint64_t textStart;
        const QString *text;
        int index; // in m_matches

        // The first four UTF-16 units, the first in the highest bits, and 0 for units past the end:
        // a smaller value means a smaller text by QString's ordering, and an equal one tells nothing.
        static std::uint64_t startOf(const QString &text)
        {
            std::uint64_t start = 0;
            for (int i = 0; i < 4; ++i) {
                start = (start << 16) | (i < text.size() ? text.at(i).unicode() : 0u);
            }
            return start;
        }
    };

    // A record the lookup found, and its number in the index.
    struct Hit {
        const Item *item;
        std::uint32_t number;
    };

    void lookUp(const QString &query);
    bool hasSeen(const Hit &hit);
    bool disqualify(const Hit &hit);
    void useTexts();
    void addMatch(const Hit &hit, Plasma::QueryMatch::Type type, double relevance);
    void rank();
    void spreadRelevances();
    void putInOrder();

    IndexingRunner *const m_runner;
    // The texts seen, as ServiceFinder::seen() adds them. A hit with a path of its own was seen
    // exactly when it was itself: the records seen stand in for the texts until a hit without one,
    // or a call from outside, asks for the texts (useTexts()).
    TextSet m_seen;
    std::vector<bool> m_seenRecords;
    std::vector<std::uint32_t> m_seenList;
    bool m_byText = false;
    QString m_term;
    QStringList m_queryWords;
    int m_weightedTermLength = -1;
    // What Indexer::find() returns, in the order the records were filed, without building a set.
    std::vector<Hit> m_hits;
    const IndexerPrivate *m_index = nullptr;
    QList<Plasma::QueryMatch> m_matches;
    std::vector<Rank> m_ranking; // one for each match; in the order of the ranking after rank()
};

void ServiceFinderPrivate::lookUp(const QString &query)
{
    m_term = query.trimmed();
    m_index = IndexerPrivate::get(m_runner->indexer());
    const std::vector<std::uint32_t> numbers = m_index->find(m_term);
    m_hits.reserve(numbers.size());
    for (const std::uint32_t number : numbers) {
        m_hits.push_back(Hit{&m_index->record(number), number});
    }
    m_queryWords = m_term.split(QLatin1Char(' '), Qt::KeepEmptyParts);
    m_weightedTermLength = KStringHandler::logicalLength(m_term);
    m_matches.reserve(reservedMatches);
    m_ranking.reserve(reservedMatches);
    // Each hit is looked at by its path and its command.
    m_seenRecords.assign(m_hits.empty() ? 0 : m_index->recordCount(), false);
}

void ServiceFinderPrivate::useTexts()
{
    if (m_byText) {
        return;
    }
    m_byText = true;
    m_seen.reserve(2 * m_seenList.size());
    for (const std::uint32_t number : m_seenList) {
        const FileInfo &item = *m_index->record(number);
        m_seen.insert(item.path());
        m_seen.insert(item.executableName());
    }
}

bool ServiceFinderPrivate::hasSeen(const Hit &hit)
{
    if (!m_byText && m_index->hasOwnPath(hit.number)) {
        return m_seenRecords[hit.number];
    }
    useTexts();
    const FileInfo &item = **hit.item;
    return m_seen.contains(item.path()) && m_seen.contains(item.executableName());
}

bool ServiceFinderPrivate::disqualify(const Hit &hit)
{
    const bool byRecord = !m_byText && m_index->hasOwnPath(hit.number);
    if (!byRecord) {
        useTexts(); // before this hit counts among the records seen
    }
    const bool seenBefore = m_seenRecords[hit.number];
    if (!seenBefore) {
        m_seenRecords[hit.number] = true;
        m_seenList.push_back(hit.number);
    }
    if (byRecord) {
        return seenBefore;
    }
    const FileInfo &item = **hit.item;
    const bool newPath = m_seen.insert(item.path());
    const bool newCommand = m_seen.insert(item.executableName());
    return !newPath && !newCommand;
}

// The match of setupMatch(), with the data the index made for the record; its relevance is set
// once, by spreadRelevances().
void ServiceFinderPrivate::addMatch(const Hit &hit, Plasma::QueryMatch::Type type, double relevance)
{
    const FileInfo &item = **hit.item;
    Plasma::QueryMatch match(m_runner);
    match.setType(type);
    match.setId(item.path());
    match.setText(item.displayName());
    match.setSubtext(item.path());
    match.setIconName(item.icon());
    match.setData(m_index->matchData(hit.number));
    m_ranking.push_back(Rank{relevance, Rank::startOf(item.displayName()), &item.displayName(), m_matches.size()});
    m_matches.append(match);
}

// Higher relevance first, then by text.
void ServiceFinderPrivate::rank()
{
    std::sort(m_ranking.begin(), m_ranking.end(), [](const Rank &a, const Rank &b) {
        if (a.relevance != b.relevance) {
            return a.relevance > b.relevance;
        }
        if (a.textStart != b.textStart) {
            return a.textStart < b.textStart;
        }
        return *a.text < *b.text;
    });
}

// Relevances strictly decrease down the ranking, so that whoever merges our matches with other
// runners' keeps our order; none stays at 1.
void ServiceFinderPrivate::spreadRelevances()
{
    double lastDistinct = 1.0;
    double current = 1.0;
    for (const Rank &rank : m_ranking) {
        if (lastDistinct > rank.relevance) {
            lastDistinct = rank.relevance;
            current = rank.relevance - spreadStep;
        } else {
            current -= spreadStep;
        }
        m_matches[rank.index].setRelevance(current);
    }
}

// Into ranked order by swapping, which moves pointers only: the position of each match is where it
// goes, followed in cycles.
void ServiceFinderPrivate::putInOrder()
{
    std::vector<int> target(m_ranking.size());
    for (std::size_t position = 0; position < m_ranking.size(); ++position) {
        target[std::size_t(m_ranking[position].index)] = int(position);
    }
    for (int i = 0; i < m_matches.size(); ++i) {
        while (target[std::size_t(i)] != i) {
            const int destination = target[std::size_t(i)];
            m_matches.swapItemsAt(i, destination);
            std::swap(target[std::size_t(i)], target[std::size_t(destination)]);
        }
    }
}

ServiceFinder::ServiceFinder(IndexingRunner *runner)
    : d(std::make_unique<ServiceFinderPrivate>(runner))
{
}

ServiceFinder::~ServiceFinder() = default;

void ServiceFinder::match(Plasma::RunnerContext &context)
{
    if (!context.isValid()) {
        return;
    }
    d->lookUp(context.query());
    matchExectuables();
    matchNameKeywordAndGenericName();
    matchCategories();
    d->rank();
    d->spreadRelevances();
    d->putInOrder();
    context.addMatches(d->m_matches);
}

void ServiceFinder::matchExectuables()
{
    if (d->m_weightedTermLength < shortQueryLength) {
        return;
    }
    std::vector<ServiceFinderPrivate::Hit> candidates;
    for (const ServiceFinderPrivate::Hit &hit : d->m_hits) {
        const Item &item = *hit.item;
        if (item->displayName().compare(d->m_term, Qt::CaseInsensitive) == 0) {
            candidates.push_back(hit);
        }
    }
    for (const ServiceFinderPrivate::Hit &hit : candidates) {
        if (d->disqualify(hit)) {
            continue;
        }
        d->addMatch(hit, Plasma::QueryMatch::ExactMatch, exactNameRelevance);
    }
}

void ServiceFinder::matchNameKeywordAndGenericName()
{
    const auto allWordsIn = [this](const QString &text) {
        return std::all_of(d->m_queryWords.cbegin(), d->m_queryWords.cend(), [&text](const QString &word) {
            return contains(text, word);
        });
    };
    const auto allWordsInList = [this](const QStringList &list) {
        return std::all_of(d->m_queryWords.cbegin(), d->m_queryWords.cend(), [&list](const QString &word) {
            return std::any_of(list.cbegin(), list.cend(), [&word](const QString &element) {
                return contains(element, word);
            });
        });
    };
    const bool longQuery = d->m_weightedTermLength > shortQueryLength;

    // A hit is collected once, by the first group of its texts that holds all words (the groups
    // after the first only for a longer query): disqualify() would turn away any later entry of it.
    const auto qualifies = [&](const FileInfo &item) {
        if (allWordsIn(item.displayName()) || allWordsIn(item.executableName())) {
            return true;
        }
        if (!longQuery) {
            return false;
        }
        return allWordsInList(item.keywords()) || allWordsIn(item.genericName()) || allWordsIn(item.localGenericName()) || allWordsIn(item.name())
            || allWordsIn(item.comment()) || allWordsIn(item.localComment());
    };
    // A query of one ASCII unit, the commonest short one, is answered from what the index knows of
    // the names' and commands' units, without reading the texts of hits that give no match.
    const bool asciiUnit = d->m_term.size() == 1 && d->m_term.front().unicode() < 128 && !longQuery;
    const char16_t unit = asciiUnit ? folded(d->m_term.front().unicode()) : 0;
    std::vector<ServiceFinderPrivate::Hit> candidates;
    for (const ServiceFinderPrivate::Hit &hit : d->m_hits) {
        if (asciiUnit) {
            if (d->m_index->nameUnits(hit.number).contains(unit) || d->m_index->commandUnits(hit.number).contains(unit)) {
                candidates.push_back(hit);
            }
        } else if (qualifies(**hit.item)) {
            candidates.push_back(hit);
        }
    }

    const QString &firstWord = d->m_queryWords.first();
    for (const ServiceFinderPrivate::Hit &hit : candidates) {
        const Item &item = *hit.item;
        if (d->disqualify(hit)) {
            continue;
        }
        // The relevance first: a candidate without one gets no match, which is costly to build.
        double relevance = unplacedWordRelevance;
        if (asciiUnit) {
            if (d->m_index->nameUnits(hit.number).first != unit && d->m_index->commandUnits(hit.number).first != unit) {
                continue; // stays seen: no later matcher lists it either
            }
            relevance = shortQueryPrefixRelevance;
        } else if (!longQuery) {
            if (!startsWith(item->displayName(), d->m_term) && !startsWith(item->executableName(), d->m_term)) {
                continue; // stays seen: no later matcher lists it either
            }
            relevance = shortQueryPrefixRelevance;
        } else {
            for (const NameRule &rule : nameRules()) {
                if (rule.anyText(*item, firstWord, contains)) {
                    relevance = increaseMatchRelavance(item, d->m_queryWords, rule.field) + rule.base;
                    if (rule.anyText(*item, firstWord, startsWith)) {
                        relevance += rule.prefixExtra;
                    }
                    break;
                }
            }
        }
        d->addMatch(hit, Plasma::QueryMatch::PossibleMatch, relevance);
    }
}

void ServiceFinder::matchCategories()
{
    std::vector<ServiceFinderPrivate::Hit> candidates;
    for (const ServiceFinderPrivate::Hit &hit : d->m_hits) {
        const Item &item = *hit.item;
        // An item the earlier matchers met would be disqualified here: its categories need no look.
        if (d->hasSeen(hit)) {
            continue;
        }
        const QStringList &categories = item->categories();
        const bool allWordsInCategories = std::all_of(d->m_queryWords.cbegin(), d->m_queryWords.cend(), [&categories](const QString &word) {
            return std::any_of(categories.cbegin(), categories.cend(), [&word](const QString &category) {
                return contains(category, word);
            });
        });
        if (allWordsInCategories) {
            candidates.push_back(hit);
        }
    }
    for (const ServiceFinderPrivate::Hit &hit : candidates) {
        if (d->disqualify(hit)) {
            continue;
        }
        d->addMatch(hit, Plasma::QueryMatch::PossibleMatch, categoryRelevance);
    }
}

double ServiceFinder::increaseMatchRelavance(const std::shared_ptr<FileInfo> &item, const QStringList &words, const QString &field)
{
    const NameRule *rule = ruleOfField(field);
    if (words.size() <= 1 || !rule) {
        return 0;
    }
    double bonus = 0;
    for (auto word = words.cbegin() + 1; word != words.cend(); ++word) {
        if (rule->anyText(*item, *word, contains)) {
            bonus += furtherWordBonus;
        }
    }
    return bonus;
}

void ServiceFinder::setupMatch(const std::shared_ptr<FileInfo> &item, Plasma::QueryMatch &match)
{
    match.setId(item->path());
    match.setText(item->displayName());
    match.setSubtext(item->path());
    match.setIconName(item->icon());
    match.setData(IndexerPrivate::matchDataOf(*item));
}

bool ServiceFinder::hasSeen(const std::shared_ptr<FileInfo> &item)
{
    d->useTexts();
    return d->m_seen.contains(item->path()) && d->m_seen.contains(item->executableName());
}

void ServiceFinder::seen(const std::shared_ptr<FileInfo> &item)
{
    d->useTexts();
    d->m_seen.insert(item->path());
    d->m_seen.insert(item->executableName());
}

bool ServiceFinder::disqualify(const std::shared_ptr<FileInfo> &item)
{
    d->useTexts();
    // hasSeen() and then seen(), in one lookup per text: the item was seen exactly when seeing it
    // adds neither of its texts.
    const bool newPath = d->m_seen.insert(item->path());
    const bool newCommand = d->m_seen.insert(item->executableName());
    return !newPath && !newCommand;
}

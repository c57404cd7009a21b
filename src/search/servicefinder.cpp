/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "servicefinder.h"
#include "indexingrunner.h"

#include <KRunner/RunnerContext>
#include <KStringHandler>

#include <QUrl>

#include <algorithm>
#include <functional>
#include <vector>

namespace
{
const QString kcmCategory = QStringLiteral("KCM");
const QString kcmScheme = QStringLiteral("kcm://");

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
using Texts = std::function<QStringList(const FileInfo &)>;

bool contains(const QString &text, const QString &word)
{
    return text.indexOf(word, 0, Qt::CaseInsensitive) != -1;
}

bool startsWith(const QString &text, const QString &word)
{
    return text.startsWith(word, Qt::CaseInsensitive);
}

// The texts each relevance field looks at.
const Texts displayNameTexts = [](const FileInfo &item) {
    return QStringList{item.displayName()};
};
const Texts genericNameTexts = [](const FileInfo &item) {
    return QStringList{item.genericName(), item.localGenericName()};
};
const Texts executableTexts = [](const FileInfo &item) {
    return QStringList{item.executableName()};
};
const Texts commentTexts = [](const FileInfo &item) {
    return QStringList{item.comment(), item.localComment()};
};

struct NameRule {
    QString field; // the bonus field of increaseMatchRelavance()
    Texts texts;
    double base;
    double prefixExtra;
};

// Tried in this order; the generic name comes before the command although its base is lower.
const std::vector<NameRule> &nameRules()
{
    static const std::vector<NameRule> rules{
        {QStringLiteral("Name"), displayNameTexts, 0.8, 0.1},
        {QStringLiteral("GenericName"), genericNameTexts, 0.65, 0.05},
        {QStringLiteral("Exec"), executableTexts, 0.7, 0.05},
        {QStringLiteral("Comment"), commentTexts, 0.5, 0.05},
    };
    return rules;
}

Texts textsOfField(const QString &field)
{
    const auto &rules = nameRules();
    const auto rule = std::find_if(rules.cbegin(), rules.cend(), [&field](const NameRule &candidate) {
        return candidate.field == field;
    });
    return rule == rules.cend() ? Texts() : rule->texts;
}
}

ServiceFinder::ServiceFinder(IndexingRunner *runner)
    : m_runner(runner)
{
}

void ServiceFinder::match(Plasma::RunnerContext &context)
{
    if (!context.isValid()) {
        return;
    }
    m_term = context.query().trimmed();
    m_hits = m_runner->indexer().find(m_term);
    m_queryWords = m_term.split(QLatin1Char(' '), Qt::KeepEmptyParts);
    m_weightedTermLength = KStringHandler::logicalLength(m_term);
    m_matches.reserve(reservedMatches);

    matchExectuables();
    matchNameKeywordAndGenericName();
    matchCategories();

    std::sort(m_matches.begin(), m_matches.end(), [](const Plasma::QueryMatch &a, const Plasma::QueryMatch &b) {
        if (a.relevance() != b.relevance()) {
            return a.relevance() > b.relevance();
        }
        return a.text() < b.text();
    });

    // Relevances strictly decrease down the list, so that whoever merges our matches with other
    // runners' keeps our order; none stays at 1.
    double lastDistinct = 1.0;
    double current = 1.0;
    for (Plasma::QueryMatch &match : m_matches) {
        const double relevance = match.relevance();
        if (lastDistinct > relevance) {
            lastDistinct = relevance;
            current = relevance - spreadStep;
        } else {
            current -= spreadStep;
        }
        match.setRelevance(current);
    }

    context.addMatches(m_matches);
}

void ServiceFinder::matchExectuables()
{
    if (m_weightedTermLength < shortQueryLength) {
        return;
    }
    std::vector<Item> candidates;
    for (const Item &item : qAsConst(m_hits)) {
        if (item->displayName().compare(m_term, Qt::CaseInsensitive) == 0) {
            candidates.push_back(item);
        }
    }
    for (const Item &item : candidates) {
        if (disqualify(item)) {
            continue;
        }
        Plasma::QueryMatch match(m_runner);
        match.setType(Plasma::QueryMatch::ExactMatch);
        setupMatch(item, match);
        match.setRelevance(exactNameRelevance);
        m_matches.append(match);
    }
}

void ServiceFinder::matchNameKeywordAndGenericName()
{
    const auto allWordsIn = [this](const QString &text) {
        return std::all_of(m_queryWords.cbegin(), m_queryWords.cend(), [&text](const QString &word) {
            return contains(text, word);
        });
    };
    const auto allWordsInList = [this](const QStringList &list) {
        return std::all_of(m_queryWords.cbegin(), m_queryWords.cend(), [&list](const QString &word) {
            return std::any_of(list.cbegin(), list.cend(), [&word](const QString &element) {
                return contains(element, word);
            });
        });
    };
    const bool longQuery = m_weightedTermLength > shortQueryLength;

    // One entry per group a hit qualifies in; only its first survives disqualification.
    std::vector<Item> candidates;
    for (const Item &item : qAsConst(m_hits)) {
        if (allWordsIn(item->displayName()) || allWordsIn(item->executableName())) {
            candidates.push_back(item);
        }
        if (!longQuery) {
            continue;
        }
        if (allWordsInList(item->keywords())) {
            candidates.push_back(item);
        }
        if (allWordsIn(item->genericName()) || allWordsIn(item->localGenericName()) || allWordsIn(item->name())) {
            candidates.push_back(item);
        }
        if (allWordsIn(item->comment()) || allWordsIn(item->localComment())) {
            candidates.push_back(item);
        }
    }

    const QString &firstWord = m_queryWords.first();
    for (const Item &item : candidates) {
        if (disqualify(item)) {
            continue;
        }
        Plasma::QueryMatch match(m_runner);
        match.setType(Plasma::QueryMatch::PossibleMatch);
        setupMatch(item, match);

        double relevance = unplacedWordRelevance;
        if (!longQuery) {
            if (!startsWith(item->displayName(), m_term) && !startsWith(item->executableName(), m_term)) {
                continue; // stays seen: no later matcher lists it either
            }
            relevance = shortQueryPrefixRelevance;
        } else {
            for (const NameRule &rule : nameRules()) {
                const QStringList texts = rule.texts(*item);
                const auto has = [&texts, &firstWord](bool (*test)(const QString &, const QString &)) {
                    return std::any_of(texts.cbegin(), texts.cend(), [&](const QString &text) {
                        return test(text, firstWord);
                    });
                };
                if (has(contains)) {
                    relevance = increaseMatchRelavance(item, m_queryWords, rule.field) + rule.base;
                    if (has(startsWith)) {
                        relevance += rule.prefixExtra;
                    }
                    break;
                }
            }
        }
        match.setRelevance(relevance);
        m_matches.append(match);
    }
}

void ServiceFinder::matchCategories()
{
    std::vector<Item> candidates;
    for (const Item &item : qAsConst(m_hits)) {
        const QStringList &categories = item->categories();
        const bool allWordsInCategories = std::all_of(m_queryWords.cbegin(), m_queryWords.cend(), [&categories](const QString &word) {
            return std::any_of(categories.cbegin(), categories.cend(), [&word](const QString &category) {
                return contains(category, word);
            });
        });
        if (allWordsInCategories) {
            candidates.push_back(item);
        }
    }
    for (const Item &item : candidates) {
        if (disqualify(item)) {
            continue;
        }
        Plasma::QueryMatch match(m_runner);
        match.setType(Plasma::QueryMatch::PossibleMatch);
        setupMatch(item, match);
        match.setRelevance(categoryRelevance);
        m_matches.append(match);
    }
}

double ServiceFinder::increaseMatchRelavance(const std::shared_ptr<FileInfo> &item, const QStringList &words, const QString &field)
{
    const Texts texts = textsOfField(field);
    if (words.size() <= 1 || !texts) {
        return 0;
    }
    const QStringList fieldTexts = texts(*item);
    double bonus = 0;
    for (auto word = words.cbegin() + 1; word != words.cend(); ++word) {
        const bool found = std::any_of(fieldTexts.cbegin(), fieldTexts.cend(), [&word](const QString &text) {
            return contains(text, *word);
        });
        if (found) {
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
    if (item->category() == kcmCategory) {
        match.setData(QVariant(kcmScheme + item->executableName()));
    } else {
        match.setData(QVariant(QUrl::fromLocalFile(item->path())));
    }
}

bool ServiceFinder::hasSeen(const std::shared_ptr<FileInfo> &item)
{
    return m_seen.contains(item->path()) && m_seen.contains(item->executableName());
}

void ServiceFinder::seen(const std::shared_ptr<FileInfo> &item)
{
    m_seen.insert(item->path());
    m_seen.insert(item->executableName());
}

bool ServiceFinder::disqualify(const std::shared_ptr<FileInfo> &item)
{
    const bool wasSeen = hasSeen(item);
    seen(item);
    return wasSeen;
}

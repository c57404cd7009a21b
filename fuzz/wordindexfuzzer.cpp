/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// Files random records under random words and looks random queries up, checking every answer
// against a brute-force reading of the lookup rule: a record is found exactly when, for every query
// word, one of its words (lower-cased) begins or ends with the query word (lower-cased; a query word
// longer than the longest key is looked up by its first Indexer::MaxKeyLength characters).

#include "fuzzsupport.h"
#include "indexer.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace
{
using Record = std::shared_ptr<FileInfo>;

struct IndexedRecord {
    Record record;
    QStringList words;
};

// Letters that change length or shape when lower-cased, separators, a surrogate pair, digits.
const char16_t alphabet[] = {u'a', u'b', u'c',  u'A', u'B', u'Z', u'é',  u'É', u'İ', u'ß',   u'Σ',   u'σ',      u'ς', u'ǅ',     u'1',
                             u'0', u'«', u'。', u' ', u'.', u'-', u'\t', u'_', u',', 0xD83D, 0xDE00, u'\u00A0', u'K', u'\u212A'};

bool isSeparator(QChar c)
{
    // ASCII white space and ASCII punctuation, nothing else.
    static const QString separators = QStringLiteral(" \t\n\v\f\r!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~");
    return c.unicode() < 128 && separators.contains(c);
}

QStringList referenceSplit(const QString &text)
{
    QStringList words;
    QString word;
    for (const QChar c : text) {
        if (isSeparator(c)) {
            if (!word.isEmpty()) {
                words.append(word);
            }
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.isEmpty()) {
        words.append(word);
    }
    return words;
}

bool matchesWord(const QStringList &recordWords, const QString &queryWord)
{
    const QString key = queryWord.toLower().left(Indexer::MaxKeyLength);
    return std::any_of(recordWords.cbegin(), recordWords.cend(), [&key](const QString &word) {
        const QString lowerCaseWord = word.toLower();
        return lowerCaseWord.startsWith(key) || lowerCaseWord.endsWith(key);
    });
}

QSet<Record> referenceFind(const std::vector<IndexedRecord> &records, const QString &query)
{
    const QStringList queryWords = referenceSplit(query);
    QSet<Record> found;
    if (queryWords.isEmpty()) {
        return found;
    }
    for (const IndexedRecord &indexed : records) {
        if (std::all_of(queryWords.cbegin(), queryWords.cend(), [&indexed](const QString &word) {
                return matchesWord(indexed.words, word);
            })) {
            found.insert(indexed.record);
        }
    }
    return found;
}

QString randomText(FuzzedDataProvider &provider)
{
    switch (provider.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return QString::fromUtf8(QByteArray::fromStdString(provider.ConsumeRandomLengthString(24)));
    case 1: {
        // Around the key bound, where a word's keys are cut.
        const int length = provider.ConsumeIntegralInRange(Indexer::MaxKeyLength - 3, Indexer::MaxKeyLength + 3);
        QString text(length, QChar(alphabet[provider.ConsumeIntegralInRange<std::size_t>(0, std::size(alphabet) - 1)]));
        for (int changes = provider.ConsumeIntegralInRange(0, 3); changes > 0; --changes) {
            text[provider.ConsumeIntegralInRange(0, length - 1)] = QChar(alphabet[provider.ConsumeIntegralInRange<std::size_t>(0, std::size(alphabet) - 1)]);
        }
        return text;
    }
    default: {
        QString text;
        for (int length = provider.ConsumeIntegralInRange(1, 10); length > 0; --length) {
            text += QChar(alphabet[provider.ConsumeIntegralInRange<std::size_t>(0, std::size(alphabet) - 1)]);
        }
        return text;
    }
    }
}

// A query made of pieces of indexed words, so that lookups find something.
QString derivedQuery(FuzzedDataProvider &provider, const std::vector<IndexedRecord> &records)
{
    QStringList parts;
    for (int count = provider.ConsumeIntegralInRange(1, 3); count > 0; --count) {
        const IndexedRecord &indexed = records[provider.ConsumeIntegralInRange<std::size_t>(0, records.size() - 1)];
        if (indexed.words.isEmpty()) {
            continue;
        }
        const QString word = indexed.words.at(provider.ConsumeIntegralInRange(0, indexed.words.size() - 1));
        const int start = provider.ConsumeIntegralInRange(0, word.size());
        const int length = provider.ConsumeIntegralInRange(0, word.size() - start);
        QString part = word.mid(start, length);
        if (provider.ConsumeBool()) {
            part = part.toUpper();
        }
        parts.append(part);
    }
    return parts.join(QChar(alphabet[provider.ConsumeIntegralInRange<std::size_t>(0, std::size(alphabet) - 1)]));
}

QString describe(const QSet<Record> &records)
{
    QStringList paths;
    for (const Record &record : records) {
        paths.append(record->path());
    }
    paths.sort();
    return paths.join(QLatin1Char(' '));
}
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    Indexer indexer;
    std::vector<IndexedRecord> records;

    while (provider.remaining_bytes() > 0) {
        const int operation = provider.ConsumeIntegralInRange(0, 15);
        if (operation < 6) {
            QStringList words;
            for (int count = provider.ConsumeIntegralInRange(0, 5); count > 0; --count) {
                words.append(randomText(provider));
            }
            const QString path = QStringLiteral("/record/%1").arg(records.size());
            const auto record = std::make_shared<FileInfo>(path,
                                                           path,
                                                           path,
                                                           QString(),
                                                           QString(),
                                                           QString(),
                                                           QString(),
                                                           QString(),
                                                           QString(),
                                                           QString(),
                                                           QString(),
                                                           QStringList(),
                                                           QStringList(),
                                                           QStringLiteral("Applications"));
            indexer.indexFileInfo(record, words);
            records.push_back({record, words});
        } else if (operation < 15) {
            const QString query = (operation < 11 && !records.empty()) ? derivedQuery(provider, records) : randomText(provider);
            const QSet<Record> found = indexer.find(query);
            const QSet<Record> expected = referenceFind(records, query);
            FuzzSupport::check(found == expected, "a query finds exactly the records with a word beginning or ending with each query word", [&] {
                return QStringLiteral("query \"%1\" (%2)\nfound:    %3\nexpected: %4")
                    .arg(query, QString::fromLatin1(query.toUtf8().toPercentEncoding()), describe(found), describe(expected));
            });
        } else {
            indexer.clear();
            records.clear();
        }
    }
    return 0;
}

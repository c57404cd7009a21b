/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// Reads desktop files with NimbDesktopEntry and with KConfig's KDesktopFile and compares every value.
// Where the two readers differ on purpose, the difference is spelled out in intendedDifferences() and
// the comparison leaves out exactly the values the rule covers (see RawDesktopGroup).

#include "nimbdesktopentry.h"
#include "testsupport.h"

#include <KConfig>
#include <KConfigGroup>
#include <KDesktopFile>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace
{
// Locales in which both readers pick the same translation: KConfig matches the whole locale, then the
// part before '_', so none has an encoding or a modifier.
const QStringList sampleLocales = {"C", "de", "de_DE", "fr", "ja", "pt_BR", "sr", "zh_CN"};
const QStringList corpusLocales = {"C", "de", "fr", "ja", "pt_BR", "zh_CN"};
const QString defaultCorpus = QStringLiteral("/tmp/nimb-corpus-dev/real/applications");
const QByteArray byteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

enum class Reading {
    Loaded,
    Untranslated,
    Translated,
    List,
    Boolean,
};

QString fromStd(const std::string &text)
{
    return QString::fromStdString(text);
}

QStringList fromStd(const std::vector<std::string> &list)
{
    QStringList result;
    std::transform(list.cbegin(), list.cend(), std::back_inserter(result), [](const std::string &text) {
        return fromStd(text);
    });
    return result;
}

QString shown(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString shown(const QStringList &list)
{
    QStringList elements;
    for (const QString &element : list) {
        elements.append(shown(element));
    }
    return QLatin1Char('(') + elements.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString shown(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// KConfig's own list splitting, applied to a value read untranslated (KConfigGroup only splits the
// translated one): an in-memory configuration stores the value as it is.
QStringList kconfigList(const QString &value)
{
    KConfig scratch(QString(), KConfig::SimpleConfig);
    KConfigGroup group(&scratch, "Split");
    group.writeEntry("List", value);
    return group.readXdgListEntry("List");
}

// What the file says in its desktop group, as written; only used to tell which intended difference
// applies to a value.
struct RawDesktopGroup {
    bool isText = true;
    bool hasByteOrderMark = false;
    bool brokenGroupHeader = false;
    bool hasMainGroup = false;
    QHash<QByteArray, QByteArrayList> values; // key without locale -> raw values of it and its translations
    QHash<QByteArray, int> untranslatedLines;
    QSet<QByteArray> withKConfigOptions; // "Exec[$e]"
    QSet<QByteArray> withOddLocale; // "Name[C]", "Name[]"

    explicit RawDesktopGroup(QByteArray text)
    {
        if (text.startsWith(byteOrderMark)) {
            hasByteOrderMark = true;
            text.remove(0, byteOrderMark.size());
        }
        // We refuse anything but UTF-8 text; a round trip through QString keeps exactly that.
        isText = !text.contains('\0') && QString::fromUtf8(text).toUtf8() == text;
        QByteArray group;
        for (const QByteArray &untrimmed : text.split('\n')) {
            const QByteArray line = untrimmed.trimmed();
            if (line.startsWith('[')) {
                brokenGroupHeader = brokenGroupHeader || !line.endsWith(']');
                group = line.mid(1, line.size() - 2);
                hasMainGroup = hasMainGroup || line == "[Desktop Entry]";
                continue;
            }
            const int equals = line.indexOf('=');
            if (group != "Desktop Entry" || line.startsWith('#') || equals < 0) {
                continue;
            }
            QByteArray key = line.left(equals).trimmed();
            const int bracket = key.indexOf('[');
            if (bracket > 0 && key.endsWith(']')) {
                const QByteArray locale = key.mid(bracket + 1, key.size() - bracket - 2);
                key.truncate(bracket);
                if (locale.startsWith('$')) {
                    withKConfigOptions.insert(key);
                } else if (locale.isEmpty() || locale == "C") {
                    withOddLocale.insert(key);
                }
            } else {
                ++untranslatedLines[key];
            }
            values[key].append(line.mid(equals + 1).trimmed());
        }
    }

    // KConfig drops a trailing backslash and the character after an unknown escape, reads "\x" as a
    // hexadecimal escape, and unescapes a list twice: the backslash left by "\\" or kept by "\,"
    // escapes the next character. We keep unknown escapes as written and unescape once.
    static bool escapesReadDifferently(const QByteArray &raw, bool asList)
    {
        const QByteArray sameInBoth = asList ? QByteArrayLiteral("sntr;") : QByteArrayLiteral("sntr;,\\");
        for (int i = 0; i < raw.size(); ++i) {
            if (raw.at(i) == '\\') {
                if (i + 1 == raw.size() || !sameInBoth.contains(raw.at(i + 1))) {
                    return true;
                }
                ++i;
            }
        }
        return false;
    }

    bool comparable(const QByteArray &key, bool asList) const
    {
        const QByteArrayList raw = values.value(key);
        return !withKConfigOptions.contains(key) && std::none_of(raw.cbegin(), raw.cend(), [asList](const QByteArray &value) {
            return escapesReadDifferently(value, asList);
        });
    }

    // KConfig drops the translations of a key when it meets the key untranslated a second time; we
    // keep them, whatever the order of the lines.
    bool translationComparable(const QByteArray &key, bool asList) const
    {
        return comparable(key, asList) && !withOddLocale.contains(key) && untranslatedLines.value(key) <= 1;
    }

    // KConfig takes any value but "false", "no", "off" and "0" for true, and reads translations of
    // booleans; we take only "true" and "1", untranslated.
    bool booleanComparable(const QByteArray &key) const
    {
        const QByteArrayList raw = values.value(key);
        return raw.size() == untranslatedLines.value(key) && std::all_of(raw.cbegin(), raw.cend(), [](const QByteArray &value) {
                   return value == "true" || value == "false" || value == "1" || value == "0";
               });
    }
};

using StringReader = std::string (NimbDesktopEntry::*)() const;
using ListReader = std::vector<std::string> (NimbDesktopEntry::*)() const;

struct StringKey {
    const char *key;
    StringReader plain;
    StringReader local;
};

struct ListKey {
    const char *key;
    ListReader plain;
    ListReader local;
};

const StringKey stringKeys[] = {
    {"Type", &NimbDesktopEntry::type, nullptr},
    {"Name", &NimbDesktopEntry::name, &NimbDesktopEntry::localName},
    {"GenericName", &NimbDesktopEntry::genericName, &NimbDesktopEntry::localGenericName},
    {"Comment", &NimbDesktopEntry::comment, &NimbDesktopEntry::localComment},
    {"Exec", &NimbDesktopEntry::exec, nullptr},
    {"TryExec", &NimbDesktopEntry::tryExec, nullptr},
    {"Icon", &NimbDesktopEntry::icon, &NimbDesktopEntry::localIcon},
};

const ListKey listKeys[] = {
    {"Categories", &NimbDesktopEntry::categories, nullptr},
    {"OnlyShowIn", &NimbDesktopEntry::onlyShowIn, nullptr},
    {"NotShowIn", &NimbDesktopEntry::notShowIn, nullptr},
    {"Keywords", &NimbDesktopEntry::keywords, &NimbDesktopEntry::localKeywords},
};

// Compares one file in one locale; returns the values that differ beyond the intended differences.
QStringList compareFile(const QString &path, const QString &locale, const QDir &scratch)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {path + QStringLiteral(": cannot be read")};
    }
    const QByteArray text = file.readAll();
    const RawDesktopGroup raw(text);

    NimbDesktopEntry::setLocale(locale.toStdString());
    const NimbDesktopEntry entry(QFile::encodeName(path).toStdString());

    QStringList mismatches;
    const auto check = [&](const QString &what, const auto &ours, const auto &theirs) {
        if (ours != theirs) {
            mismatches.append(QStringLiteral("%1 [%2] %3: ours %4, KConfig %5").arg(path, locale, what, shown(ours), shown(theirs)));
        }
    };

    if (!raw.isText) {
        // KConfig reads NUL bytes and broken UTF-8 (as U+FFFD); we refuse the whole file.
        check(QStringLiteral("loaded"), entry.isLoaded(), false);
        return mismatches;
    }
    QString referencePath = QFileInfo(path).absoluteFilePath();
    if (raw.hasByteOrderMark) {
        // KConfig takes the mark for part of the first line and misses the group header behind it; we
        // skip it, and KConfig reads the same text without it.
        referencePath = scratch.filePath(QStringLiteral("without-mark-") + QFileInfo(path).fileName());
        QFile copy(referencePath);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(text.mid(byteOrderMark.size())) < 0) {
            return {referencePath + QStringLiteral(": cannot be written")};
        }
    }

    KDesktopFile reference(referencePath);
    reference.setLocale(locale);
    const KConfigGroup group = reference.desktopGroup();
    // KConfig knows a group by its keys: a desktop group without any key it reads in this locale is
    // no group to it.
    const QStringList keys = group.keyList();
    check(QStringLiteral("loaded"), entry.isLoaded(), reference.hasGroup("Desktop Entry") || (raw.hasMainGroup && keys.isEmpty()));
    if (raw.brokenGroupHeader || !entry.isLoaded()) {
        // KConfig files the keys below a broken group header under the group before it, we under none.
        return mismatches;
    }

    for (const QString &key : keys) {
        const QByteArray utf8 = key.toUtf8();
        if (raw.comparable(utf8, false)) {
            const QString theirs = group.readEntryUntranslated(key);
            check(key, fromStd(entry.getUnknownValue(std::string_view(utf8.constData(), std::size_t(utf8.size())))), theirs);
            check(key + QStringLiteral(" present"), entry.hasKey(std::string_view(utf8.constData(), std::size_t(utf8.size()))), !theirs.isNull());
        }
    }
    for (const StringKey &string : stringKeys) {
        if (raw.comparable(string.key, false)) {
            check(QString::fromLatin1(string.key), fromStd((entry.*string.plain)()), group.readEntryUntranslated(string.key));
        }
        if (string.local && raw.translationComparable(string.key, false)) {
            check(QStringLiteral("local ") + QString::fromLatin1(string.key), fromStd((entry.*string.local)()), group.readEntry(string.key, QString()));
        }
    }
    for (const ListKey &list : listKeys) {
        if (raw.comparable(list.key, true)) {
            check(QString::fromLatin1(list.key), fromStd((entry.*list.plain)()), kconfigList(group.readEntryUntranslated(list.key)));
        }
        if (list.local && raw.translationComparable(list.key, true)) {
            check(QStringLiteral("local ") + QString::fromLatin1(list.key), fromStd((entry.*list.local)()), group.readXdgListEntry(list.key));
        }
    }
    if (raw.booleanComparable("Hidden")) {
        check(QStringLiteral("Hidden"), entry.hidden(), group.readEntry("Hidden", false));
    }
    if (raw.booleanComparable("NoDisplay")) {
        check(QStringLiteral("NoDisplay"), entry.noDisplay(), group.readEntry("NoDisplay", false));
    }
    return mismatches;
}

std::string ourLocalString(const NimbDesktopEntry &entry, const QByteArray &key)
{
    const auto found = std::find_if(std::cbegin(stringKeys), std::cend(stringKeys), [&key](const StringKey &string) {
        return key == string.key && string.local;
    });
    return found == std::cend(stringKeys) ? std::string() : (entry.*found->local)();
}

std::vector<std::string> ourList(const NimbDesktopEntry &entry, const QByteArray &key)
{
    const auto found = std::find_if(std::cbegin(listKeys), std::cend(listKeys), [&key](const ListKey &list) {
        return key == list.key;
    });
    return found == std::cend(listKeys) ? std::vector<std::string>() : (entry.*found->plain)();
}
}

Q_DECLARE_METATYPE(Reading)

class DesktopEntryCompareTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void compareSamples_data();
    void compareSamples();
    void intendedDifferences_data();
    void intendedDifferences();
    void compareCorpus();

private:
    QTemporaryDir m_home;
};

void DesktopEntryCompareTest::initTestCase()
{
    // KConfig looks for configuration beside the files it reads; keep it away from the real home.
    QVERIFY(!TestSupport::isolate(m_home).isEmpty());
    // KConfig warns about every escape it does not know; the differences are what this test checks.
    QLoggingCategory::setFilterRules(QStringLiteral("kf.config.core.warning=false"));
    QVERIFY(QDir().mkpath(m_home.filePath(QStringLiteral("scratch"))));
}

void DesktopEntryCompareTest::cleanupTestCase()
{
    NimbDesktopEntry::setLocale({});
}

void DesktopEntryCompareTest::compareSamples_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("locale");

    const QDir samples(QStringLiteral(TEST_DATA_DIR));
    const QStringList files = samples.entryList({QStringLiteral("*.desktop"), QStringLiteral("*.directory")}, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 10);
    for (const QString &fileName : files) {
        for (const QString &locale : sampleLocales) {
            QTest::addRow("%s in %s", qPrintable(fileName), qPrintable(locale)) << samples.filePath(fileName) << locale;
        }
    }
}

void DesktopEntryCompareTest::compareSamples()
{
    QFETCH(QString, path);
    QFETCH(QString, locale);

    const QStringList mismatches = compareFile(path, locale, QDir(m_home.filePath(QStringLiteral("scratch"))));
    QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(QLatin1Char('\n'))));
}

void DesktopEntryCompareTest::intendedDifferences_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<Reading>("reading");
    QTest::addColumn<QStringList>("ours");
    QTest::addColumn<QStringList>("kconfig");

    const auto row = [](const char *name,
                        const QByteArray &contents,
                        const char *locale,
                        const QByteArray &key,
                        Reading reading,
                        const QStringList &ours,
                        const QStringList &kconfig) {
        QTest::newRow(name) << contents << QString::fromLatin1(locale) << key << reading << ours << kconfig;
    };
    const QByteArray header = QByteArrayLiteral("[Desktop Entry]\nType=Application\nExec=nimbtest\nName=Untranslated\n");

    // Which files are desktop entries: we skip a byte-order mark, refuse what is not UTF-8 text, and
    // know a group by its header; KConfig misses a header behind a mark, reads any bytes and knows a
    // group by its keys.
    row("byte-order mark before the group header", byteOrderMark + header, "C", "Name", Reading::Untranslated, {"Untranslated"}, {""});
    row("NUL byte in a value", header + QByteArray("Comment=a\0b\n", 12), "C", {}, Reading::Loaded, {"not loaded"}, {"loaded"});
    row("Latin-1 text", header + "Comment[de]=f\xFCr\n", "C", {}, Reading::Loaded, {"not loaded"}, {"loaded"});
    row("desktop group without keys", "[Desktop Entry]\n# to be filled in\n", "C", {}, Reading::Loaded, {"loaded"}, {"not loaded"});
    // KConfig files the keys below a broken group header under the group before it.
    row("broken group header", header + "[Desktop Action broken\nComment=below\n", "C", "Comment", Reading::Untranslated, {""}, {"below"});

    // Translations: KConfig tries the whole locale, then what comes before '_'; it takes "[C]" and "[]"
    // for translations, and drops the translations read so far when it meets a key untranslated again.
    row("locale with encoding", header + "Name[de_DE]=de_DE\nName[de]=de\n", "de_DE.UTF-8", "Name", Reading::Translated, {"de_DE"}, {"de"});
    row("locale with modifier", header + "Name[sr@latin]=sr@latin\nName[sr]=sr\n", "sr_RS@latin", "Name", Reading::Translated, {"sr@latin"}, {"sr"});
    row("modifier falls back to the language", header + "Name[ca]=ca\n", "ca@valencia", "Name", Reading::Translated, {"ca"}, {"Untranslated"});
    row("translation into C", header + "Name[C]=C\n", "C", "Name", Reading::Translated, {"Untranslated"}, {"C"});
    row("empty locale", header + "Name[]=empty locale\n", "de", "Name", Reading::Translated, {"Untranslated"}, {"empty locale"});
    row("untranslated key met twice", header + "Name[de]=de\nName=Second\n", "de", "Name", Reading::Translated, {"de"}, {"Second"});

    // Escapes: KConfig unescapes a list twice, drops the character after an unknown escape and a
    // trailing backslash, and reads "\x" escapes; "\;" and "\," stay as written in a string for both.
    row("escaped backslash before a list separator",
        header + "Categories=Qt\\\\;Utility;\n",
        "C",
        "Categories",
        Reading::List,
        {"Qt\\", "Utility"},
        {"Qt;Utility"});
    row("escaped comma in a list", header + "Categories=a\\,b;c;\n", "C", "Categories", Reading::List, {"a\\,b", "c"}, {"a,b", "c"});
    row("escaped semicolon in a list",
        header + "Categories=Qt\\;KDE;Utility;\n",
        "C",
        "Categories",
        Reading::List,
        {"Qt;KDE", "Utility"},
        {"Qt;KDE", "Utility"});
    row("escaped semicolon in a string", header + "Comment=one\\;two\n", "C", "Comment", Reading::Untranslated, {"one\\;two"}, {"one\\;two"});
    row("escaped comma in a string", header + "Comment=a\\,b\n", "C", "Comment", Reading::Untranslated, {"a\\,b"}, {"a\\,b"});
    row("unknown escape", header + "Comment=say \\\"hi\\\"\n", "C", "Comment", Reading::Untranslated, {"say \\\"hi\\\""}, {"say \\hi\\"});
    row("hexadecimal escape", header + "Comment=\\x41\n", "C", "Comment", Reading::Untranslated, {"\\x41"}, {"A"});
    row("trailing backslash", header + "Comment=end\\\n", "C", "Comment", Reading::Untranslated, {"end\\"}, {"end"});

    // KConfig's own options after a key are no part of desktop files: to us the key is another one.
    row("expanded entry", header + "Icon[$e]=$XDG_DATA_HOME/icon.png\n", "C", "Icon", Reading::Untranslated, {""}, {"$XDG_DATA_HOME/icon.png"});
    row("immutable entry", header + "Icon[$i]=locked\n", "C", "Icon", Reading::Untranslated, {""}, {"locked"});

    // Booleans: ours are "true" or "1", untranslated; KConfig takes most words for true and reads
    // translations.
    row("boolean yes", header + "Hidden=yes\n", "C", "Hidden", Reading::Boolean, {"false"}, {"true"});
    row("boolean on", header + "NoDisplay=on\n", "C", "NoDisplay", Reading::Boolean, {"false"}, {"true"});
    row("boolean True", header + "Hidden=True\n", "C", "Hidden", Reading::Boolean, {"false"}, {"true"});
    row("boolean 1", header + "Hidden=1\n", "C", "Hidden", Reading::Boolean, {"true"}, {"true"});
    row("translated boolean", header + "Hidden[de]=true\n", "de", "Hidden", Reading::Boolean, {"false"}, {"true"});
}

void DesktopEntryCompareTest::intendedDifferences()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, locale);
    QFETCH(QByteArray, key);
    QFETCH(Reading, reading);
    QFETCH(QStringList, ours);
    QFETCH(QStringList, kconfig);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("difference.desktop"));
    TestSupport::writeFile(path, contents);

    NimbDesktopEntry::setLocale(locale.toStdString());
    const NimbDesktopEntry entry(QFile::encodeName(path).toStdString());
    KDesktopFile reference(path);
    reference.setLocale(locale);
    const KConfigGroup group = reference.desktopGroup();
    const std::string stdKey = key.toStdString();

    switch (reading) {
    case Reading::Loaded:
        QCOMPARE(QStringList{entry.isLoaded() ? "loaded" : "not loaded"}, ours);
        QCOMPARE(QStringList{reference.hasGroup("Desktop Entry") ? "loaded" : "not loaded"}, kconfig);
        break;
    case Reading::Untranslated:
        QCOMPARE(QStringList{fromStd(entry.getUnknownValue(stdKey))}, ours);
        QCOMPARE(QStringList{group.readEntryUntranslated(key.constData())}, kconfig);
        break;
    case Reading::Translated:
        QCOMPARE(QStringList{fromStd(ourLocalString(entry, key))}, ours);
        QCOMPARE(QStringList{group.readEntry(key.constData(), QString())}, kconfig);
        break;
    case Reading::List:
        QCOMPARE(fromStd(ourList(entry, key)), ours);
        QCOMPARE(group.readXdgListEntry(key.constData()), kconfig);
        break;
    case Reading::Boolean:
        QCOMPARE(QStringList{shown(key == "Hidden" ? entry.hidden() : entry.noDisplay())}, ours);
        QCOMPARE(QStringList{shown(group.readEntry(key.constData(), false))}, kconfig);
        break;
    }
}

void DesktopEntryCompareTest::compareCorpus()
{
    const QByteArray variable = qgetenv("NIMB_DESKTOP_CORPUS");
    const QString corpus = variable.isEmpty() ? defaultCorpus : QFile::decodeName(variable);
    if (!QFileInfo(corpus).isDir()) {
        QSKIP(qPrintable(QStringLiteral("No corpus of desktop files at %1; set NIMB_DESKTOP_CORPUS to a folder of real desktop files").arg(corpus)));
    }

    const QDir scratch(m_home.filePath(QStringLiteral("scratch")));
    int files = 0;
    QStringList mismatches;
    QDirIterator it(corpus, QDir::Files, QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
    while (it.hasNext()) {
        const QString path = it.next();
        ++files;
        for (const QString &locale : corpusLocales) {
            mismatches += compareFile(path, locale, scratch);
        }
    }
    qInfo("compared %d files of %s in %lld locales: %lld mismatches", files, qPrintable(corpus), qint64(corpusLocales.size()), qint64(mismatches.size()));
    QVERIFY2(files > 0, qPrintable(corpus + QStringLiteral(" holds no files")));
    QVERIFY2(mismatches.isEmpty(),
             qPrintable(QStringLiteral("%1 mismatches, first:\n").arg(mismatches.size()) + QStringList(mismatches.mid(0, 10)).join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(DesktopEntryCompareTest)

#include "desktopentrycomparetest.moc"

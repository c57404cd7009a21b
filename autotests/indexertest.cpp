/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "indexer.h"
#include "indexer_p.h"
#include "kcmoduleitem.h"
#include "menu.h"
#include "nimbdesktopentry.h"
#include "startmenuutils.h"
#include "testsupport.h"
#include "updatemode.h"

#include <KPluginMetaData>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QTest>

#include <algorithm>
#include <memory>

using Records = QSet<std::shared_ptr<FileInfo>>;
using TestSupport::writeFile;

namespace
{
// Every fixture carries this word, so nothing installed on the machine can answer for it.
const QString marker = QStringLiteral("IndexerTest");

std::shared_ptr<FileInfo> makeRecord(const QString &path)
{
    return std::make_shared<FileInfo>(QStringLiteral("Record"),
                                      path,
                                      QFileInfo(path).fileName(),
                                      QString(),
                                      QString(),
                                      QString(),
                                      QString(),
                                      QString(),
                                      QString(),
                                      QString(),
                                      QStringLiteral("system-run"),
                                      QStringList(),
                                      QStringList(),
                                      QStringLiteral("Applications"));
}

QStringList pathsOf(const Records &records)
{
    QStringList paths;
    for (const auto &record : records) {
        paths.append(record->path());
    }
    paths.sort();
    return paths;
}

std::shared_ptr<FileInfo> onlyRecord(const Records &records)
{
    return records.size() == 1 ? *records.cbegin() : nullptr;
}

// A word that no prefix, suffix or inner fragment of another part of it can pass for.
QString longWord(int length)
{
    return QStringLiteral("start") + QString(length - 8, QLatin1Char('m')) + QStringLiteral("end");
}

KPluginMetaData moduleMetaData(const QJsonObject &raw, const QString &id)
{
    return KPluginMetaData(raw, QStringLiteral("/kcms/%1.so").arg(id));
}

QJsonObject pluginObject(const QString &name, const QString &description = QString())
{
    QJsonObject plugin{{QStringLiteral("Name"), name}};
    if (!description.isEmpty()) {
        plugin.insert(QStringLiteral("Description"), description);
    }
    return plugin;
}

// Modules the tests build hold their texts here; the record must carry exactly these.
ZDS::KCModuleItem *moduleItem(const QString &moduleName, const QString &text, const QJsonObject &raw, const QString &icon = QStringLiteral("preferences-tool"))
{
    return new ZDS::KCModuleItem(moduleName, text, icon, moduleMetaData(raw, moduleName));
}

struct FileSnapshot {
    qint64 size;
    QDateTime modified;
    bool operator==(const FileSnapshot &other) const
    {
        return size == other.size && modified == other.modified;
    }
};

QMap<QString, FileSnapshot> snapshot(const QString &root)
{
    QMap<QString, FileSnapshot> files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        files.insert(it.filePath(), {it.fileInfo().size(), it.fileInfo().lastModified()});
    }
    return files;
}
}

class IndexerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    // Word keys and lookup, on records filed by hand.
    void wordKeys_data();
    void wordKeys();
    void queriesWithoutWords_data();
    void queriesWithoutWords();
    void emptyIndex();
    void sharedPrefixes();
    void sameWordInSeveralCases();
    void recordNumbersAgreeWithFind_data();
    void recordNumbersAgreeWithFind();
    void keyLengthBound_data();
    void keyLengthBound();
    void longWordKeysAreBounded();
    void duplicatesUntilClear();
    void clearKeepsHeldRecords();

    // Index construction from desktop files.
    void applicationFilter_data();
    void applicationFilter();
    void userApplicationFolder();
    void desktopRecord();
    void commandLineWords();
    void displayNameFallback_data();
    void displayNameFallback();
    void systemOverrideOnly();
    void origins_data();
    void origins();
    void generatedMenuStandsInForSources();
    void copiedSourceStillNamesFiles_data();
    void copiedSourceStillNamesFiles();
    void classicSettingsOfOtherKeys_data();
    void classicSettingsOfOtherKeys();
    void classicSettings_data();
    void classicSettings();
    void powerActions_data();
    void powerActions();
    void updateStateReadWhileIndexing();
    void desktopFindsEveryDesktopRecord();
    void keywordFiledAsOneWord();
    void nonLatinEntries();
    void longWordInDesktopFile();
    void indexApplicationsTwice();
    void indexingReadsOnly();

    // Settings modules.
    void moduleGroup();
    void moduleWithoutName();
    void moduleTypeWithoutModuleClass();
    void moduleWithoutPluginObject();
    void moduleKeywords_data();
    void moduleKeywords();
    void moduleIcon_data();
    void moduleIcon();
    void moduleRecord();
    void moduleTextsOfOtherTypes();
    void nullNodeIndexesNothing();
    void noSettingsTree();

private:
    QString actions() const
    {
        return m_system.systemPath(QStringLiteral("/usr/share/nimb-start-menu/actions"));
    }
    void writeActions();

    const TestSupport::FakeSystem m_system{marker};
};

void IndexerTest::initTestCase()
{
    QVERIFY(m_system.install());
    NimbDesktopEntry::setLocale("de_DE.UTF-8");
    // No plug-in folder with settings modules: the settings tree is empty whatever is installed.
    const QString plugins = m_system.path() + QStringLiteral("/plugins");
    QVERIFY(QDir().mkpath(plugins));
    QCoreApplication::setLibraryPaths({plugins});

    QCOMPARE(StartMenuUtils::appSearchPaths(), (QStringList{m_system.applications(), m_system.userApplications()}));
    QCOMPARE(StartMenuUtils::menuDir(), m_system.menuDir());
}

void IndexerTest::init()
{
    for (const QString &dir : {m_system.applications(),
                               m_system.userApplications(),
                               actions(),
                               m_system.overrides(),
                               m_system.systemPath(QStringLiteral("/opt")),
                               m_system.menuOverrides(),
                               m_system.templateTree(),
                               m_system.menuDir()}) {
        QVERIFY(QDir(dir).removeRecursively());
    }
    QFile::remove(m_system.settingsTable());
    QVERIFY(QDir().mkpath(m_system.applications()));
    QVERIFY(QDir().mkpath(m_system.userApplications()));
    UpdateMode::instance()->setIsUpdateActive(false);
    UpdateMode::instance()->setIsUpdateAvailable(false);
}

void IndexerTest::writeActions()
{
    const QString names[] = {
        QStringLiteral("reboot"),
        QStringLiteral("shutdown"),
        QStringLiteral("reboot-update-available"),
        QStringLiteral("shutdown-update-available"),
        QStringLiteral("reboot-update-activated"),
        QStringLiteral("shutdown-update-activated"),
    };
    for (const QString &name : names) {
        writeFile(actions() + QLatin1Char('/') + name + QStringLiteral(".desktop"),
                  m_system.desktopFile(name, {}, QStringLiteral("Icon=system-shutdown\nX-SuSE-YaST-Group=Power\n")));
    }
}

void IndexerTest::wordKeys_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("found");

    const QStringList calendar{QStringLiteral("Calendar")};
    QTest::addRow("whole word") << calendar << QStringLiteral("calendar") << true;
    QTest::addRow("prefix") << calendar << QStringLiteral("cal") << true;
    QTest::addRow("first letter") << calendar << QStringLiteral("c") << true;
    QTest::addRow("proper suffix") << calendar << QStringLiteral("dar") << true;
    QTest::addRow("last letter") << calendar << QStringLiteral("r") << true;
    QTest::addRow("inner fragment") << calendar << QStringLiteral("len") << false;
    QTest::addRow("inner letter") << calendar << QStringLiteral("e") << false;
    QTest::addRow("longer than the word") << calendar << QStringLiteral("calendars") << false;
    QTest::addRow("query in capitals") << calendar << QStringLiteral("CALENDAR") << true;
    QTest::addRow("query in mixed case") << calendar << QStringLiteral("cAlEnDaR") << true;
    QTest::addRow("word in capitals") << QStringList{QStringLiteral("CALENDAR")} << QStringLiteral("dar") << true;
    QTest::addRow("two query words met by one word") << calendar << QStringLiteral("cal dar") << true;
    QTest::addRow("query word order does not matter") << calendar << QStringLiteral("dar cal") << true;
    QTest::addRow("repeated query word") << calendar << QStringLiteral("cal cal") << true;
    QTest::addRow("one query word in no record") << calendar << QStringLiteral("cal xyz") << false;
    QTest::addRow("unknown word first") << calendar << QStringLiteral("xyz cal") << false;
    QTest::addRow("query words met by two words") << QStringList{QStringLiteral("Calendar"), QStringLiteral("Planner")} << QStringLiteral("plan cal") << true;
    QTest::addRow("trailing full stop") << calendar << QStringLiteral("calendar.") << true;
    QTest::addRow("parentheses") << calendar << QStringLiteral("(calendar)") << true;
    QTest::addRow("separators around and between") << calendar << QStringLiteral(" ,cal;dar! ") << true;
    QTest::addRow("tab and new line separate") << calendar << QStringLiteral("cal\tdar\n") << true;
    QTest::addRow("guillemets stay part of the query word") << calendar << QStringLiteral("«calendar»") << false;
    QTest::addRow("guillemets stay part of the filed word") << QStringList{QStringLiteral("«Calendar»")} << QStringLiteral("«cal") << true;
    QTest::addRow("guillemets hide the inner word") << QStringList{QStringLiteral("«Calendar»")} << QStringLiteral("calendar") << false;
    QTest::addRow("ideographic full stop is a word character") << QStringList{QStringLiteral("日本語。")} << QStringLiteral("。") << true;
    QTest::addRow("filed word kept whole with a blank") << QStringList{QStringLiteral("Web Browser")} << QStringLiteral("browser") << true;
    QTest::addRow("hyphenated query meets both ends") << QStringList{QStringLiteral("plasma-discover")} << QStringLiteral("plasma-discover") << true;
    QTest::addRow("digits are word characters") << QStringList{QStringLiteral("x264")} << QStringLiteral("264") << true;
    QTest::addRow("Cyrillic prefix") << QStringList{QStringLiteral("Календарь")} << QStringLiteral("кал") << true;
    QTest::addRow("Cyrillic query in capitals") << QStringList{QStringLiteral("Календарь")} << QStringLiteral("КАЛЕНДАРЬ") << true;
    QTest::addRow("Cyrillic inner fragment") << QStringList{QStringLiteral("Календарь")} << QStringLiteral("лен") << false;
    QTest::addRow("CJK suffix") << QStringList{QStringLiteral("日本語入力")} << QStringLiteral("入力") << true;
    QTest::addRow("CJK inner fragment") << QStringList{QStringLiteral("日本語入力")} << QStringLiteral("本語") << false;
    QTest::addRow("emoji at the start") << QStringList{QStringLiteral("🎉party")} << QStringLiteral("🎉") << true;
    QTest::addRow("emoji at the end") << QStringList{QStringLiteral("party🎉")} << QStringLiteral("🎉") << true;
    QTest::addRow("emoji alone") << QStringList{QStringLiteral("🎉")} << QStringLiteral("🎉") << true;
    const QString unpairedSurrogates = QStringLiteral("İ") + QChar(0xD83D) + QChar(0xD83D);
    QTest::addRow("unpaired surrogates after a letter that grows") << QStringList{unpairedSurrogates} << unpairedSurrogates << true;
}

void IndexerTest::wordKeys()
{
    QFETCH(QStringList, words);
    QFETCH(QString, query);
    QFETCH(bool, found);

    Indexer indexer;
    const auto record = makeRecord(QStringLiteral("/calendar.desktop"));
    indexer.indexFileInfo(record, words);
    const Records result = indexer.find(query);
    QCOMPARE(result.size(), found ? 1 : 0);
    QCOMPARE(result.contains(record), found);
}

void IndexerTest::queriesWithoutWords_data()
{
    QTest::addColumn<QString>("query");

    QTest::addRow("empty") << QString();
    QTest::addRow("blank") << QStringLiteral(" ");
    QTest::addRow("full stop") << QStringLiteral(".");
    QTest::addRow("comma") << QStringLiteral(",");
    QTest::addRow("hyphen") << QStringLiteral("-");
    QTest::addRow("all four") << QStringLiteral(" .,- ");
    QTest::addRow("tabs and new lines") << QStringLiteral("\t\n\r");
}

void IndexerTest::queriesWithoutWords()
{
    QFETCH(QString, query);

    Indexer indexer;
    // Records under every key a separator-only query could fall back to.
    indexer.indexFileInfo(makeRecord(QStringLiteral("/a.desktop")), {QStringLiteral("a"), QStringLiteral("-"), QStringLiteral(".")});
    QCOMPARE(indexer.find(QStringLiteral("a")).size(), 1);
    QCOMPARE(indexer.find(query), Records());
}

void IndexerTest::emptyIndex()
{
    const Indexer indexer;
    QCOMPARE(indexer.find(QStringLiteral("calendar")), Records());
    QCOMPARE(indexer.find(QStringLiteral("cal dar")), Records());
}

void IndexerTest::sharedPrefixes()
{
    Indexer indexer;
    const auto calendar = makeRecord(QStringLiteral("/calendar.desktop"));
    const auto calculator = makeRecord(QStringLiteral("/calculator.desktop"));
    const auto radar = makeRecord(QStringLiteral("/radar.desktop"));
    indexer.indexFileInfo(calendar, {QStringLiteral("Calendar")});
    indexer.indexFileInfo(calculator, {QStringLiteral("Calculator")});
    indexer.indexFileInfo(radar, {QStringLiteral("Radar")});

    QCOMPARE(indexer.find(QStringLiteral("cal")), (Records{calendar, calculator}));
    QCOMPARE(indexer.find(QStringLiteral("calc")), Records{calculator});
    QCOMPARE(indexer.find(QStringLiteral("dar")), (Records{calendar, radar}));
    QCOMPARE(indexer.find(QStringLiteral("r")), (Records{calendar, calculator, radar}));
    QCOMPARE(indexer.find(QStringLiteral("cal r")), (Records{calendar, calculator}));
    QCOMPARE(indexer.find(QStringLiteral("r cal")), (Records{calendar, calculator}));
    QCOMPARE(indexer.find(QStringLiteral("cal dar")), Records{calendar});
}

void IndexerTest::recordNumbersAgreeWithFind_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("paths");

    QTest::addRow("prefix") << QStringLiteral("cal") << QStringList{QStringLiteral("/calendar.desktop"), QStringLiteral("/calculator.desktop")};
    QTest::addRow("suffix") << QStringLiteral("dar") << QStringList{QStringLiteral("/calendar.desktop"), QStringLiteral("/radar.desktop")};
    QTest::addRow("every record") << QStringLiteral("r")
                                  << QStringList{QStringLiteral("/calendar.desktop"), QStringLiteral("/calculator.desktop"), QStringLiteral("/radar.desktop")};
    QTest::addRow("two words") << QStringLiteral("cal dar") << QStringList{QStringLiteral("/calendar.desktop")};
    QTest::addRow("word filed after a lookup") << QStringLiteral("weather") << QStringList{QStringLiteral("/radar.desktop")};
    QTest::addRow("word of the first and the refiled record") << QStringLiteral("rad cal") << QStringList{QStringLiteral("/calculator.desktop")};
    QTest::addRow("no record") << QStringLiteral("cal xyz") << QStringList();
}

// The finder reads the index by record number; both ways must give the same records, each once,
// also for records filed after a lookup and records filed again.
void IndexerTest::recordNumbersAgreeWithFind()
{
    QFETCH(QString, query);
    QFETCH(QStringList, paths);

    Indexer indexer;
    const auto calendar = makeRecord(QStringLiteral("/calendar.desktop"));
    const auto calculator = makeRecord(QStringLiteral("/calculator.desktop"));
    const auto radar = makeRecord(QStringLiteral("/radar.desktop"));
    indexer.indexFileInfo(calendar, {QStringLiteral("Calendar")});
    indexer.indexFileInfo(calculator, {QStringLiteral("Calculator")});
    QCOMPARE(indexer.find(QStringLiteral("cal")).size(), 2);
    indexer.indexFileInfo(radar, {QStringLiteral("Radar"), QStringLiteral("Weather")});
    indexer.indexFileInfo(calculator, {QStringLiteral("Calculator"), QStringLiteral("Radix")});

    Records expected;
    for (const auto &record : {calendar, calculator, radar}) {
        if (paths.contains(record->path())) {
            expected.insert(record);
        }
    }
    QCOMPARE(indexer.find(query), expected);

    const IndexerPrivate *index = IndexerPrivate::get(indexer);
    const std::vector<std::uint32_t> numbers = index->find(query);
    QVERIFY(std::adjacent_find(numbers.cbegin(), numbers.cend(), std::greater_equal<std::uint32_t>()) == numbers.cend());
    Records byNumber;
    for (const std::uint32_t number : numbers) {
        byNumber.insert(index->record(number));
    }
    QCOMPARE(byNumber, expected);
    QCOMPARE(index->recordCount(), std::size_t(3));
}

void IndexerTest::sameWordInSeveralCases()
{
    Indexer indexer;
    const auto record = makeRecord(QStringLiteral("/tool.desktop"));
    indexer.indexFileInfo(record, {QStringLiteral("Tool"), QStringLiteral("TOOL"), QStringLiteral("tool")});
    QCOMPARE(indexer.find(QStringLiteral("TOOL")), Records{record});
    QCOMPARE(indexer.find(QStringLiteral("ool")), Records{record});
    QCOMPARE(indexer.find(QStringLiteral("oo")), Records());
    QCOMPARE(indexer.find(QStringLiteral("o")), Records());
}

void IndexerTest::keyLengthBound_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("found");

    QCOMPARE(Indexer::MaxKeyLength, 64);
    const QString at = longWord(Indexer::MaxKeyLength);
    const QString above = longWord(Indexer::MaxKeyLength + 1);
    const QString huge = longWord(1 << 20);

    QTest::addRow("word at the bound: whole") << at << at << true;
    QTest::addRow("word at the bound: longest suffix") << at << at.right(63) << true;
    QTest::addRow("word at the bound: inner fragment") << at << at.mid(1, 62) << false;
    QTest::addRow("word above the bound: whole") << above << above << true;
    QTest::addRow("word above the bound: first 64") << above << above.left(64) << true;
    QTest::addRow("word above the bound: last 64") << above << above.right(64) << true;
    QTest::addRow("word above the bound: last 63") << above << above.right(63) << true;
    QTest::addRow("huge word: whole") << huge << huge << true;
    QTest::addRow("huge word: first 70") << huge << huge.left(70) << true;
    QTest::addRow("huge word: first 70 in capitals") << huge << huge.left(70).toUpper() << true;
    QTest::addRow("huge word: first 64") << huge << huge.left(64) << true;
    QTest::addRow("huge word: first letter") << huge << QStringLiteral("s") << true;
    QTest::addRow("huge word: last 64") << huge << huge.right(64) << true;
    QTest::addRow("huge word: last letter") << huge << QStringLiteral("d") << true;
    QTest::addRow("huge word: last 65") << huge << huge.right(65) << false;
    QTest::addRow("huge word: last half") << huge << huge.right(huge.size() / 2) << false;
    QTest::addRow("huge word: all but the first letter") << huge << huge.mid(1) << false;
    QTest::addRow("huge word: inner fragment") << huge << QStringLiteral("mmm") << false;
    // Past the bound a query word is looked up by its first 64 code units alone.
    QTest::addRow("huge word: first 64 and another ending") << huge << huge.left(64) + QStringLiteral("xyz") << true;
    QTest::addRow("huge word: first 63 and another ending") << huge << huge.left(63) + QStringLiteral("xyz") << false;
}

void IndexerTest::keyLengthBound()
{
    QFETCH(QString, word);
    QFETCH(QString, query);
    QFETCH(bool, found);

    Indexer indexer;
    const auto record = makeRecord(QStringLiteral("/long.desktop"));
    indexer.indexFileInfo(record, {word});
    QCOMPARE(indexer.find(query).contains(record), found);
}

void IndexerTest::longWordKeysAreBounded()
{
    const QString word = longWord(1 << 20);
    Indexer indexer;
    const auto record = makeRecord(QStringLiteral("/long.desktop"));
    indexer.indexFileInfo(record, {word});

    // Filed: the 64 shortest prefixes and the 64 shortest suffixes, 128 keys.
    for (int length = 1; length <= Indexer::MaxKeyLength; ++length) {
        QVERIFY2(indexer.find(word.left(length)).contains(record), qPrintable(QStringLiteral("prefix of %1").arg(length)));
        QVERIFY2(indexer.find(word.right(length)).contains(record), qPrintable(QStringLiteral("suffix of %1").arg(length)));
    }
    // Not filed: any longer suffix, and no inner fragment. Longer prefixes cannot be told apart,
    // being looked up as the 64-long one.
    for (int length = Indexer::MaxKeyLength + 1; length <= 4 * Indexer::MaxKeyLength; ++length) {
        QVERIFY2(indexer.find(word.right(length)).isEmpty(), qPrintable(QStringLiteral("suffix of %1").arg(length)));
    }
    for (int length = 1; length <= 4 * Indexer::MaxKeyLength; ++length) {
        QVERIFY2(indexer.find(word.mid(1, length)).isEmpty(), qPrintable(QStringLiteral("inner fragment of %1").arg(length)));
    }
}

void IndexerTest::duplicatesUntilClear()
{
    Indexer indexer;
    const auto first = makeRecord(QStringLiteral("/tool.desktop"));
    const auto second = makeRecord(QStringLiteral("/tool.desktop"));
    indexer.indexFileInfo(first, {QStringLiteral("Tool")});
    indexer.indexFileInfo(second, {QStringLiteral("Tool")});

    QCOMPARE(indexer.find(QStringLiteral("tool")), (Records{first, second}));
    indexer.clear();
    QCOMPARE(indexer.find(QStringLiteral("tool")), Records());
    QCOMPARE(indexer.find(QStringLiteral("t")), Records());

    indexer.indexFileInfo(first, {QStringLiteral("Tool")});
    QCOMPARE(indexer.find(QStringLiteral("tool")), Records{first});
}

void IndexerTest::clearKeepsHeldRecords()
{
    Indexer indexer;
    indexer.indexFileInfo(makeRecord(QStringLiteral("/tool.desktop")), {QStringLiteral("Tool")});
    const Records held = indexer.find(QStringLiteral("tool"));
    QCOMPARE(held.size(), 1);
    std::weak_ptr<FileInfo> watcher = *held.cbegin();

    indexer.clear();
    QVERIFY(!watcher.expired());
    QCOMPARE((*held.cbegin())->path(), QStringLiteral("/tool.desktop"));
    QCOMPARE(watcher.use_count(), 1L);
}

void IndexerTest::applicationFilter_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("indexed");

    const auto app = [this](const QString &extra) {
        return m_system.desktopFile(QStringLiteral("Tool"), {}, extra);
    };
    const QByteArray plain = app(QString());
    const auto withExec = [&plain](const QByteArray &exec) {
        return QByteArray(plain).replace("Exec=tool", "Exec=" + exec);
    };

    QTest::addRow("accepted application") << QStringLiteral("tool.desktop") << plain << true;
    QTest::addRow("in a sub-folder") << QStringLiteral("kde/tool.desktop") << plain << true;
    QTest::addRow("excluded desktop folder") << QStringLiteral("nimbdesktop/tool.desktop") << plain << false;
    QTest::addRow("below the excluded desktop folder") << QStringLiteral("nimbdesktop/sub/tool.desktop") << plain << true;
    QTest::addRow("backup suffix") << QStringLiteral("tool.desktop.bak") << plain << false;
    QTest::addRow("suffix in capitals") << QStringLiteral("tool.DESKTOP") << plain << false;
    QTest::addRow("no suffix") << QStringLiteral("tool") << plain << false;
    QTest::addRow("hidden file") << QStringLiteral(".tool.desktop") << plain << false;
    QTest::addRow("hidden folder") << QStringLiteral(".hidden/tool.desktop") << plain << false;
    QTest::addRow("settings module command") << QStringLiteral("tool.desktop") << withExec("kcmshell5 clock") << false;
    QTest::addRow("settings module command with a path") << QStringLiteral("tool.desktop") << withExec("/usr/bin/kcmshell6 clock") << false;
    QTest::addRow("settings module command in capitals") << QStringLiteral("tool.desktop") << withExec("KCMSHELL5 clock") << true;
    QTest::addRow("settings centre command") << QStringLiteral("tool.desktop") << withExec("systemsettings5") << false;
    QTest::addRow("settings centre not at the start") << QStringLiteral("tool.desktop") << withExec("run systemsettings") << true;
    QTest::addRow("yast group") << QStringLiteral("tool.desktop") << app(QStringLiteral("X-SuSE-YaST-Group=Hardware\n")) << false;
    QTest::addRow("empty yast group") << QStringLiteral("tool.desktop") << app(QStringLiteral("X-SuSE-YaST-Group=\n")) << true;
    QTest::addRow("named by the table") << QStringLiteral("talvo-tool.desktop") << plain << false;
    QTest::addRow("named by the table as not classic") << QStringLiteral("talvo-other.desktop") << plain << false;
    QTest::addRow("table key is the exact base name") << QStringLiteral("Talvo-Tool.desktop") << plain << true;
    QTest::addRow("not displayed") << QStringLiteral("tool.desktop") << app(QStringLiteral("NoDisplay=true\n")) << false;
    QTest::addRow("hidden entry") << QStringLiteral("tool.desktop") << app(QStringLiteral("Hidden=true\n")) << false;
    QTest::addRow("only for another desktop") << QStringLiteral("tool.desktop") << app(QStringLiteral("OnlyShowIn=Elsewhere;\n")) << false;
    QTest::addRow("only for this desktop") << QStringLiteral("tool.desktop") << app(QStringLiteral("OnlyShowIn=Nimb;\n")) << true;
    QTest::addRow("program of TryExec missing") << QStringLiteral("tool.desktop") << app(QStringLiteral("TryExec=/nonexistent/IndexerTest/tool\n")) << false;
    QTest::addRow("no command") << QStringLiteral("tool.desktop") << QByteArray(plain).replace("Exec=tool\n", "") << false;
    QTest::addRow("link entry") << QStringLiteral("tool.desktop") << QByteArray(plain).replace("Type=Application", "Type=Link") << false;
    QTest::addRow("not valid UTF-8") << QStringLiteral("tool.desktop") << QByteArray(plain).replace("Tool", "Tool \xff\xfe") << false;
    QTest::addRow("empty file") << QStringLiteral("tool.desktop") << QByteArray() << false;
    QTest::addRow("no desktop entry group") << QStringLiteral("tool.desktop") << QByteArray(plain).replace("[Desktop Entry]", "[Other Group]") << false;
    QTest::addRow("binary garbage") << QStringLiteral("tool.desktop")
                                    << QByteArray(
                                           "\x7f"
                                           "ELF\x02\x01\x01\0\0\0[Desktop Entry]\n",
                                           26)
                                    << false;
}

void IndexerTest::applicationFilter()
{
    QFETCH(QString, relativePath);
    QFETCH(QByteArray, content);
    QFETCH(bool, indexed);

    writeFile(m_system.settingsTable(), QByteArray("talvo-tool,1,hardware,root,true\ntalvo-other,2,hardware,root,false\n"));
    const QString path = m_system.applications() + QLatin1Char('/') + relativePath;
    writeFile(path, content);

    Indexer indexer;
    indexer.indexApplications();
    QCOMPARE(pathsOf(indexer.find(marker)), indexed ? QStringList{path} : QStringList());
}

void IndexerTest::userApplicationFolder()
{
    const QString path = m_system.userApplications() + QStringLiteral("/tool.desktop");
    writeFile(path, m_system.desktopFile(QStringLiteral("Tool")));
    Indexer indexer;
    indexer.indexApplications();
    QCOMPARE(pathsOf(indexer.find(marker)), QStringList{path});

    // Classic settings items come from the system folders only.
    writeFile(path, m_system.desktopFile(QStringLiteral("Tool"), {}, QStringLiteral("X-SuSE-YaST-Group=Hardware\n")));
    indexer.clear();
    indexer.indexClassicSettings();
    QCOMPARE(indexer.find(marker), Records());
}

void IndexerTest::desktopRecord()
{
    const QString path = m_system.applications() + QStringLiteral("/org.example.Browser.desktop");
    writeFile(path,
              QStringLiteral("[Desktop Entry]\nType=Application\nName=Browser IndexerTest\nName[de]=Netzleser IndexerTest\n"
                             "GenericName=Web Browser\nGenericName[de]=Webbrowser\nComment=Surf the web\nComment[de]=Im Netz surfen\n"
                             "Exec=/usr/bin/browser --new-window %u\nIcon=org.example.Browser\nKeywords=Web Browser;Internet;\n"
                             "Keywords[de]=Netz;\nCategories=Network;WebBrowser;\n"));
    Indexer indexer;
    indexer.indexApplications();

    const auto record = onlyRecord(indexer.find(marker));
    QVERIFY(record);
    QCOMPARE(record->displayName(), QStringLiteral("Netzleser IndexerTest"));
    QCOMPARE(record->path(), path);
    QCOMPARE(record->fileName(), QStringLiteral("org.example.Browser.desktop"));
    QCOMPARE(record->name(), QStringLiteral("Browser IndexerTest"));
    QCOMPARE(record->localName(), QStringLiteral("Netzleser IndexerTest"));
    QCOMPARE(record->genericName(), QStringLiteral("Web Browser"));
    QCOMPARE(record->localGenericName(), QStringLiteral("Webbrowser"));
    QCOMPARE(record->comment(), QStringLiteral("Surf the web"));
    QCOMPARE(record->localComment(), QStringLiteral("Im Netz surfen"));
    QCOMPARE(record->executableName(), QStringLiteral("/usr/bin/browser --new-window %u"));
    QCOMPARE(record->icon(), QStringLiteral("org.example.Browser"));
    QCOMPARE(record->keywords(), (QStringList{QStringLiteral("Web Browser"), QStringLiteral("Internet"), QStringLiteral("Netz")}));
    QCOMPARE(record->categories(), (QStringList{QStringLiteral("Network"), QStringLiteral("WebBrowser")}));
    QCOMPARE(record->category(), QStringLiteral("Applications"));

    // Each text is a source of words; the categories are not.
    for (const QString &query : {QStringLiteral("netzleser"),
                                 QStringLiteral("webbrowser"),
                                 QStringLiteral("surf"),
                                 QStringLiteral("surfen"),
                                 QStringLiteral("org"),
                                 QStringLiteral("example"),
                                 QStringLiteral("internet"),
                                 QStringLiteral("netz")}) {
        QVERIFY2(indexer.find(query).contains(record), qPrintable(query));
    }
    QCOMPARE(indexer.find(QStringLiteral("network")), Records());
}

void IndexerTest::commandLineWords()
{
    writeFile(m_system.applications() + QStringLiteral("/tool.desktop"),
              m_system.desktopFile(QStringLiteral("Tool")).replace("Exec=tool", "Exec=/opt/quux/tool --new %u"));
    Indexer indexer;
    indexer.indexApplications();
    const auto record = onlyRecord(indexer.find(marker));
    QVERIFY(record);
    for (const QString &query : {QStringLiteral("opt"),
                                 QStringLiteral("quux"),
                                 QStringLiteral("tool"),
                                 QStringLiteral("new"),
                                 QStringLiteral("u"),
                                 QStringLiteral("--new"),
                                 QStringLiteral("/opt/quux")}) {
        QVERIFY2(indexer.find(query).contains(record), qPrintable(query));
    }
}

void IndexerTest::displayNameFallback_data()
{
    QTest::addColumn<QString>("names");
    QTest::addColumn<QString>("override");
    QTest::addColumn<QString>("displayName");

    QTest::addRow("localised name") << QStringLiteral("Name=Tool IndexerTest\nName[de]=Werkzeug IndexerTest\n") << QString()
                                    << QStringLiteral("Werkzeug IndexerTest");
    QTest::addRow("name without translation") << QStringLiteral("Name=Tool IndexerTest\nName[fr]=Outil IndexerTest\n") << QString()
                                              << QStringLiteral("Tool IndexerTest");
    // A name is required to load; only an override can empty it.
    QTest::addRow("names emptied by the override") << QStringLiteral("Name=Tool IndexerTest\nName[de]=Werkzeug IndexerTest\n")
                                                   << QStringLiteral("[Desktop Entry]\nName=\nKeywords=IndexerTest;\n") << QStringLiteral("tool.desktop");
}

void IndexerTest::displayNameFallback()
{
    QFETCH(QString, names);
    QFETCH(QString, override);
    QFETCH(QString, displayName);

    writeFile(m_system.applications() + QStringLiteral("/tool.desktop"), QStringLiteral("[Desktop Entry]\nType=Application\nExec=tool\n") + names);
    if (!override.isEmpty()) {
        writeFile(m_system.overrides() + QStringLiteral("/tool.desktop"), override);
    }
    Indexer indexer;
    indexer.indexApplications();
    const auto record = onlyRecord(indexer.find(marker));
    QVERIFY(record);
    QCOMPARE(record->displayName(), displayName);
}

void IndexerTest::systemOverrideOnly()
{
    const QString first = m_system.applications() + QStringLiteral("/first.desktop");
    const QString second = m_system.applications() + QStringLiteral("/second.desktop");
    writeFile(first, m_system.desktopFile(QStringLiteral("First")));
    writeFile(second, m_system.desktopFile(QStringLiteral("Second")));
    writeFile(m_system.overrides() + QStringLiteral("/first.desktop"), QStringLiteral("[Desktop Entry]\nComment=Patched\n"));
    writeFile(m_system.overrides() + QStringLiteral("/second.desktop"), QStringLiteral("[Desktop Entry]\nExec=kcmshell5 second\n"));
    // Menu generation's second override folder is not the index's business.
    writeFile(m_system.systemPath(QStringLiteral("/usr/share/nimb-start-menu/overrides/first.desktop")),
              QStringLiteral("[Desktop Entry]\nComment=Menu only\n"));

    Indexer indexer;
    indexer.indexApplications();
    const auto record = onlyRecord(indexer.find(marker));
    QVERIFY(record);
    QCOMPARE(record->path(), first);
    QCOMPARE(record->comment(), QStringLiteral("Patched"));
    QCOMPARE(indexer.find(QStringLiteral("patched")), Records{record});
    QCOMPARE(indexer.find(QStringLiteral("menu")), Records());
}

void IndexerTest::origins_data()
{
    QTest::addColumn<bool>("throughLink"); // the source is met as "linked/tool.desktop", a link to /opt/apps
    QTest::addColumn<bool>("copyInMenuTree");
    QTest::addColumn<QString>("origin"); // below the system root; empty: no key
    QTest::addColumn<bool>("sourceIndexed");

    QTest::addRow("copy names its source") << false << true << QStringLiteral("/usr/share/applications/tool.desktop") << false;
    QTest::addRow("copy without origin") << false << true << QString() << true;
    QTest::addRow("copy names another file") << false << true << QStringLiteral("/usr/share/applications/other.desktop") << true;
    QTest::addRow("origin with a doubled slash") << false << true << QStringLiteral("/usr/share/applications//tool.desktop") << true;
    QTest::addRow("origin names the link's target") << true << true << QStringLiteral("/opt/apps/tool.desktop") << true;
    QTest::addRow("origin names the path through the link") << true << true << QStringLiteral("/usr/share/applications/linked/tool.desktop") << false;
    QTest::addRow("copy met after its source") << false << false << QStringLiteral("/usr/share/applications/tool.desktop") << true;
}

void IndexerTest::origins()
{
    QFETCH(bool, throughLink);
    QFETCH(bool, copyInMenuTree);
    QFETCH(QString, origin);
    QFETCH(bool, sourceIndexed);

    QString source = m_system.applications() + QStringLiteral("/tool.desktop");
    if (throughLink) {
        const QString target = m_system.systemPath(QStringLiteral("/opt/apps"));
        writeFile(target + QStringLiteral("/tool.desktop"), m_system.desktopFile(QStringLiteral("Tool")));
        QVERIFY(QFile::link(target, m_system.applications() + QStringLiteral("/linked")));
        source = m_system.applications() + QStringLiteral("/linked/tool.desktop");
    } else {
        writeFile(source, m_system.desktopFile(QStringLiteral("Tool")));
    }
    // The menu tree comes first in the walk, the user's folder last.
    const QString copy = (copyInMenuTree ? m_system.menuDir() + QStringLiteral("/office") : m_system.userApplications()) + QStringLiteral("/copy.desktop");
    const QString originLine = origin.isEmpty() ? QString() : QStringLiteral("X-Nimb-OriginFile=%1\n").arg(m_system.systemPath(origin));
    writeFile(copy, m_system.desktopFile(QStringLiteral("Copy"), {}, originLine));

    Indexer indexer;
    indexer.indexApplications();
    QStringList expected{copy};
    if (sourceIndexed) {
        expected.append(source);
    }
    expected.sort();
    QCOMPARE(pathsOf(indexer.find(marker)), expected);
}

void IndexerTest::generatedMenuStandsInForSources()
{
    writeFile(m_system.systemPath(QStringLiteral("/usr/share/nimb-start-menu/startmenu/office/.directory")),
              QStringLiteral("[Desktop Entry]\nType=Directory\nName=Office\nX-Categories=Office\n"));
    writeFile(m_system.systemPath(QStringLiteral("/usr/share/nimb-start-menu/startmenu/other/.directory")),
              QStringLiteral("[Desktop Entry]\nType=Directory\nName=Other\n"));
    writeFile(m_system.applications() + QStringLiteral("/writer.desktop"), m_system.desktopFile(QStringLiteral("Writer"), QStringLiteral("Office;")));
    writeFile(m_system.userApplications() + QStringLiteral("/notes.desktop"), m_system.desktopFile(QStringLiteral("Notes")));
    Menu::init();
    const QString writerCopy = m_system.menuDir() + QStringLiteral("/office/writer.desktop");
    const QString notesCopy = m_system.menuDir() + QStringLiteral("/other/notes.desktop");
    QVERIFY(QFileInfo::exists(writerCopy));
    QVERIFY(QFileInfo::exists(notesCopy));

    Indexer indexer;
    indexer.indexApplications();
    QCOMPARE(pathsOf(indexer.find(marker)), (QStringList{writerCopy, notesCopy}));
    QCOMPARE(pathsOf(indexer.find(QStringLiteral("writer"))), QStringList{writerCopy});
}

void IndexerTest::copiedSourceStillNamesFiles_data()
{
    QTest::addColumn<QString>("sourceExtra"); // @LATER@ stands for the later file's path
    QTest::addColumn<QString>("overrideText"); // the system override of the source; empty: none
    QTest::addColumn<bool>("laterIndexed");

    const QString origin = QStringLiteral("X-Nimb-OriginFile=@LATER@\n");
    QTest::addRow("source names nothing") << QString() << QString() << true;
    QTest::addRow("source names a later file") << origin << QString() << false;
    QTest::addRow("override names a later file") << QString() << QStringLiteral("[Desktop Entry]\n") + origin << false;
    QTest::addRow("key only in a comment") << QStringLiteral("# ") + origin << QString() << true;
    QTest::addRow("key of a desktop action") << QStringLiteral("\n[Desktop Action new]\nName=New\n") + origin << QString() << true;
}

// A source that a copy in the menu tree stands in for is not indexed, but what it names as its own
// origin is still not indexed either, when the walk meets it later.
void IndexerTest::copiedSourceStillNamesFiles()
{
    QFETCH(QString, sourceExtra);
    QFETCH(QString, overrideText);
    QFETCH(bool, laterIndexed);

    const QString later = m_system.userApplications() + QStringLiteral("/later.desktop");
    const QString source = m_system.applications() + QStringLiteral("/tool.desktop");
    const QString copy = m_system.menuDir() + QStringLiteral("/office/copy.desktop");
    writeFile(later, m_system.desktopFile(QStringLiteral("Later")));
    writeFile(source, m_system.desktopFile(QStringLiteral("Tool"), {}, QString(sourceExtra).replace(QStringLiteral("@LATER@"), later)));
    if (!overrideText.isEmpty()) {
        writeFile(m_system.overrides() + QStringLiteral("/tool.desktop"), QString(overrideText).replace(QStringLiteral("@LATER@"), later));
    }
    writeFile(copy, m_system.desktopFile(QStringLiteral("Tool"), {}, QStringLiteral("X-Nimb-OriginFile=%1\n").arg(source)));

    Indexer indexer;
    indexer.indexApplications();
    QCOMPARE(pathsOf(indexer.find(marker)), laterIndexed ? (QStringList{later, copy}) : QStringList{copy});
}

void IndexerTest::classicSettingsOfOtherKeys_data()
{
    QTest::addColumn<QString>("extra"); // @REBOOT@ stands for the path of the reboot action
    QTest::addColumn<QString>("overrideText"); // the system override of the file; empty: none
    QTest::addColumn<QStringList>("indexed");

    const QString reboot = QStringLiteral("reboot.desktop");
    const QString shutdown = QStringLiteral("shutdown.desktop");
    const QString tool = QStringLiteral("tool.desktop");
    QTest::addRow("no yast group") << QString() << QString() << QStringList{reboot, shutdown};
    QTest::addRow("no yast group, names an action") << QStringLiteral("X-Nimb-OriginFile=@REBOOT@\n") << QString() << QStringList{shutdown};
    QTest::addRow("override names an action") << QString() << QStringLiteral("[Desktop Entry]\nX-Nimb-OriginFile=@REBOOT@\n") << QStringList{shutdown};
    QTest::addRow("override gives a yast group") << QString() << QStringLiteral("[Desktop Entry]\nX-SuSE-YaST-Group=Hardware\n")
                                                 << QStringList{reboot, shutdown, tool};
    QTest::addRow("yast group only in a comment") << QStringLiteral("# X-SuSE-YaST-Group=Hardware\n") << QString() << QStringList{reboot, shutdown};
    QTest::addRow("yast group of a desktop action") << QStringLiteral("\n[Desktop Action new]\nName=New\nX-SuSE-YaST-Group=Hardware\n") << QString()
                                                    << QStringList{reboot, shutdown};
    QTest::addRow("translated yast group only") << QStringLiteral("X-SuSE-YaST-Group[de]=Hardware\n") << QString() << QStringList{reboot, shutdown};
}

// Files of the applications folder that are no classic settings items can still name an origin,
// and overrides can make them one.
void IndexerTest::classicSettingsOfOtherKeys()
{
    QFETCH(QString, extra);
    QFETCH(QString, overrideText);
    QFETCH(QStringList, indexed);

    writeActions();
    const QString reboot = actions() + QStringLiteral("/reboot.desktop");
    writeFile(m_system.applications() + QStringLiteral("/tool.desktop"),
              m_system.desktopFile(QStringLiteral("Tool"), {}, QString(extra).replace(QStringLiteral("@REBOOT@"), reboot)));
    if (!overrideText.isEmpty()) {
        writeFile(m_system.overrides() + QStringLiteral("/tool.desktop"), QString(overrideText).replace(QStringLiteral("@REBOOT@"), reboot));
    }

    Indexer indexer;
    indexer.indexClassicSettings();
    QStringList names;
    for (const QString &path : pathsOf(indexer.find(marker))) {
        names.append(QFileInfo(path).fileName());
    }
    names.sort();
    indexed.sort();
    QCOMPARE(names, indexed);
}

void IndexerTest::classicSettings_data()
{
    QTest::addColumn<QString>("path"); // below the system root
    QTest::addColumn<QString>("extra");
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<bool>("indexed");

    const QString yast = QStringLiteral("X-SuSE-YaST-Group=Hardware\n");
    const QString tool = QStringLiteral("/usr/share/applications/tool.desktop");
    QTest::addRow("yast group") << tool << yast << QByteArray() << true;
    QTest::addRow("yast group in a sub-folder") << QStringLiteral("/usr/share/applications/kde/tool.desktop") << yast << QByteArray() << true;
    QTest::addRow("no yast group") << tool << QString() << QByteArray() << false;
    QTest::addRow("empty yast group") << tool << QStringLiteral("X-SuSE-YaST-Group=\n") << QByteArray() << false;
    QTest::addRow("table says no, yast group") << tool << yast << QByteArray("tool,0,none,root,false\n") << false;
    QTest::addRow("table says yes, no yast group") << tool << QString() << QByteArray("tool,0,none,root,true\n") << true;
    QTest::addRow("settings centre forced classic") << QStringLiteral("/usr/share/applications/talvo-systemsettings.desktop") << QString()
                                                    << QByteArray("talvo-systemsettings,1,none,root,false\n") << true;
    QTest::addRow("settings centre not in the table") << QStringLiteral("/usr/share/applications/talvo-systemsettings.desktop") << QString()
                                                      << QByteArray("tool,0,none,root,true\n") << false;
    QTest::addRow("settings module command") << tool << yast + QStringLiteral("Exec=kcmshell5 tool\n") << QByteArray("tool,0,none,root,true\n") << false;
    QTest::addRow("settings centre command") << tool << yast + QStringLiteral("Exec=systemsettings5 tool\n") << QByteArray() << false;
    QTest::addRow("excluded desktop folder") << QStringLiteral("/usr/share/applications/nimbdesktop/tool.desktop") << yast << QByteArray() << false;
    QTest::addRow("below the excluded desktop folder")
        << QStringLiteral("/usr/share/applications/nimbdesktop/sub/tool.desktop") << yast << QByteArray() << true;
    QTest::addRow("backup suffix") << QStringLiteral("/usr/share/applications/tool.desktop.bak") << yast << QByteArray() << false;
    QTest::addRow("other file of the actions folder") << QStringLiteral("/usr/share/nimb-start-menu/actions/lock.desktop") << yast << QByteArray() << true;
    QTest::addRow("not displayed") << tool << yast + QStringLiteral("NoDisplay=true\n") << QByteArray() << false;
}

void IndexerTest::classicSettings()
{
    QFETCH(QString, path);
    QFETCH(QString, extra);
    QFETCH(QByteArray, table);
    QFETCH(bool, indexed);

    if (!table.isEmpty()) {
        writeFile(m_system.settingsTable(), table);
    }
    // A later Exec line wins, so rows may replace the command.
    writeFile(m_system.systemPath(path), m_system.desktopFile(QStringLiteral("Tool"), {}, extra));

    Indexer indexer;
    indexer.indexClassicSettings();
    const Records found = indexer.find(marker);
    QCOMPARE(pathsOf(found), indexed ? QStringList{m_system.systemPath(path)} : QStringList());
    for (const auto &record : found) {
        QCOMPARE(record->category(), QStringLiteral("Applications"));
    }
    // The classic settings items and the applications never share a file.
    indexer.clear();
    indexer.indexApplications();
    if (indexed) {
        QCOMPARE(indexer.find(marker), Records());
    }
}

void IndexerTest::powerActions_data()
{
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("available");
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QStringList>("indexed");

    const QString reboot = QStringLiteral("reboot.desktop");
    const QString shutdown = QStringLiteral("shutdown.desktop");
    const QString rebootAvailable = QStringLiteral("reboot-update-available.desktop");
    const QString shutdownAvailable = QStringLiteral("shutdown-update-available.desktop");
    const QString rebootActivated = QStringLiteral("reboot-update-activated.desktop");
    const QString shutdownActivated = QStringLiteral("shutdown-update-activated.desktop");

    QTest::addRow("no update") << false << false << QByteArray() << QStringList{reboot, shutdown};
    QTest::addRow("update available") << false << true << QByteArray() << QStringList{reboot, rebootAvailable, shutdown, shutdownAvailable};
    QTest::addRow("update being activated") << true << false << QByteArray() << QStringList{rebootActivated, shutdownActivated};
    QTest::addRow("activation wins over availability") << true << true << QByteArray() << QStringList{rebootActivated, shutdownActivated};
    QTest::addRow("table keeps an action out") << false << false << QByteArray("reboot,0,none,root,false\n") << QStringList{shutdown};
    QTest::addRow("table lets an action in") << false << false << QByteArray("reboot-update-activated,0,none,root,true\n")
                                             << QStringList{reboot, rebootActivated, shutdown};
}

void IndexerTest::powerActions()
{
    QFETCH(bool, active);
    QFETCH(bool, available);
    QFETCH(QByteArray, table);
    QFETCH(QStringList, indexed);

    writeActions();
    if (!table.isEmpty()) {
        writeFile(m_system.settingsTable(), table);
    }
    UpdateMode::instance()->setIsUpdateActive(active);
    UpdateMode::instance()->setIsUpdateAvailable(available);

    Indexer indexer;
    indexer.indexClassicSettings();
    QStringList expected;
    for (const QString &fileName : qAsConst(indexed)) {
        expected.append(actions() + QLatin1Char('/') + fileName);
    }
    expected.sort();
    QCOMPARE(pathsOf(indexer.find(marker)), expected);

    indexer.clear();
    indexer.indexApplications();
    QCOMPARE(indexer.find(marker), Records());
}

void IndexerTest::updateStateReadWhileIndexing()
{
    writeActions();
    Indexer indexer;
    indexer.indexClassicSettings();
    const QStringList before = pathsOf(indexer.find(marker));
    QCOMPARE(before, (QStringList{actions() + QStringLiteral("/reboot.desktop"), actions() + QStringLiteral("/shutdown.desktop")}));

    UpdateMode::instance()->setIsUpdateActive(true);
    QCOMPARE(pathsOf(indexer.find(marker)), before);
    indexer.clear();
    indexer.indexClassicSettings();
    QCOMPARE(pathsOf(indexer.find(marker)),
             (QStringList{actions() + QStringLiteral("/reboot-update-activated.desktop"), actions() + QStringLiteral("/shutdown-update-activated.desktop")}));
}

void IndexerTest::desktopFindsEveryDesktopRecord()
{
    writeActions();
    writeFile(m_system.applications() + QStringLiteral("/alpha.desktop"), m_system.desktopFile(QStringLiteral("Alpha")));
    writeFile(m_system.applications() + QStringLiteral("/kde/beta.desktop"), m_system.desktopFile(QStringLiteral("Beta")));
    writeFile(m_system.userApplications() + QStringLiteral("/gamma.desktop"), m_system.desktopFile(QStringLiteral("Gamma")));
    writeFile(m_system.applications() + QStringLiteral("/yast.desktop"),
              m_system.desktopFile(QStringLiteral("Yast"), {}, QStringLiteral("X-SuSE-YaST-Group=Hardware\n")));

    Indexer indexer;
    indexer.indexApplications();
    indexer.indexSettings();
    const Records all = indexer.find(marker);
    QCOMPARE(all.size(), 6);
    QCOMPARE(indexer.find(QStringLiteral("desktop")), all);
    QCOMPARE(indexer.find(QStringLiteral("DESKTOP")), all);
    QCOMPARE(indexer.find(QStringLiteral("top")), all);
    QCOMPARE(indexer.find(QStringLiteral("desk")), all);
}

void IndexerTest::keywordFiledAsOneWord()
{
    writeFile(m_system.applications() + QStringLiteral("/tool.desktop"),
              m_system.desktopFile(QStringLiteral("Tool"), {}, QStringLiteral("Keywords=Web Browser;Surfing;\n")));
    Indexer indexer;
    indexer.indexApplications();
    const auto record = onlyRecord(indexer.find(marker));
    QVERIFY(record);
    // Without a translation the localised keywords are the untranslated ones again.
    QCOMPARE(record->keywords(),
             (QStringList{QStringLiteral("Web Browser"), QStringLiteral("Surfing"), QStringLiteral("Web Browser"), QStringLiteral("Surfing")}));
    QCOMPARE(indexer.find(QStringLiteral("web")), Records{record});
    QCOMPARE(indexer.find(QStringLiteral("browser")), Records{record});
    QCOMPARE(indexer.find(QStringLiteral("web browser")), Records{record});
    QCOMPARE(indexer.find(QStringLiteral("brow")), Records());
    QCOMPARE(indexer.find(QStringLiteral("b web")), Records());
}

void IndexerTest::nonLatinEntries()
{
    writeFile(m_system.applications() + QStringLiteral("/org.example.Dates.desktop"),
              m_system.desktopFile(QStringLiteral("Календарь"), {}, QStringLiteral("GenericName=日本語入力\nComment=Party 🎉 time\nKeywords=«calendar»;\n")));
    Indexer indexer;
    indexer.indexApplications();
    const auto record = onlyRecord(indexer.find(marker));
    QVERIFY(record);
    QCOMPARE(record->name(), QStringLiteral("Календарь IndexerTest"));
    for (const QString &query : {QStringLiteral("кал"),
                                 QStringLiteral("КАЛЕНДАРЬ"),
                                 QStringLiteral("дарь"),
                                 QStringLiteral("日本"),
                                 QStringLiteral("入力"),
                                 QStringLiteral("🎉"),
                                 QStringLiteral("«calendar»"),
                                 QStringLiteral("«cal")}) {
        QVERIFY2(indexer.find(query).contains(record), qPrintable(query));
    }
    for (const QString &query : {QStringLiteral("лен"), QStringLiteral("本語"), QStringLiteral("calendar")}) {
        QVERIFY2(indexer.find(query).isEmpty(), qPrintable(query));
    }
}

void IndexerTest::longWordInDesktopFile()
{
    const QString word = longWord(1000 * 1000);
    writeFile(m_system.applications() + QStringLiteral("/long.desktop"),
              m_system.desktopFile(QStringLiteral("Long"), {}, QStringLiteral("Comment=") + word + QLatin1Char('\n')));
    Indexer indexer;
    indexer.indexApplications();
    const auto record = onlyRecord(indexer.find(marker));
    QVERIFY(record);
    QCOMPARE(record->comment().size(), word.size());
    QCOMPARE(indexer.find(word), Records{record});
    QCOMPARE(indexer.find(word.left(70)), Records{record});
    QCOMPARE(indexer.find(word.right(64)), Records{record});
    QCOMPARE(indexer.find(word.right(65)), Records());
}

void IndexerTest::indexApplicationsTwice()
{
    const QString path = m_system.applications() + QStringLiteral("/tool.desktop");
    writeFile(path, m_system.desktopFile(QStringLiteral("Tool")));
    Indexer indexer;
    indexer.indexApplications();
    indexer.indexApplications();

    const Records twice = indexer.find(QStringLiteral("tool"));
    QCOMPARE(twice.size(), 2);
    QCOMPARE(pathsOf(twice), (QStringList{path, path}));
    QCOMPARE(indexer.find(marker), twice);

    indexer.clear();
    QCOMPARE(indexer.find(QStringLiteral("tool")), Records());
    indexer.indexApplications();
    QCOMPARE(pathsOf(indexer.find(QStringLiteral("tool"))), QStringList{path});
}

void IndexerTest::indexingReadsOnly()
{
    writeActions();
    writeFile(m_system.settingsTable(), QByteArray("talvo-systemsettings,1,none,root,false\n"));
    writeFile(m_system.applications() + QStringLiteral("/tool.desktop"), m_system.desktopFile(QStringLiteral("Tool")));
    writeFile(m_system.applications() + QStringLiteral("/talvo-systemsettings.desktop"), m_system.desktopFile(QStringLiteral("Settings")));
    writeFile(m_system.overrides() + QStringLiteral("/tool.desktop"), QStringLiteral("[Desktop Entry]\nComment=Patched\n"));
    writeFile(m_system.menuDir() + QStringLiteral("/other/copy.desktop"),
              m_system.desktopFile(QStringLiteral("Copy"), {}, QStringLiteral("X-Nimb-OriginFile=%1/tool.desktop\n").arg(m_system.applications())));
    const QMap<QString, FileSnapshot> before = snapshot(m_system.path());

    Indexer indexer;
    indexer.indexApplications();
    indexer.indexSettings();
    QCOMPARE(indexer.find(marker).size(), 4);
    QCOMPARE(snapshot(m_system.path()), before);
}

void IndexerTest::moduleGroup()
{
    ZDS::AbstractItem group(QStringLiteral("network"),
                            QStringLiteral("Network Group IndexerTest"),
                            QStringLiteral("network-wired"),
                            ZDS::AbstractItem::GroupType);
    group.appendChild(
        moduleItem(QStringLiteral("kcm_proxy"), QStringLiteral("Proxy IndexerTest"), {{QStringLiteral("KPlugin"), pluginObject(QStringLiteral("Proxy"))}}));
    group.appendChild(moduleItem(QStringLiteral("kcm_cookies"),
                                 QStringLiteral("Cookies IndexerTest"),
                                 {{QStringLiteral("KPlugin"), pluginObject(QStringLiteral("Cookies"))}}));

    Indexer indexer;
    indexer.indexZDSNode(&group);
    QCOMPARE(pathsOf(indexer.find(marker)), (QStringList{QStringLiteral("/kcms/kcm_cookies.so"), QStringLiteral("/kcms/kcm_proxy.so")}));
    QCOMPARE(indexer.find(QStringLiteral("group")), Records());
    QCOMPARE(pathsOf(indexer.find(QStringLiteral("proxy"))), QStringList{QStringLiteral("/kcms/kcm_proxy.so")});
}

void IndexerTest::moduleWithoutName()
{
    ZDS::AbstractItem root(QStringLiteral("root"), QString(), QString(), ZDS::AbstractItem::GroupType);
    root.appendChild(moduleItem(QString(), QStringLiteral("Nameless IndexerTest"), {{QStringLiteral("KPlugin"), pluginObject(QStringLiteral("Nameless"))}}));
    root.appendChild(moduleItem(QStringLiteral("kcm_named"), QStringLiteral("Named IndexerTest"), {}));

    Indexer indexer;
    indexer.indexZDSNode(&root);
    QCOMPARE(pathsOf(indexer.find(marker)), QStringList{QStringLiteral("/kcms/kcm_named.so")});
    QCOMPARE(indexer.find(QStringLiteral("nameless")), Records());
}

void IndexerTest::moduleTypeWithoutModuleClass()
{
    auto *impostor = new ZDS::AbstractItem(QStringLiteral("kcm_impostor"), QStringLiteral("Impostor IndexerTest"), QString(), ZDS::KCModuleItem::Type);
    impostor->appendChild(moduleItem(QStringLiteral("kcm_inner"), QStringLiteral("Inner IndexerTest"), {}));
    ZDS::AbstractItem root(QStringLiteral("root"), QString(), QString(), ZDS::AbstractItem::GroupType);
    root.appendChild(impostor);

    Indexer indexer;
    indexer.indexZDSNode(&root);
    QCOMPARE(pathsOf(indexer.find(marker)), QStringList{QStringLiteral("/kcms/kcm_inner.so")});
    QCOMPARE(indexer.find(QStringLiteral("impostor")), Records());

    // A module item is a module by its type: with another type it is walked only.
    ZDS::KCModuleItem module(QStringLiteral("kcm_direct"), QStringLiteral("Direct IndexerTest"), QString(), moduleMetaData({}, QStringLiteral("kcm_direct")));
    indexer.indexZDSNode(&module);
    QCOMPARE(pathsOf(indexer.find(QStringLiteral("direct"))), QStringList{QStringLiteral("/kcms/kcm_direct.so")});
}

void IndexerTest::moduleWithoutPluginObject()
{
    ZDS::KCModuleItem module(QStringLiteral("kcm_bare"),
                             QStringLiteral("Bare IndexerTest"),
                             QString(),
                             moduleMetaData({{QStringLiteral("X-KDE-Keywords"), QStringLiteral("naked")}}, QStringLiteral("kcm_bare")));
    Indexer indexer;
    indexer.indexZDSNode(&module);
    const auto record = onlyRecord(indexer.find(QStringLiteral("bare")));
    QVERIFY(record);
    QCOMPARE(record->name(), QString());
    QCOMPARE(record->genericName(), QString());
    QCOMPARE(record->localGenericName(), QString());
    QCOMPARE(indexer.find(QStringLiteral("kcm_bare")), Records{record});
    QCOMPARE(indexer.find(QStringLiteral("naked")), Records{record});
}

void IndexerTest::moduleKeywords_data()
{
    QTest::addColumn<QJsonValue>("keywords");
    QTest::addColumn<QJsonValue>("russianKeywords");
    QTest::addColumn<QStringList>("recordKeywords");

    const QJsonValue none(QJsonValue::Undefined);
    QTest::addRow("comma and blank") << QJsonValue(QStringLiteral("wifi, network")) << none
                                     << QStringList{QStringLiteral("wifi"), QString(), QStringLiteral("network")};
    QTest::addRow("Russian keywords follow") << QJsonValue(QStringLiteral("wifi")) << QJsonValue(QStringLiteral("сеть,wlan"))
                                             << QStringList{QStringLiteral("wifi"), QStringLiteral("сеть"), QStringLiteral("wlan")};
    QTest::addRow("Russian keywords only") << none << QJsonValue(QStringLiteral("сеть")) << QStringList{QStringLiteral("сеть")};
    QTest::addRow("trailing comma") << QJsonValue(QStringLiteral("wifi,")) << none << QStringList{QStringLiteral("wifi"), QString()};
    QTest::addRow("no keywords") << none << none << QStringList();
    QTest::addRow("empty keywords") << QJsonValue(QString()) << QJsonValue(QString()) << QStringList();
    QTest::addRow("keywords not a string") << QJsonValue(true) << none << QStringList();
}

void IndexerTest::moduleKeywords()
{
    QFETCH(QJsonValue, keywords);
    QFETCH(QJsonValue, russianKeywords);
    QFETCH(QStringList, recordKeywords);

    // Keywords inside "KPlugin" are not the module's keywords.
    QJsonObject raw{{QStringLiteral("KPlugin"),
                     QJsonObject{{QStringLiteral("Name"), QStringLiteral("Wireless")}, {QStringLiteral("X-KDE-Keywords"), QStringLiteral("inner")}}}};
    if (!keywords.isUndefined()) {
        raw.insert(QStringLiteral("X-KDE-Keywords"), keywords);
    }
    if (!russianKeywords.isUndefined()) {
        raw.insert(QStringLiteral("X-KDE-Keywords[ru]"), russianKeywords);
    }
    ZDS::KCModuleItem module(QStringLiteral("kcm_wireless"),
                             QStringLiteral("Wireless IndexerTest"),
                             QString(),
                             moduleMetaData(raw, QStringLiteral("kcm_wireless")));
    Indexer indexer;
    indexer.indexZDSNode(&module);
    const auto record = onlyRecord(indexer.find(marker));
    QVERIFY(record);
    QCOMPARE(record->keywords(), recordKeywords);
    for (const QString &keyword : qAsConst(recordKeywords)) {
        if (!keyword.isEmpty()) {
            QCOMPARE(indexer.find(keyword), Records{record});
        }
    }
    QCOMPARE(indexer.find(QStringLiteral("inner")), Records());
}

void IndexerTest::moduleIcon_data()
{
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("recordIcon");

    QTest::addRow("icon kept") << QStringLiteral("preferences-system-network") << QStringLiteral("preferences-system-network");
    QTest::addRow("empty icon") << QString() << QStringLiteral("system-run");
}

void IndexerTest::moduleIcon()
{
    QFETCH(QString, icon);
    QFETCH(QString, recordIcon);

    ZDS::KCModuleItem module(QStringLiteral("kcm_tool"), QStringLiteral("Tool IndexerTest"), icon, moduleMetaData({}, QStringLiteral("kcm_tool")));
    Indexer indexer;
    indexer.indexZDSNode(&module);
    const auto record = onlyRecord(indexer.find(marker));
    QVERIFY(record);
    QCOMPARE(record->icon(), recordIcon);
}

void IndexerTest::moduleRecord()
{
    const QJsonObject plugin{
        {QStringLiteral("Name"), QStringLiteral("Clock")},
        {QStringLiteral("Name[ru]"), QStringLiteral("Часы")},
        {QStringLiteral("Description"), QStringLiteral("Date and time")},
        {QStringLiteral("Description[ru]"), QStringLiteral("Дата и время")},
    };
    const QJsonObject raw{{QStringLiteral("KPlugin"), plugin}, {QStringLiteral("X-KDE-Keywords"), QStringLiteral("timezone")}};
    ZDS::KCModuleItem module(QStringLiteral("kcm_clock"),
                             QStringLiteral("Clock IndexerTest"),
                             QStringLiteral("preferences-system-time"),
                             moduleMetaData(raw, QStringLiteral("kcm_clock")));

    Indexer indexer;
    indexer.indexZDSNode(&module);
    const auto record = onlyRecord(indexer.find(marker));
    QVERIFY(record);
    QCOMPARE(record->displayName(), QStringLiteral("Clock IndexerTest"));
    QCOMPARE(record->path(), QStringLiteral("/kcms/kcm_clock.so"));
    QCOMPARE(record->fileName(), record->path());
    QCOMPARE(record->name(), QStringLiteral("Clock"));
    QCOMPARE(record->localName(), QStringLiteral("Clock IndexerTest"));
    QCOMPARE(record->genericName(), QStringLiteral("Date and time"));
    QCOMPARE(record->localGenericName(), QStringLiteral("Дата и время"));
    QCOMPARE(record->comment(), QString());
    QCOMPARE(record->localComment(), QString());
    QCOMPARE(record->executableName(), QStringLiteral("kcm_clock"));
    QCOMPARE(record->icon(), QStringLiteral("preferences-system-time"));
    QCOMPARE(record->keywords(), QStringList{QStringLiteral("timezone")});
    QCOMPARE(record->categories(), QStringList());
    QCOMPARE(record->category(), QStringLiteral("KCM"));

    for (const QString &query : {QStringLiteral("clock"),
                                 QStringLiteral("date"),
                                 QStringLiteral("time"),
                                 QStringLiteral("время"),
                                 QStringLiteral("kcm_clock"),
                                 QStringLiteral("timezone")}) {
        QVERIFY2(indexer.find(query).contains(record), qPrintable(query));
    }
    // Neither the path nor the untaken translations are words.
    QCOMPARE(indexer.find(QStringLiteral("kcms")), Records());
    QCOMPARE(indexer.find(QStringLiteral("часы")), Records());
}

void IndexerTest::moduleTextsOfOtherTypes()
{
    const QJsonObject raw{
        {QStringLiteral("KPlugin"), QJsonObject{{QStringLiteral("Name"), 42}, {QStringLiteral("Description"), QJsonArray{QStringLiteral("listed")}}}},
        {QStringLiteral("X-KDE-Keywords"), true},
    };
    ZDS::KCModuleItem module(QStringLiteral("kcm_odd"), QStringLiteral("Odd IndexerTest"), QString(), moduleMetaData(raw, QStringLiteral("kcm_odd")));
    Indexer indexer;
    indexer.indexZDSNode(&module);
    const auto record = onlyRecord(indexer.find(marker));
    QVERIFY(record);
    QCOMPARE(record->name(), QString());
    QCOMPARE(record->genericName(), QString());
    QCOMPARE(record->keywords(), QStringList());
    QCOMPARE(indexer.find(QStringLiteral("listed")), Records());
    QCOMPARE(indexer.find(QStringLiteral("42")), Records());
}

void IndexerTest::nullNodeIndexesNothing()
{
    Indexer indexer;
    indexer.indexZDSNode(nullptr);
    QCOMPARE(indexer.find(QStringLiteral("a")), Records());
}

void IndexerTest::noSettingsTree()
{
    // The plug-in path of this test holds no settings module.
    QCOMPARE(ZDS::KCModuleItem::getKCModuleTree(), nullptr);

    Indexer indexer;
    indexer.indexZDS();
    indexer.indexSettings();
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const QString query(QLatin1Char{letter});
        QVERIFY2(indexer.find(query).isEmpty(), qPrintable(query));
    }
}

QTEST_GUILESS_MAIN(IndexerTest)

#include "indexertest.moc"

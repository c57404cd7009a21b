/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "nimbdesktopentry.h"
#include "testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using TestSupport::readFile;

namespace
{
const QByteArray validEntry = QByteArrayLiteral("[Desktop Entry]\nType=Application\nName=NimbTest Entry\nExec=nimbtest-entry\n");

QString fromStd(const std::string &text)
{
    return QString::fromStdString(text);
}

QStringList fromStd(const std::vector<std::string> &list)
{
    QStringList result;
    for (const std::string &text : list) {
        result.append(fromStd(text));
    }
    return result;
}

std::string stdPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

mode_t modeOf(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// The keys of the desktop group and the group headers of a desktop file, as written.
QByteArrayList mainGroupKeys(const QByteArray &text)
{
    QByteArrayList keys;
    bool inMainGroup = false;
    for (const QByteArray &untrimmed : text.split('\n')) {
        const QByteArray line = untrimmed.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
        } else if (inMainGroup && !line.startsWith('#') && line.contains('=')) {
            keys.append(line.left(line.indexOf('=')).trimmed());
        }
    }
    return keys;
}

QByteArrayList groupHeaders(const QByteArray &text)
{
    QByteArrayList headers;
    for (const QByteArray &untrimmed : text.split('\n')) {
        const QByteArray line = untrimmed.trimmed();
        if (line.startsWith('[') && !headers.contains(line)) {
            headers.append(line);
        }
    }
    return headers;
}
}

class NimbDesktopEntryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void unescapedString_data();
    void unescapedString();
    void unescapedList_data();
    void unescapedList();
    void locale_data();
    void locale();
    void localAccessors();
    void localeFromEnvironment_data();
    void localeFromEnvironment();
    void acceptance_data();
    void acceptance();
    void sampleFiles_data();
    void sampleFiles();
    void iconFallback_data();
    void iconFallback();
    void unknownValues_data();
    void unknownValues();
    void overrideFrom_data();
    void overrideFrom();
    void setUnknowns_data();
    void setUnknowns();
    void saveText_data();
    void saveText();
    void saveRoundTrip_data();
    void saveRoundTrip();
    void saveFailures_data();
    void saveFailures();
    void saveKeepsPermissions_data();
    void saveKeepsPermissions();
    void saveOverFileReadEarlier();
    void manyGroups();
    void saveNearTheSizeLimit();
    void copyOutlivesOriginal();
    void moveLeavesEmptyEntry();
    void saveFileNames_data();
    void saveFileNames();
    void badInput_data();
    void badInput();

private:
    QString writeFile(const QString &name, const QByteArray &contents) const;
    NimbDesktopEntry load(const QByteArray &contents) const;

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    QHash<QByteArray, QByteArray> m_environment;
};

void NimbDesktopEntryTest::initTestCase()
{
    QVERIFY(!TestSupport::isolate(m_home).isEmpty());
    // Restored after every case: some cases point PATH at their own programs or change the locale.
    for (const char *variable : {"PATH", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        m_environment.insert(variable, qgetenv(variable));
    }
}

void NimbDesktopEntryTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    NimbDesktopEntry::setLocale("C");
}

void NimbDesktopEntryTest::cleanup()
{
    for (auto it = m_environment.cbegin(); it != m_environment.cend(); ++it) {
        if (it.value().isNull()) {
            qunsetenv(it.key().constData());
        } else {
            qputenv(it.key().constData(), it.value());
        }
    }
    NimbDesktopEntry::setLocale("C");
    m_dir.reset();
}

QString NimbDesktopEntryTest::writeFile(const QString &name, const QByteArray &contents) const
{
    const QString path = m_dir->filePath(name);
    TestSupport::writeFile(path, contents);
    return path;
}

NimbDesktopEntry NimbDesktopEntryTest::load(const QByteArray &contents) const
{
    return NimbDesktopEntry(stdPath(writeFile(QStringLiteral("entry.desktop"), contents)));
}

void NimbDesktopEntryTest::unescapedString_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("expected");

    QTest::addRow("plain text") << QByteArray("Plain text") << "Plain text";
    QTest::addRow("space escape") << QByteArray("a\\sb") << "a b";
    QTest::addRow("newline escape") << QByteArray("a\\nb") << "a\nb";
    QTest::addRow("tab escape") << QByteArray("a\\tb") << "a\tb";
    QTest::addRow("carriage return escape") << QByteArray("a\\rb") << "a\rb";
    QTest::addRow("backslash escape") << QByteArray("C:\\\\Temp") << "C:\\Temp";
    QTest::addRow("escaped backslash before s") << QByteArray("\\\\s") << "\\s";
    QTest::addRow("escaped semicolon kept") << QByteArray("one\\;two") << "one\\;two";
    QTest::addRow("unknown escapes kept") << QByteArray("\\q \\\"quoted\\\"") << "\\q \\\"quoted\\\"";
    QTest::addRow("trailing backslash kept") << QByteArray("end\\") << "end\\";
    QTest::addRow("blanks around the value trimmed") << QByteArray(" \t padded \t ") << "padded";
    QTest::addRow("escaped blanks at the ends kept") << QByteArray("\\s padded \\s") << "  padded  ";
    QTest::addRow("equals signs in the value") << QByteArray("a=b=c") << "a=b=c";
    QTest::addRow("hash in the value") << QByteArray("#not a comment") << "#not a comment";
    QTest::addRow("multi-byte text") << QByteArray("Größe 地図 😀") << QString::fromUtf8("Größe 地図 😀");
    QTest::addRow("empty value") << QByteArray() << "";
}

void NimbDesktopEntryTest::unescapedString()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, expected);

    const NimbDesktopEntry entry = load(validEntry + "Comment=" + raw + "\nX-NimbTest-Value=" + raw + "\n");
    QVERIFY(entry.isLoaded());
    QCOMPARE(fromStd(entry.comment()), expected);
    QCOMPARE(fromStd(entry.localComment()), expected);
    QCOMPARE(fromStd(entry.getUnknownValue("X-NimbTest-Value")), expected);
}

void NimbDesktopEntryTest::unescapedList_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("trailing separator") << QByteArray("A;B;C;") << QStringList{"A", "B", "C"};
    QTest::addRow("no trailing separator") << QByteArray("A;B;C") << QStringList{"A", "B", "C"};
    QTest::addRow("single element") << QByteArray("A") << QStringList{"A"};
    QTest::addRow("empty value") << QByteArray() << QStringList{};
    QTest::addRow("only a separator") << QByteArray(";") << QStringList{""};
    QTest::addRow("empty element in the middle") << QByteArray("A;;B;") << QStringList{"A", "", "B"};
    QTest::addRow("empty element before the end") << QByteArray("A;;") << QStringList{"A", ""};
    QTest::addRow("escaped separator") << QByteArray("A\\;B;C;") << QStringList{"A;B", "C"};
    QTest::addRow("escaped backslash ends an element") << QByteArray("A\\\\;B;") << QStringList{"A\\", "B"};
    QTest::addRow("escaped backslash then escaped separator") << QByteArray("A\\\\\\;B;") << QStringList{"A\\;B"};
    QTest::addRow("escapes inside elements") << QByteArray("a\\sb;c\\nd;e\\tf;") << QStringList{"a b", "c\nd", "e\tf"};
    QTest::addRow("unknown escape kept") << QByteArray("\\q;") << QStringList{"\\q"};
    QTest::addRow("trailing backslash kept") << QByteArray("A;B\\") << QStringList{"A", "B\\"};
    QTest::addRow("blanks inside elements kept") << QByteArray("A ; B") << QStringList{"A ", " B"};
}

void NimbDesktopEntryTest::unescapedList()
{
    QFETCH(QByteArray, raw);
    QFETCH(QStringList, expected);

    const QByteArray keys[] = {"Categories", "Keywords", "OnlyShowIn", "NotShowIn"};
    QByteArray contents = validEntry;
    for (const QByteArray &key : keys) {
        contents += key + '=' + raw + '\n';
    }
    const NimbDesktopEntry entry = load(contents);
    QVERIFY(entry.isLoaded());
    QCOMPARE(fromStd(entry.categories()), expected);
    QCOMPARE(fromStd(entry.keywords()), expected);
    QCOMPARE(fromStd(entry.localKeywords()), expected);
    QCOMPARE(fromStd(entry.onlyShowIn()), expected);
    QCOMPARE(fromStd(entry.notShowIn()), expected);
}

void NimbDesktopEntryTest::locale_data()
{
    QTest::addColumn<QStringList>("translations");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");

    const QStringList all = {"C", "de", "de_DE", "de@euro", "de_DE@euro", "sr", "sr@latin", "pt", "pt_BR"};
    const auto row = [](const char *name, const QStringList &translations, const char *locale, const char *expected) {
        QTest::newRow(name) << translations << QString::fromLatin1(locale) << QString::fromLatin1(expected);
    };
    row("C", all, "C", "Untranslated");
    row("POSIX", all, "POSIX", "Untranslated");
    row("C with encoding", all, "C.UTF-8", "Untranslated");
    row("language", all, "de", "de");
    row("language and country", all, "de_DE", "de_DE");
    row("other country falls back to the language", all, "de_AT", "de");
    row("encoding dropped", all, "de_DE.UTF-8", "de_DE");
    row("country and modifier", all, "de_DE@euro", "de_DE@euro");
    row("encoding and modifier", all, "de_DE.ISO-8859-15@euro", "de_DE@euro");
    row("other country falls back to language and modifier", all, "de_AT@euro", "de@euro");
    row("language and modifier", all, "sr@latin", "sr@latin");
    row("country and modifier falls back to language and modifier", all, "sr_RS@latin", "sr@latin");
    row("country without modifier", all, "sr_RS", "sr");
    row("unknown modifier falls back to the language", all, "sr@ijekavian", "sr");
    row("pt_BR", all, "pt_BR", "pt_BR");
    row("pt_PT falls back to pt", all, "pt_PT.UTF-8", "pt");
    row("missing translation", all, "fr_FR.UTF-8", "Untranslated");
    row("only a country translation", {"de_DE"}, "de", "Untranslated");
    row("only a modifier translation", {"sr@latin"}, "sr_RS", "Untranslated");
    row("best match written first", {"de_DE@euro", "de_DE", "de@euro", "de"}, "de_DE@euro", "de_DE@euro");
    row("best match written last", {"de", "de@euro", "de_DE", "de_DE@euro"}, "de_DE@euro", "de_DE@euro");
    row("country written after the language", {"de", "de_DE"}, "de_DE", "de_DE");
    row("country written before the language", {"de_DE", "de"}, "de_DE", "de_DE");
}

void NimbDesktopEntryTest::locale()
{
    QFETCH(QStringList, translations);
    QFETCH(QString, locale);
    QFETCH(QString, expected);

    QByteArray contents = validEntry;
    contents.replace("Name=NimbTest Entry", "Name=Untranslated");
    for (const QString &translation : translations) {
        contents += "Name[" + translation.toUtf8() + "]=" + translation.toUtf8() + '\n';
    }
    NimbDesktopEntry::setLocale(locale.toStdString());
    QCOMPARE(fromStd(NimbDesktopEntry::locale()), locale);
    const NimbDesktopEntry entry = load(contents);
    QCOMPARE(fromStd(entry.localName()), expected);
    QCOMPARE(fromStd(entry.name()), QStringLiteral("Untranslated"));
}

void NimbDesktopEntryTest::localAccessors()
{
    NimbDesktopEntry::setLocale("de_DE.UTF-8");
    const NimbDesktopEntry entry = load(
        "[Desktop Entry]\nType=Application\nExec=nimbtest\nName=Name\nName[de]=Name de\nGenericName=Generic\nGenericName[de_DE]=Generisch\n"
        "Comment=Comment\nComment[fr]=Commentaire\nIcon=icon\nIcon[de]=icon-de\nKeywords=one;two;\nKeywords[de_DE]=eins;zwei;drei;\n");
    QCOMPARE(fromStd(entry.localName()), QStringLiteral("Name de"));
    QCOMPARE(fromStd(entry.localGenericName()), QStringLiteral("Generisch"));
    QCOMPARE(fromStd(entry.localComment()), QStringLiteral("Comment"));
    QCOMPARE(fromStd(entry.localIcon()), QStringLiteral("icon-de"));
    QCOMPARE(fromStd(entry.localKeywords()), (QStringList{"eins", "zwei", "drei"}));
    QCOMPARE(fromStd(entry.name()), QStringLiteral("Name"));
    QCOMPARE(fromStd(entry.genericName()), QStringLiteral("Generic"));
    QCOMPARE(fromStd(entry.icon()), QStringLiteral("icon"));
    QCOMPARE(fromStd(entry.keywords()), (QStringList{"one", "two"}));
}

void NimbDesktopEntryTest::localeFromEnvironment_data()
{
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcMessages");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("localName");

    QTest::addRow("LC_ALL first") << QByteArray("fr_FR.UTF-8") << QByteArray("de_DE.UTF-8") << QByteArray("pt_BR.UTF-8") << "fr_FR.UTF-8"
                                  << "fr";
    QTest::addRow("LC_MESSAGES when LC_ALL is empty") << QByteArray("") << QByteArray("de_DE.UTF-8") << QByteArray("pt_BR.UTF-8") << "de_DE.UTF-8"
                                                      << "de";
    QTest::addRow("LANG last") << QByteArray() << QByteArray() << QByteArray("pt_BR.UTF-8") << "pt_BR.UTF-8"
                               << "pt_BR";
    QTest::addRow("nothing set") << QByteArray() << QByteArray() << QByteArray() << ""
                                 << "Untranslated";
}

void NimbDesktopEntryTest::localeFromEnvironment()
{
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcMessages);
    QFETCH(QByteArray, lang);
    QFETCH(QString, expected);
    QFETCH(QString, localName);

    const std::pair<const char *, QByteArray> variables[] = {{"LC_ALL", lcAll}, {"LC_MESSAGES", lcMessages}, {"LANG", lang}};
    for (const auto &[variable, value] : variables) {
        if (value.isNull()) {
            qunsetenv(variable);
        } else {
            qputenv(variable, value);
        }
    }
    NimbDesktopEntry::setLocale({});
    QCOMPARE(fromStd(NimbDesktopEntry::locale()), expected);
    const NimbDesktopEntry entry = load("[Desktop Entry]\nName=Untranslated\nName[fr]=fr\nName[de]=de\nName[pt_BR]=pt_BR\n");
    QCOMPARE(fromStd(entry.localName()), localName);
}

void NimbDesktopEntryTest::acceptance_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("suitable");
    QTest::addColumn<bool>("displayable");
    QTest::addColumn<bool>("forNimb");

    const QByteArray app = "Type=Application\nName=NimbTest Acceptance\nExec=nimbtest-tool\n";
    QTest::addRow("plain application") << app << true << true << true << true;
    QTest::addRow("hidden entry") << app + "Hidden=true\n" << true << false << true << true;
    QTest::addRow("hidden as 1") << app + "Hidden=1\n" << true << false << true << true;
    QTest::addRow("Hidden false") << app + "Hidden=false\n" << true << true << true << true;
    QTest::addRow("Hidden yes is not true") << app + "Hidden=yes\n" << true << true << true << true;
    QTest::addRow("TryExec absolute executable") << app + "TryExec=@BIN@/nimbtest-tool\n" << true << true << true << true;
    QTest::addRow("TryExec absolute missing") << app + "TryExec=@BIN@/nimbtest-missing\n" << true << false << true << true;
    QTest::addRow("TryExec absolute not executable") << app + "TryExec=@BIN@/nimbtest-plain\n" << true << false << true << true;
    QTest::addRow("TryExec names a folder") << app + "TryExec=@BIN@\n" << true << false << true << true;
    QTest::addRow("TryExec with an escaped blank") << app + "TryExec=@BIN@/nimbtest\\stool\n" << true << true << true << true;
    QTest::addRow("TryExec found on PATH") << app + "TryExec=nimbtest-tool\n" << true << true << true << true;
    QTest::addRow("TryExec not on PATH") << app + "TryExec=nimbtest-missing\n" << true << false << true << true;
    QTest::addRow("TryExec on PATH not executable") << app + "TryExec=nimbtest-plain\n" << true << false << true << true;
    QTest::addRow("empty TryExec") << app + "TryExec=\n" << true << true << true << true;
    QTest::addRow("NoDisplay") << app + "NoDisplay=true\n" << true << true << false << true;
    QTest::addRow("NoDisplay as 1") << app + "NoDisplay=1\n" << true << true << false << true;
    QTest::addRow("NoDisplay false") << app + "NoDisplay=false\n" << true << true << true << true;
    QTest::addRow("OnlyShowIn with Nimb") << app + "OnlyShowIn=GNOME;Nimb;\n" << true << true << true << true;
    QTest::addRow("OnlyShowIn without Nimb") << app + "OnlyShowIn=GNOME;KDE;\n" << true << true << true << false;
    QTest::addRow("empty OnlyShowIn") << app + "OnlyShowIn=\n" << true << true << true << false;
    QTest::addRow("OnlyShowIn with lower-case nimb") << app + "OnlyShowIn=nimb;\n" << true << true << true << false;
    QTest::addRow("NotShowIn with Nimb") << app + "NotShowIn=KDE;Nimb;\n" << true << true << true << false;
    QTest::addRow("NotShowIn without Nimb") << app + "NotShowIn=KDE;\n" << true << true << true << true;
    QTest::addRow("OnlyShowIn and NotShowIn with Nimb") << app + "OnlyShowIn=Nimb;\nNotShowIn=Nimb;\n" << true << true << true << false;
    QTest::addRow("Type Link") << QByteArray("Type=Link\nName=NimbTest Link\nURL=https://example.org/\n") << false << true << true << true;
    QTest::addRow("Directory without Exec") << QByteArray("Type=Directory\nName=NimbTest Folder\n") << true << true << true << true;
    QTest::addRow("missing Type") << QByteArray("Name=NimbTest\nExec=nimbtest-tool\n") << false << true << true << true;
    QTest::addRow("missing Exec") << QByteArray("Type=Application\nName=NimbTest\n") << false << true << true << true;
    QTest::addRow("empty Exec") << QByteArray("Type=Application\nName=NimbTest\nExec=\n") << false << true << true << true;
    QTest::addRow("missing Name") << QByteArray("Type=Application\nExec=nimbtest-tool\n") << false << true << true << true;
    QTest::addRow("empty Name") << QByteArray("Type=Application\nName=\nExec=nimbtest-tool\n") << false << true << true << true;
    QTest::addRow("only a translated Name") << QByteArray("Type=Application\nName[de]=NimbTest\nExec=nimbtest-tool\n") << false << true << true << true;
}

void NimbDesktopEntryTest::acceptance()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, valid);
    QFETCH(bool, suitable);
    QFETCH(bool, displayable);
    QFETCH(bool, forNimb);

    // Programs for TryExec, in the second folder of PATH.
    const QString bin = m_dir->filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(m_dir->filePath(QStringLiteral("empty"))));
    for (const QString &name : {QStringLiteral("nimbtest-tool"), QStringLiteral("nimbtest tool"), QStringLiteral("nimbtest-plain")}) {
        writeFile(QStringLiteral("bin/") + name, "#!/bin/sh\nexit 0\n");
        const bool executable = name != QLatin1String("nimbtest-plain");
        QVERIFY(::chmod(QFile::encodeName(QDir(bin).filePath(name)).constData(), executable ? 0755 : 0644) == 0);
    }
    qputenv("PATH", QFile::encodeName(m_dir->filePath(QStringLiteral("empty")) + QLatin1Char(':') + bin));

    const NimbDesktopEntry entry = load("[Desktop Entry]\n" + body.replace("@BIN@", QFile::encodeName(bin)));
    QVERIFY(entry.isLoaded());
    std::string reason;
    QCOMPARE(entry.isValid(&reason), valid);
    QCOMPARE(reason.empty(), valid);
    reason.clear();
    QCOMPARE(entry.isSuitable(&reason), suitable);
    QCOMPARE(reason.empty(), suitable);
    reason.clear();
    QCOMPARE(entry.isDisplayable(&reason), displayable);
    QCOMPARE(reason.empty(), displayable);
    reason.clear();
    QCOMPARE(entry.isForNimb(&reason), forNimb);
    QCOMPARE(reason.empty(), forNimb);
    QCOMPARE(entry.isSuitable(nullptr), suitable);
}

void NimbDesktopEntryTest::sampleFiles_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("localName");
    QTest::addColumn<QString>("localComment");
    QTest::addColumn<QStringList>("categories");
    QTest::addColumn<QString>("failedTest");

    const auto row = [](const char *fileName,
                        const char *locale,
                        const QString &localName,
                        const QString &localComment,
                        const QStringList &categories,
                        const char *failedTest) {
        QTest::addRow("%s in %s", fileName, locale) << QString::fromLatin1(fileName) << QString::fromLatin1(locale) << localName << localComment << categories
                                                    << QString::fromLatin1(failedTest);
    };
    // No TryExec program is installed: PATH names an empty folder.
    row("org.nimbtest.Atlas.desktop",
        "sr_RS@latin",
        "Atlas mape",
        "Pregledajte mape i planirajte rute van mreže",
        {"Education", "Geography", "Qt"},
        "suitable");
    row("org.nimbtest.Atlas.desktop",
        "de_DE.UTF-8",
        "Atlas Landkarten",
        "Karten durchsuchen und Routen ohne Verbindung planen",
        {"Education", "Geography", "Qt"},
        "suitable");
    row("org.nimbtest.Atlas.desktop", "pt_PT", "Mapas Atlas", "Browse maps and plan routes offline", {"Education", "Geography", "Qt"}, "suitable");
    row("org.nimbtest.Quill.desktop", "fr_FR", "Quill", "Modifier des fichiers texte brut", {"Utility", "TextEditor"}, "");
    row("nimbtest-escapes.desktop", "de", "Maskierungen im Test", "Erste Zeile\nZweite Zeile", {"Development", "Debugger"}, "");
    row("nimbtest-office.directory", "ja_JP", "オフィス", "Documents, spreadsheets and presentations", {}, "");
    row("nimbtest-panel-tool.desktop", "de", "Leistenwerkzeug", "Only shown in some desktops", {"Settings", "DesktopSettings"}, "");
    row("nimbtest-hidden.desktop", "de", "Entfernte Anwendung", "", {}, "suitable");
    row("nimbtest-url-handler.desktop", "pt_BR", "Manipulador de links", "Opens nimbtest: links", {"Network"}, "displayable");
    row("nimbtest-tryexec.desktop", "fr", "Outil facultatif", "", {"System", "Filesystem"}, "suitable");
    row("nimbtest-crlf.desktop", "pt_BR", "Line Ends", "Escrito em outro sistema", {"Utility"}, "");
    row("nimbtest-duplicates.desktop", "de", "Zweiter Name", "Second comment", {"Game", "ArcadeGame"}, "");
    row("nimbtest-comments.desktop", "fr", "Commented", "Blanks around the equals sign", {"Utility"}, "");
    row("nimbtest-key-before-group.desktop", "de", "In der Gruppe", "", {"Utility"}, "");
    row("nimbtest-web-link.desktop", "fr", "Site web du projet", "Opens the project website in the browser", {}, "valid");
    row("nimbtest-system-monitor.desktop", "zh_CN", "系统监视器", "查看进程、内存和网络使用情况", {"System", "Monitor"}, "");
}

void NimbDesktopEntryTest::sampleFiles()
{
    QFETCH(QString, fileName);
    QFETCH(QString, locale);
    QFETCH(QString, localName);
    QFETCH(QString, localComment);
    QFETCH(QStringList, categories);
    QFETCH(QString, failedTest);

    const QString path = QFINDTESTDATA(QStringLiteral("data/") + fileName);
    QVERIFY(!path.isEmpty());
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("empty")));
    qputenv("PATH", QFile::encodeName(m_dir->filePath(QStringLiteral("empty"))));
    NimbDesktopEntry::setLocale(locale.toStdString());
    const NimbDesktopEntry entry(stdPath(path));

    QVERIFY(entry.isLoaded());
    QCOMPARE(fromStd(entry.localName()), localName);
    QCOMPARE(fromStd(entry.localComment()), localComment);
    QCOMPARE(fromStd(entry.categories()), categories);
    // The acceptance test stops at the first predicate that fails.
    QString failed;
    if (!entry.isValid()) {
        failed = QStringLiteral("valid");
    } else if (!entry.isSuitable(nullptr)) {
        failed = QStringLiteral("suitable");
    } else if (!entry.isDisplayable(nullptr)) {
        failed = QStringLiteral("displayable");
    } else if (!entry.isForNimb(nullptr)) {
        failed = QStringLiteral("for Nimb");
    }
    QCOMPARE(failed, failedTest);
}

void NimbDesktopEntryTest::iconFallback_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");

    QTest::addRow("icon set") << QByteArray("[Desktop Entry]\nType=Application\nIcon=nimbtest-icon\n") << "C"
                              << "nimbtest-icon";
    QTest::addRow("translated icon") << QByteArray("[Desktop Entry]\nType=Application\nIcon=plain\nIcon[de]=german\n") << "de_DE"
                                     << "german";
    QTest::addRow("icon not translated for the locale") << QByteArray("[Desktop Entry]\nType=Application\nIcon=plain\nIcon[de]=german\n") << "fr"
                                                        << "plain";
    QTest::addRow("only a translated icon") << QByteArray("[Desktop Entry]\nType=Application\nIcon[de]=german\n") << "de"
                                            << "german";
    QTest::addRow("application without icon") << QByteArray("[Desktop Entry]\nType=Application\n") << "C"
                                              << "application-x-executable";
    QTest::addRow("application with empty icon") << QByteArray("[Desktop Entry]\nType=Application\nIcon=\n") << "C"
                                                 << "application-x-executable";
    QTest::addRow("directory without icon") << QByteArray("[Desktop Entry]\nType=Directory\n") << "C"
                                            << "folder";
    QTest::addRow("link without icon") << QByteArray("[Desktop Entry]\nType=Link\n") << "C"
                                       << "application-x-executable";
    QTest::addRow("not a desktop entry") << QByteArray("[Other]\nIcon=other\n") << "C"
                                         << "application-x-executable";
}

void NimbDesktopEntryTest::iconFallback()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, locale);
    QFETCH(QString, expected);

    NimbDesktopEntry::setLocale(locale.toStdString());
    QCOMPARE(fromStd(load(contents).localIconOrFallback()), expected);
}

void NimbDesktopEntryTest::unknownValues_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("expected");

    QTest::addRow("non-standard key") << QByteArray("X-Categories") << true << "Office;Spreadsheet;";
    QTest::addRow("standard key") << QByteArray("Name") << true << "NimbTest Unknown";
    QTest::addRow("translation as written") << QByteArray("Name[de]") << true << "Unbekannt";
    QTest::addRow("missing translation") << QByteArray("Name[fr]") << false << "";
    QTest::addRow("empty value") << QByteArray("X-NimbTest-Empty") << true << "";
    QTest::addRow("missing key") << QByteArray("X-NimbTest-Missing") << false << "";
    QTest::addRow("duplicate key, last wins") << QByteArray("X-NimbTest-Twice") << true << "second";
    QTest::addRow("escaped value") << QByteArray("X-NimbTest-Escaped") << true << "a b\\c";
    QTest::addRow("key of another group") << QByteArray("X-NimbTest-Action") << false << "";
    QTest::addRow("key before any group") << QByteArray("X-NimbTest-Orphan") << false << "";
    QTest::addRow("key of a group named twice") << QByteArray("X-NimbTest-Again") << true << "merged";
    QTest::addRow("key in other case") << QByteArray("x-categories") << false << "";
    QTest::addRow("empty key") << QByteArray("") << false << "";
}

void NimbDesktopEntryTest::unknownValues()
{
    QFETCH(QByteArray, key);
    QFETCH(bool, present);
    QFETCH(QString, expected);

    const NimbDesktopEntry entry = load(
        "X-NimbTest-Orphan=before any group\n[Desktop Entry]\nType=Application\nName=NimbTest Unknown\nName[de]=Unbekannt\n"
        "X-Categories=Office;Spreadsheet;\nX-NimbTest-Empty=\nX-NimbTest-Twice=first\nX-NimbTest-Twice=second\nX-NimbTest-Escaped=a\\sb\\\\c\n"
        "[Desktop Action open]\nX-NimbTest-Action=in another group\n[Desktop Entry]\nX-NimbTest-Again=merged\n");
    QVERIFY(entry.isLoaded());
    const std::string stdKey = key.toStdString();
    QCOMPARE(entry.hasKey(stdKey), present);
    QCOMPARE(fromStd(entry.getUnknownValue(stdKey)), expected);
    QCOMPARE(fromStd(entry.getUnknownValue(stdKey.c_str())), expected);
    QCOMPARE(fromStd(entry.getUnknownValue(static_cast<const char *>(nullptr))), QString());
}

void NimbDesktopEntryTest::overrideFrom_data()
{
    QTest::addColumn<QByteArray>("patch");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QString>("localName");

    const QByteArray action = "\n[Desktop Action new]\nName=New\nName[de]=Neu\nExec=nimbtest-base --new\n";
    const QByteArray unchanged =
        "[Desktop Entry]\nType=Application\nName=Base\nName[de]=Basis\nName[fr]=Base FR\nComment=Base comment\n"
        "Exec=nimbtest-base\nIcon=base-icon\n"
        + action;
    QTest::addRow("untranslated key replaces its translations")
        << QByteArray("[Desktop Entry]\nName=Override\n")
        << "[Desktop Entry]\nType=Application\nComment=Base comment\nExec=nimbtest-base\nIcon=base-icon\nName=Override\n" + action << "Override";
    QTest::addRow("translation replaces just itself")
        << QByteArray("[Desktop Entry]\nName[de]=Überschrieben\n")
        << "[Desktop Entry]\nType=Application\nName=Base\nName[fr]=Base FR\nComment=Base comment\nExec=nimbtest-base\nIcon=base-icon\n"
           "Name[de]=Überschrieben\n"
            + action
        << "Überschrieben";
    QTest::addRow("new translation added") << QByteArray("[Desktop Entry]\nName[pt_BR]=Base BR\n")
                                           << QByteArray(unchanged).replace("Icon=base-icon\n", "Icon=base-icon\nName[pt_BR]=Base BR\n") << "Basis";
    QTest::addRow("new key added") << QByteArray("[Desktop Entry]\nX-NimbTest-Added=yes\n")
                                   << QByteArray(unchanged).replace("Icon=base-icon\n", "Icon=base-icon\nX-NimbTest-Added=yes\n") << "Basis";
    QTest::addRow("empty value removes the key") << QByteArray("[Desktop Entry]\nIcon=\n") << QByteArray(unchanged).replace("Icon=base-icon\n", "") << "Basis";
    QTest::addRow("untranslated and translated key together")
        << QByteArray("[Desktop Entry]\nName=Override\nComment=Other comment\nName[de]=Überschrieben\n")
        << "[Desktop Entry]\nType=Application\nExec=nimbtest-base\nIcon=base-icon\nName=Override\nComment=Other comment\nName[de]=Überschrieben\n" + action
        << "Überschrieben";
    QTest::addRow("other group patched") << QByteArray("[Desktop Entry]\n[Desktop Action new]\nName=Newer\n")
                                         << QByteArray(unchanged).replace(action, "\n[Desktop Action new]\nExec=nimbtest-base --new\nName=Newer\n") << "Basis";
    QTest::addRow("new group added") << QByteArray("[Desktop Entry]\n[Desktop Action extra]\nName=Extra\nExec=nimbtest-base --extra\n")
                                     << unchanged + "\n[Desktop Action extra]\nName=Extra\nExec=nimbtest-base --extra\n"
                                     << "Basis";
    QTest::addRow("patch without desktop entry group ignored") << QByteArray("[Desktop Action new]\nName=Ignored\n") << unchanged << "Basis";
    // Past a few dozen groups they are found through a hash table.
    QByteArray manyGroups = "[Desktop Entry]\nName=Override\n";
    QByteArray addedGroups;
    for (int i = 0; i < 40; ++i) {
        const QByteArray group = "\n[Desktop Action a" + QByteArray::number(i) + "]\nName=A" + QByteArray::number(i) + "\n";
        manyGroups += group;
        addedGroups += group;
    }
    manyGroups += "[Desktop Action new]\nName=Newer\n";
    QTest::addRow("patch of many groups") << manyGroups
                                          << "[Desktop Entry]\nType=Application\nComment=Base comment\nExec=nimbtest-base\nIcon=base-icon\nName=Override\n"
                                             "\n[Desktop Action new]\nExec=nimbtest-base --new\nName=Newer\n"
            + addedGroups << "Override";
    QTest::addRow("missing patch file") << QByteArray() << unchanged << "Basis";
}

void NimbDesktopEntryTest::overrideFrom()
{
    QFETCH(QByteArray, patch);
    QFETCH(QByteArray, expected);
    QFETCH(QString, localName);

    NimbDesktopEntry::setLocale("de_DE");
    NimbDesktopEntry entry = load(
        "[Desktop Entry]\nType=Application\nName=Base\nName[de]=Basis\nName[fr]=Base FR\nComment=Base comment\nExec=nimbtest-base\n"
        "Icon=base-icon\n\n[Desktop Action new]\nName=New\nName[de]=Neu\nExec=nimbtest-base --new\n");
    const QString patchPath = patch.isNull() ? m_dir->filePath(QStringLiteral("missing.desktop")) : writeFile(QStringLiteral("patch.desktop"), patch);
    entry.overrideFrom(NimbDesktopEntry(stdPath(patchPath)));
    entry.overrideFrom(entry);

    QCOMPARE(fromStd(entry.localName()), localName);
    const QString saved = m_dir->filePath(QStringLiteral("saved.desktop"));
    QVERIFY(entry.saveAs(stdPath(saved), SaveEmptyFields{false}));
    QCOMPARE(readFile(saved), expected);
}

void NimbDesktopEntryTest::setUnknowns_data()
{
    QTest::addColumn<QByteArrayList>("pairs");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("applied");

    const QByteArray base = "[Desktop Entry]\nType=Application\nName=NimbTest Set\nExec=nimbtest-set\nX-Categories=Old;\n";
    QTest::addRow("new key") << QByteArrayList{"X-Nimb-OriginFile", "/usr/share/applications/nimbtest.desktop"}
                             << base + "X-Nimb-OriginFile=/usr/share/applications/nimbtest.desktop\n"
                             << true;
    QTest::addRow("existing key replaced") << QByteArrayList{"X-Categories", "New;Other;"}
                                           << QByteArray(base).replace("X-Categories=Old;\n", "") + "X-Categories=New;Other;\n"
                                           << true;
    QTest::addRow("standard key replaced") << QByteArrayList{"Exec", "nimbtest-other %f"}
                                           << QByteArray(base).replace("Exec=nimbtest-set\n", "") + "Exec=nimbtest-other %f\n"
                                           << true;
    QTest::addRow("newline escaped") << QByteArrayList{"X-NimbTest-Note", "two\nlines"} << base + "X-NimbTest-Note=two\\nlines\n" << true;
    QTest::addRow("blanks at the ends escaped") << QByteArrayList{"X-NimbTest-Padded", "  a b  "} << base + "X-NimbTest-Padded=\\s a b \\s\n" << true;
    QTest::addRow("backslash escaped") << QByteArrayList{"X-NimbTest-Path", "C:\\Temp\\s"} << base + "X-NimbTest-Path=C:\\\\Temp\\\\s\n" << true;
    QTest::addRow("tab and carriage return escaped") << QByteArrayList{"X-NimbTest-Controls", "a\tb\rc"} << base + "X-NimbTest-Controls=a\\tb\\rc\n" << true;
    QTest::addRow("multi-byte value") << QByteArrayList{"X-NimbTest-Text", "Größe 地図"} << base + "X-NimbTest-Text=Größe 地図\n" << true;
    QTest::addRow("empty value left out") << QByteArrayList{"X-NimbTest-Empty", ""} << base << true;
    QTest::addRow("same key twice, last wins") << QByteArrayList{"X-NimbTest-Twice", "1", "X-NimbTest-Twice", "2"} << base + "X-NimbTest-Twice=2\n" << true;
    QTest::addRow("invalid keys ignored") << QByteArrayList{"X NimbTest", "a", "X_NimbTest", "b", "Name[de]", "c", "", "d", "X-Nimb=Test", "e", "Nämé", "f"}
                                          << base << false;
    // Either would make the saved file one that no reader loads.
    QTest::addRow("value with a NUL byte ignored") << QByteArrayList{"X-NimbTest-Nul", QByteArray("a\0b", 3), "X-Categories", QByteArray("\0", 1)} << base
                                                   << false;
    QTest::addRow("value that is not UTF-8 ignored") << QByteArrayList{"X-NimbTest-Latin1", "f\xFCr", "X-NimbTest-Surrogate", "\xED\xA0\x80"} << base << false;
}

void NimbDesktopEntryTest::setUnknowns()
{
    QFETCH(QByteArrayList, pairs);
    QFETCH(QByteArray, expected);
    QFETCH(bool, applied);

    const QByteArray base = "[Desktop Entry]\nType=Application\nName=NimbTest Set\nExec=nimbtest-set\nX-Categories=Old;\n";
    std::vector<std::pair<std::string, std::string>> stdPairs;
    QMap<QByteArray, QByteArray> lastValues;
    for (int i = 0; i + 1 < pairs.size(); i += 2) {
        stdPairs.emplace_back(pairs.at(i).toStdString(), pairs.at(i + 1).toStdString());
        lastValues.insert(pairs.at(i), pairs.at(i + 1));
    }
    NimbDesktopEntry entry = load(base);
    entry.setUnknowns(stdPairs);

    const QString saved = m_dir->filePath(QStringLiteral("saved.desktop"));
    QVERIFY(entry.saveAs(stdPath(saved), SaveEmptyFields{false}));
    QCOMPARE(readFile(saved), expected);
    // What was set reads back unchanged, from the entry and from the saved file; what was ignored
    // left the entry as it was.
    const NimbDesktopEntry reloaded(stdPath(saved));
    QVERIFY(reloaded.isLoaded());
    const NimbDesktopEntry unchanged(stdPath(writeFile(QStringLiteral("unchanged.desktop"), base)));
    for (auto it = lastValues.cbegin(); it != lastValues.cend(); ++it) {
        const std::string key = it.key().toStdString();
        const QByteArray value = applied ? it.value() : QByteArray::fromStdString(unchanged.getUnknownValue(key));
        QCOMPARE(QByteArray::fromStdString(entry.getUnknownValue(key)), value);
        QCOMPARE(QByteArray::fromStdString(reloaded.getUnknownValue(key)), applied && value.isEmpty() ? QByteArray() : value);
        QCOMPARE(entry.hasKey(key), applied || unchanged.hasKey(key));
    }
}

void NimbDesktopEntryTest::saveText_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("saveEmptyFields");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray messy =
        "# comment\nX-NimbTest-Orphan=lost\n\n[Desktop Action first]\nName=First action\nExec=nimbtest --first\n\n[Desktop Entry]\n"
        "Type=Application\n  Name = Saved  \nName[de]=Gespeichert\nName=Saved Again\nX-NimbTest-Empty=\nExec=nimbtest %u\n# inner comment\n"
        "Comment=a\\sb\\\\c\n\n[Desktop Action first]\nIcon=first-icon\nX-NimbTest-Empty=\n";
    QTest::addRow("comments and blank lines dropped, empty values left out")
        << messy << false
        << QByteArray(
               "[Desktop Entry]\nType=Application\nName[de]=Gespeichert\nName=Saved Again\nExec=nimbtest %u\nComment=a\\sb\\\\c\n\n"
               "[Desktop Action first]\nName=First action\nExec=nimbtest --first\nIcon=first-icon\n");
    QTest::addRow("empty values kept")
        << messy << true
        << QByteArray(
               "[Desktop Entry]\nType=Application\nName[de]=Gespeichert\nName=Saved Again\nX-NimbTest-Empty=\nExec=nimbtest %u\n"
               "Comment=a\\sb\\\\c\n\n[Desktop Action first]\nName=First action\nExec=nimbtest --first\nIcon=first-icon\nX-NimbTest-Empty=\n");
    QTest::addRow("CR LF line ends") << QByteArray("[Desktop Entry]\r\nName=Line Ends\r\nExec=nimbtest\r\n") << false
                                     << QByteArray("[Desktop Entry]\nName=Line Ends\nExec=nimbtest\n");
    QTest::addRow("byte-order mark") << QByteArray("\xEF\xBB\xBF[Desktop Entry]\nName=Marked\n") << false << QByteArray("[Desktop Entry]\nName=Marked\n");
}

void NimbDesktopEntryTest::saveText()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, saveEmptyFields);
    QFETCH(QByteArray, expected);

    const NimbDesktopEntry entry = load(contents);
    const QString saved = m_dir->filePath(QStringLiteral("saved.desktop"));
    QVERIFY(entry.saveAs(stdPath(saved), SaveEmptyFields{saveEmptyFields}));
    QCOMPARE(readFile(saved), expected);
    // No temporary file is left beside it.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
             (QStringList{"entry.desktop", "saved.desktop"}));
}

void NimbDesktopEntryTest::saveRoundTrip_data()
{
    QTest::addColumn<QString>("path");

    const QString samples = QFINDTESTDATA("data");
    QVERIFY(!samples.isEmpty());
    QDirIterator it(samples, {QStringLiteral("*.desktop"), QStringLiteral("*.directory")}, QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        QTest::addRow("%s", qPrintable(it.fileName())) << path;
    }
}

void NimbDesktopEntryTest::saveRoundTrip()
{
    QFETCH(QString, path);

    const QByteArray original = readFile(path);
    const NimbDesktopEntry entry(stdPath(path));
    QVERIFY(entry.isLoaded());
    const QString first = m_dir->filePath(QStringLiteral("first.desktop"));
    const QString second = m_dir->filePath(QStringLiteral("second.desktop"));
    QVERIFY(entry.saveAs(stdPath(first), SaveEmptyFields{true}));
    const NimbDesktopEntry reloaded(stdPath(first));
    QVERIFY(reloaded.isLoaded());

    // Every key and translation reads back the same.
    const QByteArrayList keys = mainGroupKeys(original);
    QVERIFY(!keys.isEmpty());
    for (const QByteArray &key : keys) {
        QVERIFY2(reloaded.hasKey(key.toStdString()), key.constData());
        QCOMPARE(fromStd(reloaded.getUnknownValue(key.toStdString())), fromStd(entry.getUnknownValue(key.toStdString())));
    }
    for (const char *locale : {"C", "de_DE", "sr@latin", "pt_BR"}) {
        NimbDesktopEntry::setLocale(locale);
        const NimbDesktopEntry before(stdPath(path));
        const NimbDesktopEntry after(stdPath(first));
        QCOMPARE(fromStd(after.localName()), fromStd(before.localName()));
        QCOMPARE(fromStd(after.localGenericName()), fromStd(before.localGenericName()));
        QCOMPARE(fromStd(after.localComment()), fromStd(before.localComment()));
        QCOMPARE(fromStd(after.localKeywords()), fromStd(before.localKeywords()));
    }
    // Every group is kept, and saving what was saved changes nothing.
    const QByteArray saved = readFile(first);
    for (const QByteArray &header : groupHeaders(original)) {
        QVERIFY2(saved.startsWith(header + '\n') || saved.contains('\n' + header + '\n'), header.constData());
    }
    QVERIFY(reloaded.saveAs(stdPath(second), SaveEmptyFields{true}));
    QCOMPARE(readFile(second), saved);
}

void NimbDesktopEntryTest::saveFailures_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("loaded");

    QTest::addRow("missing folder") << "missing/saved.desktop" << true;
    QTest::addRow("path names a folder") << "folder" << true;
    QTest::addRow("path ends with a slash") << "folder/" << true;
    QTest::addRow("entry not loaded") << "saved.desktop" << false;
    QTest::addRow("entry too large to be read back") << "saved.desktop" << true;
}

void NimbDesktopEntryTest::saveFailures()
{
    QFETCH(QString, target);
    QFETCH(bool, loaded);

    NimbDesktopEntry entry = load(loaded ? validEntry : QByteArray("[Other]\nName=x\n"));
    QCOMPARE(entry.isLoaded(), loaded);
    const bool tooLarge = QTest::currentDataTag() == QByteArray("entry too large to be read back");
    entry.setUnknowns({{"X-NimbTest", tooLarge ? std::string(NimbDesktopEntry::MaxFileSize, 'v') : std::string("value")}});
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
    const auto listing = [this] {
        QStringList all;
        QDirIterator it(m_dir->path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            all.append(it.next());
        }
        all.sort();
        return all;
    };
    const QStringList before = listing();

    QVERIFY(!entry.saveAs(stdPath(m_dir->filePath(target)), SaveEmptyFields{false}));
    QCOMPARE(listing(), before);
}

void NimbDesktopEntryTest::saveKeepsPermissions_data()
{
    QTest::addColumn<int>("mode");

    QTest::addRow("private file") << 0600;
    QTest::addRow("group-readable file") << 0640;
    QTest::addRow("executable file") << 0755;
    QTest::addRow("read-only file") << 0444;
}

void NimbDesktopEntryTest::saveKeepsPermissions()
{
    QFETCH(int, mode);

    const NimbDesktopEntry entry = load(validEntry);
    const QString target = writeFile(QStringLiteral("existing.desktop"), "[Desktop Entry]\nName=Old\n");
    QVERIFY(::chmod(QFile::encodeName(target).constData(), mode_t(mode)) == 0);
    QVERIFY(entry.saveAs(stdPath(target), SaveEmptyFields{false}));
    QCOMPARE(modeOf(target), mode_t(mode));
    QCOMPARE(readFile(target), validEntry);

    // A new file gets what the umask leaves of rw-rw-rw-.
    const mode_t previous = ::umask(027);
    const QString fresh = m_dir->filePath(QStringLiteral("fresh.desktop"));
    const bool saved = entry.saveAs(stdPath(fresh), SaveEmptyFields{false});
    ::umask(previous);
    QVERIFY(saved);
    QCOMPARE(modeOf(fresh), mode_t(0640));
}

void NimbDesktopEntryTest::saveOverFileReadEarlier()
{
    const QString path = writeFile(QStringLiteral("menu-item.desktop"), validEntry + "Name[de]=Eintrag\nComment=Before\n");
    NimbDesktopEntry entry(stdPath(path));
    QVERIFY(entry.isLoaded());
    entry.setUnknowns({{"Comment", "After"}, {"X-Nimb-OriginFile", "/usr/share/applications/nimbtest.desktop"}});
    QVERIFY(entry.saveAs(stdPath(path), SaveEmptyFields{false}));
    // The entry does not depend on the file it was read from.
    QCOMPARE(fromStd(entry.name()), QStringLiteral("NimbTest Entry"));
    QCOMPARE(fromStd(entry.getUnknownValue("Name[de]")), QStringLiteral("Eintrag"));
    QVERIFY(entry.saveAs(stdPath(path), SaveEmptyFields{false}));

    const NimbDesktopEntry reloaded(stdPath(path));
    QCOMPARE(fromStd(reloaded.name()), QStringLiteral("NimbTest Entry"));
    QCOMPARE(fromStd(reloaded.getUnknownValue("Name[de]")), QStringLiteral("Eintrag"));
    QCOMPARE(fromStd(reloaded.comment()), QStringLiteral("After"));
    QCOMPARE(fromStd(reloaded.getUnknownValue("X-Nimb-OriginFile")), QStringLiteral("/usr/share/applications/nimbtest.desktop"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"menu-item.desktop"});
}

// A group named again after dozens of others is still the same group.
void NimbDesktopEntryTest::manyGroups()
{
    QByteArray text = validEntry;
    QByteArray expected = validEntry;
    for (int i = 0; i < 40; ++i) {
        text += "[Group " + QByteArray::number(i) + "]\nA=" + QByteArray::number(i) + "\n";
        expected += "\n[Group " + QByteArray::number(i) + "]\nA=" + QByteArray::number(i) + (i == 5 ? "\nB=5\n" : "\n");
    }
    text += "[Group 5]\nB=5\n[Desktop Entry]\nComment=Late\n";
    expected.replace("Exec=nimbtest-entry\n", "Exec=nimbtest-entry\nComment=Late\n");

    const NimbDesktopEntry entry = load(text);
    QVERIFY(entry.isLoaded());
    QCOMPARE(fromStd(entry.comment()), QStringLiteral("Late"));
    const QString saved = m_dir->filePath(QStringLiteral("saved.desktop"));
    QVERIFY(entry.saveAs(stdPath(saved), SaveEmptyFields{false}));
    QCOMPARE(readFile(saved), expected);
}

// A file that the reader takes is written so that the reader takes it again, though the blank lines
// between groups would make it too large.
void NimbDesktopEntryTest::saveNearTheSizeLimit()
{
    QByteArray text = validEntry;
    int groups = 0;
    while (text.size() + 200 < int(NimbDesktopEntry::MaxFileSize)) {
        text += "[G" + QByteArray::number(groups++, 36) + "]\n";
    }
    NimbDesktopEntry entry = load(text);
    QVERIFY(entry.isLoaded());
    entry.setUnknowns({{"X-Nimb-OriginFile", "/usr/share/applications/nimbtest-entry.desktop"}});

    const QString saved = m_dir->filePath(QStringLiteral("saved.desktop"));
    QVERIFY(entry.saveAs(stdPath(saved), SaveEmptyFields{false}));
    const QByteArray written = readFile(saved);
    QVERIFY(written.size() <= int(NimbDesktopEntry::MaxFileSize));
    QVERIFY(written.startsWith("[Desktop Entry]\n"));
    QCOMPARE(written.count("\n["), groups);
    QVERIFY(!written.contains("\n\n"));
    const NimbDesktopEntry reread(stdPath(saved));
    QVERIFY(reread.isLoaded());
    QCOMPARE(fromStd(reread.getUnknownValue("X-Nimb-OriginFile")), QStringLiteral("/usr/share/applications/nimbtest-entry.desktop"));
    QCOMPARE(fromStd(reread.name()), QStringLiteral("NimbTest Entry"));
}

void NimbDesktopEntryTest::copyOutlivesOriginal()
{
    NimbDesktopEntry::setLocale("de");
    NimbDesktopEntry copy;
    QVERIFY(!copy.isLoaded());
    QVERIFY(!copy.saveAs(stdPath(m_dir->filePath(QStringLiteral("empty.desktop"))), SaveEmptyFields{false}));
    {
        NimbDesktopEntry original(stdPath(writeFile(QStringLiteral("original.desktop"), validEntry + "Name[de]=Original\nComment=Kept\n")));
        const NimbDesktopEntry constructed(original);
        copy = constructed;
        // Changing the copy leaves the original as it was.
        copy.setUnknowns({{"X-NimbTest-Copy", "copy only"}});
        QVERIFY(!original.hasKey("X-NimbTest-Copy"));
        original.setUnknowns({{"Comment", "Changed in the original"}});
        QFile::remove(m_dir->filePath(QStringLiteral("original.desktop")));
    }
    {
        const NimbDesktopEntry patch(stdPath(writeFile(QStringLiteral("patch.desktop"), "[Desktop Entry]\nName[de]=Überschrieben\nIcon=patched\n")));
        copy.overrideFrom(patch);
        QFile::remove(m_dir->filePath(QStringLiteral("patch.desktop")));
    }
    QCOMPARE(fromStd(copy.localName()), QStringLiteral("Überschrieben"));
    QCOMPARE(fromStd(copy.comment()), QStringLiteral("Kept"));
    const QString saved = m_dir->filePath(QStringLiteral("saved.desktop"));
    QVERIFY(copy.saveAs(stdPath(saved), SaveEmptyFields{false}));
    QCOMPARE(readFile(saved),
             QByteArray("[Desktop Entry]\nType=Application\nName=NimbTest Entry\nExec=nimbtest-entry\nComment=Kept\nX-NimbTest-Copy=copy only\n"
                        "Name[de]=Überschrieben\nIcon=patched\n"));
}

void NimbDesktopEntryTest::moveLeavesEmptyEntry()
{
    NimbDesktopEntry source = load(validEntry + "Name[de]=Verschoben\n");
    NimbDesktopEntry moved(std::move(source));
    QCOMPARE(fromStd(moved.name()), QStringLiteral("NimbTest Entry"));
    QVERIFY(moved.isValid());
    NimbDesktopEntry assigned;
    assigned = std::move(moved);
    QCOMPARE(fromStd(assigned.getUnknownValue("Name[de]")), QStringLiteral("Verschoben"));

    // What is left behind answers as an empty entry, whatever is asked of it.
    const QString saved = m_dir->filePath(QStringLiteral("saved.desktop"));
    for (NimbDesktopEntry *entry : {&source, &moved}) {
        QVERIFY(!entry->isLoaded());
        QCOMPARE(fromStd(entry->name()), QString());
        QCOMPARE(fromStd(entry->localName()), QString());
        QCOMPARE(fromStd(entry->exec()), QString());
        QVERIFY(!entry->hasKey("Name"));
        entry->setUnknowns({{"X-NimbTest", "value"}});
        QVERIFY(!entry->saveAs(stdPath(saved), SaveEmptyFields{false}));
        QVERIFY(!QFile::exists(saved));
    }

    // A moved-from entry takes new contents like any other.
    source = assigned;
    QVERIFY(source.saveAs(stdPath(saved), SaveEmptyFields{false}));
    QCOMPARE(readFile(saved), validEntry + "Name[de]=Verschoben\n");
}

void NimbDesktopEntryTest::saveFileNames_data()
{
    QTest::addColumn<QString>("fileName");

    QTest::addRow("plain name") << "nimbtest.desktop";
    QTest::addRow("blanks and multi-byte letters") << "Größe und Gewicht 地図.desktop";
    QTest::addRow("name of 255 bytes") << QString(255 - 8, QLatin1Char('n')) + QStringLiteral(".desktop");
    QTest::addRow("name of 255 bytes, multi-byte") << QString(123, QChar(0x00E9)) + QStringLiteral("x.desktop");
}

void NimbDesktopEntryTest::saveFileNames()
{
    QFETCH(QString, fileName);
    QVERIFY(QFile::encodeName(fileName).size() <= 255);

    const NimbDesktopEntry entry = load(validEntry);
    QFile::remove(m_dir->filePath(QStringLiteral("entry.desktop")));
    const QString target = m_dir->filePath(fileName);
    QVERIFY(entry.saveAs(stdPath(target), SaveEmptyFields{false}));
    QCOMPARE(readFile(target), validEntry);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{fileName});
    // Saving over it goes the same way.
    QVERIFY(entry.saveAs(stdPath(target), SaveEmptyFields{true}));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{fileName});
}

void NimbDesktopEntryTest::badInput_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("loaded");

    QTest::addRow("FIFO without writer") << "fifo" << QByteArray() << false;
    QTest::addRow("symbolic link to a FIFO") << "link to fifo" << QByteArray() << false;
    QTest::addRow("folder") << "folder" << QByteArray() << false;
    QTest::addRow("symbolic link to /dev/zero") << "link to /dev/zero" << QByteArray() << false;
    QTest::addRow("symbolic link to /dev/null") << "link to /dev/null" << QByteArray() << false;
    QTest::addRow("symbolic link loop") << "loop" << QByteArray() << false;
    QTest::addRow("dangling symbolic link") << "link to missing" << QByteArray() << false;
    QTest::addRow("missing file") << "missing" << QByteArray() << false;
    QTest::addRow("empty file") << "file" << QByteArray("") << false;

    const auto padded = [](std::size_t size) {
        QByteArray text = validEntry + "# ";
        text += QByteArray(int(size - std::size_t(text.size()) - 1), 'p') + '\n';
        return text;
    };
    QTest::addRow("file of MaxFileSize + 1 bytes") << "file" << padded(NimbDesktopEntry::MaxFileSize + 1) << false;
    QTest::addRow("file of MaxFileSize bytes") << "file" << padded(NimbDesktopEntry::MaxFileSize) << true;

    QByteArray garbage;
    quint32 seed = 12345;
    for (int i = 0; i < 4096; ++i) {
        seed = seed * 1103515245 + 12345;
        garbage.append(char(seed >> 24));
    }
    QTest::addRow("binary garbage") << "file" << garbage << false;
    QTest::addRow("binary garbage after the group") << "file" << validEntry + garbage << false;
    QTest::addRow("NUL byte in a value") << "file" << validEntry + QByteArray("Comment=a\0b\n", 12) << false;
    QTest::addRow("NUL byte at the end") << "file" << validEntry + QByteArray(1, '\0') << false;
    QTest::addRow("byte 0xFF") << "file" << validEntry + "Comment=\xFF\n" << false;
    QTest::addRow("Latin-1 text") << "file" << validEntry + "Comment[de]=f\xFCr alle\n" << false;
    QTest::addRow("lone continuation byte") << "file" << validEntry + "Comment=\x80\n" << false;
    QTest::addRow("overlong two-byte form") << "file" << validEntry + "Comment=\xC0\xAF\n" << false;
    QTest::addRow("overlong three-byte form") << "file" << validEntry + "Comment=\xE0\x80\xAF\n" << false;
    QTest::addRow("overlong four-byte form") << "file" << validEntry + "Comment=\xF0\x80\x80\xAF\n" << false;
    QTest::addRow("UTF-16 surrogate") << "file" << validEntry + "Comment=\xED\xA0\x80\n" << false;
    QTest::addRow("code point above U+10FFFF") << "file" << validEntry + "Comment=\xF4\x90\x80\x80\n" << false;
    QTest::addRow("five-byte form") << "file" << validEntry + "Comment=\xF8\x88\x80\x80\x80\n" << false;
    QTest::addRow("sequence cut by the end of the file") << "file" << validEntry + "Comment=\xE2\x82" << false;
    QTest::addRow("sequence cut by ASCII") << "file" << validEntry + "Comment=\xE2\x82x\n" << false;
    QTest::addRow("invalid byte after a long ASCII run") << "file" << validEntry + "Comment=" + QByteArray(100, 'a') + "\xC3(\n" << false;
    QTest::addRow("valid multi-byte text") << "file" << validEntry + "Comment=Größe € 地図 😀 \xF4\x8F\xBF\xBF\n" << true;
    QTest::addRow("multi-byte text across long lines") << "file" << validEntry + "Comment=" + QByteArray(31, 'a') + "地図" + QByteArray(29, 'b') + "😀\n"
                                                       << true;
    QTest::addRow("no desktop entry group") << "file" << QByteArray("[Desktop Action x]\nName=NimbTest Entry\n") << false;
    QTest::addRow("keys without any group") << "file" << QByteArray("Type=Application\nName=NimbTest Entry\nExec=nimbtest-entry\n") << false;
    QTest::addRow("group header without closing bracket") << "file" << QByteArray(validEntry).replace("Entry]", "Entry") << false;
    QTest::addRow("byte-order mark") << "file"
                                     << "\xEF\xBB\xBF" + validEntry << true;
    QTest::addRow("CR LF line ends") << "file" << QByteArray(validEntry).replace("\n", "\r\n") << true;
    QTest::addRow("line of 50 KB") << "file" << validEntry + "Comment=" + QByteArray(50 * 1024, 'w') + "\n" << true;
}

void NimbDesktopEntryTest::badInput()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, contents);
    QFETCH(bool, loaded);

    const QString path = m_dir->filePath(QStringLiteral("input.desktop"));
    const QByteArray encoded = QFile::encodeName(path);
    const QByteArray fifo = QFile::encodeName(m_dir->filePath(QStringLiteral("fifo")));
    if (kind == QLatin1String("file")) {
        writeFile(QStringLiteral("input.desktop"), contents);
    } else if (kind == QLatin1String("fifo")) {
        QVERIFY(::mkfifo(encoded.constData(), 0600) == 0);
    } else if (kind == QLatin1String("link to fifo")) {
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        QVERIFY(::symlink(fifo.constData(), encoded.constData()) == 0);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else if (kind.startsWith(QLatin1String("link to "))) {
        QVERIFY(::symlink(QFile::encodeName(kind.mid(8)).constData(), encoded.constData()) == 0);
    } else if (kind == QLatin1String("loop")) {
        const QByteArray other = QFile::encodeName(m_dir->filePath(QStringLiteral("other.desktop")));
        QVERIFY(::symlink(other.constData(), encoded.constData()) == 0);
        QVERIFY(::symlink(encoded.constData(), other.constData()) == 0);
    }

    // Reading a FIFO must not wait for a writer. The read runs aside so that a fault fails this case
    // instead of hanging the whole test; the wait is a watchdog, far longer than any read.
    auto reading = std::async(std::launch::async, [&path] {
        return NimbDesktopEntry(stdPath(path));
    });
    if (reading.wait_for(std::chrono::minutes(1)) != std::future_status::ready) {
        for (const QByteArray &name : {encoded, fifo}) {
            const int writer = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) {
                ::close(writer);
            }
        }
        reading.wait();
        QFAIL("reading the path blocked");
    }
    const NimbDesktopEntry entry = reading.get();

    QCOMPARE(entry.isLoaded(), loaded);
    QCOMPARE(entry.path(), stdPath(path));
    QCOMPARE(fromStd(entry.name()), loaded ? QStringLiteral("NimbTest Entry") : QString());
    QCOMPARE(entry.isValid(), loaded);
    if (loaded) {
        const int comment = contents.indexOf("Comment=");
        const QByteArray expected = comment < 0 ? QByteArray() : contents.mid(comment + 8, contents.indexOf('\n', comment) - comment - 8);
        QCOMPARE(fromStd(entry.comment()), QString::fromUtf8(expected));
        QCOMPARE(fromStd(entry.exec()), QStringLiteral("nimbtest-entry"));
    } else {
        QCOMPARE(fromStd(entry.exec()), QString());
        QVERIFY(!entry.hasKey("Name"));
        QVERIFY(!entry.saveAs(stdPath(m_dir->filePath(QStringLiteral("saved.desktop"))), SaveEmptyFields{false}));
    }
}

QTEST_GUILESS_MAIN(NimbDesktopEntryTest)

#include "nimbdesktopentrytest.moc"

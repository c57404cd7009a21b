/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "servicefinder.h"
#include "fileinfo.h"
#include "indexingrunner.h"

#include <KRunner/RunnerContext>

#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

namespace
{
struct Fixture {
    QString displayName;
    QString executableName;
    QString genericName = QString();
    QString comment = QString();
    QStringList keywords = {};
    QStringList categories = {};
    QString category = QStringLiteral("Applications");
    QString path = QString();
};

// What a match shows of itself, for comparing lists of matches at once.
QString describe(const Plasma::QueryMatch &match)
{
    return QStringLiteral("%1 %2 %3").arg(match.text()).arg(int(match.type())).arg(match.relevance(), 0, 'f', 5);
}

QStringList describe(const QList<Plasma::QueryMatch> &matches)
{
    QStringList lines;
    for (const Plasma::QueryMatch &match : matches) {
        lines.append(describe(match));
    }
    return lines;
}
}

Q_DECLARE_METATYPE(Fixture)

class ServiceFinderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void ranking_data();
    void ranking();
    void increaseMatchRelavance_data();
    void increaseMatchRelavance();
    void matchFields();
    void itemMatchedOnce();
    void sameCommandDifferentPaths();
    void seenByPathAndCommand_data();
    void seenByPathAndCommand();
    void invalidContext();
    void emptyQueryAndNoHits();

private:
    void add(const Fixture &fixture);
    QList<Plasma::QueryMatch> query(const QString &text);

    std::unique_ptr<IndexingRunner> m_runner;
    int m_serial = 0;
};

void ServiceFinderTest::init()
{
    const QJsonObject metaData{{QStringLiteral("KPlugin"), QJsonObject{{QStringLiteral("Id"), QStringLiteral("servicefindertest")}}}};
    m_runner = std::make_unique<IndexingRunner>(nullptr, KPluginMetaData(metaData, QString()), QVariantList());
    m_serial = 0;
}

void ServiceFinderTest::cleanup()
{
    m_runner.reset();
}

void ServiceFinderTest::add(const Fixture &fixture)
{
    const QString path = fixture.path.isEmpty() ? QStringLiteral("/apps/item%1.desktop").arg(++m_serial) : fixture.path;
    const auto item = std::make_shared<FileInfo>(fixture.displayName,
                                                 path,
                                                 path.section(QLatin1Char('/'), -1),
                                                 fixture.displayName,
                                                 fixture.displayName,
                                                 fixture.genericName,
                                                 QString(),
                                                 fixture.comment,
                                                 QString(),
                                                 fixture.executableName,
                                                 QStringLiteral("icon-%1").arg(m_serial),
                                                 fixture.keywords,
                                                 fixture.categories,
                                                 fixture.category);
    // The words an index build would file, as the index splits texts.
    const QRegularExpression separator(QStringLiteral("([[:space:]]|[[:punct:]])"));
    QStringList words;
    for (const QString &text : {fixture.displayName, fixture.executableName, fixture.genericName, fixture.comment}) {
        words += text.split(separator, Qt::SkipEmptyParts);
    }
    words += fixture.keywords;
    words += fixture.categories; // lets the category matcher see hits of category words
    m_runner->indexer().indexFileInfo(item, words);
}

QList<Plasma::QueryMatch> ServiceFinderTest::query(const QString &text)
{
    Plasma::RunnerContext context;
    context.setQuery(text);
    ServiceFinder finder(m_runner.get());
    finder.match(context);
    QList<Plasma::QueryMatch> matches = context.matches();
    std::sort(matches.begin(), matches.end(), [](const Plasma::QueryMatch &a, const Plasma::QueryMatch &b) {
        return a.relevance() > b.relevance();
    });
    return matches;
}

void ServiceFinderTest::ranking_data()
{
    QTest::addColumn<QVector<Fixture>>("items");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected"); // "text type relevance", best first

    const int exact = Plasma::QueryMatch::ExactMatch;
    const int possible = Plasma::QueryMatch::PossibleMatch;
    const auto line = [](const QString &text, int type, double relevance) {
        return QStringLiteral("%1 %2 %3").arg(text).arg(type).arg(relevance, 0, 'f', 5);
    };

    QTest::addRow("two words: exact, prefix and contained display names") << QVector<Fixture>{{QStringLiteral("Text Editor Pro"), QStringLiteral("tep")},
                                                                                              {QStringLiteral("Simple Text Editor"), QStringLiteral("ste")},
                                                                                              {QStringLiteral("Text Editor"), QStringLiteral("te")}}
                                                                          << QStringLiteral("text editor")
                                                                          << QStringList{line(QStringLiteral("Text Editor"), exact, 0.99995),
                                                                                         line(QStringLiteral("Text Editor Pro"), possible, 0.91 - 0.00005),
                                                                                         line(QStringLiteral("Simple Text Editor"), possible, 0.81 - 0.00005)};
    QTest::addRow("exact name in another case, twice")
        << QVector<Fixture>{{QStringLiteral("Notes"), QStringLiteral("notes-a")}, {QStringLiteral("NOTES"), QStringLiteral("notes-b")}}
        << QStringLiteral("  notes ") << QStringList{line(QStringLiteral("NOTES"), exact, 0.99995), line(QStringLiteral("Notes"), exact, 0.9999)};
    QTest::addRow("one letter: prefixes only, no exact match")
        << QVector<Fixture>{{QStringLiteral("T"), QStringLiteral("x")},
                            {QStringLiteral("Terminal"), QStringLiteral("konsole")},
                            {QStringLiteral("Vault"), QStringLiteral("tresor")},
                            {QStringLiteral("Chat"), QStringLiteral("chat"), QString(), QString(), {}, {QStringLiteral("Network")}}}
        << QStringLiteral("t")
        << QStringList{line(QStringLiteral("T"), possible, 0.89995),
                       line(QStringLiteral("Terminal"), possible, 0.8999),
                       line(QStringLiteral("Vault"), possible, 0.89985)};
    // One letter is looked for by Unicode case folding, one UTF-16 unit at a time, as Qt does. The
    // keywords make the items hits; whether the name holds the letter decides the rest.
    QTest::addRow("one letter: the long s folds to s")
        << QVector<Fixture>{{QStringLiteral("\u017Ftar"), QStringLiteral("x"), QString(), QString(), {QStringLiteral("sky")}},
                            {QStringLiteral("Sun"), QStringLiteral("x"), QString(), QString(), {QStringLiteral("sky")}}}
        << QStringLiteral("s") << QStringList{line(QStringLiteral("Sun"), possible, 0.89995), line(QStringLiteral("\u017Ftar"), possible, 0.8999)};
    QTest::addRow("one letter: the Kelvin sign folds to k")
        << QVector<Fixture>{{QStringLiteral("\u212Aelvin"), QStringLiteral("x"), QString(), QString(), {QStringLiteral("kelvin")}}} << QStringLiteral("k")
        << QStringList{line(QStringLiteral("\u212Aelvin"), possible, 0.89995)};
    // Not a name candidate, the item is left to the categories.
    QTest::addRow("one letter: the dotted capital I does not fold to i")
        << QVector<Fixture>{{QStringLiteral("\u0130stanbul"), QStringLiteral("x"), QString(), QString(), {QStringLiteral("ist")}, {QStringLiteral("Utility")}}}
        << QStringLiteral("i") << QStringList{line(QStringLiteral("\u0130stanbul"), possible, 0.59995)};
    QTest::addRow("one letter: in a name, in a command, in the categories only")
        << QVector<Fixture>{{QStringLiteral("Yarn"), QStringLiteral("knit")},
                            {QStringLiteral("Loom"), QStringLiteral("weave-y")},
                            {QStringLiteral("Abacus"), QStringLiteral("abacus"), QString(), QString(), {}, {QStringLiteral("Utility")}}}
        << QStringLiteral("y") << QStringList{line(QStringLiteral("Yarn"), possible, 0.89995), line(QStringLiteral("Abacus"), possible, 0.59995)};
    QTest::addRow("rules in order: generic name before command")
        << QVector<Fixture>{{QStringLiteral("Alpha"), QStringLiteral("gallery-tool"), QStringLiteral("Gallery Viewer")},
                            {QStringLiteral("Beta"), QStringLiteral("gallery"), QString(), QStringLiteral("no match here")},
                            {QStringLiteral("Gamma"), QStringLiteral("gam"), QString(), QStringLiteral("A gallery of images")}}
        << QStringLiteral("gallery")
        << QStringList{line(QStringLiteral("Beta"), possible, 0.75 - 0.00005),
                       line(QStringLiteral("Alpha"), possible, 0.7 - 0.00005),
                       line(QStringLiteral("Gamma"), possible, 0.5 - 0.00005)};
    QTest::addRow("keywords only") << QVector<Fixture>{{QStringLiteral("Shellbox"),
                                                        QStringLiteral("shellbox"),
                                                        QString(),
                                                        QString(),
                                                        {QStringLiteral("terminal"), QStringLiteral("prompt")}}}
                                   << QStringLiteral("prompt") << QStringList{line(QStringLiteral("Shellbox"), possible, 0.59995)};
    QTest::addRow("categories only") << QVector<Fixture>{{QStringLiteral("Abacus"),
                                                          QStringLiteral("abacus"),
                                                          QString(),
                                                          QString(),
                                                          {},
                                                          {QStringLiteral("Utility"), QStringLiteral("Calculator")}}}
                                     << QStringLiteral("calculator") << QStringList{line(QStringLiteral("Abacus"), possible, 0.59995)};
    QTest::addRow("ties ordered by text") << QVector<Fixture>{{QStringLiteral("beta viewer"), QStringLiteral("b")},
                                                              {QStringLiteral("Alpha viewer"), QStringLiteral("a")}}
                                          << QStringLiteral("viewer")
                                          << QStringList{line(QStringLiteral("Alpha viewer"), possible, 0.79995),
                                                         line(QStringLiteral("beta viewer"), possible, 0.7999)};
    // Equal beginnings, a beginning that is a whole name, and UTF-16 units, not code points: U+1F600
    // (units D83D DE00) comes before U+FF21.
    QTest::addRow("ties ordered by UTF-16 units, past the first four") << QVector<Fixture>{{QStringLiteral("\uFF21 zeta"), QStringLiteral("e")},
                                                                                           {QStringLiteral("\U0001F600 zeta"), QStringLiteral("d")},
                                                                                           {QStringLiteral("Abcd zeta 2"), QStringLiteral("c")},
                                                                                           {QStringLiteral("Abcd zeta 1"), QStringLiteral("b")},
                                                                                           {QStringLiteral("Abc zeta"), QStringLiteral("a")}}
                                                                       << QStringLiteral("zeta")
                                                                       << QStringList{line(QStringLiteral("Abc zeta"), possible, 0.79995),
                                                                                      line(QStringLiteral("Abcd zeta 1"), possible, 0.7999),
                                                                                      line(QStringLiteral("Abcd zeta 2"), possible, 0.79985),
                                                                                      line(QStringLiteral("\U0001F600 zeta"), possible, 0.7998),
                                                                                      line(QStringLiteral("\uFF21 zeta"), possible, 0.79975)};
    QTest::addRow("spreading starts again below each lower relevance") << QVector<Fixture>{{QStringLiteral("Photo viewer"), QStringLiteral("p")},
                                                                                           {QStringLiteral("Viewer"), QStringLiteral("v")},
                                                                                           {QStringLiteral("Image viewer"), QStringLiteral("i")},
                                                                                           {QStringLiteral("Viewer Pro"), QStringLiteral("vp")}}
                                                                       << QStringLiteral("viewer")
                                                                       << QStringList{line(QStringLiteral("Viewer"), exact, 0.99995),
                                                                                      line(QStringLiteral("Viewer Pro"), possible, 0.89995),
                                                                                      line(QStringLiteral("Image viewer"), possible, 0.79995),
                                                                                      line(QStringLiteral("Photo viewer"), possible, 0.7999)};
    QTest::addRow("keywords link the query, the comment ranks it")
        << QVector<Fixture>{{QStringLiteral("Gimpy"),
                             QStringLiteral("gimpy"),
                             QString(),
                             QStringLiteral("image editor"),
                             {QStringLiteral("resize"), QStringLiteral("image")}}}
        << QStringLiteral("image resize") << QStringList{line(QStringLiteral("Gimpy"), possible, 0.55 - 0.00005)};
    QTest::addRow("seen by the names, skipped by the categories")
        << QVector<Fixture>{{QStringLiteral("Network Manager"), QStringLiteral("nm"), QString(), QString(), {}, {QStringLiteral("Network")}}}
        << QStringLiteral("network") << QStringList{line(QStringLiteral("Network Manager"), possible, 0.89995)};
    // Records whose path another record also names: the texts seen decide, not the records.
    const QString mailPath = QStringLiteral("/apps/mail.desktop");
    const QString otherPath = QStringLiteral("/apps/mail-other.desktop");
    QTest::addRow("two records of one path and command, listed once")
        << QVector<Fixture>{{QStringLiteral("Mail"), QStringLiteral("mailer"), QString(), QString(), {}, {}, QStringLiteral("Applications"), mailPath},
                            {QStringLiteral("Mail"), QStringLiteral("mailer"), QString(), QString(), {}, {}, QStringLiteral("Applications"), mailPath},
                            {QStringLiteral("Mail Pro"), QStringLiteral("mailer")}}
        << QStringLiteral("mail") << QStringList{line(QStringLiteral("Mail"), exact, 0.99995), line(QStringLiteral("Mail Pro"), possible, 0.89995)};
    QTest::addRow("commands that are each other's paths, listed once")
        << QVector<Fixture>{{QStringLiteral("Mail"), otherPath, QString(), QString(), {}, {}, QStringLiteral("Applications"), mailPath},
                            {QStringLiteral("Mail"), mailPath, QString(), QString(), {}, {}, QStringLiteral("Applications"), otherPath}}
        << QStringLiteral("mail") << QStringList{line(QStringLiteral("Mail"), exact, 0.99995)};
    QTest::addRow("two spaces make an empty word") << QVector<Fixture>{{QStringLiteral("Sound Mixer"), QStringLiteral("mixer")}}
                                                   << QStringLiteral("sound  mixer")
                                                   << QStringList{line(QStringLiteral("Sound Mixer"), possible, 0.8 + 0.02 + 0.1 - 0.00005)};
}

void ServiceFinderTest::ranking()
{
    QFETCH(QVector<Fixture>, items);
    QFETCH(QString, query);
    QFETCH(QStringList, expected);

    for (const Fixture &item : items) {
        add(item);
    }
    QCOMPARE(describe(this->query(query)), expected);
}

void ServiceFinderTest::increaseMatchRelavance_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("bonus");

    QTest::addRow("one word") << QStringList{QStringLiteral("media")} << QStringLiteral("Name") << 0.0;
    QTest::addRow("further words in the name") << QStringList{QStringLiteral("x"), QStringLiteral("MEDIA"), QStringLiteral("player")} << QStringLiteral("Name")
                                               << 0.02;
    QTest::addRow("first word does not count") << QStringList{QStringLiteral("media"), QStringLiteral("zzz")} << QStringLiteral("Name") << 0.0;
    QTest::addRow("generic name") << QStringList{QStringLiteral("x"), QStringLiteral("music")} << QStringLiteral("GenericName") << 0.01;
    QTest::addRow("command") << QStringList{QStringLiteral("x"), QStringLiteral("--play")} << QStringLiteral("Exec") << 0.01;
    QTest::addRow("comment") << QStringList{QStringLiteral("x"), QStringLiteral("songs"), QStringLiteral("films")} << QStringLiteral("Comment") << 0.02;
    QTest::addRow("unknown field") << QStringList{QStringLiteral("x"), QStringLiteral("media")} << QStringLiteral("Keywords") << 0.0;
    QTest::addRow("field names are case-sensitive") << QStringList{QStringLiteral("x"), QStringLiteral("media")} << QStringLiteral("name") << 0.0;
}

void ServiceFinderTest::increaseMatchRelavance()
{
    QFETCH(QStringList, words);
    QFETCH(QString, field);
    QFETCH(double, bonus);

    const auto item = std::make_shared<FileInfo>(QStringLiteral("Media Player"),
                                                 QStringLiteral("/apps/player.desktop"),
                                                 QStringLiteral("player.desktop"),
                                                 QStringLiteral("Media Player"),
                                                 QStringLiteral("Media Player"),
                                                 QStringLiteral("Music Player"),
                                                 QString(),
                                                 QStringLiteral("Play songs"),
                                                 QStringLiteral("Play films"),
                                                 QStringLiteral("player --play"),
                                                 QStringLiteral("player"),
                                                 QStringList(),
                                                 QStringList(),
                                                 QStringLiteral("Applications"));
    ServiceFinder finder(m_runner.get());
    QCOMPARE(finder.increaseMatchRelavance(item, words, field), bonus);
}

void ServiceFinderTest::matchFields()
{
    add({QStringLiteral("Display Settings"),
         QStringLiteral("kcm_display"),
         QString(),
         QString(),
         {},
         {},
         QStringLiteral("KCM"),
         QStringLiteral("/kcms/kcm_display.json")});
    add({QStringLiteral("Display Viewer"),
         QStringLiteral("viewer %u"),
         QString(),
         QString(),
         {},
         {},
         QStringLiteral("Applications"),
         QStringLiteral("/apps/display viewer.desktop")});
    const QList<Plasma::QueryMatch> matches = query(QStringLiteral("display"));
    QCOMPARE(matches.size(), 2);

    for (const Plasma::QueryMatch &match : matches) {
        const bool isModule = match.text() == QLatin1String("Display Settings");
        const QString path = isModule ? QStringLiteral("/kcms/kcm_display.json") : QStringLiteral("/apps/display viewer.desktop");
        QCOMPARE(match.subtext(), path);
        QVERIFY2(match.id().endsWith(path), qPrintable(match.id()));
        QCOMPARE(match.runner(), m_runner.get());
        QVERIFY(match.iconName().startsWith(QLatin1String("icon-")));
        if (isModule) {
            QCOMPARE(match.data(), QVariant(QStringLiteral("kcm://kcm_display")));
        } else {
            QCOMPARE(match.data(), QVariant(QUrl::fromLocalFile(path)));
        }
    }
}

void ServiceFinderTest::itemMatchedOnce()
{
    // Exact by name, and by name again in the second matcher and by category in the third: listed once.
    add({QStringLiteral("Calendar"),
         QStringLiteral("calendar"),
         QStringLiteral("Calendar"),
         QStringLiteral("Calendar"),
         {QStringLiteral("calendar")},
         {QStringLiteral("Calendar")}});
    QCOMPARE(describe(query(QStringLiteral("calendar"))), QStringList{QStringLiteral("Calendar %1 0.99995").arg(int(Plasma::QueryMatch::ExactMatch))});
}

void ServiceFinderTest::sameCommandDifferentPaths()
{
    add({QStringLiteral("Mail"), QStringLiteral("mailer")});
    add({QStringLiteral("Mail"), QStringLiteral("mailer")});
    QCOMPARE(query(QStringLiteral("mail")).size(), 2);
}

void ServiceFinderTest::seenByPathAndCommand_data()
{
    // Each item seen first as a path and its command.
    QTest::addColumn<QVector<QStringList>>("seenItems");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("wasSeen");

    const QString path = QStringLiteral("/apps/mail.desktop");
    const QString command = QStringLiteral("mailer");
    QTest::addRow("nothing seen") << QVector<QStringList>{} << path << command << false;
    QTest::addRow("same path and command") << QVector<QStringList>{{path, command}} << path << command << true;
    QTest::addRow("same command, other path") << QVector<QStringList>{{QStringLiteral("/apps/other.desktop"), command}} << path << command << false;
    QTest::addRow("same path, other command") << QVector<QStringList>{{path, QStringLiteral("other")}} << path << command << false;
    QTest::addRow("path and command from two items") << QVector<QStringList>{{path, QStringLiteral("other")}, {QStringLiteral("/apps/other.desktop"), command}}
                                                     << path << command << true;
    QTest::addRow("command that is the path") << QVector<QStringList>{{path, path}} << path << path << true;
}

void ServiceFinderTest::seenByPathAndCommand()
{
    QFETCH(QVector<QStringList>, seenItems);
    QFETCH(QString, path);
    QFETCH(QString, command);
    QFETCH(bool, wasSeen);

    const auto item = [](const QString &path, const QString &command) {
        return std::make_shared<FileInfo>(QStringLiteral("Mail"),
                                          path,
                                          path.section(QLatin1Char('/'), -1),
                                          QStringLiteral("Mail"),
                                          QStringLiteral("Mail"),
                                          QString(),
                                          QString(),
                                          QString(),
                                          QString(),
                                          command,
                                          QStringLiteral("mail"),
                                          QStringList(),
                                          QStringList(),
                                          QStringLiteral("Applications"));
    };
    ServiceFinder finder(m_runner.get());
    for (const QStringList &seen : seenItems) {
        finder.seen(item(seen.at(0), seen.at(1)));
    }
    // A record of its own: the texts decide, not the object.
    const auto probe = item(path, command);
    QCOMPARE(finder.hasSeen(probe), wasSeen);
    QCOMPARE(finder.disqualify(probe), wasSeen);
    // Disqualifying marks it seen, whatever it was before.
    QVERIFY(finder.hasSeen(probe));
    QVERIFY(finder.disqualify(probe));
}

void ServiceFinderTest::invalidContext()
{
    add({QStringLiteral("Mail"), QStringLiteral("mailer")});
    Plasma::RunnerContext context;
    context.setQuery(QStringLiteral("mail"));
    Plasma::RunnerContext copy(context);
    context.reset(); // invalidates the copies
    QVERIFY(!copy.isValid());
    ServiceFinder finder(m_runner.get());
    finder.match(copy);
    QVERIFY(copy.matches().isEmpty());
}

void ServiceFinderTest::emptyQueryAndNoHits()
{
    add({QStringLiteral("Mail"), QStringLiteral("mailer")});
    QVERIFY(query(QString()).isEmpty());
    QVERIFY(query(QStringLiteral("   ")).isEmpty());
    QVERIFY(query(QStringLiteral("zebra")).isEmpty());
}

QTEST_GUILESS_MAIN(ServiceFinderTest)

#include "servicefindertest.moc"

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "baloosettings.h"
#include "testsupport.h"

#include <KConfig>
#include <KConfigGroup>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class BalooSettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void usesTheIndexerFile();
    void defaults();
    void reads_data();
    void reads();
    void writes();
    void readsOnConstruction();
    void keepsTheIndexerOtherSettings();
    void setterSignals();
    void loadSignals();
    void immutable_data();
    void immutable();
    void itemNames();

private:
    QString home(const QString &relative) const;

    QTemporaryDir m_dir;
    QString m_home;
    QString m_configFile;
};

void BalooSettingsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // No test mode: the settings must land where the indexer reads them, in $XDG_CONFIG_HOME.
    m_home = m_dir.filePath(QStringLiteral("home"));
    const QString config = m_dir.filePath(QStringLiteral("config"));
    QVERIFY(QDir().mkpath(m_home));
    QVERIFY(QDir().mkpath(config));
    qputenv("HOME", QFile::encodeName(m_home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("cache"))));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_dir.filePath(QStringLiteral("etc-xdg"))));
    m_configFile = config + QStringLiteral("/baloofilerc");
}

void BalooSettingsTest::init()
{
    QFile::remove(m_configFile);
}

QString BalooSettingsTest::home(const QString &relative) const
{
    return m_home + QLatin1Char('/') + relative;
}

void BalooSettingsTest::usesTheIndexerFile()
{
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/baloofilerc"), m_configFile);

    BalooSettings settings;
    settings.load();
    settings.setFolders({QStringLiteral("/srv/nimbtest/")});
    QVERIFY(settings.save());
    QVERIFY(QFile::exists(m_configFile));
    QCOMPARE(settings.config()->name(), QStringLiteral("baloofilerc"));
}

void BalooSettingsTest::defaults()
{
    BalooSettings settings;
    QCOMPARE(settings.folders(), QStringList{m_home});
    QCOMPARE(settings.excludedFolders(), QStringList());

    settings.load();
    QCOMPARE(settings.folders(), QStringList{m_home});
    QCOMPARE(settings.excludedFolders(), QStringList());
    QCOMPARE(settings.defaultFoldersValue(), QStringList{m_home});
    QCOMPARE(settings.defaultExcludedFoldersValue(), QStringList());
    QCOMPARE(settings.isFoldersImmutable(), false);
    QCOMPARE(settings.isExcludedFoldersImmutable(), false);
}

void BalooSettingsTest::reads_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("excludedFolders");

    QTest::addRow("plain lists") << QByteArray("[General]\nfolders=/srv/nimbtest/a/,/srv/nimbtest/b\nexclude folders=/srv/nimbtest/a/tmp/\n")
                                 << QStringList{QStringLiteral("/srv/nimbtest/a/"), QStringLiteral("/srv/nimbtest/b")}
                                 << QStringList{QStringLiteral("/srv/nimbtest/a/tmp/")};
    QTest::addRow("home written as $HOME") << QByteArray("[General]\nfolders[$e]=$HOME/docs/\nexclude folders[$e]=$HOME/docs/old/\n")
                                           << QStringList{home(QStringLiteral("docs/"))} << QStringList{home(QStringLiteral("docs/old/"))};
    QTest::addRow("empty lists") << QByteArray("[General]\nfolders=\nexclude folders=\n") << QStringList() << QStringList();
    QTest::addRow("only excluded folders") << QByteArray("[General]\nexclude folders=/srv/nimbtest/x/\n") << QStringList{m_home}
                                           << QStringList{QStringLiteral("/srv/nimbtest/x/")};
    QTest::addRow("keys of another group") << QByteArray("[Basic Settings]\nfolders=/srv/nimbtest/a/\nexclude folders=/srv/nimbtest/b/\n")
                                           << QStringList{m_home} << QStringList();
    QTest::addRow("the item name is not the key") << QByteArray("[General]\nexcludedFolders=/srv/nimbtest/b/\n") << QStringList{m_home} << QStringList();
}

void BalooSettingsTest::reads()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, folders);
    QFETCH(QStringList, excludedFolders);

    TestSupport::writeFile(m_configFile, content);
    BalooSettings settings;
    settings.load();
    QCOMPARE(settings.folders(), folders);
    QCOMPARE(settings.excludedFolders(), excludedFolders);
}

void BalooSettingsTest::writes()
{
    {
        BalooSettings settings;
        settings.load();
        settings.setFolders({home(QStringLiteral("docs/")), QStringLiteral("/srv/nimbtest/")});
        settings.setExcludedFolders({home(QStringLiteral("docs/old/"))});
        QVERIFY(settings.save());
    }

    // As the indexer reads the file.
    KConfig config(m_configFile, KConfig::SimpleConfig);
    const KConfigGroup general = config.group("General");
    QCOMPARE(general.readPathEntry("folders", QStringList()), (QStringList{home(QStringLiteral("docs/")), QStringLiteral("/srv/nimbtest/")}));
    QCOMPARE(general.readPathEntry("exclude folders", QStringList()), QStringList{home(QStringLiteral("docs/old/"))});

    // A second object sees what the first saved.
    BalooSettings reread;
    reread.load();
    QCOMPARE(reread.folders(), (QStringList{home(QStringLiteral("docs/")), QStringLiteral("/srv/nimbtest/")}));
    QCOMPARE(reread.excludedFolders(), QStringList{home(QStringLiteral("docs/old/"))});
}

void BalooSettingsTest::readsOnConstruction()
{
    TestSupport::writeFile(m_configFile, "[General]\nfolders=/srv/nimbtest/a/\nexclude folders=/srv/nimbtest/a/b/\n");
    {
        BalooSettings settings;
        QCOMPARE(settings.folders(), QStringList{QStringLiteral("/srv/nimbtest/a/")});
        QCOMPARE(settings.excludedFolders(), QStringList{QStringLiteral("/srv/nimbtest/a/b/")});

        // Saving one item without a load() first leaves the other as it was.
        settings.setExcludedFolders({QStringLiteral("/srv/nimbtest/a/c/")});
        QVERIFY(settings.save());
    }
    KConfig config(m_configFile, KConfig::SimpleConfig);
    QCOMPARE(config.group("General").readPathEntry("folders", QStringList()), QStringList{QStringLiteral("/srv/nimbtest/a/")});
    QCOMPARE(config.group("General").readPathEntry("exclude folders", QStringList()), QStringList{QStringLiteral("/srv/nimbtest/a/c/")});
}

void BalooSettingsTest::keepsTheIndexerOtherSettings()
{
    TestSupport::writeFile(m_configFile, "[Basic Settings]\nIndexing-Enabled=false\n\n[General]\nfolders=/srv/nimbtest/a/\nonly basic indexing=true\n");
    BalooSettings settings;
    settings.load();
    settings.setFolders({QStringLiteral("/srv/nimbtest/b/")});
    QVERIFY(settings.save());

    KConfig config(m_configFile, KConfig::SimpleConfig);
    QCOMPARE(config.group("Basic Settings").readEntry("Indexing-Enabled", true), false);
    QCOMPARE(config.group("General").readEntry("only basic indexing", false), true);
    QCOMPARE(config.group("General").readPathEntry("folders", QStringList()), QStringList{QStringLiteral("/srv/nimbtest/b/")});
}

void BalooSettingsTest::setterSignals()
{
    BalooSettings settings;
    settings.load();
    QSignalSpy folders(&settings, &BalooSettings::foldersChanged);
    QVERIFY(folders.isValid());
    QSignalSpy excluded(&settings, &BalooSettings::excludedFoldersChanged);
    QVERIFY(excluded.isValid());

    settings.setFolders({QStringLiteral("/srv/nimbtest/a/")});
    QCOMPARE(folders.count(), 1);
    QCOMPARE(excluded.count(), 0);
    settings.setFolders({QStringLiteral("/srv/nimbtest/a/")});
    QCOMPARE(folders.count(), 1);

    settings.setExcludedFolders({QStringLiteral("/srv/nimbtest/a/b/")});
    QCOMPARE(folders.count(), 1);
    QCOMPARE(excluded.count(), 1);
    settings.setExcludedFolders({QStringLiteral("/srv/nimbtest/a/b/")});
    QCOMPARE(excluded.count(), 1);

    // Saving writes, it does not change a value.
    QVERIFY(settings.save());
    QCOMPARE(folders.count(), 1);
    QCOMPARE(excluded.count(), 1);
}

void BalooSettingsTest::loadSignals()
{
    TestSupport::writeFile(m_configFile, "[General]\nfolders=/srv/nimbtest/a/\nexclude folders=/srv/nimbtest/a/b/\n");
    BalooSettings settings;
    settings.load();
    QSignalSpy folders(&settings, &BalooSettings::foldersChanged);
    QVERIFY(folders.isValid());
    QSignalSpy excluded(&settings, &BalooSettings::excludedFoldersChanged);
    QVERIFY(excluded.isValid());

    settings.load();
    QCOMPARE(folders.count(), 0);
    QCOMPARE(excluded.count(), 0);

    TestSupport::writeFile(m_configFile, "[General]\nfolders=/srv/nimbtest/c/\nexclude folders=/srv/nimbtest/a/b/\n");
    settings.load();
    QCOMPARE(settings.folders(), QStringList{QStringLiteral("/srv/nimbtest/c/")});
    QCOMPARE(folders.count(), 1);
    QCOMPARE(excluded.count(), 0);

    TestSupport::writeFile(m_configFile, "[General]\nfolders=/srv/nimbtest/c/\n");
    settings.load();
    QCOMPARE(settings.excludedFolders(), QStringList());
    QCOMPARE(folders.count(), 1);
    QCOMPARE(excluded.count(), 1);
}

void BalooSettingsTest::immutable_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("foldersImmutable");
    QTest::addColumn<bool>("excludedImmutable");

    QTest::addRow("nothing marked") << QByteArray("[General]\nfolders=/srv/nimbtest/a/\nexclude folders=/srv/nimbtest/b/\n") << false << false;
    QTest::addRow("folders marked") << QByteArray("[General]\nfolders[$i]=/srv/nimbtest/a/\nexclude folders=/srv/nimbtest/b/\n") << true << false;
    QTest::addRow("exclude folders marked") << QByteArray("[General]\nfolders=/srv/nimbtest/a/\nexclude folders[$i]=/srv/nimbtest/b/\n") << false << true;
    QTest::addRow("group marked") << QByteArray("[General][$i]\nfolders=/srv/nimbtest/a/\nexclude folders=/srv/nimbtest/b/\n") << true << true;
    QTest::addRow("another group marked") << QByteArray(
        "[Basic Settings][$i]\nIndexing-Enabled=true\n\n[General]\nfolders=/srv/nimbtest/a/\nexclude folders=/srv/nimbtest/b/\n")
                                          << false << false;
}

void BalooSettingsTest::immutable()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, foldersImmutable);
    QFETCH(bool, excludedImmutable);

    TestSupport::writeFile(m_configFile, content);
    BalooSettings settings;
    settings.load();
    QCOMPARE(settings.isFoldersImmutable(), foldersImmutable);
    QCOMPARE(settings.isImmutable(QStringLiteral("folders")), foldersImmutable);
    QCOMPARE(settings.isExcludedFoldersImmutable(), excludedImmutable);
    QCOMPARE(settings.isImmutable(QStringLiteral("excludedFolders")), excludedImmutable);

    QSignalSpy folders(&settings, &BalooSettings::foldersChanged);
    QVERIFY(folders.isValid());
    QSignalSpy excluded(&settings, &BalooSettings::excludedFoldersChanged);
    QVERIFY(excluded.isValid());

    settings.setFolders({QStringLiteral("/srv/nimbtest/new-a/")});
    settings.setExcludedFolders({QStringLiteral("/srv/nimbtest/new-b/")});
    QCOMPARE(folders.count(), foldersImmutable ? 0 : 1);
    QCOMPARE(excluded.count(), excludedImmutable ? 0 : 1);
    QCOMPARE(settings.folders(), QStringList{foldersImmutable ? QStringLiteral("/srv/nimbtest/a/") : QStringLiteral("/srv/nimbtest/new-a/")});
    QCOMPARE(settings.excludedFolders(), QStringList{excludedImmutable ? QStringLiteral("/srv/nimbtest/b/") : QStringLiteral("/srv/nimbtest/new-b/")});

    settings.save();
    BalooSettings reread;
    reread.load();
    QCOMPARE(reread.folders(), settings.folders());
    QCOMPARE(reread.excludedFolders(), settings.excludedFolders());
}

void BalooSettingsTest::itemNames()
{
    BalooSettings settings;
    QCOMPARE(settings.findItem(QStringLiteral("folders")), settings.foldersItem());
    QCOMPARE(settings.findItem(QStringLiteral("excludedFolders")), settings.excludedFoldersItem());
    QCOMPARE(settings.foldersItem()->key(), QStringLiteral("folders"));
    QCOMPARE(settings.excludedFoldersItem()->key(), QStringLiteral("exclude folders"));
    QCOMPARE(settings.foldersItem()->group(), QStringLiteral("General"));
    QCOMPARE(settings.excludedFoldersItem()->group(), QStringLiteral("General"));
}

QTEST_GUILESS_MAIN(BalooSettingsTest)

#include "baloosettingstest.moc"

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "nimbsettings.h"
#include "startmenuutils.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using TestSupport::writeFile;

namespace
{
const QString startButtonKey = QStringLiteral("UseStartButton");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Another writer, as a second process would be: plain bytes, no QSettings.
}

class NimbSettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void value_data();
    void value();
    void boolValue_data();
    void boolValue();
    void readingWritesNothing_data();
    void readingWritesNothing();
    void pendingValue();
    void syncWithoutWriteBackDropsPending();
    void syncWithoutWriteBackRereadsFile();
    void syncWithWriteBack();
    void syncWithWriteBackKeepsOtherWritersKeys();
    void destructorWritesPending();

private:
    QString settingsPath() const;

    QTemporaryDir m_tempDir;
    std::unique_ptr<QTemporaryDir> m_caseDir;
};

void NimbSettingsTest::initTestCase()
{
    QVERIFY(!TestSupport::isolate(m_tempDir).isEmpty());
}

// Each case gets a file of its own: QSettings caches files by name for the whole process.
void NimbSettingsTest::init()
{
    m_caseDir = std::make_unique<QTemporaryDir>(m_tempDir.path() + QStringLiteral("/case-XXXXXX"));
    QVERIFY(m_caseDir->isValid());
}

void NimbSettingsTest::cleanup()
{
    m_caseDir.reset();
}

QString NimbSettingsTest::settingsPath() const
{
    return m_caseDir->path() + QStringLiteral("/nimb-settings.conf");
}

void NimbSettingsTest::value_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("defaultValue");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<bool>("present");

    const QByteArray file = QByteArrayLiteral("Theme=Dark NimbSettingsTest\nEmpty=\n[General]\nTopLevel=yes\n[Menu]\nTab=2\n");
    const QVariant fallback = QStringLiteral("fallback");

    QTest::addRow("present key") << file << QStringLiteral("Theme") << fallback << QVariant(QStringLiteral("Dark NimbSettingsTest")) << true;
    QTest::addRow("present key, no default") << file << QStringLiteral("Theme") << QVariant() << QVariant(QStringLiteral("Dark NimbSettingsTest")) << true;
    QTest::addRow("empty value") << file << QStringLiteral("Empty") << fallback << QVariant(QString()) << true;
    QTest::addRow("absent key with default") << file << QStringLiteral("Missing") << fallback << fallback << false;
    QTest::addRow("absent key without default") << file << QStringLiteral("Missing") << QVariant() << QVariant() << false;
    QTest::addRow("key of the General group is top-level") << file << QStringLiteral("TopLevel") << fallback << QVariant(QStringLiteral("yes")) << true;
    QTest::addRow("grouped key") << file << QStringLiteral("Menu/Tab") << fallback << QVariant(QStringLiteral("2")) << true;
    QTest::addRow("grouped key asked at top level") << file << QStringLiteral("Tab") << fallback << fallback << false;
    QTest::addRow("missing file") << QByteArray() << QStringLiteral("Theme") << fallback << fallback << false;
    QTest::addRow("empty file") << QByteArrayLiteral("") << QStringLiteral("Theme") << fallback << fallback << false;
    QTest::addRow("garbage file") << QByteArray("\x00\xff\xfe[[[\n\x01\x02 junk ]\n\x7f", 18) << QStringLiteral("Theme") << fallback << fallback << false;
}

void NimbSettingsTest::value()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    QFETCH(QVariant, defaultValue);
    QFETCH(QVariant, expected);
    QFETCH(bool, present);

    if (!content.isNull()) {
        writeFile(settingsPath(), content);
    }

    const NimbSettings settings(settingsPath());
    QCOMPARE(settings.path(), settingsPath());
    QCOMPARE(settings.value(key, defaultValue), expected);
    QCOMPARE(settings.contains(key), present);
}

void NimbSettingsTest::boolValue_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("expected");

    QTest::addRow("true") << QByteArrayLiteral("UseStartButton=true\n") << true;
    QTest::addRow("1") << QByteArrayLiteral("UseStartButton=1\n") << true;
    QTest::addRow("false") << QByteArrayLiteral("UseStartButton=false\n") << false;
    QTest::addRow("0") << QByteArrayLiteral("UseStartButton=0\n") << false;
    QTest::addRow("empty value") << QByteArrayLiteral("UseStartButton=\n") << false;
    QTest::addRow("absent key") << QByteArrayLiteral("Other=true\n") << false;
}

void NimbSettingsTest::boolValue()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, expected);

    writeFile(settingsPath(), content);
    const NimbSettings settings(settingsPath());
    QCOMPARE(settings.value(startButtonKey).toBool(), expected);
    QCOMPARE(settings.value(startButtonKey, false).toBool(), expected);
}

void NimbSettingsTest::readingWritesNothing_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file

    QTest::addRow("missing file") << QByteArray();
    QTest::addRow("comments and spacing") << QByteArrayLiteral("; written by hand\n\n  UseStartButton = true  \n");
    QTest::addRow("garbage file") << QByteArray("\x00\xff\xfe[[[=\n\x01\x02 junk ]\n=\n", 20);
}

void NimbSettingsTest::readingWritesNothing()
{
    QFETCH(QByteArray, content);

    if (!content.isNull()) {
        writeFile(settingsPath(), content);
    }
    {
        NimbSettings settings(settingsPath());
        settings.value(startButtonKey);
        settings.sync(false);
        settings.sync(true);
    }
    QCOMPARE(QFileInfo::exists(settingsPath()), !content.isNull());
    QCOMPARE(readFile(settingsPath()), content);
}

void NimbSettingsTest::pendingValue()
{
    writeFile(settingsPath(), "Theme=stored\n");
    NimbSettings settings(settingsPath());

    settings.setValue(QStringLiteral("Theme"), QStringLiteral("pending"));
    settings.setValue(QStringLiteral("Added"), 7);
    QCOMPARE(settings.value(QStringLiteral("Theme")), QVariant(QStringLiteral("pending")));
    QCOMPARE(settings.value(QStringLiteral("Added"), 0), QVariant(7));
    QVERIFY(settings.contains(QStringLiteral("Added")));
    // Not written before a sync.
    QCOMPARE(readFile(settingsPath()), QByteArrayLiteral("Theme=stored\n"));
}

void NimbSettingsTest::syncWithoutWriteBackDropsPending()
{
    writeFile(settingsPath(), "Theme=stored\n");
    {
        NimbSettings settings(settingsPath());
        settings.setValue(QStringLiteral("Theme"), QStringLiteral("pending"));
        settings.setValue(QStringLiteral("Added"), QStringLiteral("pending"));
        settings.sync(false);

        QCOMPARE(settings.value(QStringLiteral("Theme")), QVariant(QStringLiteral("stored")));
        QCOMPARE(settings.value(QStringLiteral("Added"), QStringLiteral("none")), QVariant(QStringLiteral("none")));
        QVERIFY(!settings.contains(QStringLiteral("Added")));
    }
    // Dropped values are not written by the destructor either.
    QCOMPARE(readFile(settingsPath()), QByteArrayLiteral("Theme=stored\n"));
}

void NimbSettingsTest::syncWithoutWriteBackRereadsFile()
{
    writeFile(settingsPath(), "UseStartButton=false\nTheme=old\n");
    NimbSettings settings(settingsPath());
    QCOMPARE(settings.value(startButtonKey).toBool(), false);

    writeFile(settingsPath(), "UseStartButton=true\nAdded=yes\n");
    settings.sync(false);
    QCOMPARE(settings.value(startButtonKey).toBool(), true);
    QCOMPARE(settings.value(QStringLiteral("Added")), QVariant(QStringLiteral("yes")));
    QVERIFY(!settings.contains(QStringLiteral("Theme")));

    QVERIFY(QFile::remove(settingsPath()));
    settings.sync(false);
    QVERIFY(!settings.contains(startButtonKey));
}

void NimbSettingsTest::syncWithWriteBack()
{
    writeFile(settingsPath(), "Other=kept\nTheme=old\n");
    NimbSettings settings(settingsPath());
    settings.setValue(QStringLiteral("Theme"), QStringLiteral("new"));
    settings.setValue(startButtonKey, true);
    settings.sync(true);

    const QByteArray written = readFile(settingsPath());
    QVERIFY2(written.contains("Theme=new\n"), written.constData());
    QVERIFY2(written.contains("Other=kept\n"), written.constData());
    QVERIFY2(written.contains("UseStartButton=true\n"), written.constData());
    QVERIFY2(!written.contains("Theme=old"), written.constData());

    // Written values stay after a later sync(false), which has nothing left to drop.
    settings.sync(false);
    QCOMPARE(settings.value(QStringLiteral("Theme")), QVariant(QStringLiteral("new")));
    QCOMPARE(settings.value(startButtonKey).toBool(), true);

    const NimbSettings reader(settingsPath());
    QCOMPARE(reader.value(QStringLiteral("Other")), QVariant(QStringLiteral("kept")));
    QCOMPARE(reader.value(QStringLiteral("Theme")), QVariant(QStringLiteral("new")));
}

void NimbSettingsTest::syncWithWriteBackKeepsOtherWritersKeys()
{
    writeFile(settingsPath(), "Theme=old\n");
    NimbSettings settings(settingsPath());
    QCOMPARE(settings.value(QStringLiteral("Theme")), QVariant(QStringLiteral("old")));

    writeFile(settingsPath(), "Theme=old\nFromOtherWriter=present\n");
    settings.setValue(QStringLiteral("Mine"), QStringLiteral("set"));
    settings.sync(true);

    const QByteArray written = readFile(settingsPath());
    QVERIFY2(written.contains("FromOtherWriter=present\n"), written.constData());
    QVERIFY2(written.contains("Mine=set\n"), written.constData());
    QVERIFY2(written.contains("Theme=old\n"), written.constData());
    QCOMPARE(settings.value(QStringLiteral("FromOtherWriter")), QVariant(QStringLiteral("present")));
}

void NimbSettingsTest::destructorWritesPending()
{
    writeFile(settingsPath(), "Other=kept\n");
    {
        NimbSettings settings(settingsPath());
        settings.setValue(startButtonKey, true);
        settings.setValue(QStringLiteral("Menu/Tab"), 3);
    }

    const QByteArray written = readFile(settingsPath());
    QVERIFY2(written.contains("UseStartButton=true\n"), written.constData());
    QVERIFY2(written.contains("Other=kept\n"), written.constData());
    QVERIFY2(written.contains("[Menu]\nTab=3\n"), written.constData());

    const NimbSettings reader(settingsPath());
    QCOMPARE(reader.value(startButtonKey).toBool(), true);
    QCOMPARE(reader.value(QStringLiteral("Menu/Tab")).toInt(), 3);

    // A file that did not exist is created.
    const QString newPath = m_caseDir->path() + QStringLiteral("/new.conf");
    {
        NimbSettings settings(newPath);
        settings.setValue(QStringLiteral("Theme"), QStringLiteral("created"));
    }
    QVERIFY2(readFile(newPath).contains("Theme=created\n"), readFile(newPath).constData());
}

QTEST_GUILESS_MAIN(NimbSettingsTest)

#include "nimbsettingstest.moc"

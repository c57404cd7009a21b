/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "searchsettings.h"
#include "menusettings.h"
#include "startmenuutils.h"
#include "testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <algorithm>
#include <functional>
#include <limits>

namespace
{
// One of the nine values, reached through its getter and setter.
struct Value {
    const char *name;
    std::function<QVariant(const SearchSettings &)> get;
    std::function<void(SearchSettings &, const QVariant &)> set;
    QVariant defaultValue;
    QVariant otherValue;
    QString storedOther;
};

template<typename T>
Value makeValue(const char *name,
                T (SearchSettings::*getter)() const,
                void (SearchSettings::*setter)(T),
                T defaultValue,
                T otherValue,
                const QString &storedOther)
{
    return {name,
            [getter](const SearchSettings &settings) {
                return QVariant::fromValue((settings.*getter)());
            },
            [setter](SearchSettings &settings, const QVariant &value) {
                (settings.*setter)(value.value<T>());
            },
            QVariant::fromValue(defaultValue),
            QVariant::fromValue(otherValue),
            storedOther};
}

// In declaration and file order.
const QVector<Value> &values()
{
    static const QVector<Value> table = {
        makeValue("indexApplications", &SearchSettings::indexApplications, &SearchSettings::setIndexApplications, true, false, "false"),
        makeValue("indexSettings", &SearchSettings::indexSettings, &SearchSettings::setIndexSettings, true, false, "false"),
        makeValue("indexDocuments", &SearchSettings::indexDocuments, &SearchSettings::setIndexDocuments, true, false, "false"),
        makeValue("indexMedia", &SearchSettings::indexMedia, &SearchSettings::setIndexMedia, true, false, "false"),
        makeValue("indexArchives", &SearchSettings::indexArchives, &SearchSettings::setIndexArchives, false, true, "true"),
        makeValue("indexHelp", &SearchSettings::indexHelp, &SearchSettings::setIndexHelp, true, false, "false"),
        makeValue("limitIndexSize", &SearchSettings::limitIndexSize, &SearchSettings::setLimitIndexSize, false, true, "true"),
        makeValue("indexSizeLimit", &SearchSettings::indexSizeLimit, &SearchSettings::setIndexSizeLimit, qint64(3), qint64(250), "250"),
        makeValue("idleModeIndexing", &SearchSettings::idleModeIndexing, &SearchSettings::setIdleModeIndexing, false, true, "true"),
    };
    return table;
}

const Value &valueNamed(const QByteArray &name)
{
    const auto found = std::find_if(values().cbegin(), values().cend(), [&name](const Value &value) {
        return name == value.name;
    });
    Q_ASSERT(found != values().cend());
    return *found;
}

QVariantMap valuesOf(const SearchSettings &settings)
{
    QVariantMap map;
    for (const Value &value : values()) {
        map.insert(QString::fromLatin1(value.name), value.get(settings));
    }
    return map;
}

QVariantMap defaultValues()
{
    QVariantMap map;
    for (const Value &value : values()) {
        map.insert(QString::fromLatin1(value.name), value.defaultValue);
    }
    return map;
}

void setOtherValues(SearchSettings &settings)
{
    for (const Value &value : values()) {
        value.set(settings, value.otherValue);
    }
}

// The file's entries as written, "Group/key" for those outside the general section.
QMap<QString, QString> rawEntries()
{
    QMap<QString, QString> entries;
    QString group;
    const QList<QByteArray> lines = TestSupport::readFile(TestSupport::preferencesFile()).split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith('[')) {
            group = line == "[General]" ? QString() : QString::fromUtf8(line.mid(1, line.size() - 2)) + QLatin1Char('/');
        } else if (line.contains('=')) {
            const int equals = line.indexOf('=');
            entries.insert(group + QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
        }
    }
    return entries;
}

QMap<QString, QString> entriesNamed(const QMap<QString, QString> &entries, const QStringList &keys)
{
    QMap<QString, QString> selected;
    for (const QString &key : keys) {
        if (entries.contains(key)) {
            selected.insert(key, entries.value(key));
        }
    }
    return selected;
}

QStringList searchKeys()
{
    QStringList keys;
    for (const Value &value : values()) {
        keys.append(QString::fromLatin1(value.name));
    }
    return keys;
}

const QStringList menuKeys = {"enableFavorites",
                              "enableComputer",
                              "enableRecent",
                              "defaultTab",
                              "showClassicMenu",
                              "showLastLoginInfo",
                              "appsMode",
                              "enableSortCategoriesAlphabetically",
                              "enableSortAppsAlphabetically",
                              "askConfirmation",
                              "enableAnimation",
                              "showTooltips",
                              "enableDebug",
                              "tabs"};
}

class SearchSettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void defaults();
    void noMetaObjectInterface();
    void equality_data();
    void equality();
    void equalityIgnoresParentAndFile();
    void copy();
    void copyHasNoFile();
    void sizeLimitRoundTrip_data();
    void sizeLimitRoundTrip();
    void saveWritesValues();
    void loadReadsValues();
    void loadKeepsMissingValues();
    void loadConvertsValues_data();
    void loadConvertsValues();
    void damagedFileKeepsUserValues_data();
    void damagedFileKeepsUserValues();
    void loadKeepsValuesIfFileCannotBeOpened_data();
    void loadKeepsValuesIfFileCannotBeOpened();
    void saveKeepsValuesOfOtherWriters_data();
    void saveKeepsValuesOfOtherWriters();
    void savingSearchSettingsKeepsMenuEntries();
    void savingMenuSettingsKeepsSearchEntries();

private:
    QTemporaryDir m_tempDir;
};

void SearchSettingsTest::initTestCase()
{
    QVERIFY(!TestSupport::isolate(m_tempDir).isEmpty());
}

void SearchSettingsTest::init()
{
    QDir(QFileInfo(TestSupport::preferencesFile()).path()).removeRecursively();
    QVERIFY(!QFileInfo::exists(QFileInfo(TestSupport::preferencesFile()).path()));
}

void SearchSettingsTest::cleanup()
{
    if (QFileInfo(TestSupport::preferencesFile()).isFile()) {
        QFile::setPermissions(TestSupport::preferencesFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

void SearchSettingsTest::defaults()
{
    const SearchSettings settings;
    QCOMPARE(valuesOf(settings), defaultValues());
    QCOMPARE(settings.parent(), nullptr);
}

void SearchSettingsTest::noMetaObjectInterface()
{
    const QMetaObject &metaObject = SearchSettings::staticMetaObject;
    QCOMPARE(metaObject.className(), "SearchSettings");
    QCOMPARE(metaObject.superClass(), &QObject::staticMetaObject);
    QCOMPARE(metaObject.propertyCount(), metaObject.propertyOffset());
    QCOMPARE(metaObject.methodCount(), metaObject.methodOffset());
}

void SearchSettingsTest::equality_data()
{
    QTest::addColumn<QByteArray>("name");
    for (const Value &value : values()) {
        QTest::addRow("%s", value.name) << QByteArray(value.name);
    }
}

void SearchSettingsTest::equality()
{
    QFETCH(QByteArray, name);
    const Value &value = valueNamed(name);

    SearchSettings original;
    SearchSettings copy(original);
    QVERIFY(original == copy);
    QVERIFY(!(original != copy));

    value.set(original, value.otherValue);
    QCOMPARE(value.get(original), value.otherValue);
    QVERIFY(!(original == copy));
    QVERIFY(original != copy);
    QVERIFY(!(copy == original));
    QVERIFY(copy != original);

    value.set(copy, value.otherValue);
    QVERIFY(original == copy);
    QVERIFY(!(original != copy));

    value.set(copy, value.defaultValue);
    QVERIFY(!(original == copy));
    QVERIFY(copy != original);
}

void SearchSettingsTest::equalityIgnoresParentAndFile()
{
    QObject parent;
    SearchSettings withParent(&parent);
    const SearchSettings withoutParent;
    const SearchSettings copy(withoutParent);
    QVERIFY(withParent == withoutParent);
    QVERIFY(withParent == copy);
    QVERIFY(!(withParent != copy));
}

void SearchSettingsTest::copy()
{
    QObject parent;
    auto *original = new SearchSettings(&parent);
    setOtherValues(*original);

    auto *copy = new SearchSettings(*original);
    QCOMPARE(copy->parent(), &parent);
    QCOMPARE(valuesOf(*copy), valuesOf(*original));
    QVERIFY(*copy == *original);
    QCOMPARE(parent.children().size(), 2);

    // Independent from then on.
    original->setIndexSizeLimit(7);
    QCOMPARE(copy->indexSizeLimit(), qint64(250));

    const SearchSettings orphan;
    const SearchSettings orphanCopy(orphan);
    QCOMPARE(orphanCopy.parent(), nullptr);
    QCOMPARE(valuesOf(orphanCopy), defaultValues());
}

void SearchSettingsTest::copyHasNoFile()
{
    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "indexMedia=false\nindexSizeLimit=99\n"));
    SearchSettings original;
    SearchSettings copy(original);

    copy.load();
    QCOMPARE(valuesOf(copy), defaultValues());

    setOtherValues(copy);
    copy.save();
    QCOMPARE(TestSupport::readFile(TestSupport::preferencesFile()), QByteArray("indexMedia=false\nindexSizeLimit=99\n"));

    original.load();
    QCOMPARE(original.indexMedia(), false);
    QCOMPARE(original.indexSizeLimit(), qint64(99));
}

void SearchSettingsTest::sizeLimitRoundTrip_data()
{
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<QString>("stored");

    QTest::addRow("default") << qint64(3) << "3";
    QTest::addRow("zero") << qint64(0) << "0";
    QTest::addRow("minus one") << qint64(-1) << "-1";
    QTest::addRow("32-bit maximum") << qint64(std::numeric_limits<qint32>::max()) << "2147483647";
    QTest::addRow("32-bit minimum") << qint64(std::numeric_limits<qint32>::min()) << "-2147483648";
    // Read back at full width: a narrower read would turn these into 0.
    QTest::addRow("one beyond 32 bits") << qint64(std::numeric_limits<qint32>::max()) + 1 << "2147483648";
    QTest::addRow("64-bit maximum") << std::numeric_limits<qint64>::max() << "9223372036854775807";
}

void SearchSettingsTest::sizeLimitRoundTrip()
{
    QFETCH(qint64, limit);
    QFETCH(QString, stored);

    SearchSettings saved;
    saved.setIndexSizeLimit(limit);
    QCOMPARE(saved.indexSizeLimit(), limit);
    saved.save();
    QCOMPARE(rawEntries().value("indexSizeLimit"), stored);

    SearchSettings loaded;
    loaded.setIndexSizeLimit(42);
    loaded.load();
    QCOMPARE(loaded.indexSizeLimit(), limit);
    QVERIFY(loaded == saved);
}

void SearchSettingsTest::saveWritesValues()
{
    SearchSettings settings;
    setOtherValues(settings);
    settings.save();

    // On disk when save() returns, each value as QSettings writes a bool or a number.
    QMap<QString, QString> expected;
    for (const Value &value : values()) {
        expected.insert(QString::fromLatin1(value.name), value.storedOther);
    }
    QCOMPARE(rawEntries(), expected);
    QVERIFY(TestSupport::readFile(TestSupport::preferencesFile()).startsWith("[General]\n"));

    settings.setIndexMedia(true);
    settings.save();
    QCOMPARE(rawEntries().value("indexMedia"), QStringLiteral("true"));
}

void SearchSettingsTest::loadReadsValues()
{
    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(),
                                         "[General]\nindexApplications=false\nindexSettings=false\nindexDocuments=false\nindexMedia=false\n"
                                         "indexArchives=true\nindexHelp=false\nlimitIndexSize=true\nindexSizeLimit=250\nidleModeIndexing=true\n"));
    SearchSettings settings;
    settings.load();
    SearchSettings expected;
    setOtherValues(expected);
    QCOMPARE(valuesOf(settings), valuesOf(expected));
}

void SearchSettingsTest::loadKeepsMissingValues()
{
    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "indexHelp=false\nenableFavorites=false\n"));
    SearchSettings settings;
    settings.setIndexSizeLimit(12);
    settings.setIndexArchives(true);
    settings.load();

    QVariantMap expected = defaultValues();
    expected["indexHelp"] = false;
    expected["indexSizeLimit"] = qint64(12);
    expected["indexArchives"] = true;
    QCOMPARE(valuesOf(settings), expected);
}

void SearchSettingsTest::loadConvertsValues_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QVariant>("expected");

    // As QVariant converts: a flag is off only for "false", "0" (in any case) and nothing, and a limit
    // that is no whole number within 64 bits is 0.
    QTest::addRow("yes") << QByteArray("indexArchives=yes\n") << QByteArray("indexArchives") << QVariant(true);
    QTest::addRow("flag as a word") << QByteArray("idleModeIndexing=banana\n") << QByteArray("idleModeIndexing") << QVariant(true);
    QTest::addRow("digit zero") << QByteArray("indexMedia=0\n") << QByteArray("indexMedia") << QVariant(false);
    QTest::addRow("capitalised false") << QByteArray("indexDocuments=FALSE\n") << QByteArray("indexDocuments") << QVariant(false);
    QTest::addRow("flag as an empty value") << QByteArray("indexHelp=\n") << QByteArray("indexHelp") << QVariant(false);
    QTest::addRow("flag as a list") << QByteArray("indexSettings=true, true\n") << QByteArray("indexSettings") << QVariant(false);
    QTest::addRow("flag as an invalid variant") << QByteArray("indexApplications=@Invalid()\n") << QByteArray("indexApplications") << QVariant(false);
    QTest::addRow("limit beyond 32 bits, negative") << QByteArray("indexSizeLimit=-2147483649\n") << QByteArray("indexSizeLimit")
                                                    << QVariant(qint64(-2147483649));
    QTest::addRow("limit as a word") << QByteArray("indexSizeLimit=lots\n") << QByteArray("indexSizeLimit") << QVariant(qint64(0));
    QTest::addRow("limit as a fraction") << QByteArray("indexSizeLimit=2.5\n") << QByteArray("indexSizeLimit") << QVariant(qint64(0));
    QTest::addRow("limit as a bool") << QByteArray("indexSizeLimit=true\n") << QByteArray("indexSizeLimit") << QVariant(qint64(0));
    QTest::addRow("limit as a list") << QByteArray("indexSizeLimit=1, 2\n") << QByteArray("indexSizeLimit") << QVariant(qint64(0));
    QTest::addRow("limit beyond 64 bits") << QByteArray("indexSizeLimit=9223372036854775808\n") << QByteArray("indexSizeLimit") << QVariant(qint64(0));
    QTest::addRow("limit as an empty value") << QByteArray("indexSizeLimit=\n") << QByteArray("indexSizeLimit") << QVariant(qint64(0));
}

void SearchSettingsTest::loadConvertsValues()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, name);
    QFETCH(QVariant, expected);

    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), content));
    SearchSettings settings;
    settings.load();
    QVariantMap values = defaultValues();
    QVERIFY(values.value(QString::fromLatin1(name)) != expected);
    values[QString::fromLatin1(name)] = expected;
    QCOMPARE(valuesOf(settings), values);
}

void SearchSettingsTest::damagedFileKeepsUserValues_data()
{
    QTest::addColumn<QByteArray>("content");
    for (const auto &damage : TestSupport::damagedLines()) {
        QTest::addRow("%s", damage.first) << damage.second + "indexMedia=false\nindexSizeLimit=8\n";
    }
}

void SearchSettingsTest::damagedFileKeepsUserValues()
{
    QFETCH(QByteArray, content);

    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), content));
    {
        QSettings file(TestSupport::preferencesFile(), QSettings::NativeFormat);
        file.allKeys();
        QCOMPARE(file.status(), QSettings::FormatError);
    }
    SearchSettings settings;
    settings.load();
    QVariantMap expected = defaultValues();
    expected["indexMedia"] = false;
    expected["indexSizeLimit"] = qint64(8);
    QCOMPARE(valuesOf(settings), expected);

    settings.setIdleModeIndexing(true);
    settings.save();
    const QMap<QString, QString> entries = rawEntries();
    QCOMPARE(entries.value("indexMedia"), QStringLiteral("false"));
    QCOMPARE(entries.value("indexSizeLimit"), QStringLiteral("8"));
    QCOMPARE(entries.value("idleModeIndexing"), QStringLiteral("true"));
}

void SearchSettingsTest::loadKeepsValuesIfFileCannotBeOpened_data()
{
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<bool>("folder");

    QTest::addRow("unreadable file") << true << false;
    QTest::addRow("folder in place of the file") << false << true;
}

void SearchSettingsTest::loadKeepsValuesIfFileCannotBeOpened()
{
    QFETCH(bool, unreadable);
    QFETCH(bool, folder);

    if (unreadable && geteuid() == 0) {
        QSKIP("root reads a file without read permission");
    }
    if (folder) {
        QVERIFY(QDir().mkpath(TestSupport::preferencesFile()));
    } else {
        QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "indexMedia=false\nindexSizeLimit=8\n"));
    }
    if (unreadable) {
        QVERIFY(QFile::setPermissions(TestSupport::preferencesFile(), QFileDevice::WriteOwner));
    }

    SearchSettings settings;
    settings.setIndexSizeLimit(5);
    settings.setIdleModeIndexing(true);
    settings.load();

    QVariantMap expected = defaultValues();
    expected["indexSizeLimit"] = qint64(5);
    expected["idleModeIndexing"] = true;
    QCOMPARE(valuesOf(settings), expected);
}

void SearchSettingsTest::saveKeepsValuesOfOtherWriters_data()
{
    TestSupport::addOtherWriterRows();
}

void SearchSettingsTest::saveKeepsValuesOfOtherWriters()
{
    QFETCH(bool, loadFirst);
    QFETCH(bool, changeHere);

    SearchSettings settings;
    if (loadFirst) {
        settings.load();
    }
    QVERIFY(TestSupport::writeNewVersion(TestSupport::preferencesFile(), "indexMedia=false\nindexSizeLimit=8\n"));
    // Setting the value it has is no change.
    settings.setIndexSizeLimit(changeHere ? 12 : settings.indexSizeLimit());
    settings.setIdleModeIndexing(true);
    settings.save();
    // Kept again: the file's values are still not this object's.
    settings.save();

    const QMap<QString, QString> entries = rawEntries();
    QCOMPARE(entries.value("indexSizeLimit"), changeHere ? QStringLiteral("12") : QStringLiteral("8"));
    QCOMPARE(entries.value("indexMedia"), QStringLiteral("false"));
    QCOMPARE(entries.value("idleModeIndexing"), QStringLiteral("true"));
    QCOMPARE(entries.value("indexApplications"), QStringLiteral("true"));
    QCOMPARE(settings.indexMedia(), true);
}

void SearchSettingsTest::savingSearchSettingsKeepsMenuEntries()
{
    MenuSettings menu;
    menu.setEnableRecent(false);
    menu.setDefaultTab("recent");
    menu.setAppsMode("grid");
    menu.setTabs({"gridapps", "leave"});
    menu.save();
    {
        QSettings file(TestSupport::preferencesFile(), QSettings::NativeFormat);
        file.setValue("enableDebug", true);
        file.setValue("WindowSearchSettingsTest/width", 640);
    }
    const QMap<QString, QString> before = rawEntries();
    QCOMPARE(entriesNamed(before, menuKeys).size(), menuKeys.size());

    SearchSettings search;
    setOtherValues(search);
    search.save();

    const QMap<QString, QString> after = rawEntries();
    QCOMPARE(entriesNamed(after, menuKeys), entriesNamed(before, menuKeys));
    QCOMPARE(after.value("WindowSearchSettingsTest/width"), QStringLiteral("640"));
    QCOMPARE(entriesNamed(after, searchKeys()).size(), searchKeys().size());
}

void SearchSettingsTest::savingMenuSettingsKeepsSearchEntries()
{
    SearchSettings search;
    setOtherValues(search);
    search.setIndexSizeLimit(qint64(1) << 40);
    search.save();
    const QMap<QString, QString> before = rawEntries();
    QCOMPARE(entriesNamed(before, searchKeys()).size(), searchKeys().size());

    MenuSettings menu;
    menu.setShowTooltips(false);
    menu.save();

    const QMap<QString, QString> after = rawEntries();
    QCOMPARE(entriesNamed(after, searchKeys()), entriesNamed(before, searchKeys()));
    QCOMPARE(after.value("showTooltips"), QStringLiteral("false"));

    SearchSettings loaded;
    loaded.load();
    QVERIFY(loaded == search);
}

QTEST_GUILESS_MAIN(SearchSettingsTest)

#include "searchsettingstest.moc"

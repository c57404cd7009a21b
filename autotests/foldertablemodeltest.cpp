/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "foldertablemodel.h"
#include "baloosettings.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace
{
const QString immutableTooltip = QStringLiteral("At least one folder must be included to be able to exclude home folder");

// Each row as "<path> <status>", in row order.
QStringList rowsOf(const FolderTableModel &model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        rows.append(model.index(row, 0).data(Qt::WhatsThisRole).toString() + QLatin1Char(' ') + model.index(row, 1).data().toString());
    }
    return rows;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}
}

class FolderTableModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void startsEmpty();
    void normalizeTrailingSlashes_data();
    void normalizeTrailingSlashes();
    void normalizeTrailingSlashesOfList();
    void load_data();
    void load();
    void data_data();
    void data();
    void dataOutsideTheRows();
    void names_data();
    void names();
    void makeHomePretty_data();
    void makeHomePretty();
    void flags();
    void homeOnlyIncluded();
    void excludeTheOnlyIncludedFolder_data();
    void excludeTheOnlyIncludedFolder();
    void removeTheOnlyIncludedFolder();
    void editsWithoutRestoringHome();
    void addNormalizesButEditsDoNot();
    void addSignals();
    void editSignals();
    void editsOfUnknownPaths();
    void needSave_data();
    void needSave();
    void save_data();
    void save();
    void saveKeepsImmutableItems_data();
    void saveKeepsImmutableItems();

private:
    QString home(const QString &relative = QString()) const;
    void writeConfig(const QByteArray &content);

    QTemporaryDir m_dir;
    QString m_home;
    std::unique_ptr<FolderTableModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void FolderTableModelTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_home = m_dir.filePath(QStringLiteral("home/nimbuser"));
    QVERIFY(QDir().mkpath(m_home));
    qputenv("HOME", QFile::encodeName(m_home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("cache"))));
    QCOMPARE(QDir::homePath(), m_home);
}

void FolderTableModelTest::init()
{
    QFile::remove(m_dir.filePath(QStringLiteral("config/baloofilerc")));
    m_model = std::make_unique<FolderTableModel>();
    m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void FolderTableModelTest::cleanup()
{
    m_tester.reset();
    m_model.reset();
}

QString FolderTableModelTest::home(const QString &relative) const
{
    return m_home + QLatin1Char('/') + relative;
}

void FolderTableModelTest::writeConfig(const QByteArray &content)
{
    TestSupport::writeFile(m_dir.filePath(QStringLiteral("config/baloofilerc")), content);
}

void FolderTableModelTest::startsEmpty()
{
    QCOMPARE(m_model->rowCount(), 0);
    QCOMPARE(m_model->columnCount(), 3);
    QCOMPARE(m_model->needSave(), false);
    QCOMPARE(m_model->isIncluded(home()), false);
    QCOMPARE(m_model->isImmutable(home()), false);

    m_model->load({QStringLiteral("/srv/nimbtest/")}, {});
    const QModelIndex parent = m_model->index(0, 0);
    QVERIFY(parent.isValid());
    QCOMPARE(m_model->rowCount(parent), 0);
    QCOMPARE(m_model->columnCount(parent), 0);
}

void FolderTableModelTest::normalizeTrailingSlashes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("normalized");

    QTest::addRow("without slash") << QStringLiteral("/tmp/x") << QStringLiteral("/tmp/x/");
    QTest::addRow("with slash") << QStringLiteral("/tmp/x/") << QStringLiteral("/tmp/x/");
    QTest::addRow("several slashes kept") << QStringLiteral("/tmp/x//") << QStringLiteral("/tmp/x//");
    QTest::addRow("root") << QStringLiteral("/") << QStringLiteral("/");
    QTest::addRow("empty becomes root") << QString() << QStringLiteral("/");
    QTest::addRow("relative") << QStringLiteral("docs") << QStringLiteral("docs/");
}

void FolderTableModelTest::normalizeTrailingSlashes()
{
    QFETCH(QString, path);
    QFETCH(QString, normalized);

    QCOMPARE(FolderTableModel::normalizeTrailingSlashes(QString(path)), normalized);
}

void FolderTableModelTest::normalizeTrailingSlashesOfList()
{
    QCOMPARE(FolderTableModel::normalizeTrailingSlashes(QStringList{QStringLiteral("/b"), QStringLiteral("/a/"), QString()}),
             (QStringList{QStringLiteral("/b/"), QStringLiteral("/a/"), QStringLiteral("/")}));
    QCOMPARE(FolderTableModel::normalizeTrailingSlashes(QStringList()), QStringList());
}

void FolderTableModelTest::load_data()
{
    QTest::addColumn<QStringList>("included");
    QTest::addColumn<QStringList>("excluded");
    QTest::addColumn<QStringList>("rows");

    QTest::addRow("sorted, with slashes") << QStringList{QStringLiteral("/b")} << QStringList{QStringLiteral("/a/")}
                                          << QStringList{QStringLiteral("/a/ Not indexed"), QStringLiteral("/b/ Indexed")};
    QTest::addRow("sorted by code units") << QStringList{QStringLiteral("/srv/b/"), QStringLiteral("/srv/B/"), QStringLiteral("/srv/a/")} << QStringList()
                                          << QStringList{QStringLiteral("/srv/B/ Indexed"),
                                                         QStringLiteral("/srv/a/ Indexed"),
                                                         QStringLiteral("/srv/b/ Indexed")};
    QTest::addRow("listed both ways") << QStringList{QStringLiteral("/srv/x")} << QStringList{QStringLiteral("/srv/x/")}
                                      << QStringList{QStringLiteral("/srv/x/ Indexed"), QStringLiteral("/srv/x/ Indexed")};
    QTest::addRow("listed twice") << QStringList{QStringLiteral("/srv/x/"), QStringLiteral("/srv/x/")} << QStringList()
                                  << QStringList{QStringLiteral("/srv/x/ Indexed"), QStringLiteral("/srv/x/ Indexed")};
    QTest::addRow("nothing included, home not added") << QStringList() << QStringList{QStringLiteral("/srv/x")}
                                                      << QStringList{QStringLiteral("/srv/x/ Not indexed")};
    QTest::addRow("two empty lists") << QStringList() << QStringList() << QStringList();
    QTest::addRow("empty path is the root") << QStringList{QString()} << QStringList() << QStringList{QStringLiteral("/ Indexed")};
}

void FolderTableModelTest::load()
{
    QFETCH(QStringList, included);
    QFETCH(QStringList, excluded);
    QFETCH(QStringList, rows);

    m_model->add(QStringLiteral("/srv/nimbtest-before-load"), true);
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    QVERIFY(reset.isValid());

    m_model->load(included, excluded);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(rowsOf(*m_model), rows);
    QCOMPARE(m_model->needSave(), false);
}

void FolderTableModelTest::data_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("value");

    const QVariant none;
    QTest::addRow("home name") << home() << 0 << int(Qt::DisplayRole) << QVariant(m_home);
    QTest::addRow("home icon") << home() << 0 << int(Qt::DecorationRole) << QVariant(QStringLiteral("user-home"));
    QTest::addRow("home tooltip") << home() << 0 << int(Qt::ToolTipRole) << QVariant(QStringLiteral("~/"));
    QTest::addRow("home what's-this") << home() << 0 << int(Qt::WhatsThisRole) << QVariant(home());
    QTest::addRow("home status") << home() << 1 << int(Qt::DisplayRole) << QVariant(QStringLiteral("Indexed"));
    QTest::addRow("below home name") << home(QStringLiteral("docs/")) << 0 << int(Qt::DisplayRole) << QVariant(QStringLiteral("~/docs"));
    QTest::addRow("below home icon") << home(QStringLiteral("docs/")) << 0 << int(Qt::DecorationRole) << QVariant(QStringLiteral("folder"));
    QTest::addRow("below home tooltip") << home(QStringLiteral("docs/")) << 0 << int(Qt::ToolTipRole) << QVariant(QStringLiteral("~/docs/"));
    QTest::addRow("below home what's-this") << home(QStringLiteral("docs/")) << 0 << int(Qt::WhatsThisRole) << QVariant(home(QStringLiteral("docs/")));
    QTest::addRow("excluded status") << home(QStringLiteral("docs/old/")) << 1 << int(Qt::DisplayRole) << QVariant(QStringLiteral("Not indexed"));
    QTest::addRow("root name") << QStringLiteral("/") << 0 << int(Qt::DisplayRole) << QVariant(QStringLiteral("/"));
    QTest::addRow("root icon") << QStringLiteral("/") << 0 << int(Qt::DecorationRole) << QVariant(QStringLiteral("drive-harddisk"));
    QTest::addRow("root tooltip") << QStringLiteral("/") << 0 << int(Qt::ToolTipRole) << QVariant(QStringLiteral("/"));
    QTest::addRow("elsewhere name") << QStringLiteral("/srv/nimbtest/") << 0 << int(Qt::DisplayRole) << QVariant(QStringLiteral("/srv/nimbtest"));
    QTest::addRow("elsewhere tooltip") << QStringLiteral("/srv/nimbtest/") << 0 << int(Qt::ToolTipRole) << QVariant(QStringLiteral("/srv/nimbtest/"));
    QTest::addRow("elsewhere status") << QStringLiteral("/srv/nimbtest/") << 1 << int(Qt::DisplayRole) << QVariant(QStringLiteral("Not indexed"));
    QTest::addRow("name has no edit role") << home() << 0 << int(Qt::EditRole) << none;
    QTest::addRow("name has no status tip") << home() << 0 << int(Qt::StatusTipRole) << none;
    QTest::addRow("status has no icon") << home() << 1 << int(Qt::DecorationRole) << none;
    QTest::addRow("status has no tooltip") << home() << 1 << int(Qt::ToolTipRole) << none;
    QTest::addRow("third column shows nothing") << home() << 2 << int(Qt::DisplayRole) << none;
    QTest::addRow("third column has no what's-this") << home() << 2 << int(Qt::WhatsThisRole) << none;
}

void FolderTableModelTest::data()
{
    QFETCH(QString, path);
    QFETCH(int, column);
    QFETCH(int, role);
    QFETCH(QVariant, value);

    m_model->load({home(), home(QStringLiteral("docs")), QStringLiteral("/")}, {home(QStringLiteral("docs/old")), QStringLiteral("/srv/nimbtest")});
    const QModelIndexList found = m_model->match(m_model->index(0, 0), Qt::WhatsThisRole, path, 1, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    const int row = found.first().row();
    const QModelIndex index = m_model->index(row, column);
    QCOMPARE(m_model->folderAtIndex(index), path);
    QCOMPARE(index.data(role), value);
}

void FolderTableModelTest::dataOutsideTheRows()
{
    m_model->load({QStringLiteral("/srv/a"), QStringLiteral("/srv/b")}, {});
    QCOMPARE(m_model->data(QModelIndex(), Qt::DisplayRole), QVariant());
    QCOMPARE(m_model->folderAtIndex(QModelIndex()), QString());

    // An index kept from before a row went away.
    const QPersistentModelIndex kept = m_model->index(1, 0);
    const QModelIndex stale = m_model->index(1, 0);
    m_model->remove(QStringLiteral("/srv/b/"));
    QVERIFY(!kept.isValid());
    QCOMPARE(m_model->data(stale, Qt::DisplayRole), QVariant());
    QCOMPARE(m_model->data(stale, Qt::WhatsThisRole), QVariant());
    QCOMPARE(m_model->folderAtIndex(stale), QString());
}

void FolderTableModelTest::names_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("icon");

    QTest::addRow("home") << home() << m_home << QStringLiteral("user-home");
    QTest::addRow("below home") << home(QStringLiteral("docs/")) << QStringLiteral("~/docs") << QStringLiteral("folder");
    QTest::addRow("deep below home") << home(QStringLiteral("a/b/c/")) << QStringLiteral("~/a/b/c") << QStringLiteral("folder");
    QTest::addRow("home without slash is another folder") << m_home << m_home.left(m_home.size() - 1) << QStringLiteral("folder");
    QTest::addRow("sibling of home") << m_home + QStringLiteral("2/") << m_home + QStringLiteral("2") << QStringLiteral("folder");
    QTest::addRow("root") << QStringLiteral("/") << QStringLiteral("/") << QStringLiteral("drive-harddisk");
    QTest::addRow("elsewhere") << QStringLiteral("/srv/nimbtest/") << QStringLiteral("/srv/nimbtest") << QStringLiteral("folder");
}

void FolderTableModelTest::names()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, icon);

    QCOMPARE(m_model->name(path), name);
    QCOMPARE(m_model->icon(path), icon);
}

void FolderTableModelTest::makeHomePretty_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("pretty");

    QTest::addRow("home") << m_home << QStringLiteral("~");
    QTest::addRow("home with slash") << home() << QStringLiteral("~/");
    QTest::addRow("below home keeps its slash") << home(QStringLiteral("docs/")) << QStringLiteral("~/docs/");
    QTest::addRow("elsewhere") << QStringLiteral("/srv/nimbtest/") << QStringLiteral("/srv/nimbtest/");
    QTest::addRow("sibling sharing the prefix") << m_home + QStringLiteral("2/docs/") << m_home + QStringLiteral("2/docs/");
    QTest::addRow("home further down") << QStringLiteral("/srv") + m_home << QStringLiteral("/srv") + m_home;
    QTest::addRow("empty") << QString() << QString();
}

void FolderTableModelTest::makeHomePretty()
{
    QFETCH(QString, path);
    QFETCH(QString, pretty);

    QCOMPARE(FolderTableModel::makeHomePretty(path), pretty);
    QCOMPARE(m_model->makeTooltip(path), pretty);
}

void FolderTableModelTest::flags()
{
    QCOMPARE(m_model->flags(QModelIndex()), Qt::NoItemFlags);

    m_model->load({home(), QStringLiteral("/srv/nimbtest")}, {});
    for (int row = 0; row < m_model->rowCount(); ++row) {
        for (int column = 0; column < m_model->columnCount(); ++column) {
            QCOMPARE(m_model->flags(m_model->index(row, column)), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        }
    }
}

void FolderTableModelTest::homeOnlyIncluded()
{
    m_model->load({home()}, {QStringLiteral("/srv/nimbtest")});
    QCOMPARE(sorted(rowsOf(*m_model)), sorted({QStringLiteral("/srv/nimbtest/ Not indexed"), home() + QStringLiteral(" Indexed")}));
    QCOMPARE(m_model->isImmutable(home()), true);
    QCOMPARE(m_model->isImmutable(QStringLiteral("/srv/nimbtest/")), false);
    QCOMPARE(m_model->isImmutable(m_home), false);

    const int homeRow = rowsOf(*m_model).indexOf(home() + QStringLiteral(" Indexed"));
    const QModelIndex homeName = m_model->index(homeRow, 0);
    const QModelIndex homeStatus = m_model->index(homeRow, 1);
    QCOMPARE(m_model->flags(homeName), Qt::ItemIsSelectable);
    QCOMPARE(m_model->flags(homeStatus), Qt::ItemIsSelectable);
    QCOMPARE(m_model->flags(m_model->index(1 - homeRow, 0)), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    QCOMPARE(homeName.data(Qt::ToolTipRole), QVariant(immutableTooltip));
    QCOMPARE(m_model->makeTooltip(home()), immutableTooltip);

    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QVERIFY(changed.isValid());
    m_model->addFolder(m_home, false);
    m_model->add(home(), false);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(m_model->isIncluded(home()), true);

    // Excluded and at once included again.
    m_model->exclude(home());
    QCOMPARE(m_model->isIncluded(home()), true);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(m_model->needSave(), false);

    // With a second folder included, home is an ordinary row.
    m_model->include(QStringLiteral("/srv/nimbtest/"));
    QCOMPARE(m_model->isImmutable(home()), false);
    QCOMPARE(m_model->flags(homeName), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    QCOMPARE(homeName.data(Qt::ToolTipRole), QVariant(QStringLiteral("~/")));
    m_model->exclude(home());
    QCOMPARE(sorted(rowsOf(*m_model)), sorted({QStringLiteral("/srv/nimbtest/ Indexed"), home() + QStringLiteral(" Not indexed")}));
}

void FolderTableModelTest::excludeTheOnlyIncludedFolder_data()
{
    QTest::addColumn<QStringList>("excluded");
    QTest::addColumn<bool>("homeAppended");

    QTest::addRow("home not listed: new last row") << QStringList{QStringLiteral("/srv/a")} << true;
    QTest::addRow("home listed: its row included") << QStringList{m_home} << false;
}

void FolderTableModelTest::excludeTheOnlyIncludedFolder()
{
    QFETCH(QStringList, excluded);
    QFETCH(bool, homeAppended);

    m_model->load({QStringLiteral("/srv/x")}, excluded);
    QStringList expected = rowsOf(*m_model);
    expected.replaceInStrings(QStringLiteral("/srv/x/ Indexed"), QStringLiteral("/srv/x/ Not indexed"));
    expected.replaceInStrings(home() + QStringLiteral(" Not indexed"), home() + QStringLiteral(" Indexed"));
    if (homeAppended) {
        expected.append(home() + QStringLiteral(" Indexed"));
    }

    m_model->exclude(QStringLiteral("/srv/x/"));
    QCOMPARE(rowsOf(*m_model), expected);
    QCOMPARE(m_model->isIncluded(home()), true);
    QCOMPARE(m_model->isImmutable(home()), true);
}

void FolderTableModelTest::removeTheOnlyIncludedFolder()
{
    m_model->load({QStringLiteral("/srv/x")}, {QStringLiteral("/srv/a")});
    m_model->remove(QStringLiteral("/srv/x/"));
    QCOMPARE(rowsOf(*m_model), (QStringList{QStringLiteral("/srv/a/ Not indexed"), home() + QStringLiteral(" Indexed")}));

    // Removing home while it is the only one included brings it straight back.
    m_model->remove(home());
    QCOMPARE(rowsOf(*m_model), (QStringList{QStringLiteral("/srv/a/ Not indexed"), home() + QStringLiteral(" Indexed")}));
}

void FolderTableModelTest::editsWithoutRestoringHome()
{
    m_model->load({}, {QStringLiteral("/srv/a")});
    m_model->addFolder(QStringLiteral("/srv/b"), false);
    QCOMPARE(rowsOf(*m_model), (QStringList{QStringLiteral("/srv/a/ Not indexed"), QStringLiteral("/srv/b/ Not indexed")}));

    m_model->load({QStringLiteral("/srv/a")}, {});
    m_model->addFolder(QStringLiteral("/srv/a"), false);
    QCOMPARE(rowsOf(*m_model), QStringList{QStringLiteral("/srv/a/ Not indexed")});
    m_model->include(QStringLiteral("/srv/nimbtest-unknown/"));
    QCOMPARE(rowsOf(*m_model), QStringList{QStringLiteral("/srv/a/ Not indexed")});

    m_model->add(QStringLiteral("/srv/b"), false);
    QCOMPARE(rowsOf(*m_model),
             (QStringList{QStringLiteral("/srv/a/ Not indexed"), QStringLiteral("/srv/b/ Not indexed"), home() + QStringLiteral(" Indexed")}));
}

void FolderTableModelTest::addNormalizesButEditsDoNot()
{
    m_model->load({home()}, {});
    m_model->add(QStringLiteral("/tmp/x"), true);
    QCOMPARE(rowsOf(*m_model), (QStringList{home() + QStringLiteral(" Indexed"), QStringLiteral("/tmp/x/ Indexed")}));
    QCOMPARE(m_model->isIncluded(QStringLiteral("/tmp/x/")), true);
    QCOMPARE(m_model->isIncluded(QStringLiteral("/tmp/x")), false);

    m_model->exclude(QStringLiteral("/tmp/x"));
    QCOMPARE(m_model->isIncluded(QStringLiteral("/tmp/x/")), true);
    m_model->exclude(QStringLiteral("/tmp/x/"));
    QCOMPARE(m_model->isIncluded(QStringLiteral("/tmp/x/")), false);
    m_model->include(QStringLiteral("/tmp/x"));
    QCOMPARE(m_model->isIncluded(QStringLiteral("/tmp/x/")), false);
    m_model->remove(QStringLiteral("/tmp/x"));
    QCOMPARE(m_model->rowCount(), 2);
    m_model->remove(QStringLiteral("/tmp/x/"));
    QCOMPARE(rowsOf(*m_model), QStringList{home() + QStringLiteral(" Indexed")});

    m_model->add(QStringLiteral("/tmp/x"), false);
    m_model->add(QStringLiteral("/tmp/x/"), true);
    QCOMPARE(rowsOf(*m_model), (QStringList{home() + QStringLiteral(" Indexed"), QStringLiteral("/tmp/x/ Indexed")}));
}

void FolderTableModelTest::addSignals()
{
    m_model->load({home()}, {});
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QVERIFY(inserted.isValid());
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QVERIFY(changed.isValid());

    m_model->add(QStringLiteral("/srv/nimbtest"), false);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(0).value<QModelIndex>(), QModelIndex());
    QCOMPARE(inserted.at(0).at(1).toInt(), 1);
    QCOMPARE(inserted.at(0).at(2).toInt(), 1);
    QCOMPARE(changed.count(), 0);

    // A row already there changes in place, even to what it was.
    m_model->add(QStringLiteral("/srv/nimbtest/"), false);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<QModelIndex>(), m_model->index(1, 0));
    QCOMPARE(changed.at(0).at(1).value<QModelIndex>(), m_model->index(1, 2));
    QCOMPARE(changed.at(0).at(2).value<QVector<int>>(), QVector<int>());
}

void FolderTableModelTest::editSignals()
{
    m_model->load({home(), QStringLiteral("/srv/a")}, {QStringLiteral("/srv/b")});
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QVERIFY(changed.isValid());
    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    QVERIFY(removed.isValid());
    const int rowB = rowsOf(*m_model).indexOf(QStringLiteral("/srv/b/ Not indexed"));
    QVERIFY(rowB >= 0);

    m_model->include(QStringLiteral("/srv/b/"));
    m_model->include(QStringLiteral("/srv/b/"));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(1).at(0).value<QModelIndex>(), m_model->index(rowB, 0));
    QCOMPARE(changed.at(1).at(1).value<QModelIndex>(), m_model->index(rowB, 2));
    m_model->exclude(QStringLiteral("/srv/b/"));
    QCOMPARE(changed.count(), 3);
    QCOMPARE(m_model->isIncluded(QStringLiteral("/srv/b/")), false);

    m_model->remove(QStringLiteral("/srv/b/"));
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(1).toInt(), rowB);
    QCOMPARE(removed.at(0).at(2).toInt(), rowB);
    QCOMPARE(m_model->rowCount(), 2);
}

void FolderTableModelTest::editsOfUnknownPaths()
{
    m_model->load({QStringLiteral("/srv/a")}, {QStringLiteral("/srv/b")});
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QVERIFY(changed.isValid());
    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    QVERIFY(removed.isValid());

    m_model->include(QStringLiteral("/srv/nimbtest-unknown/"));
    m_model->exclude(QStringLiteral("/srv/nimbtest-unknown/"));
    m_model->remove(QStringLiteral("/srv/nimbtest-unknown/"));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(rowsOf(*m_model), (QStringList{QStringLiteral("/srv/a/ Indexed"), QStringLiteral("/srv/b/ Not indexed")}));
    QCOMPARE(m_model->needSave(), false);
}

void FolderTableModelTest::needSave_data()
{
    QTest::addColumn<QString>("edits");
    QTest::addColumn<bool>("needSave");

    // Edits as "<operation> <path>", applied in order after loading /srv/a included and /srv/b excluded.
    QTest::addRow("nothing") << QString() << false;
    QTest::addRow("add a new folder") << QStringLiteral("add+ /srv/c") << true;
    QTest::addRow("add a new excluded folder") << QStringLiteral("add- /srv/c") << true;
    QTest::addRow("add then remove again") << QStringLiteral("add+ /srv/c,remove /srv/c/") << false;
    QTest::addRow("include an excluded folder") << QStringLiteral("include /srv/b/") << true;
    QTest::addRow("include and exclude again") << QStringLiteral("include /srv/b/,exclude /srv/b/") << false;
    QTest::addRow("include what is included") << QStringLiteral("include /srv/a/") << false;
    QTest::addRow("exclude the only included folder") << QStringLiteral("exclude /srv/a/") << true;
    QTest::addRow("remove an excluded folder") << QStringLiteral("remove /srv/b/") << true;
    QTest::addRow("re-add what was there") << QStringLiteral("add- /srv/b") << false;
    QTest::addRow("edit an unknown path") << QStringLiteral("include /srv/b,remove /srv/a") << false;
}

void FolderTableModelTest::needSave()
{
    QFETCH(QString, edits);
    QFETCH(bool, needSave);

    m_model->load({QStringLiteral("/srv/a")}, {QStringLiteral("/srv/b")});
    QCOMPARE(m_model->needSave(), false);
    const QStringList steps = edits.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &step : steps) {
        const QString operation = step.section(QLatin1Char(' '), 0, 0);
        const QString path = step.section(QLatin1Char(' '), 1);
        if (operation == QLatin1String("add+")) {
            m_model->add(path, true);
        } else if (operation == QLatin1String("add-")) {
            m_model->add(path, false);
        } else if (operation == QLatin1String("include")) {
            m_model->include(path);
        } else if (operation == QLatin1String("exclude")) {
            m_model->exclude(path);
        } else if (operation == QLatin1String("remove")) {
            m_model->remove(path);
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }
    }
    QCOMPARE(m_model->needSave(), needSave);

    BalooSettings settings;
    m_model->save(settings);
    QCOMPARE(m_model->needSave(), false);
}

void FolderTableModelTest::save_data()
{
    QTest::addColumn<QStringList>("settingsFolders");
    QTest::addColumn<QStringList>("settingsExcluded");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("excluded");
    QTest::addColumn<int>("foldersSignals");
    QTest::addColumn<int>("excludedSignals");

    // The model holds /srv/a/ and /srv/c/ included and /srv/b/ excluded.
    const QStringList folders{QStringLiteral("/srv/a/"), QStringLiteral("/srv/c/")};
    const QStringList excluded{QStringLiteral("/srv/b/")};
    QTest::addRow("both changed") << QStringList{QStringLiteral("/srv/a/")} << QStringList() << folders << excluded << 1 << 1;
    QTest::addRow("folders changed") << QStringList{QStringLiteral("/srv/a/")} << excluded << folders << excluded << 1 << 0;
    QTest::addRow("excluded changed") << folders << QStringList{QStringLiteral("/srv/d/")} << folders << excluded << 0 << 1;
    QTest::addRow("nothing changed") << folders << excluded << folders << excluded << 0 << 0;
    QTest::addRow("same folders in another order") << QStringList{QStringLiteral("/srv/c/"), QStringLiteral("/srv/a/")} << excluded
                                                   << QStringList{QStringLiteral("/srv/c/"), QStringLiteral("/srv/a/")} << excluded << 0 << 0;
    QTest::addRow("slashes differ") << QStringList{QStringLiteral("/srv/a"), QStringLiteral("/srv/c")} << QStringList{QStringLiteral("/srv/b")} << folders
                                    << excluded << 1 << 1;
}

void FolderTableModelTest::save()
{
    QFETCH(QStringList, settingsFolders);
    QFETCH(QStringList, settingsExcluded);
    QFETCH(QStringList, folders);
    QFETCH(QStringList, excluded);
    QFETCH(int, foldersSignals);
    QFETCH(int, excludedSignals);

    m_model->load({QStringLiteral("/srv/a")}, {QStringLiteral("/srv/b")});
    m_model->add(QStringLiteral("/srv/c"), true);
    QCOMPARE(m_model->needSave(), true);

    BalooSettings settings;
    settings.setFolders(settingsFolders);
    settings.setExcludedFolders(settingsExcluded);
    QSignalSpy foldersChanged(&settings, &BalooSettings::foldersChanged);
    QVERIFY(foldersChanged.isValid());
    QSignalSpy excludedChanged(&settings, &BalooSettings::excludedFoldersChanged);
    QVERIFY(excludedChanged.isValid());

    m_model->save(settings);
    QCOMPARE(settings.folders(), folders);
    QCOMPARE(settings.excludedFolders(), excluded);
    QCOMPARE(foldersChanged.count(), foldersSignals);
    QCOMPARE(excludedChanged.count(), excludedSignals);
    QCOMPARE(m_model->needSave(), false);

    // In memory only: the file is the caller's to write.
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("config/baloofilerc"))));
}

void FolderTableModelTest::saveKeepsImmutableItems_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("excluded");
    QTest::addColumn<int>("foldersSignals");
    QTest::addColumn<int>("excludedSignals");

    QTest::addRow("folders immutable") << QByteArray("[General]\nfolders[$i]=/srv/old/\nexclude folders=/srv/old/x/\n")
                                       << QStringList{QStringLiteral("/srv/old/")} << QStringList{QStringLiteral("/srv/b/"), QStringLiteral("/srv/x/")} << 0
                                       << 1;
    QTest::addRow("excluded folders immutable") << QByteArray("[General]\nfolders=/srv/old/\nexclude folders[$i]=/srv/old/x/\n")
                                                << QStringList{QStringLiteral("/srv/a/")} << QStringList{QStringLiteral("/srv/old/x/")} << 1 << 0;
    QTest::addRow("group immutable") << QByteArray("[General][$i]\nfolders=/srv/old/\nexclude folders=/srv/old/x/\n")
                                     << QStringList{QStringLiteral("/srv/old/")} << QStringList{QStringLiteral("/srv/old/x/")} << 0 << 0;
}

void FolderTableModelTest::saveKeepsImmutableItems()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, folders);
    QFETCH(QStringList, excluded);
    QFETCH(int, foldersSignals);
    QFETCH(int, excludedSignals);

    writeConfig(content);
    BalooSettings settings;
    settings.load();
    QSignalSpy foldersChanged(&settings, &BalooSettings::foldersChanged);
    QVERIFY(foldersChanged.isValid());
    QSignalSpy excludedChanged(&settings, &BalooSettings::excludedFoldersChanged);
    QVERIFY(excludedChanged.isValid());

    m_model->load({QStringLiteral("/srv/a")}, {QStringLiteral("/srv/b"), QStringLiteral("/srv/x")});
    m_model->save(settings);
    QCOMPARE(settings.folders(), folders);
    QCOMPARE(settings.excludedFolders(), excluded);
    QCOMPARE(foldersChanged.count(), foldersSignals);
    QCOMPARE(excludedChanged.count(), excludedSignals);
    QCOMPARE(m_model->needSave(), false);
}

QTEST_GUILESS_MAIN(FolderTableModelTest)

#include "foldertablemodeltest.moc"

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "entry.h"

#include <QLocale>
#include <QTest>

namespace
{
// Every field, children included, as one readable line: two entries are equal when these are.
QString describe(const Entry &entry)
{
    QStringList children;
    for (const Entry &child : entry.children()) {
        children.append(describe(child));
    }
    const QStringList fields{
        entry.id(),
        entry.path(),
        entry.name(),
        entry.tooltip(),
        entry.icon(),
        entry.categoryId(),
        entry.categoryName(),
        entry.categoryGroupId(),
        entry.categoryGroupName(),
        QString::number(entry.priority()),
        entry.isCategory() ? QStringLiteral("category") : QStringLiteral("application"),
        QLatin1Char('[') + entry.sortOrder().join(QLatin1Char(',')) + QLatin1Char(']'),
        QLatin1Char('{') + children.join(QLatin1Char(';')) + QLatin1Char('}'),
    };
    return fields.join(QLatin1Char('|'));
}

Entry makeChild(const QString &id, const QString &name, unsigned int priority = 99)
{
    Entry child;
    child.setId(id);
    child.setName(name);
    child.setPath(QStringLiteral("/EntryTest/") + id + QLatin1Char('/') + name);
    child.setPriority(priority);
    return child;
}

// A child per id, named by the name at the same place.
QList<Entry> makeChildren(const QStringList &ids, const QStringList &names)
{
    QList<Entry> children;
    for (int i = 0; i < ids.size(); ++i) {
        children.append(makeChild(ids.at(i), names.at(i)));
    }
    return children;
}

Entry makeFullEntry()
{
    Entry entry;
    entry.setId(QStringLiteral("id EntryTest"));
    entry.setPath(QStringLiteral("/EntryTest/path"));
    entry.setName(QStringLiteral("name EntryTest"));
    entry.setTooltip(QStringLiteral("tooltip EntryTest"));
    entry.setIcon(QStringLiteral("icon-entrytest"));
    entry.setCategoryId(QStringLiteral("category id EntryTest"));
    entry.setCategoryName(QStringLiteral("category name EntryTest"));
    entry.setCategoryGroupId(QStringLiteral("group id EntryTest"));
    entry.setCategoryGroupName(QStringLiteral("group name EntryTest"));
    entry.setPriority(7);
    entry.setIsCategory(true);
    entry.setChildren({makeChild(QStringLiteral("x"), QStringLiteral("X")), makeChild(QStringLiteral("y"), QStringLiteral("Y"))});
    entry.setSortOrder({QStringLiteral("y"), QStringLiteral("x")});
    return entry;
}

QStringList ids(const QList<Entry> &entries)
{
    QStringList list;
    for (const Entry &entry : entries) {
        list.append(entry.id());
    }
    return list;
}

QStringList names(const QList<Entry> &entries)
{
    QStringList list;
    for (const Entry &entry : entries) {
        list.append(entry.name());
    }
    return list;
}

QList<unsigned int> priorities(const QList<Entry> &entries)
{
    QList<unsigned int> list;
    for (const Entry &entry : entries) {
        list.append(entry.priority());
    }
    return list;
}

QStringList describeAll(const QList<Entry> &entries)
{
    QStringList list;
    for (const Entry &entry : entries) {
        list.append(describe(entry));
    }
    return list;
}

QStringList sortedDescriptions(const QList<Entry> &entries)
{
    QStringList list;
    for (const Entry &entry : entries) {
        Entry withoutPriority = entry;
        withoutPriority.setPriority(0);
        list.append(describe(withoutPriority));
    }
    list.sort();
    return list;
}
}

class EntryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void defaults();
    void setters_data();
    void setters();
    void hasChildren();
    void copiesAreIndependent();
    void assignmentReplacesEveryField();
    void updateSortOrder_data();
    void updateSortOrder();
    void sortChildren_data();
    void sortChildren();
    void sortChildrenLeavesGrandchildren();
    void sortChildrenWithoutChildren();
};

void EntryTest::initTestCase()
{
    // A real language, under which a locale-aware comparison would put "alpha" before "Zeta".
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void EntryTest::defaults()
{
    const Entry entry;
    QVERIFY(entry.id().isNull());
    QVERIFY(entry.path().isNull());
    QVERIFY(entry.name().isNull());
    QVERIFY(entry.tooltip().isNull());
    QVERIFY(entry.icon().isNull());
    QVERIFY(entry.categoryId().isNull());
    QVERIFY(entry.categoryName().isNull());
    QVERIFY(entry.categoryGroupId().isNull());
    QVERIFY(entry.categoryGroupName().isNull());
    QCOMPARE(entry.priority(), 0u);
    QCOMPARE(entry.isCategory(), false);
    QVERIFY(entry.children().isEmpty());
    QVERIFY(entry.sortOrder().isEmpty());
    QCOMPARE(entry.hasChildren(), false);
}

void EntryTest::setters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<unsigned int>("priority");
    QTest::addColumn<bool>("isCategory");

    QTest::addRow("plain texts") << QStringLiteral("EntryTest") << 3u << true;
    QTest::addRow("non-ASCII texts") << QStringLiteral("Einstellungen ÄÖÜ 設定") << 1u << false;
    QTest::addRow("empty texts") << QStringLiteral("") << 0u << false;
    QTest::addRow("largest priority") << QStringLiteral("x") << 4294967295u << true;
}

void EntryTest::setters()
{
    QFETCH(QString, text);
    QFETCH(unsigned int, priority);
    QFETCH(bool, isCategory);

    // Each field gets its own value, so a setter that writes the wrong field shows.
    Entry entry;
    entry.setId(text + QStringLiteral(" id"));
    entry.setPath(text + QStringLiteral(" path"));
    entry.setName(text + QStringLiteral(" name"));
    entry.setTooltip(text + QStringLiteral(" tooltip"));
    entry.setIcon(text + QStringLiteral(" icon"));
    entry.setCategoryId(text + QStringLiteral(" categoryId"));
    entry.setCategoryName(text + QStringLiteral(" categoryName"));
    entry.setCategoryGroupId(text + QStringLiteral(" categoryGroupId"));
    entry.setCategoryGroupName(text + QStringLiteral(" categoryGroupName"));
    entry.setPriority(priority);
    entry.setIsCategory(isCategory);
    const QList<Entry> children{makeChild(QStringLiteral("c1"), text), makeChild(QStringLiteral("c2"), text)};
    entry.setChildren(children);
    entry.setSortOrder({text, QStringLiteral("c2")});

    QCOMPARE(entry.id(), text + QStringLiteral(" id"));
    QCOMPARE(entry.path(), text + QStringLiteral(" path"));
    QCOMPARE(entry.name(), text + QStringLiteral(" name"));
    QCOMPARE(entry.tooltip(), text + QStringLiteral(" tooltip"));
    QCOMPARE(entry.icon(), text + QStringLiteral(" icon"));
    QCOMPARE(entry.categoryId(), text + QStringLiteral(" categoryId"));
    QCOMPARE(entry.categoryName(), text + QStringLiteral(" categoryName"));
    QCOMPARE(entry.categoryGroupId(), text + QStringLiteral(" categoryGroupId"));
    QCOMPARE(entry.categoryGroupName(), text + QStringLiteral(" categoryGroupName"));
    QCOMPARE(entry.priority(), priority);
    QCOMPARE(entry.isCategory(), isCategory);
    QCOMPARE(entry.children().size(), 2);
    QCOMPARE(describe(entry.children().at(0)), describe(children.at(0)));
    QCOMPARE(describe(entry.children().at(1)), describe(children.at(1)));
    QCOMPARE(entry.sortOrder(), (QList<QString>{text, QStringLiteral("c2")}));

    // A second call replaces rather than adds.
    entry.setChildren({makeChild(QStringLiteral("c3"), text)});
    entry.setSortOrder({QStringLiteral("c3")});
    QCOMPARE(ids(entry.children()), QStringList{QStringLiteral("c3")});
    QCOMPARE(entry.sortOrder(), QList<QString>{QStringLiteral("c3")});
}

void EntryTest::hasChildren()
{
    Entry entry;
    entry.setChildren({makeChild(QStringLiteral("a"), QStringLiteral("A"))});
    QCOMPARE(entry.hasChildren(), true);
    entry.setChildren({});
    QCOMPARE(entry.hasChildren(), false);

    // The saved order alone does not make children.
    entry.setSortOrder({QStringLiteral("a")});
    QCOMPARE(entry.hasChildren(), false);
}

void EntryTest::copiesAreIndependent()
{
    Entry original = makeFullEntry();
    const QString before = describe(original);

    Entry copy(original);
    QCOMPARE(describe(copy), before);

    copy.setId(QStringLiteral("changed"));
    copy.setName(QStringLiteral("changed"));
    copy.setPriority(1);
    copy.setIsCategory(false);
    copy.setSortOrder({});
    QList<Entry> copyChildren = copy.children();
    copyChildren[0].setName(QStringLiteral("changed"));
    copy.setChildren(copyChildren);
    copy.sortChildren();
    QCOMPARE(describe(original), before);

    Entry assigned;
    assigned = original;
    QCOMPARE(describe(assigned), before);
    original.setTooltip(QStringLiteral("changed"));
    original.updateSortOrder();
    original.sortChildren();
    QCOMPARE(describe(assigned), describe(makeFullEntry()));
}

void EntryTest::assignmentReplacesEveryField()
{
    Entry target = makeFullEntry();
    const Entry empty;
    target = empty;
    QCOMPARE(describe(target), describe(Entry()));
    QVERIFY(target.id().isNull());

    Entry &self = target;
    target = makeFullEntry();
    target = self;
    QCOMPARE(describe(target), describe(makeFullEntry()));
}

void EntryTest::updateSortOrder_data()
{
    QTest::addColumn<QStringList>("childIds");
    QTest::addColumn<QStringList>("savedOrder");

    QTest::addRow("no children, nothing saved") << QStringList() << QStringList();
    QTest::addRow("no children clears saved order") << QStringList() << QStringList{QStringLiteral("a")};
    QTest::addRow("children in their current order") << QStringList{QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b")} << QStringList();
    QTest::addRow("replaces a different saved order") << QStringList{QStringLiteral("a"), QStringLiteral("b")}
                                                      << QStringList{QStringLiteral("b"), QStringLiteral("x"), QStringLiteral("a")};
    QTest::addRow("duplicate child ids kept") << QStringList{QStringLiteral("a"), QStringLiteral("a")} << QStringList();
    QTest::addRow("empty child id kept") << QStringList{QString(), QStringLiteral("a")} << QStringList();
}

void EntryTest::updateSortOrder()
{
    QFETCH(QStringList, childIds);
    QFETCH(QStringList, savedOrder);

    Entry entry;
    QStringList childNames;
    for (const QString &id : childIds) {
        childNames.append(QStringLiteral("Name of ") + id);
    }
    entry.setChildren(makeChildren(childIds, childNames));
    entry.setSortOrder(savedOrder);
    const QStringList childrenBefore = describeAll(entry.children());

    entry.updateSortOrder();

    QCOMPARE(entry.sortOrder(), childIds);
    // Recording the order does not reorder or renumber anything.
    QCOMPARE(describeAll(entry.children()), childrenBefore);
}

void EntryTest::sortChildren_data()
{
    QTest::addColumn<QStringList>("childIds");
    QTest::addColumn<QStringList>("childNames");
    QTest::addColumn<QStringList>("savedOrder");
    QTest::addColumn<QStringList>("expectedIds");

    const QString a = QStringLiteral("a");
    const QString b = QStringLiteral("b");
    const QString c = QStringLiteral("c");
    const QString d = QStringLiteral("d");

    QTest::addRow("saved ids first, then capitals before small letters")
        << QStringList{a, b, c, d} << QStringList{QStringLiteral("Mike"), QStringLiteral("Kilo"), QStringLiteral("Zeta"), QStringLiteral("alpha")}
        << QStringList{b, a} << QStringList{b, a, c, d};
    QTest::addRow("saved order overrides names") << QStringList{a, b, c} << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}
                                                 << QStringList{c, b, a} << QStringList{c, b, a};
    QTest::addRow("duplicate id in saved order takes its last place")
        << QStringList{a, b} << QStringList{QStringLiteral("A"), QStringLiteral("B")} << QStringList{a, b, a} << QStringList{b, a};
    QTest::addRow("duplicate id in saved order, first place earlier than another id")
        << QStringList{a, b, c} << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")} << QStringList{c, a, b, c}
        << QStringList{a, b, c};
    QTest::addRow("unknown saved ids ignored") << QStringList{a, b, c} << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}
                                               << QStringList{QStringLiteral("x"), c, QStringLiteral("y"), a, QStringLiteral("z")} << QStringList{c, a, b};
    QTest::addRow("only unknown saved ids: name order")
        << QStringList{a, b, c} << QStringList{QStringLiteral("Gamma"), QStringLiteral("Beta"), QStringLiteral("Alpha")}
        << QStringList{QStringLiteral("x"), QStringLiteral("y")} << QStringList{c, b, a};
    QTest::addRow("empty saved order: name order")
        << QStringList{a, b, c, d} << QStringList{QStringLiteral("delta"), QStringLiteral("Charlie"), QStringLiteral("bravo"), QStringLiteral("Alpha")}
        << QStringList() << QStringList{d, b, c, a};
    QTest::addRow("saved ids are case-sensitive") << QStringList{a, b, c} << QStringList{QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")}
                                                  << QStringList{QStringLiteral("A"), QStringLiteral("B")} << QStringList{c, b, a};
    QTest::addRow("names beyond ASCII after small letters")
        << QStringList{a, b, c} << QStringList{QStringLiteral("Émile"), QStringLiteral("zulu"), QStringLiteral("Zulu")} << QStringList()
        << QStringList{c, b, a};
    QTest::addRow("names compared by UTF-16 code units, not code points")
        << QStringList{a, b} << QStringList{QStringLiteral("\uFF21 fullwidth"), QStringLiteral("\U0001F600 emoji")} << QStringList() << QStringList{b, a};
    QTest::addRow("name comparison not locale-aware") << QStringList{a, b, c} << QStringList{QStringLiteral("ab"), QStringLiteral("a b"), QStringLiteral("a-b")}
                                                      << QStringList() << QStringList{b, c, a};
    QTest::addRow("prefix name first") << QStringList{a, b} << QStringList{QStringLiteral("Office Writer"), QStringLiteral("Office")} << QStringList()
                                       << QStringList{b, a};
    QTest::addRow("children sharing an id stay together")
        << QStringList{b, a, b} << QStringList{QStringLiteral("B1"), QStringLiteral("A"), QStringLiteral("B2")} << QStringList{b} << QStringList{b, b, a};
    QTest::addRow("single child") << QStringList{a} << QStringList{QStringLiteral("A")} << QStringList{QStringLiteral("x")} << QStringList{a};
    QTest::addRow("empty id saved") << QStringList{a, QString()} << QStringList{QStringLiteral("A"), QStringLiteral("Unnamed")}
                                    << QStringList{QStringLiteral("")} << QStringList{QString(), a};
}

void EntryTest::sortChildren()
{
    QFETCH(QStringList, childIds);
    QFETCH(QStringList, childNames);
    QFETCH(QStringList, savedOrder);
    QFETCH(QStringList, expectedIds);

    Entry entry;
    entry.setId(QStringLiteral("parent EntryTest"));
    entry.setPriority(5);
    const QList<Entry> children = makeChildren(childIds, childNames);
    entry.setChildren(children);
    entry.setSortOrder(savedOrder);

    entry.sortChildren();

    QCOMPARE(ids(entry.children()), expectedIds);
    QList<unsigned int> expectedPriorities;
    for (int i = 0; i < expectedIds.size(); ++i) {
        expectedPriorities.append(static_cast<unsigned int>(i));
    }
    QCOMPARE(priorities(entry.children()), expectedPriorities);

    // Only the order and the priorities change: no child lost, duplicated or altered.
    QCOMPARE(sortedDescriptions(entry.children()), sortedDescriptions(children));
    QCOMPARE(entry.sortOrder(), savedOrder);
    QCOMPARE(entry.priority(), 5u);
}

void EntryTest::sortChildrenLeavesGrandchildren()
{
    Entry folder = makeChild(QStringLiteral("folder"), QStringLiteral("Folder"), 3);
    folder.setIsCategory(true);
    folder.setChildren({makeChild(QStringLiteral("z"), QStringLiteral("Zulu"), 8), makeChild(QStringLiteral("y"), QStringLiteral("Alpha"), 8)});
    folder.setSortOrder({QStringLiteral("y")});
    const QStringList folderChildrenBefore = describeAll(folder.children());

    Entry root;
    root.setChildren({makeChild(QStringLiteral("app"), QStringLiteral("Zeta")), folder});
    root.sortChildren();

    QCOMPARE(ids(root.children()), (QStringList{QStringLiteral("folder"), QStringLiteral("app")}));
    const Entry &sortedFolder = root.children().at(0);
    QCOMPARE(sortedFolder.priority(), 0u);
    QCOMPARE(names(sortedFolder.children()), (QStringList{QStringLiteral("Zulu"), QStringLiteral("Alpha")}));
    QCOMPARE(priorities(sortedFolder.children()), (QList<unsigned int>{8, 8}));
    QCOMPARE(describeAll(sortedFolder.children()), folderChildrenBefore);
    QCOMPARE(sortedFolder.sortOrder(), QList<QString>{QStringLiteral("y")});
}

void EntryTest::sortChildrenWithoutChildren()
{
    Entry entry;
    entry.setPriority(4);
    entry.setSortOrder({QStringLiteral("a"), QStringLiteral("b")});
    const QString before = describe(entry);

    entry.sortChildren();

    QCOMPARE(describe(entry), before);
    QCOMPARE(entry.hasChildren(), false);

    entry.updateSortOrder();
    QVERIFY(entry.sortOrder().isEmpty());
}

QTEST_GUILESS_MAIN(EntryTest)

#include "entrytest.moc"

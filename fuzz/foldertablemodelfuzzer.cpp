/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// Random edits of the indexed-folders model, with its invariants checked after every step: the
// included folders are rows and the status column says so, needSave() agrees with the state last
// loaded or saved, and after add(), exclude() and remove() some folder is included. Qt's model
// tester checks every change signal on the way.

#include "baloosettings.h"
#include "foldertablemodel.h"
#include "fuzzsupport.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QAbstractItemModelTester>
#include <QSet>
#include <QStringList>

#include <string>

namespace
{
enum Operation { Load, Include, Exclude, Add, AddFolder, Remove, RestoreHome, Save, OperationCount };

QStringList pathPool()
{
    const QString home = QDir::homePath();
    return {home,
            home + QLatin1Char('/'),
            home + QStringLiteral("//"),
            home + QStringLiteral("/docs"),
            home + QStringLiteral("/docs/"),
            home.left(home.size() - 1),
            QStringLiteral("/"),
            QString(),
            QStringLiteral("//"),
            QStringLiteral("/a"),
            QStringLiteral("/a/"),
            QStringLiteral("/a/b/"),
            QStringLiteral("/b/"),
            QStringLiteral("~/")};
}

QString randomPath(FuzzedDataProvider &provider, const QStringList &pool)
{
    if (provider.ConsumeIntegralInRange(0, 7) == 0) {
        return QString::fromUtf8(QByteArray::fromStdString(provider.ConsumeRandomLengthString(12)));
    }
    return pool.at(provider.ConsumeIntegralInRange(0, pool.size() - 1));
}

QStringList randomPaths(FuzzedDataProvider &provider, const QStringList &pool)
{
    QStringList paths;
    for (int count = provider.ConsumeIntegralInRange(0, 4); count > 0; --count) {
        paths.append(randomPath(provider, pool));
    }
    return paths;
}

QStringList rows(const FolderTableModel &model)
{
    QStringList paths;
    for (int row = 0; row < model.rowCount(); ++row) {
        paths.append(model.folderAtIndex(model.index(row, 0)));
    }
    return paths;
}

QSet<QString> toSet(const QStringList &list)
{
    return QSet<QString>(list.cbegin(), list.cend());
}

QSet<QString> includedRows(const FolderTableModel &model)
{
    QSet<QString> included;
    for (const QString &path : rows(model)) {
        if (model.isIncluded(path)) {
            included.insert(path);
        }
    }
    return included;
}

QString describe(const QSet<QString> &set)
{
    QStringList list(set.cbegin(), set.cend());
    list.sort();
    return QLatin1Char('{') + list.join(QLatin1Char(',')) + QLatin1Char('}');
}

struct SavedState {
    QSet<QString> rows;
    QSet<QString> included;
};

void checkInvariants(const FolderTableModel &model, const SavedState &saved, const QStringList &seenPaths)
{
    const QStringList currentRows = rows(model);
    const QSet<QString> rowSet = toSet(currentRows);
    for (int row = 0; row < currentRows.size(); ++row) {
        const QString &path = currentRows.at(row);
        const QString status = model.data(model.index(row, 1)).toString();
        FuzzSupport::check(status == (model.isIncluded(path) ? QStringLiteral("Indexed") : QStringLiteral("Not indexed")),
                           "the status column says whether the row is included");
        FuzzSupport::check(model.data(model.index(row, 0), Qt::WhatsThisRole).toString() == path, "a row's what's-this is its path");
        FuzzSupport::check(path.endsWith(QLatin1Char('/')), "every row ends with a slash");
    }
    for (const QString &path : seenPaths) {
        for (const QString &candidate : {path, FolderTableModel::normalizeTrailingSlashes(QString(path))}) {
            FuzzSupport::check(!model.isIncluded(candidate) || rowSet.contains(candidate), "only rows are included", [&] {
                return candidate;
            });
        }
    }
    const QSet<QString> included = includedRows(model);
    const bool changed = rowSet != saved.rows || included != saved.included;
    FuzzSupport::check(model.needSave() == changed, "needSave() tells whether rows or included folders changed since the last load or save", [&] {
        return QStringLiteral("needSave %1; rows %2 saved %3; included %4 saved %5")
            .arg(model.needSave())
            .arg(describe(rowSet), describe(saved.rows), describe(included), describe(saved.included));
    });
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
    const QStringList pool = pathPool();
    QStringList seenPaths = pool;

    FolderTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    BalooSettings settings;
    SavedState saved;

    while (provider.remaining_bytes() > 0) {
        const auto operation = static_cast<Operation>(provider.ConsumeIntegralInRange<int>(0, OperationCount - 1));
        if (operation == Load) {
            const QStringList included = randomPaths(provider, pool);
            const QStringList excluded = randomPaths(provider, pool);
            seenPaths += included + excluded;
            model.load(included, excluded);
            const QStringList normalizedIncluded = FolderTableModel::normalizeTrailingSlashes(QStringList(included));
            saved = {toSet(normalizedIncluded + FolderTableModel::normalizeTrailingSlashes(QStringList(excluded))), toSet(normalizedIncluded)};
            FuzzSupport::check(!model.needSave(), "nothing needs saving right after load()");
        } else if (operation == Save) {
            model.save(settings);
            saved = {toSet(rows(model)), includedRows(model)};
            FuzzSupport::check(!model.needSave(), "nothing needs saving right after save()");
            FuzzSupport::check(toSet(settings.folders()) == saved.included, "save() writes the included folders");
            FuzzSupport::check(toSet(settings.excludedFolders()) == saved.rows - saved.included, "save() writes the other rows as excluded");
        } else if (operation == RestoreHome) {
            model.restoreHome();
            FuzzSupport::check(!includedRows(model).isEmpty(), "restoreHome() leaves a folder included");
        } else {
            const QString path = randomPath(provider, pool);
            seenPaths.append(path);
            switch (operation) {
            case Include:
                model.include(path);
                break;
            case Exclude:
                model.exclude(path);
                break;
            case Add:
                model.add(path, provider.ConsumeBool());
                break;
            case AddFolder:
                model.addFolder(path, provider.ConsumeBool());
                break;
            default:
                model.remove(path);
                break;
            }
            if (operation == Exclude || operation == Add || operation == Remove) {
                FuzzSupport::check(!includedRows(model).isEmpty(), "after add(), exclude() and remove() some folder is included");
            }
        }
        checkInvariants(model, saved, seenPaths);
    }
    return 0;
}

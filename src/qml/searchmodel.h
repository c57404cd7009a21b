/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_SEARCHMODEL_H
#define NIMBSTARTMENU_QML_SEARCHMODEL_H

#include "qmllistmodel.h"

#include <KRunner/QueryMatch>

#include <memory>

class IndexingRunner;

/**
 * The results of the start menu's search for @c query, best first: the matches that ServiceFinder
 * finds in the index of an IndexingRunner, in their order of relevance.
 *
 * The index is built by prepare() or at the first query, and built again after each update of the
 * menu tree; never per query.
 */
class SearchModel : public QmlListModel
{
    Q_OBJECT
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)

public:
    enum Roles {
        TextRole = Qt::UserRole + 1,
        SubtextRole,
        IconNameRole,
        RelevanceRole,
        MatchTypeRole,
        DataRole,
    };
    Q_ENUM(Roles)

    explicit SearchModel(QObject *parent = nullptr);
    ~SearchModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    QString query() const;
    void setQuery(const QString &query);

    /// Runs the result of @p row; false if there is none. A failure shows in launchFailed().
    Q_INVOKABLE bool run(int row);

    /**
     * Builds the index now if it is not built, so that the first keystroke does not wait for it: a
     * view calls it once it has shown its first frame. The index is built anyway at the first query.
     */
    Q_INVOKABLE void prepare();

Q_SIGNALS:
    void queryChanged();
    void launchFailed(const QString &name, const QString &error);

private:
    void search();
    void buildIndex();

    QString m_query;
    QList<Plasma::QueryMatch> m_matches;
    std::unique_ptr<IndexingRunner> m_runner;
    bool m_indexed = false;
};

#endif

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "searchmodel.h"

#include "launcher.h"
#include "menutree.h"

#include <NimbStartMenu/indexingrunner.h>
#include <NimbStartMenu/servicefinder.h>

#include <KRunner/RunnerContext>

#include <QJsonObject>
#include <QUrl>

#include <algorithm>

namespace
{
QString dataText(const QVariant &data)
{
    return data.userType() == QMetaType::QUrl ? data.toUrl().toString() : data.toString();
}

const char *typeName(Plasma::QueryMatch::Type type)
{
    switch (type) {
    case Plasma::QueryMatch::ExactMatch:
        return "exact";
    case Plasma::QueryMatch::PossibleMatch:
        return "possible";
    case Plasma::QueryMatch::HelperMatch:
        return "helper";
    case Plasma::QueryMatch::CompletionMatch:
        return "completion";
    default:
        return "none";
    }
}
}

SearchModel::SearchModel(QObject *parent)
    : QmlListModel(parent)
{
    const QJsonObject metaData{{QStringLiteral("KPlugin"), QJsonObject{{QStringLiteral("Id"), QStringLiteral("nimb-startmenu")}}}};
    m_runner = std::make_unique<IndexingRunner>(nullptr, KPluginMetaData(metaData, QString()), QVariantList());
    connect(MenuTree::instance(), &MenuTree::changed, this, [this] {
        // An index in use is built again at once, not at the next keystroke.
        const bool wasIndexed = m_indexed;
        m_runner->indexer().clear();
        m_indexed = false;
        if (!m_query.isEmpty()) {
            search();
        } else if (wasIndexed) {
            prepare();
        }
    });
}

SearchModel::~SearchModel() = default;

int SearchModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_matches.size();
}

QVariant SearchModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return QVariant();
    }
    const Plasma::QueryMatch &match = m_matches.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case TextRole:
        return match.text();
    case SubtextRole:
        return match.subtext();
    case Qt::DecorationRole:
    case IconNameRole:
        return match.iconName();
    case RelevanceRole:
        return match.relevance();
    case MatchTypeRole:
        return QString::fromLatin1(typeName(match.type()));
    case DataRole:
        return dataText(match.data());
    }
    return QVariant();
}

QHash<int, QByteArray> SearchModel::roleNames() const
{
    return {
        {Qt::DisplayRole, "display"},
        {Qt::DecorationRole, "decoration"},
        {TextRole, "text"},
        {SubtextRole, "subtext"},
        {IconNameRole, "iconName"},
        {RelevanceRole, "relevance"},
        {MatchTypeRole, "matchType"},
        {DataRole, "matchData"},
    };
}

QString SearchModel::query() const
{
    return m_query;
}

void SearchModel::setQuery(const QString &query)
{
    if (m_query == query) {
        return;
    }
    m_query = query;
    Q_EMIT queryChanged();
    search();
}

bool SearchModel::run(int row)
{
    const QString target = get(row, QStringLiteral("matchData")).toString();
    if (target.isEmpty()) {
        return false;
    }
    const QString name = get(row, QStringLiteral("text")).toString();
    StartMenuQml::launch(target, this, [this, name](const QString &error) {
        Q_EMIT launchFailed(name, error);
    });
    return true;
}

void SearchModel::prepare()
{
    if (!m_indexed) {
        buildIndex();
    }
}

void SearchModel::buildIndex()
{
    Indexer &indexer = m_runner->indexer();
    indexer.clear();
    indexer.indexApplications();
    indexer.indexSettings();
    m_indexed = true;
}

void SearchModel::search()
{
    QList<Plasma::QueryMatch> matches;
    if (!m_query.trimmed().isEmpty()) {
        if (!m_indexed) {
            buildIndex();
        }
        Plasma::RunnerContext context;
        context.setQuery(m_query);
        ServiceFinder finder(m_runner.get());
        finder.match(context);
        matches = context.matches();
        std::stable_sort(matches.begin(), matches.end(), [](const Plasma::QueryMatch &a, const Plasma::QueryMatch &b) {
            return a.relevance() > b.relevance();
        });
    }
    resetRows([this, &matches] {
        m_matches = matches;
    });
}

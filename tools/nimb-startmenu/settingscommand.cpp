/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// "settings show | set NAME VALUE | reset NAME": the start menu's and the search's preferences.

#include "cli.h"

#include <NimbStartMenu/menusettings.h>
#include <NimbStartMenu/searchsettings.h>

#include <QMetaProperty>

#include <functional>
#include <vector>

namespace
{
// SearchSettings has no meta-object properties: its values are reached through plain functions.
struct SearchValue {
    QString name;
    std::function<QVariant(const SearchSettings &)> get;
    std::function<void(SearchSettings &, const QVariant &)> set;
};

template<typename T>
SearchValue searchValue(const char *name, T (SearchSettings::*getter)() const, void (SearchSettings::*setter)(T))
{
    return {QString::fromLatin1(name),
            [getter](const SearchSettings &settings) {
                return QVariant::fromValue((settings.*getter)());
            },
            [setter](SearchSettings &settings, const QVariant &value) {
                (settings.*setter)(value.value<T>());
            }};
}

const std::vector<SearchValue> &searchValues()
{
    static const std::vector<SearchValue> values{
        searchValue("indexApplications", &SearchSettings::indexApplications, &SearchSettings::setIndexApplications),
        searchValue("indexSettings", &SearchSettings::indexSettings, &SearchSettings::setIndexSettings),
        searchValue("indexDocuments", &SearchSettings::indexDocuments, &SearchSettings::setIndexDocuments),
        searchValue("indexMedia", &SearchSettings::indexMedia, &SearchSettings::setIndexMedia),
        searchValue("indexArchives", &SearchSettings::indexArchives, &SearchSettings::setIndexArchives),
        searchValue("indexHelp", &SearchSettings::indexHelp, &SearchSettings::setIndexHelp),
        searchValue("limitIndexSize", &SearchSettings::limitIndexSize, &SearchSettings::setLimitIndexSize),
        searchValue("indexSizeLimit", &SearchSettings::indexSizeLimit, &SearchSettings::setIndexSizeLimit),
        searchValue("idleModeIndexing", &SearchSettings::idleModeIndexing, &SearchSettings::setIdleModeIndexing),
    };
    return values;
}

std::vector<QMetaProperty> menuProperties()
{
    const QMetaObject &meta = MenuSettings::staticMetaObject;
    std::vector<QMetaProperty> properties;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
        properties.push_back(meta.property(i));
    }
    return properties;
}

QJsonValue toJson(const QVariant &value)
{
    return value.userType() == QMetaType::QStringList ? QJsonValue(QJsonArray::fromStringList(value.toStringList())) : QJsonValue::fromVariant(value);
}

QString toText(const QVariant &value)
{
    if (value.userType() == QMetaType::Bool) {
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    }
    return value.userType() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(',')) : value.toString();
}

// The value typed on the command line, as the preference's type; an invalid QVariant if it is not one.
QVariant fromText(const QString &text, int type)
{
    switch (type) {
    case QMetaType::Bool:
        return text == QLatin1String("true") ? QVariant(true) : text == QLatin1String("false") ? QVariant(false) : QVariant();
    case QMetaType::QStringList:
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char(','));
    case QMetaType::LongLong: {
        bool ok = false;
        const qint64 number = text.toLongLong(&ok);
        return ok ? QVariant::fromValue(number) : QVariant();
    }
    default:
        return text;
    }
}

int show(const Cli::Invocation &invocation)
{
    MenuSettings menu;
    menu.load();
    SearchSettings search;
    search.load();

    QJsonObject menuValues;
    QJsonObject searchValuesJson;
    QStringList lines;
    for (const QMetaProperty &property : menuProperties()) {
        const QVariant value = property.read(&menu);
        menuValues.insert(QString::fromLatin1(property.name()), toJson(value));
        lines.append(QStringLiteral("%1 = %2").arg(QString::fromLatin1(property.name()), -36).arg(toText(value)));
    }
    for (const SearchValue &value : searchValues()) {
        searchValuesJson.insert(value.name, toJson(value.get(search)));
        lines.append(QStringLiteral("%1 = %2").arg(value.name, -36).arg(toText(value.get(search))));
    }
    if (invocation.json) {
        Cli::printJson(QJsonObject{{QStringLiteral("menu"), menuValues}, {QStringLiteral("search"), searchValuesJson}});
    } else {
        for (const QString &line : qAsConst(lines)) {
            Cli::print(line);
        }
    }
    return Cli::Success;
}

int change(const Cli::Invocation &invocation, const QCommandLineParser &parser, const QString &name, const QString *text)
{
    const auto reportChange = [&invocation, &name](const QVariant &value) {
        if (invocation.json) {
            Cli::printJson(QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("value"), toJson(value)}});
        } else {
            Cli::print(QStringLiteral("%1 = %2").arg(name, toText(value)));
        }
        return Cli::Success;
    };

    const auto properties = menuProperties();
    const auto property = std::find_if(properties.cbegin(), properties.cend(), [&name](const QMetaProperty &candidate) {
        return name == QLatin1String(candidate.name());
    });
    if (property != properties.cend()) {
        MenuSettings menu;
        menu.load();
        if (text) {
            const QVariant value = fromText(*text, property->userType());
            if (!value.isValid()) {
                return Cli::usageError(parser, QStringLiteral("%1 takes true or false").arg(name));
            }
            property->write(&menu, value);
        } else if (!property->reset(&menu)) {
            return Cli::usageError(parser, QStringLiteral("%1 has no default to reset to").arg(name));
        }
        menu.save();
        // Some preferences are the user's to keep in the file; the start menu never writes them.
        MenuSettings stored;
        stored.load();
        if (property->read(&stored) != property->read(&menu)) {
            return Cli::failure(QStringLiteral("%1 is not stored by the start menu's preferences; it stays %2").arg(name, toText(property->read(&stored))));
        }
        return reportChange(property->read(&stored));
    }

    const auto &values = searchValues();
    const auto value = std::find_if(values.cbegin(), values.cend(), [&name](const SearchValue &candidate) {
        return candidate.name == name;
    });
    if (value == values.cend()) {
        return Cli::usageError(parser, QStringLiteral("unknown preference \"%1\"; \"settings show\" lists them").arg(name));
    }
    SearchSettings search;
    search.load();
    if (text) {
        const QVariant typed = fromText(*text, value->get(search).userType());
        if (!typed.isValid()) {
            return Cli::usageError(
                parser,
                QStringLiteral("%1 takes %2")
                    .arg(name, value->get(search).userType() == QMetaType::Bool ? QStringLiteral("true or false") : QStringLiteral("a number")));
        }
        value->set(search, typed);
    } else {
        value->set(search, value->get(SearchSettings()));
    }
    search.save();
    return reportChange(value->get(search));
}
}

namespace Commands
{
int settings(const Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(
        QStringLiteral("action"),
        QStringLiteral("show: every preference; set NAME VALUE: change one (lists separated by commas); reset NAME: back to its default."),
        QStringLiteral("show|set NAME VALUE|reset NAME"));
    if (!Cli::parse(parser,
                    invocation,
                    QStringLiteral("The start menu's and the search's preferences, by their property names, saved to the configuration file."))) {
        return Cli::UsageError;
    }
    const QStringList arguments = parser.positionalArguments();
    const QString action = arguments.value(0);
    if (action == QLatin1String("show") && arguments.size() == 1) {
        return show(invocation);
    }
    if (action == QLatin1String("set") && arguments.size() == 3) {
        return change(invocation, parser, arguments.at(1), &arguments.at(2));
    }
    if (action == QLatin1String("reset") && arguments.size() == 2) {
        return change(invocation, parser, arguments.at(1), nullptr);
    }
    if (action == QLatin1String("show") || action == QLatin1String("set") || action == QLatin1String("reset")) {
        return Cli::usageError(parser, QStringLiteral("wrong number of arguments for \"settings %1\"").arg(action));
    }
    return Cli::usageError(parser,
                           action.isEmpty() ? QStringLiteral("settings needs an action") : QStringLiteral("unknown settings action \"%1\"").arg(action));
}
}

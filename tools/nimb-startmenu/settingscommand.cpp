/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// "settings show | set NAME VALUE | reset NAME": the start menu's and the search's preferences.

#include "cli.h"

#include <NimbStartMenu/menusettings.h>
#include <NimbStartMenu/searchsettings.h>

#include <QHash>
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

// Every preference, whichever object keeps it: its name, current and default value, and how to change
// it in an object loaded from the file.
struct Preference {
    QString name;
    QVariant value;
    QVariant defaultValue;
    bool isMenu = false;
};

std::vector<Preference> preferences(const MenuSettings &menu, const SearchSettings &search)
{
    const MenuSettings defaultMenu;
    const SearchSettings defaultSearch;
    std::vector<Preference> list;
    for (const QMetaProperty &property : menuProperties()) {
        list.push_back({QString::fromLatin1(property.name()), property.read(&menu), property.read(&defaultMenu), true});
    }
    for (const SearchValue &value : searchValues()) {
        list.push_back({value.name, value.get(search), value.get(defaultSearch), false});
    }
    return list;
}

// The values the start menu knows; any other is stored all the same, but the menu ignores it.
const QStringList &knownTabs()
{
    static const QStringList tabs{
        QStringLiteral("apps"),
        QStringLiteral("gridapps"),
        QStringLiteral("favorites"),
        QStringLiteral("gridfavorites"),
        QStringLiteral("computer"),
        QStringLiteral("gridcomputer"),
        QStringLiteral("recent"),
        QStringLiteral("gridrecent"),
        QStringLiteral("params"),
        QStringLiteral("gridparams"),
        QStringLiteral("leave"),
    };
    return tabs;
}

void warnAboutUnknownValues(const QString &name, const QVariant &value)
{
    static const QHash<QString, QStringList> known{
        {QStringLiteral("appsMode"), {QStringLiteral("tree"), QStringLiteral("list")}},
        {QStringLiteral("defaultTab"), knownTabs()},
        {QStringLiteral("tabs"), knownTabs()},
    };
    const auto values = known.constFind(name);
    if (values == known.cend()) {
        return;
    }
    for (const QString &text : value.toStringList()) {
        if (!values->contains(text)) {
            Cli::warning(QStringLiteral("the start menu knows no %1 \"%2\" (it knows %3); stored all the same")
                             .arg(name, Cli::escaped(text), values->join(QStringLiteral(", "))));
        }
    }
}

// The tabs that MenuSettings::save() puts into the tab list or takes out of it, and why.
QStringList explainTabs(const QStringList &before, const MenuSettings &saved)
{
    static const QHash<QString, QString> switches{
        {QStringLiteral("favorites"), QStringLiteral("enableFavorites")},
        {QStringLiteral("computer"), QStringLiteral("enableComputer")},
        {QStringLiteral("recent"), QStringLiteral("enableRecent")},
    };
    const QStringList after = saved.getTabs();
    QStringList notes;
    const auto why = [&saved](const QString &tab) {
        const QString property = switches.value(tab);
        return property.isEmpty() ? QStringLiteral("the start menu always has it")
                                  : QStringLiteral("%1 is %2").arg(property, toText(saved.property(property.toLatin1().constData())));
    };
    for (const QString &tab : after) {
        if (!before.contains(tab)) {
            notes.append(QStringLiteral("%1 kept in tabs: %2").arg(tab, why(tab)));
        }
    }
    for (const QString &tab : before) {
        if (!after.contains(tab)) {
            notes.append(QStringLiteral("%1 taken out of tabs: %2").arg(Cli::escaped(tab), why(tab)));
        }
    }
    return notes;
}

int show(const Cli::Invocation &invocation, const QString &only)
{
    MenuSettings menu;
    menu.load();
    SearchSettings search;
    search.load();

    QJsonObject menuValues;
    QJsonObject searchValuesJson;
    QJsonArray changed;
    QStringList lines;
    for (const Preference &preference : preferences(menu, search)) {
        if (!only.isEmpty()) {
            if (preference.name != only) {
                continue;
            }
            if (invocation.json) {
                Cli::printJson(QJsonObject{{QStringLiteral("name"), preference.name}, {QStringLiteral("value"), toJson(preference.value)}});
            } else {
                Cli::print(Cli::escaped(toText(preference.value)));
            }
            return Cli::Success;
        }
        (preference.isMenu ? menuValues : searchValuesJson).insert(preference.name, toJson(preference.value));
        QString line = QStringLiteral("%1 = %2").arg(preference.name, -36).arg(Cli::escaped(toText(preference.value)));
        if (preference.value != preference.defaultValue) {
            changed.append(preference.name);
            line += QStringLiteral("  (default: %1)").arg(toText(preference.defaultValue));
        }
        lines.append(line);
    }
    if (!only.isEmpty()) {
        return -1; // not a preference: the caller reports it
    }
    if (invocation.json) {
        Cli::printJson(QJsonObject{{QStringLiteral("menu"), menuValues}, {QStringLiteral("search"), searchValuesJson}, {QStringLiteral("changed"), changed}});
    } else {
        for (const QString &line : qAsConst(lines)) {
            Cli::print(line);
        }
    }
    return Cli::Success;
}

int change(const Cli::Invocation &invocation, const QCommandLineParser &parser, const QString &name, const QString *text)
{
    const auto reportChange = [&invocation, &name](const QVariant &value, const QStringList &notes) {
        if (invocation.json) {
            QJsonObject result{{QStringLiteral("name"), name}, {QStringLiteral("value"), toJson(value)}};
            if (!notes.isEmpty()) {
                result.insert(QStringLiteral("notes"), QJsonArray::fromStringList(notes));
            }
            Cli::printJson(result);
        } else {
            Cli::print(QStringLiteral("%1 = %2").arg(name, Cli::escaped(toText(value))));
            for (const QString &note : notes) {
                Cli::print(QStringLiteral("note: ") + note);
            }
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
            warnAboutUnknownValues(name, value);
            property->write(&menu, value);
        } else if (!property->reset(&menu)) {
            return Cli::usageError(parser, QStringLiteral("%1 has no default to reset to").arg(name));
        }
        const QStringList tabsBefore = menu.getTabs();
        menu.save();
        // Some preferences are the user's to keep in the file; the start menu never writes them.
        MenuSettings stored;
        stored.load();
        if (property->read(&stored) != property->read(&menu)) {
            return Cli::failure(
                QStringLiteral("%1 is not stored by the start menu's preferences; it stays %2").arg(name, Cli::escaped(toText(property->read(&stored)))));
        }
        return reportChange(property->read(&stored), explainTabs(tabsBefore, stored));
    }

    const auto &values = searchValues();
    const auto value = std::find_if(values.cbegin(), values.cend(), [&name](const SearchValue &candidate) {
        return candidate.name == name;
    });
    if (value == values.cend()) {
        return Cli::usageError(parser, QStringLiteral("unknown preference \"%1\"; \"settings show\" lists them").arg(Cli::escaped(name)));
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
    return reportChange(value->get(search), {});
}
}

namespace Commands
{
int settings(Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("action"),
                                 QStringLiteral("show: every preference, marking those that differ from their default; get NAME: one value; "
                                                "set NAME VALUE: change one (lists separated by commas); reset NAME: back to its default."),
                                 QStringLiteral("show|get NAME|set NAME VALUE|reset NAME"));
    if (const auto exit = Cli::parse(parser,
                                     invocation,
                                     QStringLiteral("The start menu's and the search's preferences, by their property names, in the preferences "
                                                    "file (\"paths\" names it). show and get only read it.\n"
                                                    "Exit status 1: set or reset of a preference that the preferences file does not store."))) {
        return *exit;
    }
    const QStringList arguments = Cli::positionalArguments(parser);
    const QString action = arguments.value(0);
    static const QHash<QString, int> argumentCounts{
        {QStringLiteral("show"), 1},
        {QStringLiteral("get"), 2},
        {QStringLiteral("set"), 3},
        {QStringLiteral("reset"), 2},
    };
    if (!argumentCounts.contains(action)) {
        return Cli::usageError(parser,
                               action.isEmpty() ? QStringLiteral("settings needs an action")
                                                : QStringLiteral("unknown settings action \"%1\"").arg(Cli::escaped(action)));
    }
    if (arguments.size() != argumentCounts.value(action)) {
        return Cli::usageError(parser, QStringLiteral("wrong number of arguments for \"settings %1\"").arg(action));
    }
    if (action == QLatin1String("show")) {
        return show(invocation, QString());
    }
    if (action == QLatin1String("get")) {
        const int status = show(invocation, arguments.at(1));
        return status >= 0
            ? status
            : Cli::usageError(parser, QStringLiteral("unknown preference \"%1\"; \"settings show\" lists them").arg(Cli::escaped(arguments.at(1))));
    }
    return change(invocation, parser, arguments.at(1), action == QLatin1String("set") ? &arguments.at(2) : nullptr);
}
}

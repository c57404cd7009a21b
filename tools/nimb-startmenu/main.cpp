/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include <NimbStartMenu/logging.h>
#include <NimbStartMenu/nimbdesktopentry.h>
#include <NimbStartMenu/nimbstartmenu_version.h>
#include <NimbStartMenu/startmenuutils.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <functional>

namespace
{
struct GlobalOptions {
    bool json = false;
};

// Every subcommand has this shape: its own parser for its arguments and --help, then the work.
struct Command {
    const char *name;
    const char *summary;
    std::function<int(const GlobalOptions &, const QStringList &arguments)> run;
};

void print(const QString &text)
{
    const QByteArray utf8 = text.toUtf8() + '\n';
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
}

void printJson(const QJsonObject &object)
{
    print(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)).trimmed());
}

bool parseSubcommand(QCommandLineParser &parser, const QStringList &arguments, const QString &description)
{
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        print(parser.helpText());
        std::exit(0);
    }
    return true;
}

int runPaths(const GlobalOptions &options, const QStringList &arguments)
{
    QCommandLineParser parser;
    if (!parseSubcommand(parser, arguments, QStringLiteral("Prints the folders the library uses, and how many desktop files in each it accepts."))) {
        return 2;
    }

    const auto acceptedEntries = [](const QString &folder) {
        int accepted = 0;
        QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files | QDir::Readable, QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (it.hasNext()) {
            const NimbDesktopEntry entry(it.next().toStdString());
            accepted += entry.isLoaded() && entry.isValid() && entry.isSuitable(nullptr) && entry.isDisplayable(nullptr) && entry.isForNimb(nullptr);
        }
        return accepted;
    };

    QElapsedTimer timer;
    timer.start();
    QJsonArray searchPaths;
    for (const QString &path : StartMenuUtils::appSearchPaths()) {
        searchPaths.append(QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("accepted"), acceptedEntries(path)}});
    }
    const qint64 readMs = timer.elapsed();
    const QString themeFile = QString::fromStdString(GetNimbDir(NimbDir::WindowManager)) + QStringLiteral("/current.themerc")
        + QString::fromStdString(nimbSessionConfigSuffix(WhatNimbSession::Desktop));

    const QJsonObject result{
        {QStringLiteral("systemRoot"), StartMenuUtils::systemRoot()},
        {QStringLiteral("menuDir"), StartMenuUtils::menuDir()},
        {QStringLiteral("appSearchPaths"), searchPaths},
        {QStringLiteral("appDirsToWatch"), QJsonArray::fromStringList(StartMenuUtils::appDirsToWatch())},
        {QStringLiteral("userCategoriesSearchPaths"), QJsonArray::fromStringList(StartMenuUtils::userCategoriesSearchPaths())},
        {QStringLiteral("themeSettingsFile"), themeFile},
        {QStringLiteral("logFile"), QString(QDir::homePath() + QStringLiteral("/.cache/nimb-start-menu/nimb-start-menu.log"))},
        {QStringLiteral("locale"), QString::fromStdString(NimbDesktopEntry::locale())},
    };
    if (options.json) {
        printJson(result);
        return 0;
    }
    print(QStringLiteral("system root:      %1").arg(StartMenuUtils::systemRoot()));
    print(QStringLiteral("menu tree:        %1").arg(StartMenuUtils::menuDir()));
    print(QStringLiteral("theme settings:   %1").arg(themeFile));
    print(QStringLiteral("debug log:        %1").arg(result.value(QStringLiteral("logFile")).toString()));
    print(QStringLiteral("locale:           %1").arg(result.value(QStringLiteral("locale")).toString()));
    print(QStringLiteral("application folders (accepted desktop files):"));
    for (const auto &value : searchPaths) {
        const QJsonObject folder = value.toObject();
        print(QStringLiteral("  %1 (%2)").arg(folder.value(QStringLiteral("path")).toString()).arg(folder.value(QStringLiteral("accepted")).toInt()));
    }
    print(QStringLiteral("administrator categories:"));
    for (const QString &path : StartMenuUtils::userCategoriesSearchPaths()) {
        print(QStringLiteral("  ") + path);
    }
    print(QStringLiteral("watched for changes:"));
    for (const QString &path : StartMenuUtils::appDirsToWatch()) {
        print(QStringLiteral("  ") + path);
    }
    print(QStringLiteral("read the application folders in %1 ms").arg(readMs));
    return 0;
}

int runEntry(const GlobalOptions &options, const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Desktop files to read."), QStringLiteral("FILE..."));
    if (!parseSubcommand(parser, arguments, QStringLiteral("Reads desktop files as the library does and prints what it sees."))) {
        return 2;
    }
    if (parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "entry: no file given\n");
        return 2;
    }

    const auto list = [](const std::vector<std::string> &values) {
        return QJsonArray::fromStringList(StartMenuUtils::stdStringVectorToQStringList(values));
    };
    int status = 0;
    for (const QString &file : parser.positionalArguments()) {
        const NimbDesktopEntry entry(file.toStdString());
        std::string why;
        const bool accepted = entry.isLoaded() && entry.isValid(&why) && entry.isSuitable(&why) && entry.isDisplayable(&why) && entry.isForNimb(&why);
        if (!entry.isLoaded()) {
            why = "not a readable desktop entry";
        }
        const QJsonObject result{
            {QStringLiteral("file"), file},
            {QStringLiteral("accepted"), accepted},
            {QStringLiteral("rejectedBecause"), QString::fromStdString(why)},
            {QStringLiteral("type"), QString::fromStdString(entry.type())},
            {QStringLiteral("name"), QString::fromStdString(entry.name())},
            {QStringLiteral("localName"), QString::fromStdString(entry.localName())},
            {QStringLiteral("localGenericName"), QString::fromStdString(entry.localGenericName())},
            {QStringLiteral("localComment"), QString::fromStdString(entry.localComment())},
            {QStringLiteral("exec"), QString::fromStdString(entry.exec())},
            {QStringLiteral("icon"), QString::fromStdString(entry.localIconOrFallback())},
            {QStringLiteral("categories"), list(entry.categories())},
            {QStringLiteral("localKeywords"), list(entry.localKeywords())},
        };
        status = accepted ? status : 1;
        if (options.json) {
            printJson(result);
            continue;
        }
        print(file);
        for (auto it = result.constBegin(); it != result.constEnd(); ++it) {
            const QString value = it->isArray() ? it->toVariant().toStringList().join(QLatin1Char(';')) : it->toVariant().toString();
            if (it.key() != QLatin1String("file") && !value.isEmpty()) {
                print(QStringLiteral("  %1: %2").arg(it.key(), value));
            }
        }
    }
    return status;
}

const std::vector<Command> &commands()
{
    static const std::vector<Command> table{
        {"paths", "the folders the library uses, with the desktop files it accepts there", runPaths},
        {"entry", "how the library reads given desktop files", runEntry},
    };
    return table;
}
}

int main(int argc, char **argv)
{
    // --home has to take effect before the library computes any path, so it is applied before Qt starts.
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--home") == 0) {
            qputenv("HOME", argv[i + 1]);
        }
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nimb-startmenu"));
    QCoreApplication::setApplicationVersion(QStringLiteral(NIMBSTARTMENU_VERSION_STRING));

    QString summary = QStringLiteral("Drives the start-menu library from a terminal.\n\nCommands:");
    for (const Command &command : commands()) {
        summary += QStringLiteral("\n  %1  %2").arg(QString::fromLatin1(command.name), -8).arg(QString::fromLatin1(command.summary));
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(summary);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("root"), QStringLiteral("Read system files below DIR instead of /."), QStringLiteral("DIR")},
        {QStringLiteral("home"), QStringLiteral("Use DIR as the home directory."), QStringLiteral("DIR")},
        {QStringLiteral("json"), QStringLiteral("Print one JSON document instead of text.")},
        {QStringLiteral("debug"), QStringLiteral("Switch the debug log on for this run.")},
    });
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("The command to run."), QStringLiteral("command [options]"));
    // Options after the command name belong to the command.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        parser.showHelp(2);
    }
    if (parser.isSet(QStringLiteral("root"))) {
        StartMenuUtils::setSystemRoot(parser.value(QStringLiteral("root")));
    }
    StartMenuUtils::enableDebug(parser.isSet(QStringLiteral("debug")));

    const GlobalOptions options{parser.isSet(QStringLiteral("json"))};
    for (const Command &command : commands()) {
        if (positional.first() == QLatin1String(command.name)) {
            QStringList arguments = positional;
            arguments.first() = QStringLiteral("nimb-startmenu ") + positional.first();
            return command.run(options, arguments);
        }
    }
    std::fprintf(stderr, "nimb-startmenu: unknown command \"%s\"; see --help\n", qPrintable(positional.first()));
    return 2;
}

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// nimb-startmenu drives every capability of the library from a terminal. It uses only what a
// third-party client has: the installed headers and the package's imported target.

#include "cli.h"

#include <NimbStartMenu/nimbstartmenu_version.h>
#include <NimbStartMenu/startmenuutils.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
void setHome(const char *home)
{
    qputenv("HOME", home);
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_CACHE_HOME");
}

const std::vector<Cli::Command> &commands()
{
    static const std::vector<Cli::Command> table{
        {QStringLiteral("menu"), QStringLiteral("update, reset or show the on-disk menu tree"), Commands::menu},
        {QStringLiteral("search"), QStringLiteral("search applications and settings as the start menu does"), Commands::search},
        {QStringLiteral("watch"), QStringLiteral("follow the application folders and print every menu update"), Commands::watch},
        {QStringLiteral("update-state"), QStringLiteral("the system-update state and power icon; activate an update"), Commands::updateState},
        {QStringLiteral("settings"), QStringLiteral("show or change the start menu's and the search's preferences"), Commands::settings},
        {QStringLiteral("classic-menu"), QStringLiteral("show or switch the window manager's classic menu"), Commands::classicMenu},
        {QStringLiteral("files"), QStringLiteral("the file indexer: status, enable, disable, suspend, resume, purge, folders"), Commands::files},
        {QStringLiteral("paths"), QStringLiteral("the folders the library uses"), Commands::paths},
        {QStringLiteral("entry"), QStringLiteral("how the library reads given desktop files"), Commands::entry},
    };
    return table;
}

// --home must take effect before anything computes a path below the home directory, so it is
// applied before Qt starts. The XDG folders then follow the new home too.
void applyHomeOption(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const bool takesValue = std::strcmp(argv[i], "--root") == 0 || std::strcmp(argv[i], "--home") == 0;
        if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc) {
            setHome(argv[i + 1]);
        } else if (std::strncmp(argv[i], "--home=", 7) == 0) {
            setHome(argv[i] + 7);
        } else if (argv[i][0] != '-') {
            break; // the command and its own arguments begin
        }
        i += takesValue ? 1 : 0;
    }
}

// Outside a desktop session there may be no runtime folder; Qt would warn on every start and then
// use the same folder as this.
void ensureRuntimeDir()
{
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray dir = QFile::encodeName(QDir::tempPath()) + "/runtime-" + QByteArray::number(::getuid());
        if (::mkdir(dir.constData(), 0700) == 0 || errno == EEXIST) {
            qputenv("XDG_RUNTIME_DIR", dir);
        }
    }
}
}

int main(int argc, char **argv)
{
    applyHomeOption(argc, argv);
    ensureRuntimeDir();

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nimb-startmenu"));
    QCoreApplication::setApplicationVersion(QStringLiteral(NIMBSTARTMENU_VERSION_STRING));

    QString summary = QStringLiteral("Drives the start-menu library from a terminal.\n\nCommands (each has --help):");
    for (const Cli::Command &command : commands()) {
        summary += QStringLiteral("\n  %1  %2").arg(command.name, -13).arg(command.summary);
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(summary);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("root"), QStringLiteral("Read the system's files below DIR instead of /."), QStringLiteral("DIR")},
        {QStringLiteral("home"), QStringLiteral("Use DIR as the home directory (and its XDG folders)."), QStringLiteral("DIR")},
        {QStringLiteral("json"), QStringLiteral("Print one JSON document instead of text.")},
        {QStringLiteral("debug"), QStringLiteral("Switch the debug log on for this run.")},
    });
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("The command to run, with its own arguments."),
                                 QStringLiteral("COMMAND [ARGUMENTS...]"));
    // Options after the command name belong to the command.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(app.arguments())) {
        return Cli::usageError(parser, parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        Cli::print(Cli::helpText(parser));
        return Cli::Success;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        Cli::print(QStringLiteral("nimb-startmenu ") + QCoreApplication::applicationVersion());
        return Cli::Success;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        return Cli::usageError(parser, QStringLiteral("no command given"));
    }
    if (parser.isSet(QStringLiteral("root"))) {
        StartMenuUtils::setSystemRoot(parser.value(QStringLiteral("root")));
    }
    if (parser.isSet(QStringLiteral("debug"))) {
        StartMenuUtils::enableDebug(true);
    } else {
        // The library logs each item it writes; without --debug the tool's own output is enough.
        QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug=false"));
    }

    for (const Cli::Command &command : commands()) {
        if (positional.first() == command.name) {
            Cli::Invocation invocation;
            invocation.json = parser.isSet(QStringLiteral("json"));
            invocation.arguments = positional;
            invocation.arguments.first() = QStringLiteral("nimb-startmenu ") + command.name;
            return command.run(invocation);
        }
    }
    return Cli::usageError(parser, QStringLiteral("unknown command \"%1\"").arg(positional.first()));
}

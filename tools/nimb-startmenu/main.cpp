/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// nimb-startmenu drives every capability of the library from a terminal. It uses what a third-party
// client has, the installed headers and the package's imported target, and the library's one intake
// of desktop files (see CMakeLists.txt).

#include "cli.h"
#include "startupenvironment.h"

#include <NimbStartMenu/nimbstartmenu_version.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

// A framework loaded with the search runner makes the configuration folder when the application
// starts, to look for a language of its own there. The commands that only read must leave a home
// without one as it is; for that moment the folder is the runtime folder, made already.
class ConfigFolderGuard
{
public:
    ConfigFolderGuard()
        : m_saved(qgetenv("XDG_CONFIG_HOME"))
        , m_wasSet(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
    {
        const QString folder = m_saved.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : QFile::decodeName(m_saved);
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        m_active = !QFileInfo::exists(folder) && !runtime.isEmpty() && QFileInfo(QFile::decodeName(runtime)).isDir();
        if (m_active) {
            qputenv("XDG_CONFIG_HOME", runtime);
        }
    }
    ~ConfigFolderGuard()
    {
        if (m_active && m_wasSet) {
            qputenv("XDG_CONFIG_HOME", m_saved);
        } else if (m_active) {
            qunsetenv("XDG_CONFIG_HOME");
        }
    }

private:
    QByteArray m_saved;
    bool m_wasSet = false;
    bool m_active = false;
};

int main(int argc, char **argv)
{
    StartupEnvironment::applyHomeOption(argc, argv, {"--root"});
    StartupEnvironment::ensureRuntimeDir();

    std::optional<ConfigFolderGuard> configFolderGuard(std::in_place);
    QCoreApplication app(argc, argv);
    configFolderGuard.reset();
    QCoreApplication::setApplicationName(QStringLiteral("nimb-startmenu"));
    QCoreApplication::setApplicationVersion(QStringLiteral(NIMBSTARTMENU_VERSION_STRING));

    QString summary = QStringLiteral("Drives the start-menu library from a terminal.\n\nCommands (each has --help):");
    for (const Cli::Command &command : Cli::commands()) {
        summary += QStringLiteral("\n  %1  %2").arg(command.name, -13).arg(command.summary);
    }
    summary += QStringLiteral("\n\nThe options below may also follow the command.\n\n") + Cli::failureUses();
    QCommandLineParser parser;
    parser.setApplicationDescription(summary);
    Cli::addHelpOptions(parser);
    parser.addVersionOption();
    parser.addOptions(Cli::globalOptions());
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("The command to run, with its own arguments."),
                                 QStringLiteral("COMMAND [ARGUMENTS...]"));
    // The command's own parser reads what follows the command, global options included.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(app.arguments())) {
        return Cli::usageError(parser, parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
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
    for (const Cli::Command &command : Cli::commands()) {
        if (positional.first() == command.name) {
            // Everything after the first positional argument is positional: the command's own
            // arguments are the last ones, the global options before the command the others.
            const QStringList arguments = app.arguments();
            Cli::Invocation invocation;
            invocation.arguments =
                QStringList{QStringLiteral("nimb-startmenu ") + command.name} + arguments.mid(1, arguments.size() - 1 - positional.size()) + positional.mid(1);
            return command.run(invocation);
        }
    }
    return Cli::usageError(parser, QStringLiteral("unknown command \"%1\"").arg(Cli::escaped(positional.first())));
}

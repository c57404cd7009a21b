/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_CLI_H
#define NIMBSTARTMENU_CLI_H

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace Cli
{
/// Exit codes of the tool.
enum ExitCode {
    Success = 0,
    Failure = 1, ///< see failureUses(): a missing tool, service or folder, a rejected entry, a preference not stored
    UsageError = 2,
};

/// What every command is given: its name first, then every argument but the command's name. The
/// global options may stand anywhere; parse() takes them out and applies them.
struct Invocation {
    bool json = false;
    bool verbose = false;
    QStringList arguments;
};

/// Every subcommand has this shape.
struct Command {
    QString name;
    QString summary;
    std::function<int(Invocation &)> run;
};

/// The commands, in the order the help lists them.
const std::vector<Command> &commands();

/// Adds -h and --help, and the unlisted --help-all.
void addHelpOptions(QCommandLineParser &parser);

/// The options every command takes: --root, --home, --json, --verbose, --debug.
QList<QCommandLineOption> globalOptions();

/// What exit code 1 means, one line a use, for the help texts.
QString failureUses();

/**
 * Parses a command's arguments, the global options among them, and applies those. Prints the help
 * text and exits for --help and --help-all.
 * @return nothing when the command is to go on, or the exit code after reporting why not
 */
std::optional<int> parse(QCommandLineParser &parser, Invocation &invocation, const QString &description);

/// The positional arguments of a parsed command line; "-1" is one, not an option.
QStringList positionalArguments(const QCommandLineParser &parser);

/// The parser's help text, its usage line naming the program and the command.
QString helpText(const QCommandLineParser &parser);

/// Reports a usage error with the correct form on standard error; @return UsageError.
int usageError(const QCommandLineParser &parser, const QString &problem);

/// Reports that something outside the tool is missing or failed; @return Failure.
int failure(const QString &problem);

/// Prints "nimb-startmenu: warning: ..." on standard error.
void warning(const QString &problem);

/**
 * @p text with every control character written as an escape ("\x1b", "\n"), so that text read from
 * a file can neither move the cursor, colour the terminal nor start a line of its own.
 */
QString escaped(const QString &text);

/// "1 match", "3 matches".
QString count(qsizetype number, const QString &one, const QString &many);

void print(const QString &text);
void printJson(const QJsonObject &object);
void printJson(const QJsonArray &array);

/// Creates the desktop's own folder in the home directory, which a real desktop session always has
/// and below which the menu tree lives. A folder that cannot be made is left to menuTreeProblem().
void prepareHome();

/**
 * Why there is no menu tree after an update: the template folder below the system root is missing,
 * or the system's reason why the tree's folder cannot be made (with the path it concerns).
 */
QString menuTreeProblem();

/// The application items of the menu tree, as "category/file.desktop".
QSet<QString> menuItems();

/// The items added between two snapshots, sorted, with their names.
QJsonArray addedItems(const QSet<QString> &before, const QSet<QString> &after);

/// "Name (category/file.desktop)" for each of @p added, escaped for the terminal.
QStringList describeAdded(const QJsonArray &added);
}

namespace Commands
{
int paths(Cli::Invocation &invocation);
int entry(Cli::Invocation &invocation);
int menu(Cli::Invocation &invocation);
int search(Cli::Invocation &invocation);
int watch(Cli::Invocation &invocation);
int updateState(Cli::Invocation &invocation);
int settings(Cli::Invocation &invocation);
int classicMenu(Cli::Invocation &invocation);
int files(Cli::Invocation &invocation);
}

#endif

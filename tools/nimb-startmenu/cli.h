/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_CLI_H
#define NIMBSTARTMENU_CLI_H

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace Cli
{
/// Exit codes of the tool.
enum ExitCode {
    Success = 0,
    Failure = 1, ///< something outside the tool is missing or failed (a tool, a service)
    UsageError = 2,
};

/// What every command is given: the global options and its own arguments, its name first.
struct Invocation {
    bool json = false;
    QStringList arguments;
};

/// Every subcommand has this shape.
struct Command {
    QString name;
    QString summary;
    std::function<int(const Invocation &)> run;
};

/**
 * Parses a command's own arguments. Prints the help text and exits for --help.
 * @return false after reporting a usage error
 */
bool parse(QCommandLineParser &parser, const Invocation &invocation, const QString &description);

/// The parser's help text, its usage line naming the program and the command.
QString helpText(const QCommandLineParser &parser);

/// Reports a usage error with the correct form on standard error; @return UsageError.
int usageError(const QCommandLineParser &parser, const QString &problem);

/// Reports that something outside the tool is missing or failed; @return Failure.
int failure(const QString &problem);

void print(const QString &text);
void printJson(const QJsonObject &object);

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

/// "Name (category/file.desktop)" for each of @p added.
QStringList describeAdded(const QJsonArray &added);
}

namespace Commands
{
int paths(const Cli::Invocation &invocation);
int entry(const Cli::Invocation &invocation);
int menu(const Cli::Invocation &invocation);
int search(const Cli::Invocation &invocation);
int watch(const Cli::Invocation &invocation);
int updateState(const Cli::Invocation &invocation);
int settings(const Cli::Invocation &invocation);
int classicMenu(const Cli::Invocation &invocation);
int files(const Cli::Invocation &invocation);
}

#endif

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "cli.h"
#include "treeformat_p.h"

#include <NimbStartMenu/nimbdesktopentry.h>
#include <NimbStartMenu/startmenuutils.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QLoggingCategory>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace
{
// What the usage line calls the program: "nimb-startmenu", or "nimb-startmenu menu" in a command.
QString &programName()
{
    static QString name = QStringLiteral("nimb-startmenu");
    return name;
}

// QCommandLineParser takes "-1" for the short option "1"; no option of the tool is a digit, so an
// argument that starts so is a number. It is shielded while the parser reads it.
const QChar numberShield(0xE000);

bool isNegativeNumber(const QString &argument)
{
    return argument.size() > 1 && argument.at(0) == QLatin1Char('-') && argument.at(1).isDigit();
}

// The global options, checked and applied once a command line is parsed; @return an exit code when
// they cannot be.
std::optional<int> applyGlobalOptions(const QCommandLineParser &parser, Cli::Invocation &invocation)
{
    // main() has set the home already (see applyHomeOption()); here it is only checked.
    if (parser.isSet(QStringLiteral("home")) && parser.values(QStringLiteral("home")).contains(QString())) {
        return Cli::usageError(parser, QStringLiteral("--home needs a folder"));
    }
    if (parser.isSet(QStringLiteral("root"))) {
        const QString root = parser.value(QStringLiteral("root"));
        if (root.isEmpty() || !QFileInfo(root).isDir()) {
            return Cli::failure(QStringLiteral("the system root \"%1\" given with --root is not a folder").arg(Cli::escaped(root)));
        }
        StartMenuUtils::setSystemRoot(root);
    }
    if (parser.isSet(QStringLiteral("debug"))) {
        StartMenuUtils::enableDebug(true);
    } else {
        // The library logs each item it writes; without --debug the tool's own output is enough.
        QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug=false"));
    }
    invocation.json = parser.isSet(QStringLiteral("json"));
    invocation.verbose = parser.isSet(QStringLiteral("verbose"));
    return std::nullopt;
}
}

namespace Cli
{
const std::vector<Command> &commands()
{
    static const std::vector<Command> table{
        {QStringLiteral("menu"), QStringLiteral("update, reset or show the on-disk menu tree"), Commands::menu},
        {QStringLiteral("search"), QStringLiteral("search applications and settings as the start menu does"), Commands::search},
        {QStringLiteral("watch"), QStringLiteral("follow the application folders and print what each menu update adds"), Commands::watch},
        {QStringLiteral("update-state"), QStringLiteral("the system-update state and power icon; activate an update"), Commands::updateState},
        {QStringLiteral("settings"), QStringLiteral("show, get or change the start menu's and the search's preferences"), Commands::settings},
        {QStringLiteral("classic-menu"), QStringLiteral("show or switch the window manager's classic menu"), Commands::classicMenu},
        {QStringLiteral("files"), QStringLiteral("the file indexer: status, enable, disable, suspend, resume, purge, folders"), Commands::files},
        {QStringLiteral("paths"), QStringLiteral("the files and folders the library uses"), Commands::paths},
        {QStringLiteral("entry"), QStringLiteral("how the menu and the search take given desktop files, and why"), Commands::entry},
    };
    return table;
}

void addHelpOptions(QCommandLineParser &parser)
{
    // Qt's own help option lists --help-all for options of Qt that a tool without a GUI does not
    // have; --help-all is kept, unlisted, for those who type it out of habit.
    QCommandLineOption helpAll(QStringLiteral("help-all"), QStringLiteral("Displays this help."));
    helpAll.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help.")}, helpAll});
}

QList<QCommandLineOption> globalOptions()
{
    return {
        {QStringLiteral("root"), QStringLiteral("Read the system's files below DIR instead of /."), QStringLiteral("DIR")},
        {QStringLiteral("home"), QStringLiteral("Use DIR as the home directory (and its XDG folders)."), QStringLiteral("DIR")},
        {QStringLiteral("json"), QStringLiteral("Print one JSON document instead of text (watch: one JSON object a line).")},
        {QStringLiteral("verbose"), QStringLiteral("Print more: paths and relevance of matches, updates that add nothing.")},
        {QStringLiteral("debug"), QStringLiteral("Switch the debug log on for this run.")},
    };
}

QString failureUses()
{
    return QStringLiteral(
        "Exit status: 0 on success, 2 for a usage error, 1 when\n"
        "  entry: a desktop file is not an application the menu takes\n"
        "  settings set, reset: the preference is not stored in the preferences file\n"
        "  menu, watch: the menu tree cannot be built, or menu show finds none\n"
        "  files: the indexer's tool balooctl is missing\n"
        "  classic-menu: the window manager's tool nimb-wmfunc is missing or fails\n"
        "  update-state activate: the system bus or the update service is missing\n"
        "  any command: the folder given with --root does not exist");
}

QString helpText(const QCommandLineParser &parser)
{
    // QCommandLineParser names the executable by its path; the usage reads better with the command.
    QString text = parser.helpText();
    const QString executable = QCoreApplication::arguments().value(0);
    const QString usage = QStringLiteral("Usage: ");
    if (text.startsWith(usage + executable)) {
        text.replace(usage.size(), executable.size(), programName());
    }
    return text;
}

std::optional<int> parse(QCommandLineParser &parser, Invocation &invocation, const QString &description)
{
    parser.setApplicationDescription(description);
    addHelpOptions(parser);
    parser.addOptions(globalOptions());
    programName() = invocation.arguments.value(0);
    QStringList arguments = invocation.arguments;
    for (QString &argument : arguments) {
        if (isNegativeNumber(argument)) {
            argument.prepend(numberShield);
        }
    }
    if (!parser.parse(arguments)) {
        return usageError(parser, parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        print(helpText(parser));
        std::exit(Success);
    }
    return applyGlobalOptions(parser, invocation);
}

QStringList positionalArguments(const QCommandLineParser &parser)
{
    QStringList arguments = parser.positionalArguments();
    for (QString &argument : arguments) {
        if (argument.startsWith(numberShield)) {
            argument.remove(0, 1);
        }
    }
    return arguments;
}

int usageError(const QCommandLineParser &parser, const QString &problem)
{
    // The first line of the help text is the correct form of the command.
    const QString usage = helpText(parser).section(QLatin1Char('\n'), 0, 0);
    std::fprintf(stderr, "nimb-startmenu: %s\n%s\n", qPrintable(problem), qPrintable(usage));
    return UsageError;
}

int failure(const QString &problem)
{
    std::fprintf(stderr, "nimb-startmenu: %s\n", qPrintable(problem));
    return Failure;
}

void warning(const QString &problem)
{
    std::fprintf(stderr, "nimb-startmenu: warning: %s\n", qPrintable(problem));
}

QString escaped(const QString &text)
{
    static const QHash<QChar, QString> named{
        {QLatin1Char('\n'), QStringLiteral("\\n")},
        {QLatin1Char('\r'), QStringLiteral("\\r")},
        {QLatin1Char('\t'), QStringLiteral("\\t")},
    };
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        // C0 and C1 controls and DEL; the text of a file may hold any of them.
        if (c.category() != QChar::Other_Control) {
            result.append(c);
        } else {
            result.append(named.value(c, QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))));
        }
    }
    return result;
}

QString count(qsizetype number, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(number).arg(number == 1 ? one : many);
}

void print(const QString &text)
{
    const QByteArray utf8 = text.toUtf8() + '\n';
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
    std::fflush(stdout);
}

void printJson(const QJsonObject &object)
{
    print(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)).trimmed());
}

void printJson(const QJsonArray &array)
{
    print(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)).trimmed());
}

void prepareHome()
{
    QDir().mkpath(QString::fromStdString(GetNimbDir(NimbDir::Base)));
}

QString menuTreeProblem()
{
    const QString templateTree = StartMenuUtils::systemPath(TreeFormat::templateTree);
    const QString dataFolder = QFileInfo(templateTree).path();
    if (!QFileInfo(dataFolder).isDir()) {
        return QStringLiteral("there is no folder %1 of the library's installed data").arg(dataFolder);
    }
    if (!QFileInfo(templateTree).isDir()) {
        return QStringLiteral("there is no menu template folder %1").arg(templateTree);
    }
    // The folders the tree lies in, from the top: the first that fails names the cause.
    const QString menuDir = StartMenuUtils::menuDir();
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(menuDir.toStdString()).parent_path();
    std::filesystem::create_directories(parent, error);
    if (error) {
        return QStringLiteral("cannot create the folder %1 of the menu tree: %2")
            .arg(QString::fromStdString(parent.string()), QString::fromLocal8Bit(std::strerror(error.value())));
    }
    if (::access(parent.c_str(), W_OK | X_OK) != 0) {
        return QStringLiteral("cannot write into %1: %2").arg(QString::fromStdString(parent.string()), QString::fromLocal8Bit(std::strerror(errno)));
    }
    return QStringLiteral("could not create the menu tree %1").arg(menuDir);
}

QSet<QString> menuItems()
{
    const QString root = StartMenuUtils::menuDir();
    QSet<QString> items;
    QDirIterator it(root, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        items.insert(it.next().mid(root.size() + 1));
    }
    return items;
}

QJsonArray addedItems(const QSet<QString> &before, const QSet<QString> &after)
{
    QStringList added = (after - before).values();
    added.sort();
    QJsonArray result;
    for (const QString &item : qAsConst(added)) {
        const QString path = StartMenuUtils::menuDir() + QLatin1Char('/') + item;
        const NimbDesktopEntry entry(path.toStdString());
        result.append(QJsonObject{
            {QStringLiteral("category"), item.section(QLatin1Char('/'), 0, -2)},
            {QStringLiteral("file"), item.section(QLatin1Char('/'), -1)},
            {QStringLiteral("name"), QString::fromStdString(entry.localName())},
        });
    }
    return result;
}

QStringList describeAdded(const QJsonArray &added)
{
    QStringList lines;
    for (const auto &value : added) {
        const QJsonObject item = value.toObject();
        lines.append(escaped(QStringLiteral("%1 (%2/%3)")
                                 .arg(item.value(QStringLiteral("name")).toString(),
                                      item.value(QStringLiteral("category")).toString(),
                                      item.value(QStringLiteral("file")).toString())));
    }
    return lines;
}
}

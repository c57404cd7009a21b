/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "cli.h"

#include <NimbStartMenu/nimbdesktopentry.h>
#include <NimbStartMenu/startmenuutils.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonDocument>

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
}

namespace Cli
{
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

bool parse(QCommandLineParser &parser, const Invocation &invocation, const QString &description)
{
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    programName() = invocation.arguments.value(0);
    if (!parser.parse(invocation.arguments)) {
        usageError(parser, parser.errorText());
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        print(helpText(parser));
        std::exit(Success);
    }
    return true;
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

void prepareHome()
{
    QDir().mkpath(QString::fromStdString(GetNimbDir(NimbDir::Base)));
}

QString menuTreeProblem()
{
    const QString templateTree = StartMenuUtils::systemPath(QStringLiteral("/usr/share/nimb-start-menu/startmenu"));
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
        lines.append(QStringLiteral("%1 (%2/%3)")
                         .arg(item.value(QStringLiteral("name")).toString(),
                              item.value(QStringLiteral("category")).toString(),
                              item.value(QStringLiteral("file")).toString()));
    }
    return lines;
}
}

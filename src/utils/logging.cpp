/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "logging.h"
#include "startmenuutils.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstring>

Q_LOGGING_CATEGORY(LOG_GENERAL, "quorvex.nimb-start-menu")

namespace
{
const QString logDirSubpath = QStringLiteral("/.cache/nimb-start-menu");
const QString logFileName = QStringLiteral("/nimb-start-menu.log");
const QString timestampFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz");

// QDebug quotes a streamed string; a text that is one gets its quotes taken off again.
QString unquoted(const QString &message)
{
    const QLatin1Char quote('"');
    if (message.startsWith(quote) && message.endsWith(quote)) {
        return message.mid(1, message.size() - 2);
    }
    return message;
}
}

void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    Q_UNUSED(type)

    const bool withSource = context.category && context.function && std::strcmp(context.category, "default") != 0;
    const QByteArray text = unquoted(message).toUtf8();
    QByteArray source;
    if (withSource) {
        source = QByteArray(context.function) + ": " + QByteArray::number(context.line) + ": ";
    }

    const QByteArray errorLine = source + text + '\n';
    std::fwrite(errorLine.constData(), 1, size_t(errorLine.size()), stderr);
    std::fflush(stderr);

    const QString logDir = QDir::homePath() + logDirSubpath;
    if (!QDir().mkpath(logDir)) {
        return;
    }
    QFile log(logDir + logFileName);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return;
    }
    // One write per line, in UTF-8 whatever the locale: Qt calls the handler from whatever thread
    // logs, its own threads included, and lines written so stay whole.
    log.write(QDateTime::currentDateTime().toString(timestampFormat).toUtf8() + ": " + source + text + '\n');
}

namespace StartMenuUtils
{
void enableDebug(bool enable)
{
    if (enable) {
        QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug = true"));
        qInstallMessageHandler(messageHandler);
    } else {
        QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug = false"));
        qInstallMessageHandler(nullptr);
    }
}
}

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_LOGGING_H
#define NIMBSTARTMENU_LOGGING_H

#include "nimbstartmenu_export.h"

#include <QLoggingCategory>

/**
 * The library's logging category, "quorvex.nimb-start-menu". All message types are enabled until
 * filter rules say otherwise; StartMenuUtils::enableDebug() sets the rule for its debug messages.
 */
NIMBSTARTMENU_EXPORT const QLoggingCategory &LOG_GENERAL();

/**
 * A Qt message handler (see qInstallMessageHandler()) for the debug log. Each message goes to
 * standard error and is appended, time-stamped, as one line to
 * QDir::homePath() + "/.cache/nimb-start-menu/nimb-start-menu.log".
 *
 * The function name and line number precede the text when the context has both a category other
 * than "default" and a function name. A text in double quotes (as QDebug prints a string) loses
 * them. When the log file cannot be written, the message reaches standard error only.
 */
NIMBSTARTMENU_EXPORT void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);

#endif

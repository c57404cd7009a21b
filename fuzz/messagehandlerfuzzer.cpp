/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// Random messages with random contexts go through the debug log's message handler. What reaches
// standard error and the log file must follow the text rules: the quotes of a quoted message are
// dropped (only when it both starts and ends with one), and the function name and line lead the
// text only for a category other than "default" that comes with a function name.

#include "fuzzsupport.h"
#include "logging.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QDateTime>
#include <QRegularExpression>

#include <cstdio>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace
{
const QString timestampFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz");
constexpr int timestampLength = 23;

QString logPath()
{
    return FuzzSupport::scratchPath() + QStringLiteral("/.cache/nimb-start-menu/nimb-start-menu.log");
}

QString stderrPath()
{
    return FuzzSupport::scratchPath() + QStringLiteral("/stderr");
}

QString expectedText(const QString &message)
{
    const bool quoted = !message.isEmpty() && message.front() == QLatin1Char('"') && message.back() == QLatin1Char('"');
    if (!quoted) {
        return message;
    }
    return message.size() == 1 ? QString() : message.mid(1, message.size() - 2);
}

QByteArray expectedSource(const char *category, const char *function, int line)
{
    if (!category || !function || QByteArray(category) == "default") {
        return {};
    }
    // The function name goes out as the bytes the compiler recorded, UTF-8 or not.
    return QByteArray(function) + ": " + QByteArray::number(line) + ": ";
}

// Runs the handler with standard error going to a file, and gives back what it printed there.
QByteArray handleCapturingStandardError(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    std::fflush(stderr);
    const int savedStandardError = ::dup(STDERR_FILENO);
    const int capture = ::open(QFile::encodeName(stderrPath()).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    FuzzSupport::check(savedStandardError >= 0 && capture >= 0, "standard error can be captured");
    ::dup2(capture, STDERR_FILENO);
    ::close(capture);

    messageHandler(type, context, message);

    std::fflush(stderr);
    ::dup2(savedStandardError, STDERR_FILENO);
    ::close(savedStandardError);
    return FuzzSupport::readFile(stderrPath());
}

QString printable(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toPercentEncoding(" :/.\"-"));
}
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    const std::string categoryChoices[] = {"default", "quorvex.nimb-start-menu", provider.ConsumeRandomLengthString(16)};
    const int categoryChoice = provider.ConsumeIntegralInRange(0, 3);
    const char *category = categoryChoice == 3 ? nullptr : categoryChoices[categoryChoice].c_str();
    const std::string functionName = provider.ConsumeRandomLengthString(32);
    const char *function = provider.ConsumeBool() ? functionName.c_str() : nullptr;
    const int line = provider.ConsumeIntegral<int>();
    const auto type = static_cast<QtMsgType>(provider.ConsumeIntegralInRange(0, 4));
    QString message;
    if (provider.ConsumeBool()) {
        // Raw UTF-16, lone surrogates included.
        const std::string units = provider.ConsumeRemainingBytesAsString();
        message = QString(reinterpret_cast<const QChar *>(units.data()), int(units.size() / 2));
    } else {
        message = QString::fromUtf8(QByteArray::fromStdString(provider.ConsumeRemainingBytesAsString()));
    }

    QFile::remove(logPath());
    const QMessageLogContext context("fuzz.cpp", line, function, category);
    const QByteArray printed = handleCapturingStandardError(type, context, message);

    const QByteArray expectedLine = expectedSource(category, function, line) + expectedText(message).toUtf8() + '\n';
    FuzzSupport::check(printed == expectedLine, "standard error gets the source part and the text", [&] {
        return QStringLiteral("printed:  %1\nexpected: %2").arg(printable(printed), printable(expectedLine));
    });

    const QByteArray logged = FuzzSupport::readFile(logPath());
    const QDateTime timestamp = QDateTime::fromString(QString::fromLatin1(logged.left(timestampLength)), timestampFormat);
    FuzzSupport::check(timestamp.isValid() && logged.mid(timestampLength) == ": " + expectedLine,
                       "the log gets a time stamp, the source part and the text",
                       [&] {
                           return QStringLiteral("logged:   %1\nexpected: <time stamp>%2").arg(printable(logged), printable(": " + expectedLine));
                       });
    return 0;
}

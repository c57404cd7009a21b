/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "updatestate.h"
#include "platformlogging_p.h"
#include "systemroot.h"

#include <QFile>
#include <QFileInfo>
#include <QVector>

#include <algorithm>
#include <iterator>

namespace TalvoUpdateState
{
const QString UpdateState::MINOR_FILE = QStringLiteral("/var/cache/talvo-update-service/status");
const QString UpdateState::MAJOR_FILE = QStringLiteral("/var/cache/talvo-upgrade/upgrade.report.yaml");
}

namespace
{
// A state file holds a word or a short report; what lies beyond this is never looked at, so that a
// huge or endless file costs no more than a small one.
constexpr qint64 maxReadSize = 64 * 1024;

constexpr int noUpdateCode = 0;

const QLatin1String majorStatusKey("status:");
const QLatin1Char commentMark('#');

enum class Status {
    None,
    Available,
    Activating,
};

enum class Source {
    Minor,
    Major,
};

struct StatusWord {
    QLatin1String word;
    Status status;
};

const StatusWord statusWords[] = {
    {QLatin1String("available"), Status::Available},
    {QLatin1String("activating"), Status::Activating},
};

struct StateCode {
    Source source;
    Status status;
    int code;
};

// The first row that holds gives the code: activation outranks availability, and within each a
// major update outranks a minor one.
const StateCode stateCodes[] = {
    {Source::Major, Status::Activating, 4},
    {Source::Minor, Status::Activating, 2},
    {Source::Major, Status::Available, 3},
    {Source::Minor, Status::Available, 1},
};

QString readHead(const QString &path)
{
    // Regular files only: opening a FIFO left in this place would block until someone writes to
    // it, and a device such as /dev/zero never ends.
    if (!QFileInfo(path).isFile()) {
        return QString();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(LOG_PLATFORM) << "cannot read update state file" << path << file.errorString();
        return QString();
    }
    QString text = QString::fromUtf8(file.read(maxReadSize));
    const QChar byteOrderMark(0xfeff);
    if (text.startsWith(byteOrderMark)) {
        text.remove(0, 1);
    }
    return text;
}

Status statusOf(const QStringRef &word)
{
    const auto found = std::find_if(std::begin(statusWords), std::end(statusWords), [&word](const StatusWord &entry) {
        return word == entry.word;
    });
    return found != std::end(statusWords) ? found->status : Status::None;
}

// A YAML scalar as an emitter may write it: plain, or in single or double quotes, and maybe followed
// by a comment (a '#' after white space).
QStringRef yamlScalar(QStringRef value)
{
    for (int i = 1; i < value.size(); ++i) {
        if (value.at(i) == commentMark && value.at(i - 1).isSpace()) {
            value = value.left(i);
            break;
        }
    }
    value = value.trimmed();
    const bool quoted = value.size() >= 2 && value.front() == value.back() && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''));
    return quoted ? value.mid(1, value.size() - 2) : value;
}

Status minorStatus(const QString &text)
{
    return statusOf(QStringRef(&text).trimmed());
}

Status majorStatus(const QString &text)
{
    const QVector<QStringRef> lines = text.splitRef(QLatin1Char('\n'));
    // Only a top-level key counts: an indented "status:" belongs to some nested part of the report.
    const auto statusLine = std::find_if(lines.cbegin(), lines.cend(), [](const QStringRef &line) {
        return line.startsWith(majorStatusKey);
    });
    if (statusLine == lines.cend()) {
        return Status::None;
    }
    return statusOf(yamlScalar(statusLine->mid(majorStatusKey.size())));
}
}

namespace TalvoUpdateState
{
int UpdateState::getCurrentState()
{
    const Status minor = minorStatus(readHead(StartMenuUtils::systemPath(MINOR_FILE)));
    const Status major = majorStatus(readHead(StartMenuUtils::systemPath(MAJOR_FILE)));

    const auto holds = [minor, major](const StateCode &entry) {
        return (entry.source == Source::Major ? major : minor) == entry.status;
    };
    const auto found = std::find_if(std::begin(stateCodes), std::end(stateCodes), holds);
    return found != std::end(stateCodes) ? found->code : noUpdateCode;
}
}

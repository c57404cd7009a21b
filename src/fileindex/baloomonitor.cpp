/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "baloomonitor.h"
#include "logging.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlProperty>
#include <QUrl>

#include <array>

namespace
{
// Indexed by the indexer's state number.
constexpr std::array<const char *, 12> stateTexts = {
    QT_TRANSLATE_NOOP("BalooMonitor", "Idle"),
    QT_TRANSLATE_NOOP("BalooMonitor", "Suspended"),
    QT_TRANSLATE_NOOP("BalooMonitor", "First run"),
    QT_TRANSLATE_NOOP("BalooMonitor", "New files"),
    QT_TRANSLATE_NOOP("BalooMonitor", "Modified files"),
    QT_TRANSLATE_NOOP("BalooMonitor", "XAttr files"),
    QT_TRANSLATE_NOOP("BalooMonitor", "Content indexing"),
    QT_TRANSLATE_NOOP("BalooMonitor", "Unindexed file check"),
    QT_TRANSLATE_NOOP("BalooMonitor", "Stale index entries clean"),
    QT_TRANSLATE_NOOP("BalooMonitor", "Low power idle"),
    QT_TRANSLATE_NOOP("BalooMonitor", "Unavailable"),
    QT_TRANSLATE_NOOP("BalooMonitor", "Startup"),
};
const char *const unknownStateText = QT_TRANSLATE_NOOP("BalooMonitor", "Unknown");

// "First run" to "Stale index entries clean".
constexpr int firstIndexingState = 2;
constexpr int lastIndexingState = 8;

const char *const monitorSource =
    "import org.kde.baloo.experimental 0.1 as Baloo\n"
    " Baloo.Monitor { id: monitor }";

// The monitor's change signals, each re-emitted by the signal of the same name.
const char *const forwardedSignals[] = {
    SIGNAL(newFileIndexed()),
    SIGNAL(balooStateChanged()),
    SIGNAL(totalFilesChanged()),
    SIGNAL(remainingTimeChanged()),
    SIGNAL(indexerStateChanged()),
};
}

BalooMonitor::BalooMonitor(QObject *parent)
    : QObject(parent)
    , m_engine(new QQmlEngine(this))
    , m_component(new QQmlComponent(m_engine, this))
{
    m_component->setData(QByteArray(monitorSource), QUrl());
    if (m_component->isReady()) {
        m_monitor = m_component->create();
    }
    if (!m_monitor) {
        qCDebug(LOG_GENERAL) << "no Baloo monitor:" << m_component->errorString();
        return;
    }
    for (const char *signal : forwardedSignals) {
        connect(m_monitor, signal, this, signal);
    }
}

BalooMonitor::~BalooMonitor()
{
    // The component hands the object over without a parent; it must go before its engine does.
    delete m_monitor;
}

QVariant BalooMonitor::read(const char *property) const
{
    if (!m_monitor) {
        return {};
    }
    return QQmlProperty::read(m_monitor, QString::fromLatin1(property), m_engine);
}

void BalooMonitor::invoke(const char *method)
{
    if (m_monitor) {
        QMetaObject::invokeMethod(m_monitor, method);
    }
}

QString BalooMonitor::filePath() const
{
    return read("filePath").toString();
}

QString BalooMonitor::suspendState() const
{
    return read("suspendState").toString();
}

bool BalooMonitor::balooRunning() const
{
    return read("balooRunning").toBool();
}

quint32 BalooMonitor::totalFiles() const
{
    return read("totalFiles").toInt();
}

quint32 BalooMonitor::filesIndexed() const
{
    return read("filesIndexed").toInt();
}

QString BalooMonitor::remainingTime() const
{
    return read("remainingTime").toString();
}

int BalooMonitor::state() const
{
    return read("state").toInt();
}

int BalooMonitor::completionPercentage() const
{
    const quint32 total = totalFiles();
    if (total == 0) {
        return 0;
    }
    // The monitor counts each file it sees indexed but refreshes the total only now and then, so
    // the count can run past the total.
    const double percentage = double(filesIndexed()) / double(total) * 100.0;
    return percentage > 100.0 ? 100 : int(percentage);
}

bool BalooMonitor::currentlyIndexing() const
{
    const int current = state();
    return current >= firstIndexingState && current <= lastIndexingState;
}

QString BalooMonitor::stateString() const
{
    const int current = state();
    const bool known = current >= 0 && current < int(stateTexts.size());
    return tr(known ? stateTexts[current] : unknownStateText);
}

void BalooMonitor::toggleSuspendState()
{
    invoke("toggleSuspendState");
}

void BalooMonitor::startBaloo()
{
    invoke("startBaloo");
}

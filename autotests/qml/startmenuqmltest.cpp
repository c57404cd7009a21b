/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// Runs the QtQuickTest cases of this folder on a copy of the demo root, in a home of their own, with
// the types of org.nimb.startmenu registered and a launcher that records instead of starting.

#include "startmenuqml.h"
#include "kiolauncher.h"
#include "launcher.h"
#include "testsupport.h"

#include <NimbStartMenu/baloosettings.h>
#include <NimbStartMenu/nimbpaths.h>

#include <QDirIterator>
#include <QLoggingCategory>
#include <QQmlContext>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <QtQuickTest>

#include <memory>

// Records what the models would start; reports the failure it is told to, or, with forward set,
// hands the launch on to KIO (for cases where KIO fails before it starts anything).
class RecordingLauncher : public QObject, public Launcher
{
    Q_OBJECT
    Q_PROPERTY(QStringList started READ started NOTIFY startedChanged)
    Q_PROPERTY(QString failWith MEMBER m_failWith)
    Q_PROPERTY(bool forward MEMBER m_forward)

public:
    QStringList started() const
    {
        return m_started;
    }

    Q_INVOKABLE void reset()
    {
        m_started.clear();
        m_failWith.clear();
        m_forward = false;
        Q_EMIT startedChanged();
    }

    void startApplication(const QString &desktopFile, QObject *context, const Failure &failed) override
    {
        record(desktopFile, context, failed);
        if (m_forward) {
            m_kio.startApplication(desktopFile, context, failed);
        }
    }

    void startCommand(const QString &program, const QStringList &arguments, QObject *context, const Failure &failed) override
    {
        record((QStringList{program} + arguments).join(QLatin1Char(' ')), context, failed);
    }

Q_SIGNALS:
    void startedChanged();

private:
    void record(const QString &what, QObject *context, const Failure &failed)
    {
        m_started.append(what);
        Q_EMIT startedChanged();
        if (!m_failWith.isEmpty()) {
            QTimer::singleShot(0, context, [failed, error = m_failWith] {
                failed(error);
            });
        }
    }

    QStringList m_started;
    QString m_failWith;
    bool m_forward = false;
    KioLauncher m_kio;
};

// What the cases need to know about, or do to, the system below them.
class Fixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString home READ home CONSTANT)

public:
    explicit Fixture(const TestSupport::FakeSystem &system)
        : m_system(system)
    {
    }

    QString home() const
    {
        return m_system.home();
    }

    /// The menu tree's items of a category, or of all categories if @p categoryId is empty.
    Q_INVOKABLE int menuItemCount(const QString &categoryId) const
    {
        int count = 0;
        QDirIterator it(m_system.menuDir() + QLatin1Char('/') + categoryId, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            ++count;
        }
        return count;
    }

    /// Writes an application into the system's application folder.
    Q_INVOKABLE void installApplication(const QString &fileName, const QString &name, const QString &categories) const
    {
        TestSupport::writeFile(m_system.applications() + QLatin1Char('/') + fileName, m_system.desktopFile(name, categories));
    }

    Q_INVOKABLE QString configValue(const QString &key) const
    {
        return QSettings(TestSupport::preferencesFile(), QSettings::NativeFormat).value(key).toString();
    }

    /// Sets a key that the file holds, as another program would: the file is written anew, with a
    /// time of its own. False if the key is not in the file or the file cannot be written.
    Q_INVOKABLE bool writeConfigValue(const QString &key, const QString &value) const
    {
        QString text = QString::fromUtf8(TestSupport::readFile(TestSupport::preferencesFile()));
        const QRegularExpression line(QStringLiteral("^%1=.*$").arg(QRegularExpression::escape(key)), QRegularExpression::MultilineOption);
        if (!text.contains(line)) {
            return false;
        }
        text.replace(line, key + QLatin1Char('=') + value);
        return TestSupport::writeNewVersion(TestSupport::preferencesFile(), text.toUtf8());
    }

    /// The folders the file indexer's settings include, as the indexer reads them.
    Q_INVOKABLE QStringList indexedFolders() const
    {
        BalooSettings settings;
        return settings.folders();
    }

    /// Runs @p target as a model runs a result; a refusal comes as launchFailed().
    Q_INVOKABLE void launch(const QString &target)
    {
        StartMenuQml::launch(target, this, [this](const QString &error) {
            Q_EMIT launchFailed(error);
        });
    }

    Q_INVOKABLE bool removeFile(const QString &path) const
    {
        return QFile::remove(path);
    }

    Q_INVOKABLE QString localFile(const QString &url) const
    {
        return QUrl(url).toLocalFile();
    }

Q_SIGNALS:
    void launchFailed(const QString &error);

private:
    const TestSupport::FakeSystem &m_system;
};

class Setup : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void applicationAvailable()
    {
        if (!m_system.install() || !copyDemoRoot()) {
            qFatal("cannot set up the test's home and system root below %s", qPrintable(m_system.path()));
        }
        // The folders that nimb-startmenu-gui makes at its start.
        QDir().mkpath(QString::fromStdString(GetNimbDir(NimbDir::Base)));
        QDir().mkpath(QFileInfo(TestSupport::preferencesFile()).path());
        // Every generation logs each file it leaves out; the cases' own output reads better without.
        QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug=false"));
        StartMenuQml::registerTypes("org.nimb.startmenu");
        Launcher::setCurrent(&m_launcher);
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        engine->rootContext()->setContextProperty(QStringLiteral("testLauncher"), &m_launcher);
        engine->rootContext()->setContextProperty(QStringLiteral("fixture"), &m_fixture);
    }

    void cleanupTestCase()
    {
        Launcher::setCurrent(nullptr);
    }

private:
    // The demo's files, symbolic links resolved, so that a case can add to the copy.
    bool copyDemoRoot() const
    {
        const QDir demo(QStringLiteral(DEMO_ROOT));
        QDirIterator it(demo.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString target = m_system.root() + QLatin1Char('/') + demo.relativeFilePath(source);
            if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(source, target)) {
                return false;
            }
        }
        return true;
    }

    TestSupport::FakeSystem m_system{QStringLiteral("StartMenuQmlTest")};
    RecordingLauncher m_launcher;
    Fixture m_fixture{m_system};
};

QUICK_TEST_MAIN_WITH_SETUP(startmenuqml, Setup)

#include "startmenuqmltest.moc"

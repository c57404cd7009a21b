/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// nimb-startmenu-gui: a small start menu in Qt Quick on the QML module org.nimb.startmenu, the
// reference for a user interface that binds to the library.

#include "startmenuqml.h"
#include "startupenvironment.h"

#include <NimbStartMenu/nimbpaths.h>
#include <NimbStartMenu/nimbstartmenu_version.h>
#include <NimbStartMenu/startmenuutils.h>

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLoggingCategory>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTimer>

#include <cstdio>

namespace
{
// Saves the window once it has shown its first frame, then quits with the outcome.
void takeScreenshot(QQuickWindow *window, const QString &file)
{
    auto *connection = new QMetaObject::Connection;
    *connection = QObject::connect(window, &QQuickWindow::frameSwapped, window, [window, file, connection] {
        QObject::disconnect(*connection);
        delete connection;
        QTimer::singleShot(0, window, [window, file] {
            const QImage image = window->grabWindow();
            const bool saved = !image.isNull() && image.save(file, "PNG");
            if (saved) {
                std::printf("%s\n", qPrintable(QDir(file).absolutePath()));
            } else {
                std::fprintf(stderr, "nimb-startmenu-gui: could not save the screenshot to %s\n", qPrintable(file));
            }
            QCoreApplication::exit(saved ? 0 : 1);
        });
    });
}
}

int main(int argc, char **argv)
{
    StartupEnvironment::applyHomeOption(argc, argv, {"--root", "--query", "--screenshot"});
    StartupEnvironment::ensureRuntimeDir();

    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nimb-startmenu-gui"));
    QCoreApplication::setApplicationVersion(QStringLiteral(NIMBSTARTMENU_VERSION_STRING));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A start menu: search, applications, preferences, file search and power actions."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("root"), QStringLiteral("Read the system's files below DIR instead of /."), QStringLiteral("DIR")},
        {QStringLiteral("home"), QStringLiteral("Use DIR as the home directory (and its XDG folders)."), QStringLiteral("DIR")},
        {QStringLiteral("query"), QStringLiteral("Start with TEXT typed into the search field."), QStringLiteral("TEXT")},
        {QStringLiteral("screenshot"), QStringLiteral("Save the window's first frame to FILE (PNG) and quit."), QStringLiteral("FILE")},
        {QStringLiteral("debug"), QStringLiteral("Switch the debug log on for this run.")},
    });
    parser.process(app);

    if (parser.isSet(QStringLiteral("root"))) {
        StartMenuUtils::setSystemRoot(parser.value(QStringLiteral("root")));
    }
    if (parser.isSet(QStringLiteral("debug"))) {
        StartMenuUtils::enableDebug(true);
    } else {
        QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug=false"));
    }
    // The desktop's own folder, below which the menu tree lives, exists in every desktop session.
    QDir().mkpath(QString::fromStdString(GetNimbDir(NimbDir::Base)));
    // The preferences follow other writers by watching their folder: it must be there from the start
    // for a file that another program creates later to be noticed.
    QDir().mkpath(QDir::homePath() + QStringLiteral("/.config/kolvatek"));

    StartMenuQml::registerTypes("org.nimb.startmenu");
    if (qEnvironmentVariableIsEmpty("QT_QUICK_CONTROLS_STYLE")) {
        QQuickStyle::setStyle(QStringLiteral("Fusion"));
    }

    QQmlApplicationEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("startQuery"), parser.value(QStringLiteral("query")));
    engine.rootContext()->setContextProperty(QStringLiteral("userHome"), QDir::homePath());
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
    auto *window = engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    if (!window) {
        return 1;
    }
    if (parser.isSet(QStringLiteral("screenshot"))) {
        takeScreenshot(window, parser.value(QStringLiteral("screenshot")));
    }
    return app.exec();
}

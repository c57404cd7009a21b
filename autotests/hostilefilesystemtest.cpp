/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// Menu generation, the template copy and index construction on file systems that fight back: link
// loops, deep and strange folders, unreadable, empty, binary and huge files, FIFOs and devices
// behind desktop-file names, broken encodings, things of the wrong kind where a folder or file is
// expected, a read-only home. Each case runs in a child process under a watchdog; afterwards the
// bad input must be ignored, the good applications written and indexed, and nothing written
// outside the menu tree, the configuration file and the log.

#include "indexer.h"
#include "menu.h"
#include "nimbdesktopentry.h"
#include "startmenuutils.h"
#include "testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLoggingCategory>
#include <QMap>
#include <QSet>
#include <QTest>

#include <functional>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TestSupport::FakeSystem;
using TestSupport::writeFile;

namespace
{
// Every good fixture carries this word, so nothing installed on the machine can answer for it.
const QString marker = QStringLiteral("HostileFileSystemTest");
const QString originKey = QStringLiteral("X-Nimb-OriginFile");

// Far beyond what any case needs when nothing is wrong, even under the sanitizers.
constexpr unsigned watchdogSeconds = 60;
// The exit code of a child that could not give up root rights.
constexpr int cannotDropRights = 77;
// Who the child becomes when the test runs as root, for whom no permission bit counts.
constexpr uid_t unprivilegedId = 65534;

constexpr qint64 fiftyMegabytes = 50 * 1024 * 1024;
constexpr int megabyte = 1000 * 1000;
constexpr int manyKeys = 100000;
constexpr int manyGroups = 160000;

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// Qt sees file names through the locale's codec, which cannot name every folder; these helpers
// take the bytes of a name as they are.
void makePathRaw(const QByteArray &path)
{
    for (int slash = path.indexOf('/', 1); slash != -1; slash = path.indexOf('/', slash + 1)) {
        ::mkdir(path.left(slash).constData(), 0755);
    }
    ::mkdir(path.constData(), 0755);
}

void writeRaw(const QByteArray &path, const QByteArray &content)
{
    makePathRaw(path.left(path.lastIndexOf('/')));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    qint64 written = 0;
    while (written < content.size()) {
        const ssize_t count = ::write(fd, content.constData() + written, size_t(content.size() - written));
        QVERIFY2(count > 0, std::strerror(errno));
        written += count;
    }
    QCOMPARE(::close(fd), 0);
}

void makeLink(const QString &target, const QString &link)
{
    QVERIFY(QDir().mkpath(QFileInfo(link).absolutePath()));
    QVERIFY2(::symlink(encoded(target).constData(), encoded(link).constData()) == 0, qPrintable(link));
}

void makeFifo(const QString &path)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QVERIFY2(::mkfifo(encoded(path).constData(), 0644) == 0, qPrintable(path));
}

void setMode(const QString &path, mode_t mode)
{
    QVERIFY2(::chmod(encoded(path).constData(), mode) == 0, qPrintable(path));
}

// Visits every entry below root (root included) without following links; folders that cannot be
// opened are visited but not entered.
void walkRaw(const QByteArray &root, const std::function<void(const QByteArray &, const struct stat &)> &visit)
{
    struct stat status;
    if (::lstat(root.constData(), &status) != 0) {
        return;
    }
    visit(root, status);
    if (!S_ISDIR(status.st_mode)) {
        return;
    }
    DIR *dir = ::opendir(root.constData());
    if (!dir) {
        return;
    }
    QByteArrayList names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..") {
            names.append(name);
        }
    }
    ::closedir(dir);
    for (const QByteArray &name : qAsConst(names)) {
        walkRaw(root + '/' + name, visit);
    }
}

void removeRaw(const QByteArray &path)
{
    struct stat status;
    if (::lstat(path.constData(), &status) != 0) {
        return;
    }
    if (S_ISDIR(status.st_mode)) {
        ::chmod(path.constData(), 0755);
        if (DIR *dir = ::opendir(path.constData())) {
            QByteArrayList names;
            while (const dirent *entry = ::readdir(dir)) {
                const QByteArray name(entry->d_name);
                if (name != "." && name != "..") {
                    names.append(name);
                }
            }
            ::closedir(dir);
            for (const QByteArray &name : qAsConst(names)) {
                removeRaw(path + '/' + name);
            }
        }
        ::rmdir(path.constData());
    } else {
        ::unlink(path.constData());
    }
}

// What the test compares before and after: kind, mode, and for files size, time and contents.
// The modification time of a folder is left out: it changes with what is written inside it,
// which the entries themselves show.
struct Node {
    mode_t mode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    QByteArray linkTarget;
    QByteArray digest;

    bool operator==(const Node &other) const
    {
        return mode == other.mode && size == other.size && modifiedNs == other.modifiedNs && linkTarget == other.linkTarget && digest == other.digest;
    }
};
using Snapshot = QMap<QByteArray, Node>;

Snapshot snapshot(const QString &root)
{
    Snapshot nodes;
    walkRaw(encoded(root), [&nodes](const QByteArray &path, const struct stat &status) {
        Node node;
        node.mode = status.st_mode;
        if (S_ISREG(status.st_mode)) {
            node.size = status.st_size;
            node.modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
            QFile file(QFile::decodeName(path));
            if (status.st_size <= 4 * 1024 * 1024 && file.open(QIODevice::ReadOnly)) {
                node.digest = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
            }
        } else if (S_ISLNK(status.st_mode)) {
            QByteArray target(4096, '\0');
            const ssize_t length = ::readlink(path.constData(), target.data(), size_t(target.size()));
            node.linkTarget = target.left(int(std::max<ssize_t>(length, 0)));
        }
        nodes.insert(path, node);
    });
    return nodes;
}

bool isBelow(const QByteArray &path, const QByteArray &folder)
{
    return path == folder || path.startsWith(folder + '/');
}

struct ChildOutcome {
    bool started = false;
    bool skipped = false;
    bool exited = false;
    int exitCode = -1;
    int signal = 0;
    QStringList indexed;
};

// In the child: give up root rights, so that permission bits count.
bool dropRights()
{
    return ::setgroups(0, nullptr) == 0 && ::setgid(unprivilegedId) == 0 && ::setuid(unprivilegedId) == 0 && ::geteuid() == unprivilegedId;
}

void writeAll(int fd, const QByteArray &bytes)
{
    qint64 written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return;
        }
        written += count;
    }
}

// What the start menu does with a tree: bring it up to date (creating it from the template when
// there is none), regenerate it by force, rebuild it from scratch; then the search index is built.
// The paths of the indexed records go back through the pipe.
[[noreturn]] void doWork(int resultFd, bool unprivileged)
{
    ::alarm(watchdogSeconds);
    if (unprivileged && !dropRights()) {
        ::_exit(cannotDropRights);
    }
    Menu::update();
    Menu::generate(true);
    Menu::reset();

    Indexer indexer;
    indexer.indexApplications();
    indexer.indexClassicSettings();
    QByteArray result;
    for (const auto &record : indexer.find(QStringLiteral("desktop"))) {
        result += record->path().toUtf8() + '\0';
    }
    writeAll(resultFd, result);
    ::_exit(0);
}

ChildOutcome runWorkInChild(bool unprivileged)
{
    ChildOutcome outcome;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return outcome;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        doWork(fds[1], unprivileged);
    }
    ::close(fds[1]);
    if (child < 0) {
        ::close(fds[0]);
        return outcome;
    }
    outcome.started = true;
    QByteArray output;
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fds[0], buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        output.append(buffer, int(count));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    outcome.exited = WIFEXITED(status);
    outcome.exitCode = outcome.exited ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    outcome.skipped = outcome.exited && outcome.exitCode == cannotDropRights;
    for (const QByteArray &path : output.split('\0')) {
        if (!path.isEmpty()) {
            outcome.indexed.append(QString::fromUtf8(path));
        }
    }
    return outcome;
}

// A good application: where its desktop file is and which category folder of the tree it belongs in.
struct Application {
    QString source;
    QString folder;
};
}

/**
 * One hostile situation: what it puts on disk, and what it changes in the result. Good files it
 * adds (a desktop file with CRLF line ends, say) must be written and indexed like the fixtures.
 */
struct HostileCase {
    std::function<void()> plant;
    QList<Application> alsoGood;
    // How the names of items end that may be written for the case's own files, without being
    // required (for names whose decoding is the platform's business).
    QStringList mayAlsoWrite;
    bool prebuiltTree = false;
    bool readOnlyHome = false;
};
Q_DECLARE_METATYPE(HostileCase)

namespace
{
// The case's own files are all to be ignored.
HostileCase ignored(std::function<void()> plant)
{
    HostileCase hostile;
    hostile.plant = std::move(plant);
    return hostile;
}

// The case's files include good applications, to be written and indexed as well.
HostileCase withGood(std::function<void()> plant, const QList<Application> &good)
{
    HostileCase hostile = ignored(std::move(plant));
    hostile.alsoGood = good;
    return hostile;
}

// The case changes a tree that a first generation made.
HostileCase inBuiltTree(std::function<void()> plant)
{
    HostileCase hostile = ignored(std::move(plant));
    hostile.prebuiltTree = true;
    return hostile;
}
}

class HostileFileSystemTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void hostileInput_data();
    void hostileInput();

private:
    // Outside both the system root and the home directory: targets of links, FIFOs.
    QString outside() const
    {
        return m_system.path() + QStringLiteral("/outside");
    }

    QList<Application> goodApplications() const;
    void writeFixtures();
    void handOverToUnprivileged();

    void checkWritesStayInPlace(const Snapshot &before, const Snapshot &after) const;
    void checkItems(const HostileCase &hostile) const;
    void checkIndex(const HostileCase &hostile, const QStringList &indexed) const;

    const TestSupport::FakeSystem m_system{marker};
};

void HostileFileSystemTest::initTestCase()
{
    QVERIFY(m_system.install());
    // Every item written would be logged; the children's output is not what is tested here.
    QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug = false"));

    QCOMPARE(StartMenuUtils::menuDir(), m_system.menuDir());
    QCOMPARE(StartMenuUtils::appSearchPaths(), (QStringList{m_system.applications(), m_system.userApplications()}));
}

void HostileFileSystemTest::init()
{
    for (const QString &dir : {m_system.root(), m_system.home(), outside()}) {
        removeRaw(encoded(dir));
        QVERIFY2(!QFileInfo::exists(dir), qPrintable(dir));
    }
    writeFixtures();
}

void HostileFileSystemTest::cleanupTestCase()
{
    // QTemporaryDir cannot remove what it cannot name.
    removeRaw(encoded(m_system.path()));
}

QList<Application> HostileFileSystemTest::goodApplications() const
{
    return {
        {m_system.applications() + QStringLiteral("/org.hostile.Editor.desktop"), QStringLiteral("office")},
        {m_system.applications() + QStringLiteral("/org.hostile.Game.desktop"), QStringLiteral("games")},
        {m_system.userApplications() + QStringLiteral("/org.hostile.Notes.desktop"), QStringLiteral("other")},
    };
}

void HostileFileSystemTest::writeFixtures()
{
    writeFile(m_system.templateTree() + QStringLiteral("/office/.directory"),
              FakeSystem::folderDeclaration(QStringLiteral("Office"), QStringLiteral("Office;Spreadsheet")));
    writeFile(m_system.templateTree() + QStringLiteral("/games/.directory"), FakeSystem::folderDeclaration(QStringLiteral("Games"), QStringLiteral("Game")));
    writeFile(m_system.templateTree() + QStringLiteral("/other/.directory"), FakeSystem::folderDeclaration(QStringLiteral("Other"), QString()));
    writeFile(m_system.applications() + QStringLiteral("/org.hostile.Editor.desktop"),
              m_system.desktopFile(QStringLiteral("Editor"), QStringLiteral("Office;")));
    writeFile(m_system.applications() + QStringLiteral("/org.hostile.Game.desktop"), m_system.desktopFile(QStringLiteral("Game"), QStringLiteral("Game;")));
    writeFile(m_system.userApplications() + QStringLiteral("/org.hostile.Notes.desktop"),
              m_system.desktopFile(QStringLiteral("Notes"), QStringLiteral("Utility;")));
    // A classic settings item: named by the table, so it is indexed but never placed in the menu.
    writeFile(m_system.applications() + QStringLiteral("/hostile-settings.desktop"),
              m_system.desktopFile(QStringLiteral("Settings"), QStringLiteral("Settings;")));
    writeFile(m_system.settingsTable(), "hostile-settings,1,none,root,true\n");
    QVERIFY(QDir().mkpath(m_system.home() + QStringLiteral("/.nimb")));
    QVERIFY(QDir().mkpath(outside()));
}

void HostileFileSystemTest::handOverToUnprivileged()
{
    walkRaw(encoded(m_system.path()), [](const QByteArray &path, const struct stat &) {
        QVERIFY2(::lchown(path.constData(), unprivilegedId, unprivilegedId) == 0, path.constData());
    });
}

void HostileFileSystemTest::hostileInput_data()
{
    QTest::addColumn<HostileCase>("hostile");

    const auto other = [](const QString &source) {
        return Application{source, QStringLiteral("other")};
    };
    const auto deepPath = [](const QString &base, int levels) {
        QString path = base;
        for (int level = 0; level < levels; ++level) {
            path += QStringLiteral("/d");
        }
        return path;
    };

    // Folders that loop back.
    QTest::addRow("folder linking to its parent") << ignored([this] {
        makeLink(QStringLiteral(".."), m_system.applications() + QStringLiteral("/loop/up"));
    });
    QTest::addRow("two folders linking to each other") << ignored([this] {
        makeLink(QStringLiteral("../b"), m_system.applications() + QStringLiteral("/a/to-b"));
        makeLink(QStringLiteral("../a"), m_system.applications() + QStringLiteral("/b/to-a"));
    });
    QTest::addRow("desktop file linking to itself") << ignored([this] {
        makeLink(QStringLiteral("self.desktop"), m_system.applications() + QStringLiteral("/self.desktop"));
    });
    QTest::addRow("link to a missing target") << ignored([this] {
        makeLink(m_system.applications() + QStringLiteral("/nowhere.desktop"), m_system.applications() + QStringLiteral("/gone.desktop"));
    });
    const QString deepApplication = deepPath(m_system.applications(), 100) + QStringLiteral("/org.hostile.Deep.desktop");
    QTest::addRow("folders 100 levels deep") << withGood(
        [this, deepApplication] {
            writeFile(deepApplication, m_system.desktopFile(QStringLiteral("Deep"), QStringLiteral("Office;")));
        },
        {{deepApplication, QStringLiteral("office")}});

    // Files and folders that cannot be read.
    QTest::addRow("unreadable desktop file") << ignored([this] {
        writeFile(m_system.applications() + QStringLiteral("/secret.desktop"), m_system.desktopFile(QStringLiteral("Secret"), QStringLiteral("Office;")));
        setMode(m_system.applications() + QStringLiteral("/secret.desktop"), 0);
    });
    QTest::addRow("unreadable folder") << ignored([this] {
        writeFile(m_system.applications() + QStringLiteral("/locked/inside.desktop"),
                  m_system.desktopFile(QStringLiteral("Inside"), QStringLiteral("Office;")));
        setMode(m_system.applications() + QStringLiteral("/locked"), 0);
    });
    QTest::addRow("folder that cannot be entered") << ignored([this] {
        writeFile(m_system.applications() + QStringLiteral("/listonly/inside.desktop"),
                  m_system.desktopFile(QStringLiteral("Inside"), QStringLiteral("Office;")));
        setMode(m_system.applications() + QStringLiteral("/listonly"), 0444);
    });

    // Names.
    const QString spaced = m_system.applications() + QStringLiteral("/with spaces/Spaced App.desktop");
    QTest::addRow("names with spaces") << withGood(
        [this, spaced] {
            writeFile(spaced, m_system.desktopFile(QStringLiteral("Spaced"), QStringLiteral("Utility;")));
        },
        {other(spaced)});
    const QString newline = m_system.applications() + QStringLiteral("/line\nbreak.desktop");
    QTest::addRow("name with a newline") << withGood(
        [this, newline] {
            writeFile(newline, m_system.desktopFile(QStringLiteral("Newline"), QStringLiteral("Utility;")));
        },
        {other(newline)});
    const QString unicode = m_system.applications() + QStringLiteral("/Ünïcødé Пример.desktop");
    QTest::addRow("name with letters beyond ASCII") << withGood(
        [this, unicode] {
            writeFile(unicode, m_system.desktopFile(QStringLiteral("Unicode"), QStringLiteral("Utility;")));
        },
        {other(unicode)});
    HostileCase badBytes = ignored([this] {
        writeRaw(encoded(m_system.applications()) + "/bad\xff\xfe name.desktop", m_system.desktopFile(QStringLiteral("Bytes"), QStringLiteral("Utility;")));
        writeRaw(encoded(m_system.applications()) + "/\xc3\x28" "folder/inner.desktop", m_system.desktopFile(QStringLiteral("Inner"), QStringLiteral("Utility;")));
    });
    badBytes.mayAlsoWrite = QStringList{QStringLiteral(" name.desktop"), QStringLiteral("/inner.desktop")};
    QTest::addRow("names with bytes that are not UTF-8") << badBytes;
    const QString folderApplication = m_system.applications() + QStringLiteral("/folder.desktop/inner.desktop");
    QTest::addRow("folder named like a desktop file") << withGood(
        [this, folderApplication] {
            writeFile(folderApplication, m_system.desktopFile(QStringLiteral("Inner"), QStringLiteral("Utility;")));
        },
        {other(folderApplication)});

    // Contents.
    QTest::addRow("empty file") << ignored([this] {
        writeFile(m_system.applications() + QStringLiteral("/empty.desktop"), QByteArray());
    });
    QTest::addRow("binary file") << ignored([this] {
        QByteArray bytes;
        for (int i = 0; i < 65536; ++i) {
            bytes.append(char((i * 7919 + 13) % 256));
        }
        writeFile(m_system.applications() + QStringLiteral("/binary.desktop"), bytes);
    });
    QTest::addRow("desktop file of 50 MB") << ignored([this] {
        const QString path = m_system.applications() + QStringLiteral("/huge.desktop");
        writeFile(path, m_system.desktopFile(QStringLiteral("Huge"), QStringLiteral("Utility;")) + "Comment=");
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        const QByteArray chunk(1024 * 1024, 'x');
        for (qint64 size = 0; size < fiftyMegabytes; size += chunk.size()) {
            QCOMPARE(file.write(chunk), qint64(chunk.size()));
        }
    });
    const QString keys = m_system.applications() + QStringLiteral("/keys.desktop");
    QTest::addRow("desktop file with 100,000 keys") << withGood(
        [this, keys] {
            QByteArray lines;
            lines.reserve(megabyte);
            for (int i = 0; i < manyKeys; ++i) {
                lines += "K" + QByteArray::number(i) + "=v\n";
            }
            writeFile(keys, m_system.desktopFile(QStringLiteral("Keys"), QStringLiteral("Utility;"), lines));
        },
        {other(keys)});
    const QString groups = m_system.applications() + QStringLiteral("/groups.desktop");
    QTest::addRow("desktop file with 160,000 groups") << withGood(
        [this, groups] {
            // As many groups as a desktop file may hold: three-letter names fill just under 1 MiB.
            static const char letters[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
            constexpr int base = sizeof letters - 1;
            QByteArray lines;
            lines.reserve(megabyte);
            for (int i = 0; i < manyGroups; ++i) {
                lines += '[';
                lines += letters[i / (base * base)];
                lines += letters[i / base % base];
                lines += letters[i % base];
                lines += "]\n";
            }
            QVERIFY(lines.size() < int(NimbDesktopEntry::MaxFileSize) - 200);
            writeFile(groups, m_system.desktopFile(QStringLiteral("Groups"), QStringLiteral("Utility;"), lines));
        },
        {other(groups)});
    const QString longLine = m_system.applications() + QStringLiteral("/longline.desktop");
    QTest::addRow("line of 1 MB") << withGood(
        [this, longLine] {
            QByteArray comment = "Comment=";
            comment.reserve(megabyte + 16);
            while (comment.size() < megabyte) {
                comment += "words and ";
            }
            writeFile(longLine, m_system.desktopFile(QStringLiteral("Longline"), QStringLiteral("Utility;"), comment + '\n'));
        },
        {other(longLine)});
    const QString longWord = m_system.applications() + QStringLiteral("/longword.desktop");
    QTest::addRow("single word of 1 MB") << withGood(
        [this, longWord] {
            writeFile(longWord,
                      m_system.desktopFile(QStringLiteral("Longword"), QStringLiteral("Utility;"), "GenericName=" + QByteArray(megabyte, 'w') + '\n'));
        },
        {other(longWord)});
    QTest::addRow("NUL bytes") << ignored([this] {
        writeFile(m_system.applications() + QStringLiteral("/nul.desktop"),
                  m_system.desktopFile(QStringLiteral("Nul"), QStringLiteral("Utility;"), QByteArray("Comment=a\0b\n", 12)));
    });
    const QString crlf = m_system.applications() + QStringLiteral("/crlf.desktop");
    QTest::addRow("CRLF line ends") << withGood(
        [this, crlf] {
            writeFile(crlf, m_system.desktopFile(QStringLiteral("Crlf"), QStringLiteral("Utility;")).replace("\n", "\r\n"));
        },
        {other(crlf)});
    const QString byteOrderMark = m_system.applications() + QStringLiteral("/bom.desktop");
    QTest::addRow("byte-order mark") << withGood(
        [this, byteOrderMark] {
            writeFile(byteOrderMark, "\xEF\xBB\xBF" + m_system.desktopFile(QStringLiteral("Bom"), QStringLiteral("Utility;")));
        },
        {other(byteOrderMark)});
    QTest::addRow("invalid UTF-8 in a value") << ignored([this] {
        writeFile(m_system.applications() + QStringLiteral("/latin1.desktop"),
                  m_system.desktopFile(QStringLiteral("Latin"), QStringLiteral("Utility;"), QByteArray("Comment=caf\xe9\n")));
    });

    // Things that are not files behind desktop-file names.
    QTest::addRow("link to a FIFO") << ignored([this] {
        makeFifo(outside() + QStringLiteral("/fifo"));
        makeLink(outside() + QStringLiteral("/fifo"), m_system.applications() + QStringLiteral("/fifo.desktop"));
    });
    QTest::addRow("FIFO named like a desktop file") << ignored([this] {
        makeFifo(m_system.applications() + QStringLiteral("/pipe.desktop"));
    });
    QTest::addRow("link to /dev/zero") << ignored([this] {
        makeLink(QStringLiteral("/dev/zero"), m_system.applications() + QStringLiteral("/zero.desktop"));
    });

    // The template tree and the administrator's categories.
    QTest::addRow("template folder linking to its parent") << ignored([this] {
        makeLink(QStringLiteral(".."), m_system.templateTree() + QStringLiteral("/office/up"));
    });
    // Not between category folders: a declaration copied through a link would claim its
    // categories for a folder below the top level, which is how declarations work.
    QTest::addRow("template folders linking to each other") << ignored([this] {
        makeLink(QStringLiteral("../b"), m_system.templateTree() + QStringLiteral("/office/extras/a/to-b"));
        makeLink(QStringLiteral("../a"), m_system.templateTree() + QStringLiteral("/office/extras/b/to-a"));
    });
    QTest::addRow("template folders 100 levels deep") << ignored([this, deepPath] {
        writeFile(deepPath(m_system.templateTree() + QStringLiteral("/office"), 100) + QStringLiteral("/.keep"), QByteArray());
    });
    QTest::addRow("template link to a missing target") << ignored([this] {
        makeLink(outside() + QStringLiteral("/nothing"), m_system.templateTree() + QStringLiteral("/games/missing"));
    });
    QTest::addRow("template FIFO") << ignored([this] {
        makeFifo(m_system.templateTree() + QStringLiteral("/games/fifo"));
    });
    QTest::addRow("template link to /dev/zero") << ignored([this] {
        makeLink(QStringLiteral("/dev/zero"), m_system.templateTree() + QStringLiteral("/games/zero"));
    });
    QTest::addRow("template file unreadable") << ignored([this] {
        writeFile(m_system.templateTree() + QStringLiteral("/games/secret"), "secret");
        setMode(m_system.templateTree() + QStringLiteral("/games/secret"), 0);
    });
    const QByteArray science = "[Desktop Entry]\nType=Directory\nName=Science\nCategories=Science;\nX-Categories=Science\n";
    const QString lab = m_system.applications() + QStringLiteral("/org.hostile.Lab.desktop");
    QTest::addRow("template category that is a file") << withGood(
        [this, science, lab] {
            writeFile(m_system.templateTree() + QStringLiteral("/science"), "not a folder");
            writeFile(m_system.adminCategories() + QStringLiteral("/science/.directory"), science);
            writeFile(lab, m_system.desktopFile(QStringLiteral("Lab"), QStringLiteral("Science;")));
        },
        {other(lab)});
    QTest::addRow("administrator category linking to its parent") << withGood(
        [this, science, lab] {
            writeFile(m_system.adminCategories() + QStringLiteral("/science/.directory"), science);
            makeLink(QStringLiteral(".."), m_system.adminCategories() + QStringLiteral("/science/up"));
            writeFile(lab, m_system.desktopFile(QStringLiteral("Lab"), QStringLiteral("Science;")));
        },
        {{lab, QStringLiteral("science")}});
    QTest::addRow("administrator declaration that is binary") << ignored([this] {
        writeFile(m_system.adminCategories() + QStringLiteral("/junk/.directory"),
                  QByteArray("\x7f"
                             "ELF\x02\x01\x01\0\0\0",
                             10));
    });

    // A tree that is already there, with things of the wrong kind in it.
    QTest::addRow("item path that is a folder") << inBuiltTree([this] {
        const QString item = m_system.menuDir() + QStringLiteral("/office/org.hostile.Editor.desktop");
        QVERIFY(QFile::remove(item));
        writeFile(item + QStringLiteral("/inside"), "a folder where an item belongs");
    });
    QTest::addRow("category folder that is a file") << inBuiltTree([this] {
        QVERIFY(QDir(m_system.menuDir() + QStringLiteral("/games")).removeRecursively());
        writeFile(m_system.menuDir() + QStringLiteral("/games"), "a file where a category folder belongs");
    });
    QTest::addRow("links in the tree pointing out of it") << inBuiltTree([this] {
        writeFile(outside() + QStringLiteral("/keep/precious.txt"), "must survive a reset");
        makeLink(outside() + QStringLiteral("/keep"), m_system.menuDir() + QStringLiteral("/office/elsewhere"));
        makeLink(outside() + QStringLiteral("/keep/precious.txt"), m_system.menuDir() + QStringLiteral("/games/precious.desktop"));
    });
    QTest::addRow("FIFOs in the tree") << inBuiltTree([this] {
        makeFifo(outside() + QStringLiteral("/tree-fifo"));
        makeLink(outside() + QStringLiteral("/tree-fifo"), m_system.menuDir() + QStringLiteral("/office/fifo.desktop"));
        makeFifo(m_system.menuDir() + QStringLiteral("/games/pipe.directory"));
    });
    QTest::addRow("update journal that is a FIFO") << inBuiltTree([this] {
        makeFifo(m_system.menuDir() + QStringLiteral("/.update-journal"));
    });
    QTest::addRow("update journal of 2 MB of binary") << inBuiltTree([this] {
        QByteArray bytes(2 << 20, '\0');
        for (int i = 0; i < bytes.size(); ++i) {
            bytes[i] = char((quint32(i) * 7919u) >> 3);
        }
        writeFile(m_system.menuDir() + QStringLiteral("/.update-journal"), bytes);
    });

    // Override files.
    QTest::addRow("override file that is a FIFO") << ignored([this] {
        makeFifo(m_system.overrides() + QStringLiteral("/org.hostile.Editor.desktop"));
    });
    QTest::addRow("override file that is a folder") << ignored([this] {
        QVERIFY(QDir().mkpath(m_system.menuOverrides() + QStringLiteral("/org.hostile.Game.desktop")));
    });
    QTest::addRow("override files with 100,000 keys") << ignored([this] {
        QByteArray lines = "[Desktop Entry]\n";
        lines.reserve(megabyte);
        for (int i = 0; i < manyKeys; ++i) {
            lines += "K" + QByteArray::number(i) + "=o\n";
        }
        writeFile(m_system.overrides() + QStringLiteral("/org.hostile.Editor.desktop"), lines);
        writeFile(m_system.menuOverrides() + QStringLiteral("/org.hostile.Editor.desktop"), lines);
    });

    HostileCase readOnlyHome = ignored([] {});
    readOnlyHome.readOnlyHome = true;
    QTest::addRow("read-only home") << readOnlyHome;
}

void HostileFileSystemTest::hostileInput()
{
    QFETCH(HostileCase, hostile);

    if (hostile.prebuiltTree) {
        Menu::init();
        QVERIFY(QFile::exists(m_system.menuDir() + QStringLiteral("/office/org.hostile.Editor.desktop")));
    }
    hostile.plant();
    if (QTest::currentTestFailed()) {
        return;
    }
    if (hostile.readOnlyHome) {
        walkRaw(encoded(m_system.home()), [](const QByteArray &path, const struct stat &status) {
            if (S_ISDIR(status.st_mode)) {
                ::chmod(path.constData(), 0555);
            }
        });
    }
    const bool unprivileged = ::geteuid() == 0;
    if (unprivileged) {
        handOverToUnprivileged();
    }

    const Snapshot before = snapshot(m_system.path());
    const ChildOutcome outcome = runWorkInChild(unprivileged);
    QVERIFY2(outcome.started, "no child process for the work");
    if (outcome.skipped) {
        QSKIP("running as root, and the work cannot run without root rights here");
    }
    QVERIFY2(outcome.signal != SIGALRM, "the work did not finish before the watchdog fired: a hang");
    QVERIFY2(outcome.exited, qPrintable(QStringLiteral("the work crashed with signal %1").arg(outcome.signal)));
    QCOMPARE(outcome.exitCode, 0);

    checkWritesStayInPlace(before, snapshot(m_system.path()));
    checkItems(hostile);
    checkIndex(hostile, outcome.indexed);
}

void HostileFileSystemTest::checkWritesStayInPlace(const Snapshot &before, const Snapshot &after) const
{
    const QByteArray tree = encoded(m_system.menuDir());
    const QByteArray config = encoded(m_system.home() + QStringLiteral("/.config/kolvatek/nimb-start-menu.conf"));
    const QByteArray logDir = encoded(m_system.home() + QStringLiteral("/.cache/nimb-start-menu"));
    const QByteArrayList parentsOfAllowed{encoded(m_system.home() + QStringLiteral("/.config")),
                                          encoded(m_system.home() + QStringLiteral("/.config/kolvatek")),
                                          encoded(m_system.home() + QStringLiteral("/.cache"))};
    const auto allowed = [&](const QByteArray &path) {
        return isBelow(path, tree) || path == config || path == config + ".lock" || isBelow(path, logDir) || parentsOfAllowed.contains(path);
    };

    QSet<QByteArray> paths;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        paths.insert(it.key());
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        paths.insert(it.key());
    }
    for (const QByteArray &path : qAsConst(paths)) {
        if (allowed(path)) {
            continue;
        }
        const auto was = before.constFind(path);
        const auto is = after.constFind(path);
        const QString what = was == before.cend() ? QStringLiteral("created") : is == after.cend() ? QStringLiteral("deleted") : QStringLiteral("changed");
        QVERIFY2(was != before.cend() && is != after.cend() && *was == *is,
                 qPrintable(QStringLiteral("%1 outside the menu tree: %2").arg(what, QFile::decodeName(path))));
    }
}

void HostileFileSystemTest::checkItems(const HostileCase &hostile) const
{
    QList<Application> good = goodApplications() + hostile.alsoGood;
    QSet<QString> goodNames;
    for (const Application &application : qAsConst(good)) {
        goodNames.insert(QFileInfo(application.source).fileName());
    }
    const auto isGood = [&](const QString &item) {
        return goodNames.contains(QFileInfo(item).fileName())
            || std::any_of(hostile.mayAlsoWrite.cbegin(), hostile.mayAlsoWrite.cend(), [&item](const QString &ending) {
                   return item.endsWith(ending);
               });
    };

    // Whatever is in the tree is whole, names its source, and comes from a file meant to be there.
    walkRaw(encoded(m_system.menuDir()), [&](const QByteArray &path, const struct stat &status) {
        if (!S_ISREG(status.st_mode) || !path.endsWith(".desktop")) {
            return;
        }
        const QString item = QFile::decodeName(path);
        const NimbDesktopEntry entry(path.toStdString());
        QVERIFY2(entry.isLoaded() && entry.isValid(), qPrintable(item));
        const QString origin = QString::fromStdString(entry.getUnknownValue(originKey.toStdString()));
        QVERIFY2(!origin.isEmpty(), qPrintable(item));
        QVERIFY2(QFileInfo::exists(origin), qPrintable(QStringLiteral("%1 names %2, which does not exist").arg(item, origin)));
        QCOMPARE(QFileInfo(origin).fileName(), QFileInfo(item).fileName());
        QVERIFY2(isGood(item), qPrintable(QStringLiteral("%1 should not have been written").arg(item)));
        QVERIFY2(!entry.name().empty() && entry.name().find('\r') == std::string::npos, qPrintable(item));
    });
    if (QTest::currentTestFailed()) {
        return;
    }

    if (hostile.readOnlyHome) {
        QVERIFY2(!QFileInfo::exists(m_system.menuDir()), "a tree was made in a read-only home");
        return;
    }
    // Each good application is in its category folder, or in "other" when that folder did not
    // make it into the tree with its declaration.
    for (const Application &application : qAsConst(good)) {
        const bool folderDeclared = QFileInfo(m_system.menuDir() + QLatin1Char('/') + application.folder + QStringLiteral("/.directory")).isFile();
        const QString folder = folderDeclared ? application.folder : QStringLiteral("other");
        if (!QFileInfo(m_system.menuDir() + QLatin1Char('/') + folder).isDir()) {
            continue;
        }
        const QString item = m_system.menuDir() + QLatin1Char('/') + folder + QLatin1Char('/') + QFileInfo(application.source).fileName();
        QVERIFY2(QFileInfo(item).isFile(), qPrintable(QStringLiteral("missing %1").arg(item)));
        const NimbDesktopEntry entry(QFile::encodeName(item).toStdString());
        const QString origin = QString::fromStdString(entry.getUnknownValue(originKey.toStdString()));
        QVERIFY2(QFileInfo(origin).canonicalFilePath() == QFileInfo(application.source).canonicalFilePath(),
                 qPrintable(QStringLiteral("%1 names %2").arg(item, origin)));
    }
}

void HostileFileSystemTest::checkIndex(const HostileCase &hostile, const QStringList &indexed) const
{
    const QString settings = m_system.applications() + QStringLiteral("/hostile-settings.desktop");
    QVERIFY2(indexed.contains(settings), qPrintable(indexed.join(QLatin1Char('\n'))));

    QSet<QString> goodNames{QFileInfo(settings).fileName()};
    const QList<Application> good = goodApplications() + hostile.alsoGood;
    for (const Application &application : good) {
        const QString name = QFileInfo(application.source).fileName();
        goodNames.insert(name);
        const bool found = std::any_of(indexed.cbegin(), indexed.cend(), [&name](const QString &path) {
            return QFileInfo(path).fileName() == name;
        });
        QVERIFY2(found, qPrintable(QStringLiteral("%1 is not indexed").arg(application.source)));
    }
    for (const QString &path : indexed) {
        const bool isGood = goodNames.contains(QFileInfo(path).fileName())
            || std::any_of(hostile.mayAlsoWrite.cbegin(), hostile.mayAlsoWrite.cend(), [&path](const QString &ending) {
                                return path.endsWith(ending);
                            });
        QVERIFY2(isGood, qPrintable(QStringLiteral("%1 should not have been indexed").arg(path)));
    }
    // An item in the tree stands in for its source.
    walkRaw(encoded(m_system.menuDir()), [&](const QByteArray &path, const struct stat &status) {
        if (S_ISREG(status.st_mode) && path.endsWith(".desktop")) {
            QVERIFY2(indexed.contains(QFile::decodeName(path)), path.constData());
        }
    });
}

QTEST_GUILESS_MAIN(HostileFileSystemTest)

#include "hostilefilesystemtest.moc"

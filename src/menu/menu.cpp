/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "menu.h"
#include "applicationsource_p.h"
#include "entryrules_p.h"
#include "filewalk_p.h"
#include "folderlist_p.h"
#include "logging.h"
#include "nimbdesktopentry.h"
#include "settingsmap.h"
#include "startmenuutils.h"
#include "treeformat_p.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
using StartMenuUtils::isAccepted;
using TreeFormat::categoriesKey;
using TreeFormat::originKey;
using TreeFormat::templateTree;

const QString fallbackCategory = QStringLiteral("other");
// QFileInfo::suffix() is "directory" or "desktop" exactly when the path ends so.
const QString declarationEnding = QStringLiteral(".directory");
const QString applicationEnding = QStringLiteral(".desktop");

// Whether a file name ends with one of the suffixes a pass reads; the passes skip other files, whose
// readability the walk then need not check.
template<std::size_t Count>
auto endingIn(const char *const (&endings)[Count])
{
    return [&endings](const char *name) {
        const std::string_view view(name);
        return std::any_of(std::begin(endings), std::end(endings), [&view](std::string_view ending) {
            return view.size() >= ending.size() && view.compare(view.size() - ending.size(), ending.size(), ending) == 0;
        });
    };
}

constexpr const char *declarationFiles[] = {".directory"};
constexpr const char *treeFiles[] = {".directory", ".desktop"};

// The files below root as QDirIterator(root, QDir::Files | QDir::Readable [| QDir::Hidden],
// QDirIterator::Subdirectories | QDirIterator::FollowSymlinks) meets them; a folder reached again
// through a link is not entered again, so a link loop ends there.
template<std::size_t Count, typename Visit>
void forEachFile(const QString &root, bool hidden, const char *const (&endings)[Count], Visit visit)
{
    StartMenuUtils::walkFiles(root, hidden, endingIn(endings), [&visit](const QString &path) {
        visit(QFileInfo(path));
    });
}

NimbDesktopEntry readEntry(const QFileInfo &file)
{
    return NimbDesktopEntry(file.filePath().toStdString());
}

using FolderIdentity = std::pair<dev_t, ino_t>;

// Copies `from` to `to` recursively, following symbolic links: a folder is created with the
// attributes of its source, a file is copied, and an existing file at the destination is an error
// that ends the copy, as is any other error; what was copied before stays.
// A link back to a folder that is being copied is not followed again: it would nest copies of the
// same folder into each other until the path grew too long.
bool copyTree(const fs::path &from, const fs::path &to, std::vector<FolderIdentity> &openFolders, std::error_code &error)
{
    const fs::file_status status = fs::status(from, error);
    if (error) {
        return false;
    }
    if (fs::is_regular_file(status)) {
        fs::copy_file(from, to, fs::copy_options::none, error);
        return !error;
    }
    if (!fs::is_directory(status)) {
        error = std::make_error_code(std::errc::not_supported);
        return false;
    }

    struct stat identity;
    if (::stat(from.c_str(), &identity) != 0) {
        error = std::error_code(errno, std::generic_category());
        return false;
    }
    const FolderIdentity folder{identity.st_dev, identity.st_ino};
    if (std::find(openFolders.cbegin(), openFolders.cend(), folder) != openFolders.cend()) {
        return true;
    }

    const fs::file_status target = fs::status(to, error);
    if (fs::exists(target) && !fs::is_directory(target)) {
        error = std::make_error_code(std::errc::file_exists);
        return false;
    }
    error.clear();
    fs::create_directory(to, from, error);
    if (error) {
        return false;
    }

    openFolders.push_back(folder);
    const bool listed = FolderList::list(QByteArray::fromStdString(from.native()), [&](const FolderList::Entry &entry) {
        if (!error) {
            copyTree(from / entry.name, to / entry.name, openFolders, error);
        }
    });
    if (!listed) {
        error = std::error_code(errno, std::generic_category());
    }
    openFolders.pop_back();
    return !error;
}

bool copyTree(const QString &from, const QString &to)
{
    std::vector<FolderIdentity> openFolders;
    std::error_code error;
    return copyTree(fs::path(from.toStdString()), fs::path(to.toStdString()), openFolders, error);
}

// The record an update keeps in the tree while it writes into it. Before its first write into a
// category folder, an unforced update notes the folder's change time as it was before the run; a
// forced update notes that it is forced. A run that completes removes the record. A run killed
// halfway leaves it, and the next run goes on where that one stopped: forced, or judging the noted
// folders by the times noted before the killed run's writes advanced them. Without it, the new
// applications the killed run had not written yet would be older than their folder for good.
//
// One line a record, each appended with a single write(): a line cut short by a kill has no line
// end and is not read; nothing was written for it yet.
class UpdateJournal
{
public:
    explicit UpdateJournal(const QString &menuDir)
        : m_path(menuDir + QStringLiteral("/.update-journal"))
    {
        // Only a regular file is read: opening a FIFO put in its place would block.
        QFile file(m_path);
        if (!QFileInfo(m_path).isFile() || !file.open(QIODevice::ReadOnly)) {
            return;
        }
        m_found = true;
        const QList<QByteArray> lines = file.read(maxSize).split('\n');
        // The last piece follows the last line end: empty, or a line cut short.
        for (int i = 0; i + 1 < lines.size(); ++i) {
            const QList<QByteArray> fields = lines.at(i).split(' ');
            bool valid = false;
            if (fields.size() == 1 && fields.at(0) == forcedRecord) {
                m_forced = true;
            } else if (fields.size() == 3 && fields.at(0) == folderRecord) {
                const qint64 msecs = fields.at(1).toLongLong(&valid);
                const QString id = QString::fromUtf8(QByteArray::fromPercentEncoding(fields.at(2)));
                if (valid && !m_folderTimes.contains(id)) {
                    m_folderTimes.insert(id, QDateTime::fromMSecsSinceEpoch(msecs));
                }
            }
        }
        qCDebug(LOG_GENERAL) << "going on with an interrupted update" << (m_forced ? "(forced)" : "") << m_folderTimes.keys();
    }

    bool isForced() const
    {
        return m_forced;
    }

    // The noted change time of a category folder; invalid if the journal has none.
    QDateTime folderTime(const QString &id) const
    {
        return m_folderTimes.value(id);
    }

    void noteForced()
    {
        if (!m_forced) {
            m_forced = append(QByteArray(forcedRecord) + '\n');
        }
    }

    void noteFolder(const QString &id, const QDateTime &time)
    {
        if (time.isValid() && !m_folderTimes.contains(id)) {
            m_folderTimes.insert(id, time);
            append(QByteArray(folderRecord) + ' ' + QByteArray::number(time.toMSecsSinceEpoch()) + ' ' + id.toUtf8().toPercentEncoding() + '\n');
        }
    }

    void finish()
    {
        if (m_found) {
            QFile::remove(m_path);
        }
    }

private:
    bool append(const QByteArray &line)
    {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
        if (fd < 0) {
            qCDebug(LOG_GENERAL) << "cannot keep the update journal" << m_path << ::strerror(errno);
            return false;
        }
        m_found = true;
        const bool written = ::write(fd, line.constData(), size_t(line.size())) == line.size();
        ::close(fd);
        return written;
    }

    static constexpr const char *forcedRecord = "forced";
    static constexpr const char *folderRecord = "folder";
    // Far more than the records of every folder a tree may have.
    static constexpr qint64 maxSize = 1 << 20;

    QString m_path;
    bool m_found = false;
    bool m_forced = false;
    QHash<QString, QDateTime> m_folderTimes;
};

// What a file's metadata says of its content: equal stamps taken before and after reading it mean
// that nothing wrote to it meanwhile.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified = {};
    timespec changed = {};

    static FileStamp of(const QString &path)
    {
        FileStamp stamp;
        struct stat status;
        if (::stat(QFile::encodeName(path).constData(), &status) == 0) {
            stamp = {status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
        }
        return stamp;
    }

    bool operator==(const FileStamp &other) const
    {
        return device == other.device && inode == other.inode && size == other.size && modified.tv_sec == other.modified.tv_sec
            && modified.tv_nsec == other.modified.tv_nsec && changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
    bool operator!=(const FileStamp &other) const
    {
        return !(*this == other);
    }
};

// Desktop files that an update could not take because they may still be being written: empty or
// cut short (no valid entry yet), or written to while the update read them. Writing their content
// in place fires no folder event, so the watcher watches them until the next update. That update
// takes them whatever their change time: the tree's folders may have changed after their last
// write, and an application the tree never held cannot be one the user removed.
struct Unfinished {
    QSet<QString> retry; // those the previous update left
    QHash<QString, FileStamp> found; // those this update leaves, with their stamps as read
};

struct TreeState {
    QMap<QString, QString> categoryIds; // desktop-entry category → category folder
    QSet<QString> recordedOrigins;
};

// Pass 1: what the tree's folders collect, and which applications it holds already.
void readTree(const QString &menuDir, TreeState &tree)
{
    forEachFile(menuDir, true, treeFiles, [&tree](const QFileInfo &file) {
        const QString path = file.filePath();
        if (path.endsWith(declarationEnding)) {
            const NimbDesktopEntry declaration = readEntry(file);
            if (isAccepted(declaration)) {
                const QString id = file.dir().dirName();
                const QString categories = QString::fromStdString(declaration.getUnknownValue(categoriesKey));
                for (const QString &category : categories.split(QLatin1Char(';'))) {
                    tree.categoryIds.insert(category, id);
                }
            }
        } else if (path.endsWith(applicationEnding)) {
            const NimbDesktopEntry item = readEntry(file);
            if (isAccepted(item)) {
                tree.recordedOrigins.insert(QString::fromStdString(item.getUnknownValue(originKey)));
            }
        }
    });
}

// Pass 2: the administrator's category folders join the tree. A folder copied before makes the copy
// fail at its first file, so from then on only its own declaration in the tree maps its categories.
void copyAdministratorCategories(const QString &menuDir, TreeState &tree)
{
    for (const QString &root : StartMenuUtils::userCategoriesSearchPaths()) {
        forEachFile(root, true, declarationFiles, [&](const QFileInfo &file) {
            if (!file.filePath().endsWith(declarationEnding)) {
                return;
            }
            const NimbDesktopEntry declaration = readEntry(file);
            if (!isAccepted(declaration)) {
                return;
            }
            const QString id = file.dir().dirName();
            if (!copyTree(file.absolutePath(), menuDir + QLatin1Char('/') + id)) {
                return;
            }
            for (const QString &category : StartMenuUtils::stdStringVectorToQStringList(declaration.categories())) {
                if (!tree.categoryIds.contains(category)) {
                    tree.categoryIds.insert(category, id);
                }
            }
        });
    }
}

// Pass 3: every accepted application the tree does not record yet goes into its category folder.
void writeApplications(const QString &menuDir, const TreeState &tree, bool force, UpdateJournal &journal, Unfinished *unfinished)
{
    const ApplicationSource source(ApplicationSource::Overrides::Both, SettingsMap::loadSettingsMap());

    // A folder's change time as it was before this run wrote into it: an item written now must not
    // hide the other new applications of the same folder, whose files are older than that write.
    QHash<QString, QDateTime> folderTimes;
    const auto folderChangeTime = [&](const QString &id) {
        auto known = folderTimes.find(id);
        if (known == folderTimes.end()) {
            const QDateTime noted = journal.folderTime(id);
            known = folderTimes.insert(id, noted.isValid() ? noted : QFileInfo(menuDir + QLatin1Char('/') + id).metadataChangeTime());
        }
        return *known;
    };

    source.forEachDesktopFile(StartMenuUtils::appSearchPaths(), [&](const QString &origin) {
        // An application the tree records is never written again, whatever its file holds: reading
        // it would change nothing.
        if (tree.recordedOrigins.contains(origin)) {
            return;
        }
        const FileStamp stamp = unfinished ? FileStamp::of(origin) : FileStamp();
        ApplicationSource::Item application = source.read(origin);
        if (unfinished && (!application.entry.isLoaded() || !application.entry.isValid() || FileStamp::of(origin) != stamp)) {
            qCDebug(LOG_GENERAL) << "passed over while it may still be being written" << origin;
            unfinished->found.insert(origin, stamp);
            return;
        }
        if (application.kind != ApplicationSource::Kind::Application) {
            return;
        }

        QString id = fallbackCategory;
        for (const std::string &category : application.entry.categories()) {
            const auto found = tree.categoryIds.constFind(QString::fromStdString(category));
            if (found != tree.categoryIds.cend()) {
                id = *found;
                break;
            }
        }

        // An invalid time (no such folder) counts as earlier than any.
        const QFileInfo file(origin);
        if (!force && !(unfinished && unfinished->retry.contains(origin))) {
            const QDateTime folderTime = folderChangeTime(id);
            if (!(folderTime < file.metadataChangeTime())) {
                return;
            }
            journal.noteFolder(id, folderTime);
        }
        qCDebug(LOG_GENERAL) << "origin is newer than category" << origin;
        const QByteArray originUtf8 = origin.toUtf8();
        application.entry.setUnknowns({{TreeFormat::originKey, std::string(originUtf8.constData(), size_t(originUtf8.size()))}});
        const QString item = menuDir + QLatin1Char('/') + id + QLatin1Char('/') + file.fileName();
        application.entry.saveAs(item.toStdString(), SaveEmptyFields{false});
    });
}

void generateIn(const QString &menuDir, bool force, Unfinished *unfinished = nullptr)
{
    UpdateJournal journal(menuDir);
    if (force || journal.isForced()) {
        force = true;
        journal.noteForced();
    }
    TreeState tree;
    readTree(menuDir, tree);
    copyAdministratorCategories(menuDir, tree);
    writeApplications(menuDir, tree, force, journal, unfinished);
    journal.finish();
}

// A first tree is built in a folder beside the menu directory and renamed into place whole, and a
// tree being removed is renamed aside first. A process killed halfway so leaves the whole tree or
// none, never part of one: an unforced update would not complete a part, since its folders are
// newer than the applications still missing. The folders aside carry the process id, so that the
// next build knows which ones a dead process left behind.
const QString buildingMarker = QStringLiteral(".building-");
const QString removingMarker = QStringLiteral(".removing-");

QString asidePath(const QString &menuDir, const QString &marker)
{
    static int serial = 0;
    const QFileInfo tree(menuDir);
    return tree.path() + QStringLiteral("/.") + tree.fileName() + marker + QString::number(::getpid()) + QLatin1Char('-') + QString::number(serial++);
}

bool isRunning(pid_t pid)
{
    // EPERM: the process exists, it belongs to someone else.
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

void removeLeftovers(const QString &menuDir)
{
    const QFileInfo tree(menuDir);
    const QDir parent = tree.dir();
    const QString prefix = QLatin1Char('.') + tree.fileName();
    const QStringList names = FolderList::names(parent.path(), [](const FolderList::Entry &entry) {
        return entry.isDir;
    });
    for (const QString &name : names) {
        for (const QString &marker : {buildingMarker, removingMarker}) {
            if (!name.startsWith(prefix + marker)) {
                continue;
            }
            const pid_t pid = name.mid(prefix.size() + marker.size()).section(QLatin1Char('-'), 0, 0).toInt();
            if (!isRunning(pid)) {
                qCDebug(LOG_GENERAL) << "removing what an interrupted run left behind" << parent.filePath(name);
                std::error_code error;
                fs::remove_all(fs::path(parent.filePath(name).toStdString()), error);
            }
        }
    }
}

void initTree(Unfinished *unfinished)
{
    if (Menu::exists()) {
        Menu::initFolderStructure();
        generateIn(StartMenuUtils::menuDir(), true, unfinished);
        return;
    }
    const QString menuDir = StartMenuUtils::menuDir();
    removeLeftovers(menuDir);
    const QString building = asidePath(menuDir, buildingMarker);
    copyTree(StartMenuUtils::systemPath(templateTree), building);
    generateIn(building, true, unfinished);
    std::error_code error;
    fs::rename(fs::path(building.toStdString()), fs::path(menuDir.toStdString()), error);
    if (error) {
        // Another process put its tree in place meanwhile (or there is nowhere to build one).
        qCDebug(LOG_GENERAL) << "menu tree not put in place:" << QString::fromStdString(error.message());
        fs::remove_all(fs::path(building.toStdString()), error);
    }
}

void updateTree(Unfinished *unfinished)
{
    if (Menu::exists()) {
        generateIn(StartMenuUtils::menuDir(), false, unfinished);
    } else {
        initTree(unfinished);
    }
}
}

class MenuPrivate
{
public:
    explicit MenuPrivate(Menu *menu)
        : q(menu)
    {
        quietTimer.setSingleShot(true);
        QObject::connect(&quietTimer, &QTimer::timeout, q, &Menu::updateMenu);
        QObject::connect(&unfinishedWatcher, &QFileSystemWatcher::fileChanged, q, [this] {
            scheduleUpdate();
        });
    }

    // Restarts the quiet period, unless changes have been waiting for the longest delay already.
    void scheduleUpdate()
    {
        if (!quietTimer.isActive()) {
            pendingSince.start();
        }
        quietTimer.start(int(std::clamp<qint64>(MaxDelay - pendingSince.elapsed(), 0, QuietPeriod)));
    }

    // Watches what the update just run left unfinished, instead of what the one before left.
    void followUnfinished(const Unfinished &found)
    {
        const QStringList watched = unfinishedWatcher.files();
        if (!watched.isEmpty()) {
            unfinishedWatcher.removePaths(watched);
        }
        retry = QSet<QString>();
        bool changed = false;
        for (auto it = found.found.cbegin(); it != found.found.cend(); ++it) {
            retry.insert(it.key());
            unfinishedWatcher.addPath(it.key());
            // Written to between the read and the watch: no event tells of that write.
            changed = changed || FileStamp::of(it.key()) != it.value();
        }
        if (changed) {
            scheduleUpdate();
        }
    }

    static constexpr int QuietPeriod = 200;
    static constexpr qint64 MaxDelay = 1000;

    Menu *const q;
    QTimer quietTimer;
    QElapsedTimer pendingSince;
    QFileSystemWatcher unfinishedWatcher;
    QSet<QString> retry;
};

Menu::Menu(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<MenuPrivate>(this))
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        d->scheduleUpdate();
    });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        d->scheduleUpdate();
    });
    initWatcher();
}

Menu::~Menu() = default;

Menu *Menu::instance()
{
    static Menu menu;
    return &menu;
}

bool Menu::exists()
{
    return QDir(StartMenuUtils::menuDir()).exists();
}

void Menu::remove()
{
    const QString menuDir = StartMenuUtils::menuDir();
    const QString aside = asidePath(menuDir, removingMarker);
    std::error_code error;
    fs::rename(fs::path(menuDir.toStdString()), fs::path(aside.toStdString()), error);
    const bool movedAside = !error;
    fs::remove_all(fs::path((movedAside ? aside : menuDir).toStdString()), error);
}

void Menu::initFolderStructure()
{
    copyTree(StartMenuUtils::systemPath(templateTree), StartMenuUtils::menuDir());
}

void Menu::generate(bool force)
{
    generateIn(StartMenuUtils::menuDir(), force);
}

void Menu::init()
{
    initTree(nullptr);
}

void Menu::reset()
{
    remove();
    init();
}

void Menu::update()
{
    updateTree(nullptr);
}

void Menu::initWatcher()
{
    // Paths watched already, or missing, are refused by the watcher anyway; leaving them out spares
    // its warnings.
    const QStringList watched = m_watcher.directories() + m_watcher.files();
    QStringList paths;
    for (const QString &path : StartMenuUtils::appDirsToWatch()) {
        if (!watched.contains(path) && !paths.contains(path) && QFileInfo::exists(path)) {
            paths.append(path);
        }
    }
    if (!paths.isEmpty()) {
        m_watcher.addPaths(paths);
    }
}

void Menu::updateMenu()
{
    Q_EMIT updateStarted();
    Unfinished unfinished;
    unfinished.retry = d->retry;
    updateTree(&unfinished);
    initWatcher();
    d->followUnfinished(unfinished);
    Q_EMIT updateFinished();
}

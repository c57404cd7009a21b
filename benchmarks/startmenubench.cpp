/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// The library's heavy jobs, each run side by side with the program that does the same job elsewhere
// on the desktop, over one folder of desktop files: reading the files, generating the menu tree,
// building the search index, answering queries, and the index's memory. README.md ("Performance")
// shows how to run it and what it found.

#include "benchcorpus.h"
#include "readers.h"
#ifdef STARTMENUBENCH_HAVE_GLIB
#include "glibpeers.h"
#endif

#include <NimbStartMenu/indexer.h>
#include <NimbStartMenu/indexingrunner.h>
#include <NimbStartMenu/menu.h>
#include <NimbStartMenu/nimbdesktopentry.h>
#include <NimbStartMenu/servicefinder.h>
#include <NimbStartMenu/startmenuutils.h>

#include <KPluginFactory>
#include <KPluginMetaData>
#include <KRunner/AbstractRunner>
#include <KRunner/RunnerContext>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#ifdef STARTMENUBENCH_HAVE_CALLGRIND
#include <valgrind/callgrind.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr int defaultRounds = 7;
constexpr const char *defaultLocale = "de_DE.UTF-8";
constexpr const char *menuLoggingOff = "quorvex.nimb-start-menu.debug=false";

// The published figures of the services runner (plasma-workspace's krunner plugin), which is not
// installed here: median per query class, at 1,426 and at 10,000 files.
struct PublishedRunner {
    int files;
    double singleLetter;
    double twoWords;
    double all;
};
constexpr PublishedRunner publishedServicesRunner[] = {{1426, 13.7, 6.7, 7.2}, {10000, 143.6, 75.7, 80.2}};
constexpr double servicesRunnerFactor = 50.0;
// The heap the search index may take for each record it holds, the records' own texts included.
constexpr double maxIndexHeapPerRecord = 3000.0;

const char *const publishedFigures[] = {
    "read every file (open/read/close)          2.8 us / 3.0 us a file",
    "KDesktopFile / GKeyFile / plain parser     27.6 / 17.9 / 11.3 us a file (10,000: 27.1 / 17.7 / 10.4)",
    "kbuildsycoca5 --noincremental              115 ms / 1,018 ms",
    "GIO's search, first call (index build)     38 ms / 263 ms",
    "services runner, median a query            single letter 13.7 ms, two words 6.7 ms, all 7.2 ms",
    "                                           (10,000: 143.6 / 75.7 / 80.2 ms)",
    "GIO's search, median a query               single letter 0.22 ms, two words 0.15 ms, all 0.09 ms",
    "                                           (10,000: 2.34 / 0.43 / 0.32 ms)",
};

struct QueryClass {
    QString id;
    QString title;
    QStringList queries;
};

const std::vector<QueryClass> &queryClasses()
{
    static const std::vector<QueryClass> classes = [] {
        const QStringList singleLetters = {QStringLiteral("f"),
                                           QStringLiteral("t"),
                                           QStringLiteral("s"),
                                           QStringLiteral("m"),
                                           QStringLiteral("e"),
                                           QStringLiteral("c"),
                                           QStringLiteral("p"),
                                           QStringLiteral("v"),
                                           QStringLiteral("g"),
                                           QStringLiteral("w")};
        const QStringList twoWords = {QStringLiteral("text editor"),
                                      QStringLiteral("media player"),
                                      QStringLiteral("web browser"),
                                      QStringLiteral("file manager"),
                                      QStringLiteral("image viewer"),
                                      QStringLiteral("system monitor"),
                                      QStringLiteral("disk usage"),
                                      QStringLiteral("sound recorder"),
                                      QStringLiteral("video editor"),
                                      QStringLiteral("music player"),
                                      QStringLiteral("pdf viewer"),
                                      QStringLiteral("email client"),
                                      QStringLiteral("chess game"),
                                      QStringLiteral("archive manager"),
                                      QStringLiteral("word processor")};
        // Beginnings of words, whole words, words of no application, and longer phrases.
        const QStringList prefixes = {QStringLiteral("calc"),
                                      QStringLiteral("term"),
                                      QStringLiteral("draw"),
                                      QStringLiteral("photo"),
                                      QStringLiteral("print"),
                                      QStringLiteral("scan"),
                                      QStringLiteral("font"),
                                      QStringLiteral("map")};
        const QStringList words = {QStringLiteral("terminal"),
                                   QStringLiteral("editor"),
                                   QStringLiteral("office"),
                                   QStringLiteral("game"),
                                   QStringLiteral("chess"),
                                   QStringLiteral("mail"),
                                   QStringLiteral("writer"),
                                   QStringLiteral("paint"),
                                   QStringLiteral("settings"),
                                   QStringLiteral("player"),
                                   QStringLiteral("viewer"),
                                   QStringLiteral("python"),
                                   QStringLiteral("browser"),
                                   QStringLiteral("archive"),
                                   QStringLiteral("clock"),
                                   QStringLiteral("music"),
                                   QStringLiteral("firefox"),
                                   QStringLiteral("gimp"),
                                   QStringLiteral("zephyrquill")};
        const QStringList severalWords = {QStringLiteral("edit plain text files"),
                                          QStringLiteral("browse the world wide web"),
                                          QStringLiteral("play movies and songs"),
                                          QStringLiteral("organize your music collection")};
        const QStringList misses = {QStringLiteral("xyzzy"), QStringLiteral("qwfjx"), QStringLiteral("plugh zorkmid")};
        return std::vector<QueryClass>{
            {QStringLiteral("single"), QStringLiteral("single letter"), singleLetters},
            {QStringLiteral("two"), QStringLiteral("two words"), twoWords},
            {QStringLiteral("prefix"), QStringLiteral("word beginning"), prefixes},
            {QStringLiteral("word"), QStringLiteral("whole word"), words},
            {QStringLiteral("several"), QStringLiteral("several words"), severalWords},
            {QStringLiteral("miss"), QStringLiteral("no match"), misses},
            {QStringLiteral("all"), QStringLiteral("all queries"), singleLetters + twoWords + prefixes + words + severalWords + misses},
        };
    }();
    return classes;
}

const QueryClass &allQueries()
{
    return queryClasses().back();
}

QString markerQuery()
{
    return QString::fromLatin1(markerWord()).toLower();
}

double median(std::vector<double> values)
{
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The nearest-rank 95th percentile.
double percentile95(std::vector<double> values)
{
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    const auto rank = std::size_t(std::ceil(0.95 * double(values.size())));
    return values[std::max<std::size_t>(rank, 1) - 1];
}

double loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readLine().split(' ').value(0).toDouble() : -1;
}

struct Options {
    QString corpus;
    int generate = 0;
    int rounds = defaultRounds;
    QStringList jobs;
    QString json;
    QString workDir;
    QString locale = QString::fromLatin1(defaultLocale);
    bool check = false;
    bool instructions = false;
    // Set when the program runs itself as a child: a fresh process, or one under callgrind.
    QString child;
    QString part;
    bool callgrind = false;
};

/**
 * Times the rounds of one job. The first round only warms the caches; under callgrind there is one
 * round more than that, and only its measured part is counted.
 */
class Meter
{
public:
    Meter(int rounds, bool callgrind)
        : m_total(callgrind ? 2 : rounds + 1)
        , m_callgrind(callgrind)
    {
    }

    int rounds() const
    {
        return m_total;
    }

    template<typename Work>
    void measure(Work &&work)
    {
        const bool instrumented = m_callgrind && m_done == m_total - 1;
        if (instrumented) {
            startInstrumentation();
        }
        QElapsedTimer timer;
        timer.start();
        work();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (instrumented) {
            stopInstrumentation();
        }
        if (m_done > 0) {
            m_samples.push_back(ms);
        }
        ++m_done;
    }

    const std::vector<double> &samples() const
    {
        return m_samples;
    }

    static void startInstrumentation()
    {
#ifdef STARTMENUBENCH_HAVE_CALLGRIND
        CALLGRIND_START_INSTRUMENTATION;
#endif
    }
    static void stopInstrumentation()
    {
#ifdef STARTMENUBENCH_HAVE_CALLGRIND
        CALLGRIND_STOP_INSTRUMENTATION;
#endif
    }

private:
    int m_total;
    bool m_callgrind;
    int m_done = 0;
    std::vector<double> m_samples;
};

struct JobResult {
    JobResult() = default;
    JobResult(const QString &id, const QString &title, const QString &unit, int unitsPerSample = 1)
        : id(id)
        , title(title)
        , unit(unit)
        , unitsPerSample(unitsPerSample)
    {
    }

    QString id;
    QString title;
    QString unit; // "file", "run" or "query": what one per-unit figure covers
    int unitsPerSample = 1;
    std::vector<double> samples; // milliseconds
    qint64 count = -1;
    QString countLabel;
    double instructionsPerUnit = -1;
    QString skipped;
    QJsonObject details;

    double medianMs() const
    {
        return median(samples);
    }
    double p95Ms() const
    {
        return percentile95(samples);
    }
    double perUnitMs() const
    {
        return medianMs() / unitsPerSample;
    }
    bool ran() const
    {
        return skipped.isEmpty() && !samples.empty();
    }
};

int countFiles(const QString &folder, const QString &pattern)
{
    int count = 0;
    for (QDirIterator it(folder, {pattern}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext(); it.next()) {
        ++count;
    }
    return count;
}

// What saveAs() does on disk, without any of the work before it: the floor of writing the tree.
bool writeLikeSaveAs(const std::string &path, const QByteArray &contents, unsigned serial)
{
    const auto slash = path.rfind('/');
    const std::string temporary = path.substr(0, slash) + "/." + path.substr(slash + 1) + ".tmp-" + std::to_string(::getpid()) + '-' + std::to_string(serial);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
        return false;
    }
    struct stat existing;
    ::stat(path.c_str(), &existing);
    const bool written = ::write(fd, contents.constData(), std::size_t(contents.size())) == contents.size();
    return (::close(fd) == 0) && written && ::rename(temporary.c_str(), path.c_str()) == 0;
}

struct MemoryUse {
    std::size_t heap = 0;
    std::size_t resident = 0;
};

MemoryUse memoryUse()
{
    MemoryUse use;
    use.heap = mallinfo2().uordblks;
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (statm.open(QIODevice::ReadOnly)) {
        use.resident = std::size_t(statm.readAll().split(' ').value(1).toULongLong()) * std::size_t(::sysconf(_SC_PAGESIZE));
    }
    return use;
}

class Bench
{
public:
    explicit Bench(const Options &options)
        : m_options(options)
    {
    }

    int run();
    int runChild();

private:
    // The scratch layout: a system root whose applications folder is the corpus, and a home.
    QString root() const
    {
        return m_work + QStringLiteral("/root");
    }
    QString home() const
    {
        return m_work + QStringLiteral("/home");
    }
    QString emptyRoot() const
    {
        return m_work + QStringLiteral("/root-empty");
    }
    bool prepareScratch();
    void useScratch();
    void listFiles();
    bool selected(const QString &job) const
    {
        return m_options.jobs.isEmpty() || m_options.jobs.contains(job);
    }
    bool needsMenu();
    QProcessEnvironment peerEnvironment(const QString &systemRoot, const QString &tag) const;
    std::optional<QJsonObject> runSelf(const QStringList &arguments, const QProcessEnvironment &environment, const QString &valgrindOutput = QString());

    JobResult readerJob(const QString &id, const QString &title, void (*reader)(const std::string &, ReadTally &));
    std::vector<JobResult> generationJobs(bool generate, bool floor);
    JobResult regenerateJob();
    std::vector<JobResult> installJobs();
    JobResult kbuildsycocaJob(const QString &id, const QString &systemRoot);
    JobResult indexJob();
    JobResult indexFilingJob();
    std::vector<JobResult> queryJobs(const QString &onlyClass = QString());
    JobResult gioIndexJob();
    std::vector<JobResult> peerQueryJobs(const QString &prefix, const QString &peer, const QJsonObject &answers);
    JobResult memoryJob();
    JobResult servicesRunnerJobs(std::vector<JobResult> &classes);

    void childGio();
    void childMemory();
    void childServicesRunner();
    void childInProcess();

    void countInstructions();
    void add(JobResult result);
    const JobResult *result(const QString &id) const;
    void printReport() const;
    QJsonObject reportJson() const;
    int checkCounts() const;
    QString pluginPath() const;

    Options m_options;
    std::optional<QTemporaryDir> m_scratch;
    QString m_work;
    QString m_corpus;
    std::vector<std::string> m_files;
    std::optional<CorpusCounts> m_expected;
    std::vector<JobResult> m_results;
    double m_loadBefore = -1;
    QStringList m_notes;
};

bool Bench::prepareScratch()
{
    if (m_options.workDir.isEmpty()) {
        m_scratch.emplace(QDir::tempPath() + QStringLiteral("/startmenubench-XXXXXX"));
        if (!m_scratch->isValid()) {
            return false;
        }
        m_work = m_scratch->path();
    } else {
        // Whatever is in the folder would be mixed with the corpus and the trees: it must be new.
        m_work = QDir(m_options.workDir).absolutePath();
        if (QDir(m_work).exists() && !QDir(m_work).isEmpty()) {
            return false;
        }
    }
    QDir().mkpath(m_work);

    if (m_options.generate > 0) {
        m_corpus = m_work + QStringLiteral("/corpus/applications");
        m_expected = generateCorpus(m_corpus, m_options.generate);
        if (m_expected->files != m_options.generate) {
            return false;
        }
    } else {
        m_corpus = QDir(m_options.corpus).absolutePath();
    }
    QDir().mkpath(root() + QStringLiteral("/usr/share"));
    QDir().mkpath(emptyRoot() + QStringLiteral("/usr/share/applications"));
    QDir().mkpath(home() + QStringLiteral("/.nimb"));
    QDir().mkpath(home() + QStringLiteral("/.local/share"));
    const QString shipped = QStringLiteral(NIMBSTARTMENU_SYSTEMROOT_DATA_DIR "/usr/share/nimb-start-menu");
    for (const QString &systemRoot : {root(), emptyRoot()}) {
        QFile::link(shipped, systemRoot + QStringLiteral("/usr/share/nimb-start-menu"));
    }
    return QFile::link(m_corpus, root() + QStringLiteral("/usr/share/applications"));
}

// The library reads its folders below the system root; the home is ours too.
void Bench::useScratch()
{
    qputenv("HOME", home().toUtf8());
    qputenv("XDG_DATA_DIRS", "/usr/share");
    qputenv("XDG_DATA_HOME", (home() + QStringLiteral("/.local/share")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home() + QStringLiteral("/.config")).toUtf8());
    StartMenuUtils::setSystemRoot(root());
}

void Bench::listFiles()
{
    for (QDirIterator it(m_corpus, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories | QDirIterator::FollowSymlinks); it.hasNext();) {
        m_files.push_back(it.next().toStdString());
    }
    std::sort(m_files.begin(), m_files.end());
}

// The index and the regeneration read the tree that a forced generation leaves.
bool Bench::needsMenu()
{
    if (!Menu::exists()) {
        Menu::init();
    }
    return Menu::exists();
}

QProcessEnvironment Bench::peerEnvironment(const QString &systemRoot, const QString &tag) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString peerHome = m_work + QStringLiteral("/peer-") + tag;
    environment.insert(QStringLiteral("HOME"), peerHome);
    environment.insert(QStringLiteral("XDG_DATA_DIRS"), systemRoot + QStringLiteral("/usr/share"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), peerHome + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), peerHome + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), peerHome + QStringLiteral("/.cache"));
    // The system's menu definition, which kbuildsycoca5 needs to walk the applications at all.
    environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), QStringLiteral("/etc/xdg"));
    environment.insert(QStringLiteral("LANGUAGE"), m_options.locale.section(QLatin1Char('.'), 0, 0));
    return environment;
}

std::optional<QJsonObject> Bench::runSelf(const QStringList &arguments, const QProcessEnvironment &environment, const QString &valgrindOutput)
{
    QStringList childArguments = arguments;
    childArguments << QStringLiteral("--work") << m_work << QStringLiteral("--corpus") << m_corpus << QStringLiteral("--rounds")
                   << QString::number(m_options.rounds) << QStringLiteral("--locale") << m_options.locale;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    if (valgrindOutput.isEmpty()) {
        process.start(QCoreApplication::applicationFilePath(), childArguments);
    } else {
        process.start(QStringLiteral("valgrind"),
                      QStringList{QStringLiteral("--tool=callgrind"),
                                  QStringLiteral("--instr-atstart=no"),
                                  QStringLiteral("--callgrind-out-file=") + valgrindOutput,
                                  QCoreApplication::applicationFilePath()}
                          + childArguments + QStringList{QStringLiteral("--callgrind")});
    }
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_notes << QStringLiteral("child %1 failed: %2")
                       .arg(arguments.join(QLatin1Char(' ')), QString::fromLocal8Bit(process.readAllStandardError()).trimmed().right(300));
        return std::nullopt;
    }
    const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
    const QJsonDocument document = QJsonDocument::fromJson(lines.value(lines.size() - 1));
    return document.isObject() ? std::optional<QJsonObject>(document.object()) : std::nullopt;
}

JobResult Bench::readerJob(const QString &id, const QString &title, void (*reader)(const std::string &, ReadTally &))
{
    JobResult result{id, title, QStringLiteral("file"), int(m_files.size())};
    Meter meter(m_options.rounds, m_options.callgrind);
    ReadTally tally;
    for (int round = 0; round < meter.rounds(); ++round) {
        tally = ReadTally();
        meter.measure([&] {
            for (const std::string &file : m_files) {
                reader(file, tally);
            }
        });
    }
    result.samples = meter.samples();
    const bool rawRead = reader == &Readers::raw;
    result.count = rawRead ? tally.loaded : tally.accepted;
    result.countLabel = rawRead ? QStringLiteral("files read") : QStringLiteral("files accepted");
    result.details =
        QJsonObject{{QStringLiteral("loaded"), tally.loaded}, {QStringLiteral("accepted"), tally.accepted}, {QStringLiteral("bytes"), qint64(tally.bytes)}};
    return result;
}

JobResult Bench::regenerateJob()
{
    JobResult result{QStringLiteral("regenerate"), QStringLiteral("regeneration, nothing changed"), QStringLiteral("run")};
    needsMenu();
    const int before = countFiles(StartMenuUtils::menuDir(), QStringLiteral("*.desktop"));
    Meter meter(m_options.rounds, m_options.callgrind);
    for (int round = 0; round < meter.rounds(); ++round) {
        meter.measure([] {
            Menu::generate(false);
        });
    }
    result.samples = meter.samples();
    result.count = countFiles(StartMenuUtils::menuDir(), QStringLiteral("*.desktop"));
    result.countLabel = QStringLiteral("items in the tree");
    result.details = QJsonObject{{QStringLiteral("itemsBefore"), before}};
    return result;
}

// What a running menu's watcher takes from an application's install to its item in the tree, timed
// from the desktop file's last write: renamed into place whole (as package managers install), and
// created, then written in place 30 ms later (as cp and editors do). Then a burst of 200 installs,
// each written in place while the event loop runs: how long until all are in the tree, and how
// many updates they started.
std::vector<JobResult> Bench::installJobs()
{
    needsMenu();
    const QString folder = home() + QStringLiteral("/.local/share/applications");
    QDir().mkpath(folder);
    const QString items = StartMenuUtils::menuDir() + QStringLiteral("/other/");
    Menu menu;
    int updates = 0;
    QObject::connect(&menu, &Menu::updateStarted, [&updates] {
        ++updates;
    });

    const auto contents = [](const QString &name) {
        return QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%1\n").arg(name).toUtf8();
    };
    const auto spin = [] {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        ::usleep(100);
    };
    // Milliseconds from `since` until every one of `names` is an item, or -1 after ten seconds.
    const auto untilItems = [&](const QStringList &names, const QElapsedTimer &since) {
        for (const QString &name : names) {
            while (!QFileInfo::exists(items + name)) {
                if (since.elapsed() > 10000) {
                    return -1.0;
                }
                spin();
            }
        }
        return double(since.nsecsElapsed()) / 1e6;
    };
    const auto settle = [&] {
        QElapsedTimer quiet;
        quiet.start();
        while (quiet.elapsed() < 1500) {
            spin();
        }
    };

    JobResult renamed{QStringLiteral("install:rename"), QStringLiteral("install renamed into place -> item in the tree"), QStringLiteral("run")};
    JobResult inPlace{QStringLiteral("install:in-place"), QStringLiteral("install written in place -> item in the tree"), QStringLiteral("run")};
    for (int round = 0; round <= m_options.rounds; ++round) {
        settle();
        const QString renamedName = QStringLiteral("bench-renamed-%1.desktop").arg(round);
        writeLikeSaveAs(QString(folder + QLatin1Char('/') + renamedName).toStdString(), contents(renamedName), unsigned(round));
        QElapsedTimer since;
        since.start();
        renamed.samples.push_back(untilItems({renamedName}, since));

        settle();
        const QString inPlaceName = QStringLiteral("bench-in-place-%1.desktop").arg(round);
        QFile file(folder + QLatin1Char('/') + inPlaceName);
        file.open(QIODevice::WriteOnly);
        QElapsedTimer created;
        created.start();
        while (created.elapsed() < 30) {
            spin();
        }
        file.write(contents(inPlaceName));
        file.close();
        since.start();
        inPlace.samples.push_back(untilItems({inPlaceName}, since));
    }
    // The first round only warms the caches.
    for (JobResult *result : {&renamed, &inPlace}) {
        result->samples.erase(result->samples.begin());
        result->count = std::count(result->samples.cbegin(), result->samples.cend(), -1.0);
        result->countLabel = QStringLiteral("installs that never arrived");
    }

    settle();
    JobResult burst{QStringLiteral("install:burst"), QStringLiteral("200 installs in a burst -> all in the tree"), QStringLiteral("run")};
    updates = 0;
    QStringList names;
    QElapsedTimer since;
    since.start();
    for (int i = 0; i < 200; ++i) {
        names.append(QStringLiteral("bench-burst-%1.desktop").arg(i));
        QFile file(folder + QLatin1Char('/') + names.last());
        file.open(QIODevice::WriteOnly);
        file.write(contents(names.last()));
        file.close();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    burst.samples.push_back(untilItems(names, since));
    settle();
    burst.count = updates;
    burst.countLabel = QStringLiteral("updates");
    for (const QString &name : QDir(folder).entryList({QStringLiteral("bench-*.desktop")})) {
        QFile::remove(folder + QLatin1Char('/') + name);
        QFile::remove(items + name);
    }
    return {renamed, inPlace, burst};
}

// The forced generation, and the floor of writing the same files without anything else. The file
// system's cost of creating files changes from one minute to the next on a shared machine, so each
// round writes the floor right after the generation: both meet the same conditions.
std::vector<JobResult> Bench::generationJobs(bool generate, bool floor)
{
    JobResult generation{QStringLiteral("generate"), QStringLiteral("forced generation into an empty tree"), QStringLiteral("run")};
    JobResult writing{QStringLiteral("create-floor"), QStringLiteral("writing the same items, nothing else"), QStringLiteral("run")};
    const QString menuDir = StartMenuUtils::menuDir();
    const QString floorDir = m_work + QStringLiteral("/floor");
    std::vector<std::pair<QString, QByteArray>> items;
    std::set<QString> folders;
    int written = 0;
    unsigned serial = 0;

    Meter generationMeter(m_options.rounds, m_options.callgrind);
    Meter floorMeter(m_options.rounds, false);
    for (int round = 0; round < generationMeter.rounds(); ++round) {
        if (generate) {
            Menu::remove();
            generationMeter.measure(Menu::init);
        }
        if (!floor) {
            continue;
        }
        if (items.empty()) {
            needsMenu();
            for (QDirIterator it(menuDir, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
                const QString path = it.next();
                QFile file(path);
                file.open(QIODevice::ReadOnly);
                const QString relative = path.mid(menuDir.size());
                items.emplace_back(relative, file.readAll());
                folders.insert(relative.section(QLatin1Char('/'), 0, -2));
            }
        }
        std::error_code error;
        std::filesystem::remove_all(floorDir.toStdString(), error);
        for (const QString &folder : folders) {
            QDir().mkpath(floorDir + folder);
        }
        written = 0;
        floorMeter.measure([&] {
            for (const auto &[relative, contents] : items) {
                written += writeLikeSaveAs(QString(floorDir + relative).toStdString(), contents, serial++);
            }
        });
    }

    std::vector<JobResult> results;
    if (generate) {
        generation.samples = generationMeter.samples();
        generation.count = countFiles(menuDir, QStringLiteral("*.desktop"));
        generation.countLabel = QStringLiteral("items written");
        results.push_back(generation);
    }
    if (floor) {
        writing.samples = floorMeter.samples();
        writing.count = written;
        writing.countLabel = QStringLiteral("files written");
        results.push_back(writing);
    }
    return results;
}

JobResult Bench::kbuildsycocaJob(const QString &id, const QString &systemRoot)
{
    const bool empty = systemRoot == emptyRoot();
    JobResult result{id,
                     empty ? QStringLiteral("kbuildsycoca5 --noincremental, no files") : QStringLiteral("kbuildsycoca5 --noincremental"),
                     QStringLiteral("run")};
    const QString program = QStandardPaths::findExecutable(QStringLiteral("kbuildsycoca5"));
    if (program.isEmpty()) {
        result.skipped = QStringLiteral("kbuildsycoca5 is not installed");
        return result;
    }
    QProcessEnvironment environment = peerEnvironment(systemRoot, id);
    // KConfig takes its language from the locale's name; the process's C library need not know it.
    environment.insert(QStringLiteral("LC_ALL"), m_options.locale);
    Meter meter(m_options.rounds, false);
    bool succeeded = true;
    for (int round = 0; round < meter.rounds(); ++round) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        meter.measure([&] {
            process.start(program, {QStringLiteral("--noincremental")});
            process.waitForFinished(-1);
        });
        succeeded = succeeded && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }
    result.samples = meter.samples();
    qint64 size = 0;
    for (QDirIterator it(environment.value(QStringLiteral("XDG_CACHE_HOME")), {QStringLiteral("ksycoca5_*")}, QDir::Files); it.hasNext();) {
        size += QFileInfo(it.next()).size();
    }
    result.count = succeeded ? size : -1;
    result.countLabel = QStringLiteral("bytes of database");
    return result;
}

JobResult Bench::indexJob()
{
    JobResult result{QStringLiteral("index"), QStringLiteral("indexApplications() + indexClassicSettings()"), QStringLiteral("run")};
    needsMenu();
    const QJsonObject metaData{{QStringLiteral("KPlugin"), QJsonObject{{QStringLiteral("Id"), QStringLiteral("startmenubench")}}}};
    IndexingRunner runner(nullptr, KPluginMetaData(metaData, QString()), QVariantList());
    Indexer &indexer = runner.indexer();
    Meter meter(m_options.rounds, m_options.callgrind);
    for (int round = 0; round < meter.rounds(); ++round) {
        indexer.clear();
        meter.measure([&indexer] {
            indexer.indexApplications();
            indexer.indexClassicSettings();
        });
    }
    result.samples = meter.samples();
    // Every desktop file is found by "desktop", the suffix of its file name.
    result.count = indexer.find(QStringLiteral("desktop")).size();
    result.countLabel = QStringLiteral("records");
    return result;
}

// The words of a record as the index takes them from a desktop entry.
QStringList wordsOf(const FileInfo &record)
{
    static const QRegularExpression separator(QStringLiteral("([[:space:]]|[[:punct:]])"));
    QStringList words;
    for (const QString &text : {record.fileName(),
                                record.name(),
                                record.localName(),
                                record.genericName(),
                                record.localGenericName(),
                                record.comment(),
                                record.localComment(),
                                record.executableName()}) {
        words += text.split(separator, Qt::SkipEmptyParts);
    }
    return words + record.keywords();
}

// What the index's data structure costs alone: the records of the index filed again under their
// words, with nothing read from disk.
JobResult Bench::indexFilingJob()
{
    JobResult result{QStringLiteral("index-filing"), QStringLiteral("filing the same records, nothing read"), QStringLiteral("run")};
    needsMenu();
    std::vector<std::pair<std::shared_ptr<FileInfo>, QStringList>> records;
    {
        Indexer built;
        built.indexApplications();
        built.indexClassicSettings();
        for (const auto &record : built.find(QStringLiteral("desktop"))) {
            records.emplace_back(record, wordsOf(*record));
        }
    }
    Indexer indexer;
    Meter meter(m_options.rounds, m_options.callgrind);
    for (int round = 0; round < meter.rounds(); ++round) {
        indexer.clear();
        meter.measure([&] {
            for (const auto &[record, words] : records) {
                indexer.indexFileInfo(record, words);
            }
        });
    }
    result.samples = meter.samples();
    result.count = indexer.find(QStringLiteral("desktop")).size();
    result.countLabel = QStringLiteral("records");
    return result;
}

std::vector<JobResult> Bench::queryJobs(const QString &onlyClass)
{
    needsMenu();
    const QJsonObject metaData{{QStringLiteral("KPlugin"), QJsonObject{{QStringLiteral("Id"), QStringLiteral("startmenubench")}}}};
    IndexingRunner runner(nullptr, KPluginMetaData(metaData, QString()), QVariantList());
    runner.indexer().indexApplications();
    runner.indexer().indexClassicSettings();

    const QStringList queries =
        onlyClass.isEmpty() ? allQueries().queries : std::find_if(queryClasses().cbegin(), queryClasses().cend(), [&](const QueryClass &c) {
                                                         return c.id == onlyClass;
                                                     })->queries;
    std::map<QString, std::vector<double>> samples;
    std::map<QString, int> matches;
    const int rounds = m_options.callgrind ? 2 : m_options.rounds + 1;
    for (int round = 0; round < rounds; ++round) {
        const bool instrumented = m_options.callgrind && round == rounds - 1;
        for (const QString &query : queries) {
            Plasma::RunnerContext context;
            context.setQuery(query);
            if (instrumented) {
                Meter::startInstrumentation();
            }
            QElapsedTimer timer;
            timer.start();
            ServiceFinder finder(&runner);
            finder.match(context);
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            if (instrumented) {
                Meter::stopInstrumentation();
            }
            if (round > 0) {
                samples[query].push_back(ms);
            }
            matches[query] = context.matches().size();
        }
    }

    QJsonObject answers;
    for (const auto &[query, times] : samples) {
        QJsonArray array;
        for (const double ms : times) {
            array.append(ms);
        }
        answers.insert(query, QJsonObject{{QStringLiteral("samples"), array}, {QStringLiteral("count"), matches[query]}});
    }
    std::vector<JobResult> results = peerQueryJobs(QStringLiteral("query"), QStringLiteral("ServiceFinder::match"), answers);
    if (m_options.callgrind) {
        return results;
    }

    // The floor of an answer: making the same QueryMatch objects, with the same fields, and handing
    // them to a context, without deciding anything or making any of the values.
    QJsonObject floors;
    for (const QString &query : queries) {
        Plasma::RunnerContext answered;
        answered.setQuery(query);
        ServiceFinder(&runner).match(answered);
        const QList<Plasma::QueryMatch> produced = answered.matches();
        std::vector<double> times;
        for (int round = 0; round <= m_options.rounds; ++round) {
            Plasma::RunnerContext context;
            context.setQuery(query);
            QElapsedTimer timer;
            timer.start();
            QList<Plasma::QueryMatch> made;
            made.reserve(produced.size());
            for (const Plasma::QueryMatch &original : produced) {
                Plasma::QueryMatch match(&runner);
                match.setType(original.type());
                match.setId(original.subtext());
                match.setText(original.text());
                match.setSubtext(original.subtext());
                match.setIconName(original.iconName());
                match.setData(original.data());
                match.setRelevance(original.relevance());
                made.append(match);
            }
            context.addMatches(made);
            if (round > 0) {
                times.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
        }
        QJsonArray array;
        for (const double ms : times) {
            array.append(ms);
        }
        floors.insert(query, QJsonObject{{QStringLiteral("samples"), array}, {QStringLiteral("count"), produced.size()}});
    }
    for (JobResult &floor : peerQueryJobs(QStringLiteral("query-floor"), QStringLiteral("QueryMatch objects alone"), floors)) {
        results.push_back(std::move(floor));
    }
    return results;
}

// One result per query class from the answers to every query: {query: {samples, count}}.
std::vector<JobResult> Bench::peerQueryJobs(const QString &prefix, const QString &peer, const QJsonObject &answers)
{
    std::vector<JobResult> results;
    for (const QueryClass &queryClass : queryClasses()) {
        JobResult result{prefix + QLatin1Char(':') + queryClass.id, peer + QStringLiteral(", ") + queryClass.title, QStringLiteral("query")};
        QJsonObject perQuery;
        for (const QString &query : queryClass.queries) {
            const QJsonObject answer = answers.value(query).toObject();
            if (answer.isEmpty()) {
                continue;
            }
            std::vector<double> times;
            for (const QJsonValue &ms : answer.value(QStringLiteral("samples")).toArray()) {
                times.push_back(ms.toDouble());
            }
            result.samples.insert(result.samples.end(), times.cbegin(), times.cend());
            perQuery.insert(query, QJsonObject{{QStringLiteral("medianMs"), median(times)}, {QStringLiteral("count"), answer.value(QStringLiteral("count"))}});
        }
        if (result.samples.empty()) {
            continue;
        }
        result.details = QJsonObject{{QStringLiteral("queries"), perQuery}};
        const QJsonValue marker = answers.value(markerQuery()).toObject().value(QStringLiteral("count"));
        result.count = marker.isUndefined() ? -1 : marker.toInt();
        result.countLabel = QStringLiteral("matches for \"%1\"").arg(markerQuery());
        results.push_back(result);
    }
    return results;
}

JobResult Bench::gioIndexJob()
{
    JobResult result{QStringLiteral("gio-index"), QStringLiteral("g_desktop_app_info_search(), first call"), QStringLiteral("run")};
#ifdef STARTMENUBENCH_HAVE_GLIB
    // The index lives as long as the process: each round is a fresh one.
    for (int round = 0; round < m_options.rounds; ++round) {
        const auto answer = runSelf({QStringLiteral("--child"), QStringLiteral("gio"), QStringLiteral("--part"), QStringLiteral("first")},
                                    peerEnvironment(root(), QStringLiteral("gio")));
        if (!answer) {
            result.skipped = QStringLiteral("GIO's search failed");
            return result;
        }
        result.samples.push_back(answer->value(QStringLiteral("firstMs")).toDouble());
        result.count = answer->value(QStringLiteral("firstCount")).toInt();
    }
    result.countLabel = QStringLiteral("matches for \"%1\"").arg(markerQuery());
#else
    result.skipped = QStringLiteral("built without GLib");
#endif
    return result;
}

JobResult Bench::memoryJob()
{
    JobResult result{QStringLiteral("memory"), QStringLiteral("index heap per record (fresh process)"), QStringLiteral("run")};
    needsMenu();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const auto answer = runSelf({QStringLiteral("--child"), QStringLiteral("memory")}, environment);
    if (!answer) {
        result.skipped = QStringLiteral("the child failed");
        return result;
    }
    result.details = *answer;
    result.count = answer->value(QStringLiteral("records")).toInt();
    result.countLabel = QStringLiteral("records");
    result.samples.push_back(answer->value(QStringLiteral("buildMs")).toDouble());
    return result;
}

QString Bench::pluginPath() const
{
    for (const QString &folder : QCoreApplication::libraryPaths()) {
        const QString path = folder + QStringLiteral("/kf5/krunner/krunner_services.so");
        if (QFile::exists(path)) {
            return path;
        }
    }
    return QString();
}

JobResult Bench::servicesRunnerJobs(std::vector<JobResult> &classes)
{
    JobResult status{QStringLiteral("services-runner"), QStringLiteral("services runner (krunner_services)"), QStringLiteral("run")};
    const QString plugin = pluginPath();
    if (plugin.isEmpty()) {
        status.skipped = QStringLiteral("plasma-workspace's services runner is not installed: see benchmarks/servicesrunner.sh");
        return status;
    }
    const QString sycoca = QStandardPaths::findExecutable(QStringLiteral("kbuildsycoca5"));
    // The runner reads the applications through KService's database, built here for the corpus.
    const QProcessEnvironment environment = peerEnvironment(root(), QStringLiteral("services-runner"));
    QProcess build;
    build.setProcessEnvironment(environment);
    build.start(sycoca, {QStringLiteral("--noincremental")});
    build.waitForFinished(-1);
    const auto answer = runSelf({QStringLiteral("--child"), QStringLiteral("services-runner"), QStringLiteral("--part"), plugin}, environment);
    if (!answer) {
        status.skipped = QStringLiteral("the services runner failed");
        return status;
    }
    classes = peerQueryJobs(QStringLiteral("services-runner"), QStringLiteral("services runner"), answer->value(QStringLiteral("queries")).toObject());
    return status;
}

void Bench::add(JobResult result)
{
    m_results.push_back(std::move(result));
}

const JobResult *Bench::result(const QString &id) const
{
    const auto found = std::find_if(m_results.cbegin(), m_results.cend(), [&id](const JobResult &result) {
        return result.id == id;
    });
    return found == m_results.cend() ? nullptr : &*found;
}

// Instruction counts for the jobs that run in this process, and for GIO's: each job once more in a
// child under callgrind, after a round that warms its caches.
void Bench::countInstructions()
{
#ifndef STARTMENUBENCH_HAVE_CALLGRIND
    m_notes << QStringLiteral("built without valgrind/callgrind.h: no instruction counts");
    return;
#endif
    if (QStandardPaths::findExecutable(QStringLiteral("valgrind")).isEmpty()) {
        m_notes << QStringLiteral("valgrind is not installed: no instruction counts");
        return;
    }
    const QString folder = m_work + QStringLiteral("/callgrind");
    QDir().mkpath(folder);
    for (JobResult &result : m_results) {
        if (!result.ran()) {
            continue;
        }
        QStringList arguments{QStringLiteral("--child"), result.id};
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (result.id.startsWith(QLatin1String("query:"))) {
            arguments = QStringList{QStringLiteral("--child"), QStringLiteral("query"), QStringLiteral("--part"), result.id.section(QLatin1Char(':'), 1)};
        } else if (result.id.startsWith(QLatin1String("gio"))) {
            const QString part = result.id == QLatin1String("gio-index") ? QStringLiteral("first") : result.id.section(QLatin1Char(':'), 1);
            arguments = QStringList{QStringLiteral("--child"), QStringLiteral("gio"), QStringLiteral("--part"), part};
            environment = peerEnvironment(root(), QStringLiteral("gio"));
        } else if (!QStringList{QStringLiteral("read"),
                                QStringLiteral("parse"),
                                QStringLiteral("kdesktopfile"),
                                QStringLiteral("gkeyfile"),
                                QStringLiteral("generate"),
                                QStringLiteral("regenerate"),
                                QStringLiteral("index"),
                                QStringLiteral("index-filing")}
                        .contains(result.id)) {
            continue;
        }
        const QString output = folder + QStringLiteral("/callgrind.") + QString(result.id).replace(QLatin1Char(':'), QLatin1Char('-')) + QStringLiteral(".out");
        const auto answer = runSelf(arguments, environment, output);
        QFile file(output);
        if (!answer || !file.open(QIODevice::ReadOnly)) {
            continue;
        }
        // The header's "summary" counts nothing while instrumentation is off; "totals" closes the file.
        static const QRegularExpression totals(QStringLiteral("^totals: (\\d+)"), QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = totals.match(QString::fromLatin1(file.readAll()));
        const double units = answer->value(QStringLiteral("units")).toDouble();
        if (match.hasMatch() && units > 0) {
            result.instructionsPerUnit = match.captured(1).toDouble() / units;
        }
    }
    m_notes << QStringLiteral("callgrind profiles kept in %1").arg(folder);
}

int Bench::run()
{
    if (!prepareScratch()) {
        std::fprintf(stderr, "cannot prepare the scratch folder %s (it must be empty or absent)\n", qPrintable(m_work));
        return 2;
    }
    useScratch();
    listFiles();
    if (m_files.empty()) {
        std::fprintf(stderr, "no desktop files in %s\n", qPrintable(m_corpus));
        return 2;
    }
    m_loadBefore = loadAverage();

    if (selected(QStringLiteral("read"))) {
        add(readerJob(QStringLiteral("read"), QStringLiteral("read every file (open/read/close)"), &Readers::raw));
    }
    if (selected(QStringLiteral("parse"))) {
        add(readerJob(QStringLiteral("parse"), QStringLiteral("NimbDesktopEntry: load, checks, values"), &Readers::nimbDesktopEntry));
    }
    if (selected(QStringLiteral("kdesktopfile"))) {
        add(readerJob(QStringLiteral("kdesktopfile"), QStringLiteral("KDesktopFile: load, checks, values"), &Readers::kDesktopFile));
    }
    if (selected(QStringLiteral("gkeyfile"))) {
#ifdef STARTMENUBENCH_HAVE_GLIB
        add(readerJob(QStringLiteral("gkeyfile"), QStringLiteral("GKeyFile: load, checks, values"), &Readers::gKeyFile));
#else
        JobResult skipped(QStringLiteral("gkeyfile"), QStringLiteral("GKeyFile"), QStringLiteral("file"));
        skipped.skipped = QStringLiteral("built without GLib");
        add(skipped);
#endif
    }
    for (JobResult &result : generationJobs(selected(QStringLiteral("generate")), selected(QStringLiteral("create-floor")))) {
        add(std::move(result));
    }
    if (selected(QStringLiteral("regenerate"))) {
        add(regenerateJob());
    }
    if (selected(QStringLiteral("kbuildsycoca"))) {
        add(kbuildsycocaJob(QStringLiteral("kbuildsycoca"), root()));
        add(kbuildsycocaJob(QStringLiteral("kbuildsycoca-empty"), emptyRoot()));
    }
    if (selected(QStringLiteral("index"))) {
        add(indexJob());
    }
    if (selected(QStringLiteral("index-filing"))) {
        add(indexFilingJob());
    }
    if (selected(QStringLiteral("gio-index"))) {
        add(gioIndexJob());
    }
    if (selected(QStringLiteral("query"))) {
        for (JobResult &result : queryJobs()) {
            add(std::move(result));
        }
    }
    if (selected(QStringLiteral("gio-query"))) {
#ifdef STARTMENUBENCH_HAVE_GLIB
        const auto answer = runSelf({QStringLiteral("--child"), QStringLiteral("gio"), QStringLiteral("--part"), QStringLiteral("queries")},
                                    peerEnvironment(root(), QStringLiteral("gio")));
        if (answer) {
            for (JobResult &result :
                 peerQueryJobs(QStringLiteral("gio-query"), QStringLiteral("GIO search"), answer->value(QStringLiteral("queries")).toObject())) {
                add(std::move(result));
            }
        }
#else
        m_notes << QStringLiteral("GIO's search skipped: built without GLib");
#endif
    }
    if (selected(QStringLiteral("memory"))) {
        add(memoryJob());
    }
    if (selected(QStringLiteral("services-runner"))) {
        std::vector<JobResult> classes;
        JobResult status = servicesRunnerJobs(classes);
        if (!status.skipped.isEmpty()) {
            m_notes << status.skipped;
        }
        for (JobResult &result : classes) {
            add(std::move(result));
        }
    }
    // Last: the installs add applications that the other jobs would count.
    if (selected(QStringLiteral("install"))) {
        for (JobResult &result : installJobs()) {
            add(std::move(result));
        }
    }
    if (m_options.instructions) {
        countInstructions();
    }

    printReport();
    if (!m_options.json.isEmpty()) {
        QFile json(m_options.json);
        if (!json.open(QIODevice::WriteOnly | QIODevice::Truncate) || json.write(QJsonDocument(reportJson()).toJson()) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(m_options.json));
            return 2;
        }
    }
    return m_options.check ? checkCounts() : 0;
}

// ---- children ----

int Bench::runChild()
{
    m_work = QDir(m_options.workDir).absolutePath();
    m_corpus = m_options.corpus;
    if (m_options.child == QLatin1String("gio")) {
        childGio();
    } else if (m_options.child == QLatin1String("services-runner")) {
        childServicesRunner();
    } else {
        useScratch();
        listFiles();
        if (m_options.child == QLatin1String("memory")) {
            childMemory();
        } else {
            childInProcess();
        }
    }
    return 0;
}

void printJson(const QJsonObject &object)
{
    std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
}

QJsonObject answersJson(const std::map<QString, std::vector<double>> &samples, const std::map<QString, int> &counts)
{
    QJsonObject answers;
    for (const auto &[query, times] : samples) {
        QJsonArray array;
        for (const double ms : times) {
            array.append(ms);
        }
        answers.insert(query, QJsonObject{{QStringLiteral("samples"), array}, {QStringLiteral("count"), counts.at(query)}});
    }
    return answers;
}

void Bench::childGio()
{
#ifdef STARTMENUBENCH_HAVE_GLIB
    const QString part = m_options.part;
    const bool instrumentFirst = m_options.callgrind && part == QLatin1String("first");
    if (instrumentFirst) {
        Meter::startInstrumentation();
    }
    double firstMs = 0;
    const int firstCount = gioSearch(markerQuery().toStdString(), firstMs);
    if (instrumentFirst) {
        Meter::stopInstrumentation();
    }
    QJsonObject answer{{QStringLiteral("firstMs"), firstMs}, {QStringLiteral("firstCount"), firstCount}, {QStringLiteral("units"), 1}};
    if (part == QLatin1String("first")) {
        printJson(answer);
        return;
    }
    QStringList queries = allQueries().queries;
    for (const QueryClass &queryClass : queryClasses()) {
        if (queryClass.id == part) {
            queries = queryClass.queries;
        }
    }
    std::map<QString, std::vector<double>> samples;
    std::map<QString, int> counts;
    const int rounds = m_options.callgrind ? 2 : m_options.rounds + 1;
    for (int round = 0; round < rounds; ++round) {
        const bool instrumented = m_options.callgrind && round == rounds - 1;
        for (const QString &query : queries) {
            double ms = 0;
            if (instrumented) {
                Meter::startInstrumentation();
            }
            counts[query] = gioSearch(query.toStdString(), ms);
            if (instrumented) {
                Meter::stopInstrumentation();
            }
            if (round > 0) {
                samples[query].push_back(ms);
            }
        }
    }
    answer.insert(QStringLiteral("queries"), answersJson(samples, counts));
    answer.insert(QStringLiteral("units"), queries.size());
    printJson(answer);
#endif
}

void Bench::childServicesRunner()
{
    const KPluginMetaData metaData(m_options.part);
    const auto loaded = KPluginFactory::instantiatePlugin<Plasma::AbstractRunner>(metaData, nullptr, {});
    if (!loaded.plugin) {
        std::fprintf(stderr, "cannot load %s: %s\n", qPrintable(m_options.part), qPrintable(loaded.errorString));
        std::exit(1);
    }
    std::map<QString, std::vector<double>> samples;
    std::map<QString, int> counts;
    for (int round = 0; round <= m_options.rounds; ++round) {
        for (const QString &query : allQueries().queries) {
            Plasma::RunnerContext context;
            context.setQuery(query);
            QElapsedTimer timer;
            timer.start();
            loaded.plugin->match(context);
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            if (round > 0) {
                samples[query].push_back(ms);
            }
            counts[query] = context.matches().size();
        }
    }
    printJson(QJsonObject{{QStringLiteral("queries"), answersJson(samples, counts)}});
}

void Bench::childMemory()
{
    const QJsonObject metaData{{QStringLiteral("KPlugin"), QJsonObject{{QStringLiteral("Id"), QStringLiteral("startmenubench")}}}};
    IndexingRunner runner(nullptr, KPluginMetaData(metaData, QString()), QVariantList());
    Indexer &indexer = runner.indexer();
    // What the build needs once per process (the settings table, the separator) is not the index's.
    indexer.indexClassicSettings();
    indexer.clear();
    malloc_trim(0);

    const MemoryUse before = memoryUse();
    QElapsedTimer timer;
    timer.start();
    indexer.indexApplications();
    indexer.indexClassicSettings();
    const double buildMs = double(timer.nsecsElapsed()) / 1e6;
    const MemoryUse after = memoryUse();

    // The keys each record is filed under, counted again here from its texts, to tell the cost of
    // one (key, record) pair.
    const auto records = indexer.find(QStringLiteral("desktop"));
    static const QRegularExpression separator(QStringLiteral("([[:space:]]|[[:punct:]])"));
    qint64 pairs = 0;
    QSet<QString> keys;
    for (const auto &record : records) {
        QStringList words;
        for (const QString &text : {record->fileName(),
                                    record->name(),
                                    record->localName(),
                                    record->genericName(),
                                    record->localGenericName(),
                                    record->comment(),
                                    record->localComment(),
                                    record->executableName()}) {
            words += text.split(separator, Qt::SkipEmptyParts);
        }
        words += record->keywords();
        QSet<QString> recordKeys;
        for (const QString &word : qAsConst(words)) {
            const QString lower = word.toLower();
            for (int length = 1; length <= std::min<int>(lower.size(), Indexer::MaxKeyLength); ++length) {
                recordKeys.insert(lower.left(length));
            }
            for (int length = std::min<int>(lower.size() - 1, Indexer::MaxKeyLength); length >= 1; --length) {
                recordKeys.insert(lower.right(length));
            }
        }
        pairs += recordKeys.size();
        keys.unite(recordKeys);
    }
    const double recordCount = std::max<double>(1, records.size());
    printJson(QJsonObject{{QStringLiteral("records"), records.size()},
                          {QStringLiteral("buildMs"), buildMs},
                          {QStringLiteral("heapBytes"), qint64(after.heap - before.heap)},
                          {QStringLiteral("residentBytes"), qint64(after.resident) - qint64(before.resident)},
                          {QStringLiteral("heapPerRecord"), double(after.heap - before.heap) / recordCount},
                          {QStringLiteral("residentPerRecord"), (double(after.resident) - double(before.resident)) / recordCount},
                          {QStringLiteral("pairs"), pairs},
                          {QStringLiteral("keys"), keys.size()},
                          {QStringLiteral("heapPerPair"), double(after.heap - before.heap) / std::max<double>(1, pairs)}});
}

void Bench::childInProcess()
{
    const QString job = m_options.child;
    JobResult result;
    if (job == QLatin1String("read")) {
        result = readerJob(job, job, &Readers::raw);
    } else if (job == QLatin1String("parse")) {
        result = readerJob(job, job, &Readers::nimbDesktopEntry);
    } else if (job == QLatin1String("kdesktopfile")) {
        result = readerJob(job, job, &Readers::kDesktopFile);
#ifdef STARTMENUBENCH_HAVE_GLIB
    } else if (job == QLatin1String("gkeyfile")) {
        result = readerJob(job, job, &Readers::gKeyFile);
#endif
    } else if (job == QLatin1String("generate")) {
        result = generationJobs(true, false).front();
    } else if (job == QLatin1String("regenerate")) {
        result = regenerateJob();
    } else if (job == QLatin1String("index")) {
        result = indexJob();
    } else if (job == QLatin1String("index-filing")) {
        result = indexFilingJob();
    } else if (job == QLatin1String("query")) {
        const auto classes = queryJobs(m_options.part);
        const auto found = std::find_if(classes.cbegin(), classes.cend(), [this](const JobResult &r) {
            return r.id == QStringLiteral("query:") + m_options.part;
        });
        result = found == classes.cend() ? JobResult() : *found;
        result.unitsPerSample = found == classes.cend() ? 0 : int(result.samples.size());
    } else {
        std::fprintf(stderr, "unknown job %s\n", qPrintable(job));
        std::exit(1);
    }
    printJson(QJsonObject{{QStringLiteral("units"), result.unitsPerSample}, {QStringLiteral("count"), result.count}});
}

// ---- the report ----

QString formatTime(double ms)
{
    if (ms < 0) {
        return QStringLiteral("-");
    }
    if (ms < 1) {
        return QString::number(ms * 1000, 'f', ms < 0.01 ? 2 : 1) + QStringLiteral(" us");
    }
    return QString::number(ms, 'f', ms < 100 ? 2 : 1) + QStringLiteral(" ms");
}

QString formatCount(double value)
{
    if (value < 0) {
        return QStringLiteral("-");
    }
    if (value >= 1e6) {
        return QString::number(value / 1e6, 'f', 2) + QStringLiteral(" M");
    }
    if (value >= 1e4) {
        return QString::number(value / 1e3, 'f', 1) + QStringLiteral(" k");
    }
    return QString::number(value, 'f', 0);
}

struct Goal {
    QString name;
    QString ours;
    QString peer;
    double factor; // met when ours <= factor * peer
    double peerOverride = -1; // a published figure instead of a measured one
    bool useWholeRun = false; // compare whole runs rather than per-unit figures
};

std::vector<Goal> goals(int files)
{
    const PublishedRunner &published = files > 5000 ? publishedServicesRunner[1] : publishedServicesRunner[0];
    const QString source = QStringLiteral(" [pub. %1]").arg(published.files);
    return {
        {QStringLiteral("1 parse <= 4 x raw read"), QStringLiteral("parse"), QStringLiteral("read"), 4.0},
        {QStringLiteral("1 parse faster than GKeyFile"), QStringLiteral("parse"), QStringLiteral("gkeyfile"), 1.0},
        {QStringLiteral("1 parse >= 2.5 x faster than KDesktopFile"), QStringLiteral("parse"), QStringLiteral("kdesktopfile"), 1 / 2.5},
        {QStringLiteral("2 forced generation <= kbuildsycoca5"), QStringLiteral("generate"), QStringLiteral("kbuildsycoca"), 1.0},
        {QStringLiteral("2 regeneration <= 2 x parsing every file"), QStringLiteral("regenerate"), QStringLiteral("parse"), 2.0, -1, true},
        {QStringLiteral("3 index <= GIO's index build"), QStringLiteral("index"), QStringLiteral("gio-index"), 1.0},
        {QStringLiteral("4 single letter <= GIO"), QStringLiteral("query:single"), QStringLiteral("gio-query:single"), 1.0},
        {QStringLiteral("4 two words <= GIO"), QStringLiteral("query:two"), QStringLiteral("gio-query:two"), 1.0},
        {QStringLiteral("4 word beginning <= GIO"), QStringLiteral("query:prefix"), QStringLiteral("gio-query:prefix"), 1.0},
        {QStringLiteral("4 whole word <= GIO"), QStringLiteral("query:word"), QStringLiteral("gio-query:word"), 1.0},
        {QStringLiteral("4 several words <= GIO"), QStringLiteral("query:several"), QStringLiteral("gio-query:several"), 1.0},
        {QStringLiteral("4 no match <= GIO"), QStringLiteral("query:miss"), QStringLiteral("gio-query:miss"), 1.0},
        {QStringLiteral("4 all queries <= GIO"), QStringLiteral("query:all"), QStringLiteral("gio-query:all"), 1.0},
        {QStringLiteral("4 single letter 50 x faster than services runner") + source,
         QStringLiteral("query:single"),
         QStringLiteral("services-runner:single"),
         1 / servicesRunnerFactor,
         published.singleLetter},
        {QStringLiteral("4 two words 50 x faster than services runner") + source,
         QStringLiteral("query:two"),
         QStringLiteral("services-runner:two"),
         1 / servicesRunnerFactor,
         published.twoWords},
        {QStringLiteral("4 all queries 50 x faster than services runner") + source,
         QStringLiteral("query:all"),
         QStringLiteral("services-runner:all"),
         1 / servicesRunnerFactor,
         published.all},
    };
}

struct GoalOutcome {
    double ours = -1;
    double peer = -1;
    double ratio = -1;
    bool met = false;
    bool known = false;
    bool published = false; // the peer's figure is a published one, not measured here
};

GoalOutcome evaluate(const Goal &goal, const JobResult *ours, const JobResult *peer)
{
    GoalOutcome outcome;
    if (!ours || !ours->ran()) {
        return outcome;
    }
    outcome.ours = goal.useWholeRun ? ours->medianMs() : ours->perUnitMs();
    if (peer && peer->ran()) {
        outcome.peer = goal.useWholeRun ? peer->medianMs() : peer->perUnitMs();
    } else if (goal.peerOverride >= 0) {
        outcome.peer = goal.peerOverride;
        outcome.published = true;
    } else {
        return outcome;
    }
    outcome.ratio = outcome.ours / outcome.peer;
    outcome.met = outcome.ratio <= goal.factor;
    outcome.known = true;
    return outcome;
}

void Bench::printReport() const
{
    std::printf("startmenubench: %zu desktop files in %s%s, locale %s, %d rounds, load %.2f -> %.2f\n",
                m_files.size(),
                qPrintable(m_corpus),
                m_expected ? " (generated)" : "",
                qPrintable(m_options.locale),
                m_options.rounds,
                m_loadBefore,
                loadAverage());
    std::vector<qint64> sizes;
    for (const std::string &file : m_files) {
        sizes.push_back(QFileInfo(QString::fromStdString(file)).size());
    }
    std::sort(sizes.begin(), sizes.end());
    std::printf("file sizes: median %lld B, p90 %lld B, largest %lld B\n\n",
                sizes[sizes.size() / 2],
                sizes[std::min(sizes.size() - 1, sizes.size() * 9 / 10)],
                sizes.back());

    std::printf("%-18s %-46s %11s %11s %13s %11s  %s\n", "job", "", "median", "p95", "per unit", "instr/unit", "count");
    for (const JobResult &result : m_results) {
        if (!result.ran()) {
            std::printf("%-18s %-46s skipped: %s\n", qPrintable(result.id), qPrintable(result.title), qPrintable(result.skipped));
            continue;
        }
        const QString perUnit = result.unit == QLatin1String("run") ? QStringLiteral("") : formatTime(result.perUnitMs()) + QLatin1Char('/') + result.unit;
        std::printf("%-18s %-46s %11s %11s %13s %11s  %s %s\n",
                    qPrintable(result.id),
                    qPrintable(result.title.left(46)),
                    qPrintable(formatTime(result.medianMs())),
                    qPrintable(formatTime(result.p95Ms())),
                    qPrintable(perUnit),
                    qPrintable(formatCount(result.instructionsPerUnit)),
                    qPrintable(QString::number(result.count)),
                    qPrintable(result.countLabel));
    }
    if (const JobResult *memory = result(QStringLiteral("memory")); memory && memory->ran()) {
        const QJsonObject &d = memory->details;
        std::printf("\nindex memory: %.0f B of heap a record (%.0f B resident), %lld records, %lld keys, %lld (key, record) pairs, %.1f B a pair\n",
                    d.value(QStringLiteral("heapPerRecord")).toDouble(),
                    d.value(QStringLiteral("residentPerRecord")).toDouble(),
                    qint64(d.value(QStringLiteral("records")).toDouble()),
                    qint64(d.value(QStringLiteral("keys")).toDouble()),
                    qint64(d.value(QStringLiteral("pairs")).toDouble()),
                    d.value(QStringLiteral("heapPerPair")).toDouble());
    }

    std::printf("\n%-62s %13s %13s %8s %8s  %s\n", "goal", "ours", "peer", "ratio", "target", "met");
    for (const Goal &goal : goals(int(m_files.size()))) {
        const GoalOutcome outcome = evaluate(goal, result(goal.ours), result(goal.peer));
        if (!outcome.known) {
            std::printf("%-62s %13s %13s %8s %8s  %s\n", qPrintable(goal.name), "-", "-", "-", "-", "not measured");
            continue;
        }
        const JobResult *ours = result(goal.ours);
        const QString unit = goal.useWholeRun || ours->unit == QLatin1String("run") ? QString() : QLatin1Char('/') + ours->unit;
        std::printf("%-62s %13s %13s %8.3f %8.3f  %s%s\n",
                    qPrintable(goal.name),
                    qPrintable(formatTime(outcome.ours) + unit),
                    qPrintable(formatTime(outcome.peer) + unit),
                    outcome.ratio,
                    goal.factor,
                    outcome.met ? "yes" : "NO",
                    outcome.published ? " (peer published, not measured)" : "");
    }

    if (const JobResult *memory = result(QStringLiteral("memory")); memory && memory->ran()) {
        const double perRecord = memory->details.value(QStringLiteral("heapPerRecord")).toDouble();
        const double perKey =
            memory->details.value(QStringLiteral("heapBytes")).toDouble() / std::max(1.0, memory->details.value(QStringLiteral("keys")).toDouble());
        std::printf("%-62s %11.0f B %8.1f B/key %8.3f %8.3f  %s\n",
                    "5 index heap <= 3 kB a record",
                    perRecord,
                    perKey,
                    perRecord / maxIndexHeapPerRecord,
                    1.0,
                    perRecord <= maxIndexHeapPerRecord ? "yes" : "NO");
    }

    // What no implementation of a job can go below on this machine: the same files created, the
    // same QueryMatch objects made. Beside the peer, it tells whether a goal can be met at all.
    const struct {
        const char *ours;
        const char *floor;
        const char *peer;
    } floors[] = {
        {"generate", "create-floor", "kbuildsycoca"},
        {"index", "index-filing", "gio-index"},
        {"query:single", "query-floor:single", "gio-query:single"},
        {"query:two", "query-floor:two", "gio-query:two"},
        {"query:all", "query-floor:all", "gio-query:all"},
    };
    std::printf("\n%-18s %13s %-20s %13s %13s %13s\n", "job", "ours", "floor", "floor", "ours - floor", "peer");
    for (const auto &row : floors) {
        const JobResult *ours = result(QString::fromLatin1(row.ours));
        const JobResult *floor = result(QString::fromLatin1(row.floor));
        const JobResult *peer = result(QString::fromLatin1(row.peer));
        if (!ours || !floor || !ours->ran() || !floor->ran()) {
            continue;
        }
        std::printf("%-18s %13s %-20s %13s %13s %13s\n",
                    row.ours,
                    qPrintable(formatTime(ours->perUnitMs())),
                    row.floor,
                    qPrintable(formatTime(floor->perUnitMs())),
                    qPrintable(formatTime(ours->perUnitMs() - floor->perUnitMs())),
                    qPrintable(peer && peer->ran() ? formatTime(peer->perUnitMs()) : QStringLiteral("-")));
    }

    std::printf("\npublished figures of the peers (another machine, 1,426 and 10,000 files; not measured here):\n");
    for (const char *line : publishedFigures) {
        std::printf("  %s\n", line);
    }
    for (const QString &note : m_notes) {
        std::printf("note: %s\n", qPrintable(note));
    }
}

QJsonObject Bench::reportJson() const
{
    QJsonObject jobs;
    for (const JobResult &result : m_results) {
        QJsonObject job{{QStringLiteral("title"), result.title},
                        {QStringLiteral("unit"), result.unit},
                        {QStringLiteral("unitsPerSample"), result.unitsPerSample}};
        if (!result.ran()) {
            job.insert(QStringLiteral("skipped"), result.skipped);
        } else {
            job.insert(QStringLiteral("medianMs"), result.medianMs());
            job.insert(QStringLiteral("p95Ms"), result.p95Ms());
            job.insert(QStringLiteral("perUnitMs"), result.perUnitMs());
            job.insert(QStringLiteral("samples"), int(result.samples.size()));
            job.insert(QStringLiteral("count"), result.count);
            job.insert(QStringLiteral("countLabel"), result.countLabel);
            if (result.instructionsPerUnit >= 0) {
                job.insert(QStringLiteral("instructionsPerUnit"), result.instructionsPerUnit);
            }
            job.insert(QStringLiteral("details"), result.details);
        }
        jobs.insert(result.id, job);
    }
    QJsonArray goalArray;
    for (const Goal &goal : goals(int(m_files.size()))) {
        const GoalOutcome outcome = evaluate(goal, result(goal.ours), result(goal.peer));
        QJsonObject entry{{QStringLiteral("goal"), goal.name}, {QStringLiteral("target"), goal.factor}, {QStringLiteral("measured"), outcome.known}};
        if (outcome.known) {
            entry.insert(QStringLiteral("oursMs"), outcome.ours);
            entry.insert(QStringLiteral("peerMs"), outcome.peer);
            entry.insert(QStringLiteral("peerPublished"), outcome.published);
            entry.insert(QStringLiteral("ratio"), outcome.ratio);
            entry.insert(QStringLiteral("met"), outcome.met);
        }
        goalArray.append(entry);
    }
    QJsonObject corpus{{QStringLiteral("folder"), m_corpus}, {QStringLiteral("files"), int(m_files.size())}, {QStringLiteral("generated"), bool(m_expected)}};
    return QJsonObject{{QStringLiteral("corpus"), corpus},
                       {QStringLiteral("locale"), m_options.locale},
                       {QStringLiteral("rounds"), m_options.rounds},
                       {QStringLiteral("loadBefore"), m_loadBefore},
                       {QStringLiteral("jobs"), jobs},
                       {QStringLiteral("goals"), goalArray},
                       {QStringLiteral("notes"), QJsonArray::fromStringList(m_notes)}};
}

// What every job must find in a generated corpus: the counts the generator kept while writing it.
int Bench::checkCounts() const
{
    QStringList failures;
    const auto expect = [&](const QString &id, qint64 expected, const QString &what) {
        const JobResult *found = result(id);
        if (!found) {
#ifndef STARTMENUBENCH_HAVE_GLIB
            if (id.startsWith(QLatin1String("gio"))) {
                return;
            }
#endif
            if (selected(id.section(QLatin1Char(':'), 0, 0))) {
                failures << QStringLiteral("%1 did not run").arg(id);
            }
            return;
        }
        if (!found->skipped.isEmpty()) {
            return; // reported below, unless the peer is simply missing
        }
        if (found->count != expected) {
            failures << QStringLiteral("%1: %2 %3, expected %4").arg(id).arg(found->count).arg(what).arg(expected);
        }
    };
    const auto expectDetail = [&](const QString &id, const QString &key, qint64 expected) {
        const JobResult *found = result(id);
        if (found && found->ran() && found->details.value(key).toInt() != expected) {
            failures << QStringLiteral("%1: %2 %3, expected %4").arg(id, key).arg(found->details.value(key).toInt()).arg(expected);
        }
    };
    if (!m_expected) {
        std::fprintf(stderr, "--check needs a generated corpus (--generate N)\n");
        return 2;
    }
    const CorpusCounts &counts = *m_expected;
    // The shipped power actions that the classic settings take with no update pending.
    int actions = 0;
    for (const QString &name : {QStringLiteral("reboot.desktop"), QStringLiteral("shutdown.desktop")}) {
        QFile file(root() + QStringLiteral("/usr/share/nimb-start-menu/actions/") + name);
        actions += file.open(QIODevice::ReadOnly) && file.readAll().contains("\nX-SuSE-YaST-Group=");
    }
    for (const JobResult &job : m_results) {
        if (!job.skipped.isEmpty() && !job.skipped.contains(QLatin1String("not installed")) && !job.skipped.contains(QLatin1String("without GLib"))) {
            failures << QStringLiteral("%1 failed: %2").arg(job.id, job.skipped);
        }
    }
    expect(QStringLiteral("read"), counts.files, QStringLiteral("files"));
    expect(QStringLiteral("parse"), counts.accepted, QStringLiteral("accepted"));
    expectDetail(QStringLiteral("parse"), QStringLiteral("loaded"), counts.loaded);
    expect(QStringLiteral("kdesktopfile"), counts.accepted, QStringLiteral("accepted"));
    expectDetail(QStringLiteral("kdesktopfile"), QStringLiteral("loaded"), counts.loaded);
    expect(QStringLiteral("gkeyfile"), counts.accepted, QStringLiteral("accepted"));
    expectDetail(QStringLiteral("gkeyfile"), QStringLiteral("loaded"), counts.loaded);
    expect(QStringLiteral("generate"), counts.menuItems, QStringLiteral("items"));
    expect(QStringLiteral("create-floor"), counts.menuItems, QStringLiteral("files"));
    expect(QStringLiteral("regenerate"), counts.menuItems, QStringLiteral("items"));
    expect(QStringLiteral("index"), counts.menuItems + counts.classicSettings + actions, QStringLiteral("records"));
    expect(QStringLiteral("index-filing"), counts.menuItems + counts.classicSettings + actions, QStringLiteral("records"));
    expect(QStringLiteral("memory"), counts.menuItems + counts.classicSettings + actions, QStringLiteral("records"));
    expect(QStringLiteral("query:all"), counts.markerMatches, QStringLiteral("matches"));
    expect(QStringLiteral("gio-index"), counts.markerMatches, QStringLiteral("matches"));
    if (result(QStringLiteral("gio-index")) && result(QStringLiteral("gio-index"))->ran()) {
        expect(QStringLiteral("gio-query:all"), counts.markerMatches, QStringLiteral("matches"));
    }
    if (const JobResult *sycoca = result(QStringLiteral("kbuildsycoca")); sycoca && sycoca->ran() && sycoca->count <= 0) {
        failures << QStringLiteral("kbuildsycoca5 failed or wrote no database");
    }
    for (const QString &failure : qAsConst(failures)) {
        std::fprintf(stderr, "check failed: %s\n", qPrintable(failure));
    }
    std::printf("check: %s (%d files, %d accepted, %d menu items, %d classic settings, %d matches for \"%s\")\n",
                failures.isEmpty() ? "ok" : "FAILED",
                counts.files,
                counts.accepted,
                counts.menuItems,
                counts.classicSettings,
                counts.markerMatches,
                qPrintable(markerQuery()));
    return failures.isEmpty() ? 0 : 1;
}

void usage()
{
    std::fprintf(stderr,
                 "usage: startmenubench (--generate N | --corpus DIR) [--rounds R] [--jobs LIST] [--json FILE]\n"
                 "                      [--check] [--instructions] [--workdir DIR] [--locale LOCALE]\n"
                 "jobs: read parse kdesktopfile gkeyfile generate create-floor regenerate install kbuildsycoca index\n"
                 "      index-filing gio-index query gio-query memory services-runner (default: all)\n");
}

std::optional<Options> parseOptions(const QStringList &arguments)
{
    Options options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        const auto value = [&] {
            return arguments[++i];
        };
        if (argument == QLatin1String("--generate") && hasValue) {
            options.generate = value().toInt();
        } else if ((argument == QLatin1String("--corpus")) && hasValue) {
            options.corpus = value();
        } else if (argument == QLatin1String("--rounds") && hasValue) {
            options.rounds = std::max(1, value().toInt());
        } else if (argument == QLatin1String("--jobs") && hasValue) {
            options.jobs = value().split(QLatin1Char(','), Qt::SkipEmptyParts);
        } else if (argument == QLatin1String("--json") && hasValue) {
            options.json = value();
        } else if ((argument == QLatin1String("--workdir") || argument == QLatin1String("--work")) && hasValue) {
            options.workDir = value();
        } else if (argument == QLatin1String("--locale") && hasValue) {
            options.locale = value();
        } else if (argument == QLatin1String("--check")) {
            options.check = true;
        } else if (argument == QLatin1String("--instructions")) {
            options.instructions = true;
        } else if (argument == QLatin1String("--child") && hasValue) {
            options.child = value();
        } else if (argument == QLatin1String("--part") && hasValue) {
            options.part = value();
        } else if (argument == QLatin1String("--callgrind")) {
            options.callgrind = true;
        } else {
            return std::nullopt;
        }
    }
    if (options.child.isEmpty() && (options.generate > 0) == !options.corpus.isEmpty()) {
        return std::nullopt;
    }
    return options;
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<Options> options = parseOptions(app.arguments());
    if (!options) {
        usage();
        return 2;
    }
    // The category logs every item written; that is not what is measured.
    QLoggingCategory::setFilterRules(QString::fromLatin1(menuLoggingOff));
    // Translations are looked up for one language everywhere: ours, KConfig's and GLib's.
    NimbDesktopEntry::setLocale(options->locale.toStdString());
    QLocale::setDefault(QLocale(options->locale.section(QLatin1Char('.'), 0, 0)));
    qputenv("LANGUAGE", options->locale.section(QLatin1Char('.'), 0, 0).toUtf8());

    Bench bench(*options);
    return options->child.isEmpty() ? bench.run() : bench.runChild();
}

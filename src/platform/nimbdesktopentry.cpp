/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "nimbdesktopentry.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_view_literals;

namespace
{
constexpr std::string_view DesktopEntryGroup = "Desktop Entry"sv;
constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF"sv;
constexpr std::string_view DefaultPath = "/usr/local/bin:/usr/bin:/bin"sv;

struct LocaleState {
    std::string locale;
    // The names a translation may carry, best first: lang_COUNTRY@MODIFIER, lang_COUNTRY, lang@MODIFIER, lang.
    std::vector<std::string> candidates;
};

std::string localeFromEnvironment()
{
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(variable);
        if (value && *value) {
            return value;
        }
    }
    return {};
}

LocaleState makeLocaleState(const std::string &locale)
{
    LocaleState state{locale, {}};
    std::string_view rest = locale;
    std::string_view modifier;
    std::string_view country;
    if (const auto at = rest.find('@'); at != std::string_view::npos) {
        modifier = rest.substr(at + 1);
        rest = rest.substr(0, at);
    }
    if (const auto dot = rest.find('.'); dot != std::string_view::npos) {
        rest = rest.substr(0, dot);
    }
    if (const auto underscore = rest.find('_'); underscore != std::string_view::npos) {
        country = rest.substr(underscore + 1);
        rest = rest.substr(0, underscore);
    }
    const std::string lang(rest);
    if (lang.empty() || lang == "C" || lang == "POSIX") {
        return state;
    }
    const std::string withCountry = country.empty() ? std::string() : lang + '_' + std::string(country);
    const std::string withModifier = modifier.empty() ? std::string() : '@' + std::string(modifier);
    if (!withCountry.empty() && !withModifier.empty()) {
        state.candidates.push_back(withCountry + withModifier);
    }
    if (!withCountry.empty()) {
        state.candidates.push_back(withCountry);
    }
    if (!withModifier.empty()) {
        state.candidates.push_back(lang + withModifier);
    }
    state.candidates.push_back(lang);
    return state;
}

LocaleState &localeState()
{
    static LocaleState state = makeLocaleState(localeFromEnvironment());
    return state;
}

int localeRank(std::string_view locale)
{
    const auto &candidates = localeState().candidates;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (candidates[i] == locale) {
            return int(i);
        }
    }
    return -1;
}

bool isBlank(char c)
{
    // What KConfig trims around keys and values too.
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

// Desktop files are text: a NUL byte or a byte sequence that is not UTF-8 means the file is not one.
// The check is most of the cost of reading a file, so it avoids branches: ASCII is skipped sixteen or
// eight bytes at a time, the rest runs through a finite automaton whose transitions for one byte are
// packed into one 64-bit row, six bits a state (a "shift DFA"). Its states follow the well-formed
// byte sequences of RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF.
namespace Utf8Automaton
{
enum State : int { Accept, Reject, Need1, Need2, Need3, AfterE0, AfterED, AfterF0, AfterF4, StateCount };
constexpr int stateBits = 6;

constexpr int nextState(int state, int byte)
{
    const auto inRange = [byte](int low, int high) {
        return byte >= low && byte <= high;
    };
    switch (state) {
    case Accept:
        return byte == 0   ? Reject
            : byte < 0x80  ? Accept
            : byte < 0xC2  ? Reject
            : byte < 0xE0  ? Need1
            : byte == 0xE0 ? AfterE0
            : byte == 0xED ? AfterED
            : byte < 0xF0  ? Need2
            : byte == 0xF0 ? AfterF0
            : byte < 0xF4  ? Need3
            : byte == 0xF4 ? AfterF4
                           : Reject;
    case Need1:
        return inRange(0x80, 0xBF) ? Accept : Reject;
    case Need2:
        return inRange(0x80, 0xBF) ? Need1 : Reject;
    case Need3:
        return inRange(0x80, 0xBF) ? Need2 : Reject;
    case AfterE0:
        return inRange(0xA0, 0xBF) ? Need1 : Reject;
    case AfterED:
        return inRange(0x80, 0x9F) ? Need1 : Reject;
    case AfterF0:
        return inRange(0x90, 0xBF) ? Need2 : Reject;
    case AfterF4:
        return inRange(0x80, 0x8F) ? Need2 : Reject;
    default:
        return Reject;
    }
}

constexpr std::array<std::uint64_t, 256> rows()
{
    std::array<std::uint64_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        for (int state = 0; state < StateCount; ++state) {
            table[std::size_t(byte)] |= std::uint64_t(nextState(state, byte) * stateBits) << (state * stateBits);
        }
    }
    return table;
}
}

bool isCleanUtf8(std::string_view text)
{
    static constexpr auto rows = Utf8Automaton::rows();
    constexpr std::uint64_t accept = Utf8Automaton::Accept * Utf8Automaton::stateBits;
    constexpr std::uint64_t reject = Utf8Automaton::Reject * Utf8Automaton::stateBits;
    constexpr std::uint64_t stateMask = (1 << Utf8Automaton::stateBits) - 1;
    constexpr std::uint64_t highBits = 0x8080808080808080ULL;
    constexpr std::uint64_t lowBits = 0x0101010101010101ULL;

    auto p = reinterpret_cast<const unsigned char *>(text.data());
    const auto end = p + text.size();
    std::uint64_t state = accept;
    while (p < end) {
        if (state == accept) {
#ifdef __SSE2__
            const __m128i zero = _mm_setzero_si128();
            while (end - p >= 16) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
                if (_mm_movemask_epi8(_mm_or_si128(bytes, _mm_cmpeq_epi8(bytes, zero))) != 0) {
                    break;
                }
                p += 16;
            }
#endif
            while (end - p >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p, sizeof word);
                if ((word & highBits) || ((word - lowBits) & ~word & highBits)) {
                    break;
                }
                p += 8;
            }
        }
        // Rejection is final, so it is enough to look for it after a stretch of bytes.
        for (const auto stop = end - p > 32 ? p + 32 : end; p < stop; ++p) {
            state = (rows[*p] >> state) & stateMask;
        }
        if (state == reject) {
            return false;
        }
    }
    return state == accept;
}

// Reads the whole file into a new buffer; the buffer is not zeroed first, that alone would cost
// a tenth of the parse.
NimbDesktopEntry::Buffer readRegularFile(const std::string &path, std::size_t &length)
{
    // O_NONBLOCK: opening a FIFO without writer must not wait; fstat() then turns it away.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return {};
    }
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || std::size_t(status.st_size) > NimbDesktopEntry::MaxFileSize) {
        ::close(fd);
        return {};
    }
    // One byte more than announced, so that a file that grew (or a /proc file announcing 0) is read to its end.
    std::size_t capacity = std::min<std::size_t>(std::size_t(status.st_size) + 1, NimbDesktopEntry::MaxFileSize + 1);
    std::unique_ptr<char[]> contents(new char[capacity]);
    length = 0;
    for (;;) {
        const ssize_t count = ::read(fd, contents.get() + length, capacity - length);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            return {};
        }
        if (count == 0) {
            break;
        }
        length += std::size_t(count);
        if (length == capacity) {
            if (capacity > NimbDesktopEntry::MaxFileSize) {
                ::close(fd);
                return {};
            }
            const std::size_t grown = std::min(capacity * 2 + 4096, NimbDesktopEntry::MaxFileSize + 1);
            std::unique_ptr<char[]> larger(new char[grown]);
            std::memcpy(larger.get(), contents.get(), length);
            contents = std::move(larger);
            capacity = grown;
        }
    }
    ::close(fd);
    return NimbDesktopEntry::Buffer(std::move(contents));
}

NimbDesktopEntry::Buffer copiedBuffer(std::string_view text)
{
    std::unique_ptr<char[]> copy(new char[std::max<std::size_t>(text.size(), 1)]);
    std::memcpy(copy.get(), text.data(), text.size());
    return NimbDesktopEntry::Buffer(std::move(copy));
}

bool writeFileAtomically(const std::string &path, std::string_view contents)
{
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, std::max<std::size_t>(slash, 1));
    const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    if (fileName.empty()) {
        return false;
    }

    // A file name may use all 255 bytes that file systems allow; the temporary name adds up to 24 to
    // what it keeps of it.
    constexpr std::size_t keptOfFileName = 200;
    const std::string stem = fileName.substr(0, keptOfFileName);
    static std::atomic<unsigned> serial{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + "/." + stem + ".tmp-" + std::to_string(::getpid()) + '-' + std::to_string(serial++);
        // Mode 0666 lets the umask decide, as for any file the user creates.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }

    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        ::fchmod(fd, existing.st_mode & 07777);
    }

    bool ok = true;
    const char *data = contents.data();
    std::size_t left = contents.size();
    while (ok && left > 0) {
        const ssize_t count = ::write(fd, data, left);
        if (count < 0) {
            ok = errno == EINTR;
            continue;
        }
        data += count;
        left -= std::size_t(count);
    }
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
    }
    return ok;
}

char unescapedChar(char c)
{
    switch (c) {
    case 's':
        return ' ';
    case 'n':
        return '\n';
    case 't':
        return '\t';
    case 'r':
        return '\r';
    case '\\':
        return '\\';
    default:
        return 0;
    }
}

// Escapes other than \s \n \t \r \\ are kept as written, backslash included.
std::string unescapedString(std::string_view raw)
{
    if (raw.find('\\') == std::string_view::npos) {
        return std::string(raw);
    }
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\\' && i + 1 < raw.size()) {
            if (const char plain = unescapedChar(raw[i + 1])) {
                text += plain;
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

// Elements end at an unescaped ';'; the last one needs none.
std::vector<std::string> unescapedList(std::string_view raw)
{
    std::vector<std::string> list;
    std::string element;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\\' && i + 1 < raw.size()) {
            const char next = raw[i + 1];
            if (const char plain = next == ';' ? ';' : unescapedChar(next)) {
                element += plain;
                ++i;
                continue;
            }
        } else if (c == ';') {
            list.push_back(std::move(element));
            element.clear();
            continue;
        }
        element += c;
    }
    if (!element.empty()) {
        list.push_back(std::move(element));
    }
    return list;
}

std::string escaped(std::string_view text)
{
    std::string raw;
    raw.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\':
            raw += "\\\\";
            break;
        case '\n':
            raw += "\\n";
            break;
        case '\t':
            raw += "\\t";
            break;
        case '\r':
            raw += "\\r";
            break;
        case ' ':
            // Blanks at either end would be trimmed away when the file is read back.
            raw += (i == 0 || i + 1 == text.size()) ? "\\s" : " ";
            break;
        default:
            raw += c;
        }
    }
    return raw;
}

bool isValidKey(std::string_view key)
{
    return !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    });
}

bool isBooleanTrue(std::string_view raw)
{
    // "1" is the older spelling that GLib still accepts.
    return raw == "true"sv || raw == "1"sv;
}

bool isExecutableFile(const std::string &path)
{
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool isProgramInstalled(const std::string &program)
{
    if (program.front() == '/') {
        return isExecutableFile(program);
    }
    const char *pathVariable = std::getenv("PATH");
    std::string_view folders = pathVariable ? std::string_view(pathVariable) : DefaultPath;
    while (!folders.empty()) {
        const auto colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        if (!folder.empty() && isExecutableFile(std::string(folder) + '/' + program)) {
            return true;
        }
    }
    return false;
}

bool fail(std::string *reason, const char *why)
{
    if (reason) {
        *reason = why;
    }
    return false;
}
}

NimbDesktopEntry::NimbDesktopEntry()
{
    reindex();
}

NimbDesktopEntry::NimbDesktopEntry(NimbDesktopEntry &&other) noexcept
    : NimbDesktopEntry()
{
    *this = std::move(other);
}

NimbDesktopEntry &NimbDesktopEntry::operator=(NimbDesktopEntry &&other) noexcept
{
    if (this == &other) {
        return *this;
    }
    m_path = std::move(other.m_path);
    m_buffers = std::move(other.m_buffers);
    m_groups = std::move(other.m_groups);
    m_lines = std::move(other.m_lines);
    m_mainGroup = other.m_mainGroup;
    m_plain = other.m_plain;
    m_translated = other.m_translated;
    m_translatedRank = other.m_translatedRank;
    // The indices would otherwise outlive the lines they point at: the source becomes an empty entry.
    other.m_path.clear();
    other.m_buffers.clear();
    other.m_groups.clear();
    other.m_lines.clear();
    other.m_mainGroup = NoLine;
    other.reindex();
    return *this;
}

NimbDesktopEntry::NimbDesktopEntry(const std::string &path)
    : m_path(path)
{
    std::size_t length = 0;
    Buffer contents = readRegularFile(path, length);
    if (contents && isCleanUtf8(std::string_view(contents.get(), length))) {
        m_buffers.push_back(contents);
        parse(std::string_view(contents.get(), length));
    }
    if (m_mainGroup == NoLine) {
        // Nothing of a file that is not a desktop entry is worth keeping.
        m_buffers.clear();
        m_groups.clear();
        m_lines.clear();
    }
    reindex();
}

void NimbDesktopEntry::parse(std::string_view text)
{
    if (text.substr(0, Utf8ByteOrderMark.size()) == Utf8ByteOrderMark) {
        text.remove_prefix(Utf8ByteOrderMark.size());
    }
    m_lines.reserve(text.size() / 32 + 8);

    constexpr auto noGroup = std::uint32_t(-1);
    std::uint32_t group = noGroup;
    const char *position = text.data();
    const char *const end = position + text.size();
    while (position < end) {
        const auto newline = static_cast<const char *>(std::memchr(position, '\n', std::size_t(end - position)));
        const char *lineEnd = newline ? newline : end;
        const std::string_view line = trimmed(std::string_view(position, std::size_t(lineEnd - position)));
        position = newline ? newline + 1 : end;

        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            // A broken group header leaves the keys below it without a group.
            group = line.back() == ']' ? groupIndex(line.substr(1, line.size() - 2)) : noGroup;
            continue;
        }
        if (group == noGroup) {
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trimmed(line.substr(0, equals));
        if (!key.empty()) {
            addGroupLine(key, trimmed(line.substr(equals + 1)), group);
        }
    }
}

std::uint32_t NimbDesktopEntry::groupIndex(std::string_view name)
{
    // A group named twice is one group, as in KConfig.
    const auto found = std::find(m_groups.cbegin(), m_groups.cend(), name);
    if (found != m_groups.cend()) {
        return std::uint32_t(found - m_groups.cbegin());
    }
    m_groups.push_back(name);
    if (name == DesktopEntryGroup) {
        m_mainGroup = std::int32_t(m_groups.size() - 1);
    }
    return std::uint32_t(m_groups.size() - 1);
}

void NimbDesktopEntry::addGroupLine(std::string_view key, std::string_view value, std::uint32_t group)
{
    std::uint32_t baseLength = std::uint32_t(key.size());
    if (key.back() == ']') {
        const auto bracket = key.find('[');
        // "Name[]" names no locale: it stays a key of its own that no lookup asks for.
        if (bracket != std::string_view::npos && bracket > 0 && bracket + 2 < key.size()) {
            baseLength = std::uint32_t(bracket);
        }
    }
    m_lines.push_back(Line{key, value, group, baseLength});
}

void NimbDesktopEntry::reindex()
{
    m_plain.fill(NoLine);
    m_translated.fill(NoLine);
    m_translatedRank.fill(INT8_MAX);
    if (m_mainGroup == NoLine) {
        return;
    }

    const auto knownKey = [](std::string_view key) -> KnownKey {
        switch (key.size()) {
        case 4:
            return key == "Name"sv ? Name : key == "Exec"sv ? Exec : key == "Type"sv ? Type : key == "Icon"sv ? Icon : UnknownKey;
        case 6:
            return key == "Hidden"sv ? Hidden : UnknownKey;
        case 7:
            return key == "Comment"sv ? Comment : key == "TryExec"sv ? TryExec : UnknownKey;
        case 8:
            return key == "Keywords"sv ? Keywords : UnknownKey;
        case 9:
            return key == "NoDisplay"sv ? NoDisplay : key == "NotShowIn"sv ? NotShowIn : UnknownKey;
        case 10:
            return key == "Categories"sv ? Categories : key == "OnlyShowIn"sv ? OnlyShowIn : UnknownKey;
        case 11:
            return key == "GenericName"sv ? GenericName : UnknownKey;
        default:
            return UnknownKey;
        }
    };

    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Line &line = m_lines[i];
        if (line.group != std::uint32_t(m_mainGroup)) {
            continue;
        }
        const KnownKey key = knownKey(line.baseKey());
        if (key == UnknownKey) {
            continue;
        }
        // Later lines win over earlier ones with the same key, as in KConfig.
        if (!line.isTranslation()) {
            m_plain[key] = std::int32_t(i);
            continue;
        }
        const int rank = localeRank(line.key.substr(line.baseLength + 1, line.key.size() - line.baseLength - 2));
        if (rank >= 0 && rank <= m_translatedRank[key]) {
            m_translated[key] = std::int32_t(i);
            m_translatedRank[key] = std::int8_t(rank);
        }
    }
}

const NimbDesktopEntry::Line *NimbDesktopEntry::plain(KnownKey key) const
{
    return m_plain[key] == NoLine ? nullptr : &m_lines[std::size_t(m_plain[key])];
}

const NimbDesktopEntry::Line *NimbDesktopEntry::translated(KnownKey key) const
{
    return m_translated[key] == NoLine ? plain(key) : &m_lines[std::size_t(m_translated[key])];
}

std::string NimbDesktopEntry::stringValue(KnownKey key) const
{
    const Line *line = plain(key);
    return line ? unescapedString(line->value) : std::string();
}

std::string NimbDesktopEntry::localStringValue(KnownKey key) const
{
    const Line *line = translated(key);
    return line ? unescapedString(line->value) : std::string();
}

std::vector<std::string> NimbDesktopEntry::listValue(KnownKey key) const
{
    const Line *line = plain(key);
    return line ? unescapedList(line->value) : std::vector<std::string>();
}

bool NimbDesktopEntry::boolValue(KnownKey key) const
{
    const Line *line = plain(key);
    return line && isBooleanTrue(line->value);
}

bool NimbDesktopEntry::isLoaded() const
{
    return m_mainGroup != NoLine;
}

bool NimbDesktopEntry::isValid(std::string *reason) const
{
    const Line *nameLine = plain(Name);
    if (!nameLine || nameLine->value.empty()) {
        return fail(reason, "Name is empty");
    }
    const Line *typeLine = plain(Type);
    const std::string_view type = typeLine ? typeLine->value : std::string_view();
    if (type == "Directory"sv) {
        return true;
    }
    if (type != "Application"sv) {
        return fail(reason, "Type is neither Application nor Directory");
    }
    const Line *execLine = plain(Exec);
    if (!execLine || execLine->value.empty()) {
        return fail(reason, "Exec is empty");
    }
    return true;
}

bool NimbDesktopEntry::isSuitable(std::string *reason) const
{
    if (hidden()) {
        return fail(reason, "Hidden is true");
    }
    // An empty TryExec names nothing to try, so it is no reason to turn the entry away (as in GLib).
    const std::string program = tryExec();
    if (!program.empty() && !isProgramInstalled(program)) {
        return fail(reason, "TryExec names no executable file");
    }
    return true;
}

bool NimbDesktopEntry::isDisplayable(std::string *reason) const
{
    return !noDisplay() || fail(reason, "NoDisplay is true");
}

bool NimbDesktopEntry::isForNimb(std::string *reason) const
{
    const auto listsThisDesktop = [](const std::vector<std::string> &desktops) {
        return std::find(desktops.cbegin(), desktops.cend(), DesktopName) != desktops.cend();
    };
    if (plain(OnlyShowIn) && !listsThisDesktop(onlyShowIn())) {
        return fail(reason, "OnlyShowIn does not list this desktop");
    }
    if (listsThisDesktop(notShowIn())) {
        return fail(reason, "NotShowIn lists this desktop");
    }
    return true;
}

std::string NimbDesktopEntry::type() const
{
    return stringValue(Type);
}

std::string NimbDesktopEntry::name() const
{
    return stringValue(Name);
}

std::string NimbDesktopEntry::localName() const
{
    return localStringValue(Name);
}

std::string NimbDesktopEntry::genericName() const
{
    return stringValue(GenericName);
}

std::string NimbDesktopEntry::localGenericName() const
{
    return localStringValue(GenericName);
}

std::string NimbDesktopEntry::comment() const
{
    return stringValue(Comment);
}

std::string NimbDesktopEntry::localComment() const
{
    return localStringValue(Comment);
}

std::string NimbDesktopEntry::exec() const
{
    return stringValue(Exec);
}

std::string NimbDesktopEntry::tryExec() const
{
    return stringValue(TryExec);
}

std::string NimbDesktopEntry::icon() const
{
    return stringValue(Icon);
}

std::string NimbDesktopEntry::localIcon() const
{
    return localStringValue(Icon);
}

std::string NimbDesktopEntry::localIconOrFallback() const
{
    std::string icon = localIcon();
    if (icon.empty()) {
        const Line *typeLine = plain(Type);
        icon = (typeLine && typeLine->value == "Directory"sv) ? "folder" : "application-x-executable";
    }
    return icon;
}

bool NimbDesktopEntry::hidden() const
{
    return boolValue(Hidden);
}

bool NimbDesktopEntry::noDisplay() const
{
    return boolValue(NoDisplay);
}

std::vector<std::string> NimbDesktopEntry::keywords() const
{
    return listValue(Keywords);
}

std::vector<std::string> NimbDesktopEntry::localKeywords() const
{
    const Line *line = translated(Keywords);
    return line ? unescapedList(line->value) : std::vector<std::string>();
}

std::vector<std::string> NimbDesktopEntry::categories() const
{
    return listValue(Categories);
}

std::vector<std::string> NimbDesktopEntry::onlyShowIn() const
{
    return listValue(OnlyShowIn);
}

std::vector<std::string> NimbDesktopEntry::notShowIn() const
{
    return listValue(NotShowIn);
}

std::string NimbDesktopEntry::getUnknownValue(const char *key) const
{
    return key ? getUnknownValue(std::string_view(key)) : std::string();
}

std::string NimbDesktopEntry::getUnknownValue(std::string_view key) const
{
    const auto found = std::find_if(m_lines.crbegin(), m_lines.crend(), [this, key](const Line &line) {
        return line.group == std::uint32_t(m_mainGroup) && line.key == key;
    });
    return found == m_lines.crend() ? std::string() : unescapedString(found->value);
}

bool NimbDesktopEntry::hasKey(std::string_view key) const
{
    return std::any_of(m_lines.cbegin(), m_lines.cend(), [this, key](const Line &line) {
        return line.group == std::uint32_t(m_mainGroup) && line.key == key;
    });
}

void NimbDesktopEntry::overrideFrom(const NimbDesktopEntry &other)
{
    if (!isLoaded() || &other == this) {
        return;
    }
    for (std::uint32_t otherGroup = 0; otherGroup < other.m_groups.size(); ++otherGroup) {
        const std::uint32_t group = groupIndex(other.m_groups[otherGroup]);
        const auto inOtherGroup = [otherGroup](const Line &line) {
            return line.group == otherGroup;
        };
        const auto isReplaced = [&](const Line &line) {
            return line.group == group && std::any_of(other.m_lines.cbegin(), other.m_lines.cend(), [&](const Line &replacement) {
                       return inOtherGroup(replacement) && (replacement.key == line.key || (!replacement.isTranslation() && replacement.key == line.baseKey()));
                   });
        };
        m_lines.erase(std::remove_if(m_lines.begin(), m_lines.end(), isReplaced), m_lines.end());
        for (const Line &replacement : other.m_lines) {
            if (inOtherGroup(replacement)) {
                m_lines.push_back(Line{replacement.key, replacement.value, group, replacement.baseLength});
            }
        }
    }
    m_buffers.insert(m_buffers.end(), other.m_buffers.cbegin(), other.m_buffers.cend());
    reindex();
}

void NimbDesktopEntry::setUnknowns(const std::vector<std::pair<std::string, std::string>> &pairs)
{
    if (!isLoaded()) {
        return;
    }
    const auto mainGroup = std::uint32_t(m_mainGroup);
    for (const auto &[key, value] : pairs) {
        // A value that is not UTF-8 text would make the whole saved file unreadable.
        if (!isValidKey(key) || !isCleanUtf8(value)) {
            continue;
        }
        const std::string text = key + escaped(value);
        Buffer buffer = copiedBuffer(text);
        const std::string_view stored(buffer.get(), text.size());
        m_lines.erase(std::remove_if(m_lines.begin(),
                                     m_lines.end(),
                                     [&key = key, mainGroup](const Line &line) {
                                         return line.group == mainGroup && line.key == key;
                                     }),
                      m_lines.end());
        m_lines.push_back(Line{stored.substr(0, key.size()), stored.substr(key.size()), mainGroup, std::uint32_t(key.size())});
        m_buffers.push_back(std::move(buffer));
    }
    reindex();
}

bool NimbDesktopEntry::saveAs(const std::string &path, SaveEmptyFields saveEmptyFields) const
{
    if (!isLoaded()) {
        return false;
    }

    std::vector<std::uint32_t> groupOrder{std::uint32_t(m_mainGroup)};
    for (std::uint32_t group = 0; group < m_groups.size(); ++group) {
        if (group != std::uint32_t(m_mainGroup)) {
            groupOrder.push_back(group);
        }
    }

    // Of a key met twice only the value that reading gave, the last one, is written.
    const std::vector<bool> written = lastOfEachKey();
    std::size_t size = 0;
    for (const Line &line : m_lines) {
        size += line.key.size() + line.value.size() + 2;
    }
    std::string contents;
    contents.reserve(size + 32 * m_groups.size());
    for (const std::uint32_t group : groupOrder) {
        if (!contents.empty()) {
            contents += '\n';
        }
        contents += '[';
        contents += m_groups[group];
        contents += "]\n";
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            const Line &line = m_lines[i];
            if (line.group != group || !written[i] || (line.value.empty() && !bool(saveEmptyFields))) {
                continue;
            }
            contents += line.key;
            contents += '=';
            contents += line.value;
            contents += '\n';
        }
    }
    return writeFileAtomically(path, contents);
}

std::vector<bool> NimbDesktopEntry::lastOfEachKey() const
{
    // A small open-addressing table of line indices: saving runs once per generated menu item.
    std::size_t capacity = 16;
    while (capacity < 2 * m_lines.size()) {
        capacity *= 2;
    }
    const std::size_t mask = capacity - 1;
    std::vector<std::int32_t> table(capacity, NoLine);
    std::vector<bool> last(m_lines.size(), true);
    for (std::size_t i = m_lines.size(); i-- > 0;) {
        const Line &line = m_lines[i];
        std::size_t hash = 14695981039346656037ULL ^ line.group;
        for (const char c : line.key) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        }
        for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            const std::int32_t seen = table[slot];
            if (seen == NoLine) {
                table[slot] = std::int32_t(i);
                break;
            }
            const Line &later = m_lines[std::size_t(seen)];
            if (later.group == line.group && later.key == line.key) {
                last[i] = false;
                break;
            }
        }
    }
    return last;
}

void NimbDesktopEntry::setLocale(const std::string &locale)
{
    localeState() = makeLocaleState(locale.empty() ? localeFromEnvironment() : locale);
}

std::string NimbDesktopEntry::locale()
{
    return localeState().locale;
}

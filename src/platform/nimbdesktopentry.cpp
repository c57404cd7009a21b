/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "nimbdesktopentry.h"
#include "indextable_p.h"
#include "nimbdesktopentry_p.h"
#include "regularfile_p.h"
#include "utf8validator_p.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <unordered_map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_view_literals;

namespace
{
using Buffer = NimbDesktopEntryPrivate::Buffer;
using KnownKey = NimbDesktopEntryPrivate::KnownKey;
using Line = NimbDesktopEntryPrivate::Line;

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

int localeRank(const std::vector<std::string> &candidates, std::string_view locale)
{
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        // Most translations are of other languages: their first letter already tells.
        if (candidates[i].front() == locale.front() && candidates[i] == locale) {
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

// Reads the whole file into a new buffer; the buffer is not zeroed first, that alone would cost
// a tenth of the parse.
Buffer readRegularFile(const std::string &path, std::size_t &length)
{
    std::unique_ptr<char[]> contents;
    const std::optional<std::size_t> read = RegularFile::read(path.c_str(), NimbDesktopEntry::MaxFileSize, [&contents](std::size_t capacity, std::size_t kept) {
        std::unique_ptr<char[]> larger(new char[capacity]);
        if (kept > 0) {
            std::memcpy(larger.get(), contents.get(), kept);
        }
        contents = std::move(larger);
        return contents.get();
    });
    if (!read) {
        return {};
    }
    length = *read;
    return Buffer(std::move(contents));
}

Buffer copiedBuffer(std::string_view text)
{
    std::unique_ptr<char[]> copy(new char[std::max<std::size_t>(text.size(), 1)]);
    std::memcpy(copy.get(), text.data(), text.size());
    return Buffer(std::move(copy));
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
    static unsigned serial = 0;
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

// Reading trims blanks around a value. escaped() keeps a space, a tab or a carriage return there,
// but the format has no escape for a vertical tab or a form feed.
bool survivesTrimming(std::string_view value)
{
    const auto unescapable = [](char c) {
        return c == '\v' || c == '\f';
    };
    return value.empty() || (!unescapable(value.front()) && !unescapable(value.back()));
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

// Every empty entry shares one private part: an entry that is not loaded never changes.
const QSharedDataPointer<NimbDesktopEntryPrivate> &emptyEntry()
{
    static const QSharedDataPointer<NimbDesktopEntryPrivate> empty(new NimbDesktopEntryPrivate);
    return empty;
}
}

NimbDesktopEntry::NimbDesktopEntry()
    : d(emptyEntry())
{
}

NimbDesktopEntry::NimbDesktopEntry(const NimbDesktopEntry &other) = default;

NimbDesktopEntry &NimbDesktopEntry::operator=(const NimbDesktopEntry &other) = default;

NimbDesktopEntry::NimbDesktopEntry(NimbDesktopEntry &&other) noexcept
    : d(emptyEntry())
{
    d.swap(other.d);
}

NimbDesktopEntry &NimbDesktopEntry::operator=(NimbDesktopEntry &&other) noexcept
{
    if (this != &other) {
        d.swap(other.d);
        other.d = emptyEntry();
    }
    return *this;
}

NimbDesktopEntry::~NimbDesktopEntry() = default;

NimbDesktopEntry::NimbDesktopEntry(const std::string &path)
    : d(new NimbDesktopEntryPrivate)
{
    d->m_path = path;
    std::size_t length = 0;
    Buffer contents = readRegularFile(path, length);
    if (contents && Utf8Validator::isValid(std::string_view(contents.get(), length))) {
        d->m_buffers.push_back(contents);
        d->parse(std::string_view(contents.get(), length));
    }
    if (d->m_mainGroup == NimbDesktopEntryPrivate::NoLine) {
        // Nothing of a file that is not a desktop entry is worth keeping.
        d->m_buffers.clear();
        d->m_groups.clear();
        d->m_lines.clear();
        d->reindex();
    }
}

const std::string &NimbDesktopEntry::path() const
{
    return d->m_path;
}

NimbDesktopEntryPrivate::NimbDesktopEntryPrivate()
{
    reindex();
}

// One pass over the text: each line is cut where it stands, without copying, and the lines of the
// keys the library asks for are noted as they come (addGroupLine()), so that no second pass is needed.
void NimbDesktopEntryPrivate::parse(std::string_view text)
{
    if (text.substr(0, Utf8ByteOrderMark.size()) == Utf8ByteOrderMark) {
        text.remove_prefix(Utf8ByteOrderMark.size());
    }
    m_lines.reserve(text.size() / 32 + 8);
    m_plain.fill(NoLine);
    m_translated.fill(NoLine);
    m_translatedRank.fill(INT8_MAX);
    const std::vector<std::string> &locales = localeState().candidates;
    GroupLookup groups;

    constexpr auto noGroup = std::uint32_t(-1);
    std::uint32_t group = noGroup;
    const char *position = text.data();
    const char *const end = position + text.size();
    while (position < end) {
        while (position < end && isBlank(*position)) {
            ++position;
        }
        if (position == end) {
            break;
        }
        const char first = *position;
        if (first == '\n') {
            ++position;
            continue;
        }
        const auto newline = static_cast<const char *>(std::memchr(position, '\n', std::size_t(end - position)));
        const char *const lineEnd = newline ? newline : end;
        const char *const begin = position;
        position = newline ? newline + 1 : end;
        if (first == '#') {
            continue;
        }
        const char *last = lineEnd;
        while (isBlank(last[-1])) { // stops at the first character, which is not blank
            --last;
        }
        if (first == '[') {
            // A broken group header leaves the keys below it without a group.
            group = last[-1] == ']' && last - begin >= 2 ? groupIndex(std::string_view(begin + 1, std::size_t(last - begin - 2)), groups) : noGroup;
            continue;
        }
        if (group == noGroup) {
            continue;
        }
        const auto equals = static_cast<const char *>(std::memchr(begin, '=', std::size_t(last - begin)));
        if (!equals) {
            continue;
        }
        const char *keyEnd = equals;
        while (keyEnd > begin && isBlank(keyEnd[-1])) {
            --keyEnd;
        }
        if (keyEnd == begin) {
            continue;
        }
        const char *value = equals + 1;
        while (value < last && isBlank(*value)) {
            ++value;
        }
        addGroupLine(std::string_view(begin, std::size_t(keyEnd - begin)), std::string_view(value, std::size_t(last - value)), group, locales);
    }
}

std::uint32_t NimbDesktopEntryPrivate::groupIndex(std::string_view name, GroupLookup &lookup)
{
    // A group named twice is one group, as in KConfig.
    if (m_groups.size() <= GroupLookup::listed) {
        const auto found = std::find(m_groups.cbegin(), m_groups.cend(), name);
        if (found != m_groups.cend()) {
            return std::uint32_t(found - m_groups.cbegin());
        }
    } else {
        if (lookup.indices.empty()) {
            for (std::uint32_t group = 0; group < m_groups.size(); ++group) {
                lookup.indices.emplace(m_groups[group], group);
            }
        }
        const auto found = lookup.indices.find(name);
        if (found != lookup.indices.cend()) {
            return found->second;
        }
    }
    const auto group = std::uint32_t(m_groups.size());
    m_groups.push_back(name);
    if (!lookup.indices.empty()) {
        lookup.indices.emplace(name, group);
    }
    if (name == DesktopEntryGroup) {
        m_mainGroup = std::int32_t(group);
    }
    return group;
}

void NimbDesktopEntryPrivate::addGroupLine(std::string_view key, std::string_view value, std::uint32_t group, const std::vector<std::string> &locales)
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
    if (group == std::uint32_t(m_mainGroup)) {
        noteKnownKey(m_lines.size() - 1, locales);
    }
}

void NimbDesktopEntryPrivate::reindex()
{
    m_plain.fill(NoLine);
    m_translated.fill(NoLine);
    m_translatedRank.fill(INT8_MAX);
    if (m_mainGroup == NoLine) {
        return;
    }
    const std::vector<std::string> &locales = localeState().candidates;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].group == std::uint32_t(m_mainGroup)) {
            noteKnownKey(i, locales);
        }
    }
}

void NimbDesktopEntryPrivate::noteKnownKey(std::size_t index, const std::vector<std::string> &locales)
{
    const auto knownKey = [](std::string_view key) -> KnownKey {
        // The length is known in each case, so each comparison is a fixed-size one the compiler inlines.
        const auto is = [&key](const auto &name) {
            return std::memcmp(key.data(), name, sizeof name - 1) == 0;
        };
        switch (key.size()) {
        case 4:
            return is("Name") ? Name : is("Exec") ? Exec : is("Type") ? Type : is("Icon") ? Icon : UnknownKey;
        case 6:
            return is("Hidden") ? Hidden : UnknownKey;
        case 7:
            return is("Comment") ? Comment : is("TryExec") ? TryExec : UnknownKey;
        case 8:
            return is("Keywords") ? Keywords : UnknownKey;
        case 9:
            return is("NoDisplay") ? NoDisplay : is("NotShowIn") ? NotShowIn : UnknownKey;
        case 10:
            return is("Categories") ? Categories : is("OnlyShowIn") ? OnlyShowIn : UnknownKey;
        case 11:
            return is("GenericName") ? GenericName : UnknownKey;
        default:
            return UnknownKey;
        }
    };

    const Line &line = m_lines[index];
    // Most lines are translations into other languages than the session's: their locale tells first.
    const bool translation = line.isTranslation();
    const int rank = translation ? localeRank(locales, line.key.substr(line.baseLength + 1, line.key.size() - line.baseLength - 2)) : 0;
    if (rank < 0) {
        return;
    }
    const KnownKey key = knownKey(line.baseKey());
    if (key == UnknownKey) {
        return;
    }
    // Later lines win over earlier ones with the same key, as in KConfig.
    if (!translation) {
        m_plain[key] = std::int32_t(index);
        return;
    }
    if (rank <= m_translatedRank[key]) {
        m_translated[key] = std::int32_t(index);
        m_translatedRank[key] = std::int8_t(rank);
    }
}

const Line *NimbDesktopEntryPrivate::plain(KnownKey key) const
{
    return m_plain[key] == NoLine ? nullptr : &m_lines[std::size_t(m_plain[key])];
}

const Line *NimbDesktopEntryPrivate::translated(KnownKey key) const
{
    return m_translated[key] == NoLine ? plain(key) : &m_lines[std::size_t(m_translated[key])];
}

std::string NimbDesktopEntryPrivate::stringValue(KnownKey key) const
{
    const Line *line = plain(key);
    return line ? unescapedString(line->value) : std::string();
}

std::string NimbDesktopEntryPrivate::localStringValue(KnownKey key) const
{
    const Line *line = translated(key);
    return line ? unescapedString(line->value) : std::string();
}

std::vector<std::string> NimbDesktopEntryPrivate::listValue(KnownKey key) const
{
    const Line *line = plain(key);
    return line ? unescapedList(line->value) : std::vector<std::string>();
}

bool NimbDesktopEntryPrivate::boolValue(KnownKey key) const
{
    const Line *line = plain(key);
    return line && isBooleanTrue(line->value);
}

bool NimbDesktopEntry::isLoaded() const
{
    return d->m_mainGroup != NimbDesktopEntryPrivate::NoLine;
}

bool NimbDesktopEntry::isValid(std::string *reason) const
{
    const Line *nameLine = d->plain(KnownKey::Name);
    if (!nameLine || nameLine->value.empty()) {
        return fail(reason, "Name is empty");
    }
    const Line *typeLine = d->plain(KnownKey::Type);
    const std::string_view type = typeLine ? typeLine->value : std::string_view();
    if (type == "Directory"sv) {
        return true;
    }
    if (type != "Application"sv) {
        return fail(reason, "Type is neither Application nor Directory");
    }
    const Line *execLine = d->plain(KnownKey::Exec);
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
    if (d->plain(KnownKey::OnlyShowIn) && !listsThisDesktop(onlyShowIn())) {
        return fail(reason, "OnlyShowIn does not list this desktop");
    }
    if (listsThisDesktop(notShowIn())) {
        return fail(reason, "NotShowIn lists this desktop");
    }
    return true;
}

std::string NimbDesktopEntry::type() const
{
    return d->stringValue(KnownKey::Type);
}

std::string NimbDesktopEntry::name() const
{
    return d->stringValue(KnownKey::Name);
}

std::string NimbDesktopEntry::localName() const
{
    return d->localStringValue(KnownKey::Name);
}

std::string NimbDesktopEntry::genericName() const
{
    return d->stringValue(KnownKey::GenericName);
}

std::string NimbDesktopEntry::localGenericName() const
{
    return d->localStringValue(KnownKey::GenericName);
}

std::string NimbDesktopEntry::comment() const
{
    return d->stringValue(KnownKey::Comment);
}

std::string NimbDesktopEntry::localComment() const
{
    return d->localStringValue(KnownKey::Comment);
}

std::string NimbDesktopEntry::exec() const
{
    return d->stringValue(KnownKey::Exec);
}

std::string NimbDesktopEntry::tryExec() const
{
    return d->stringValue(KnownKey::TryExec);
}

std::string NimbDesktopEntry::icon() const
{
    return d->stringValue(KnownKey::Icon);
}

std::string NimbDesktopEntry::localIcon() const
{
    return d->localStringValue(KnownKey::Icon);
}

std::string NimbDesktopEntry::localIconOrFallback() const
{
    std::string icon = localIcon();
    if (icon.empty()) {
        const Line *typeLine = d->plain(KnownKey::Type);
        icon = (typeLine && typeLine->value == "Directory"sv) ? "folder" : "application-x-executable";
    }
    return icon;
}

bool NimbDesktopEntry::hidden() const
{
    return d->boolValue(KnownKey::Hidden);
}

bool NimbDesktopEntry::noDisplay() const
{
    return d->boolValue(KnownKey::NoDisplay);
}

std::vector<std::string> NimbDesktopEntry::keywords() const
{
    return d->listValue(KnownKey::Keywords);
}

std::vector<std::string> NimbDesktopEntry::localKeywords() const
{
    const Line *line = d->translated(KnownKey::Keywords);
    return line ? unescapedList(line->value) : std::vector<std::string>();
}

std::vector<std::string> NimbDesktopEntry::categories() const
{
    return d->listValue(KnownKey::Categories);
}

std::vector<std::string> NimbDesktopEntry::onlyShowIn() const
{
    return d->listValue(KnownKey::OnlyShowIn);
}

std::vector<std::string> NimbDesktopEntry::notShowIn() const
{
    return d->listValue(KnownKey::NotShowIn);
}

std::string NimbDesktopEntry::getUnknownValue(const char *key) const
{
    return key ? getUnknownValue(std::string_view(key)) : std::string();
}

std::string NimbDesktopEntry::getUnknownValue(std::string_view key) const
{
    const auto found = std::find_if(d->m_lines.crbegin(), d->m_lines.crend(), [mainGroup = std::uint32_t(d->m_mainGroup), key](const Line &line) {
        return line.group == mainGroup && line.key == key;
    });
    return found == d->m_lines.crend() ? std::string() : unescapedString(found->value);
}

bool NimbDesktopEntry::hasKey(std::string_view key) const
{
    return std::any_of(d->m_lines.cbegin(), d->m_lines.cend(), [mainGroup = std::uint32_t(d->m_mainGroup), key](const Line &line) {
        return line.group == mainGroup && line.key == key;
    });
}

void NimbDesktopEntry::overrideFrom(const NimbDesktopEntry &other)
{
    if (isLoaded() && &other != this) {
        d->overrideFrom(*other.d);
    }
}

void NimbDesktopEntryPrivate::overrideFrom(const NimbDesktopEntryPrivate &other)
{
    // Each group of other, in its order, becomes or joins a group of this entry.
    GroupLookup lookup;
    std::vector<std::uint32_t> groups;
    groups.reserve(other.m_groups.size());
    for (const std::string_view name : other.m_groups) {
        groups.push_back(groupIndex(name, lookup));
    }

    // The keys other sets, and the keys it sets untranslated, which replace their translations as
    // well. Looked up in hash tables of other's lines: an override of many keys must not take
    // quadratic time.
    IndexTable keys;
    IndexTable plainKeys;
    keys.reserve(other.m_lines.size());
    const auto sameKey = [&](std::uint32_t group, std::string_view key) {
        return [&other, &groups, group, key](std::int32_t place) {
            const Line &replacement = other.m_lines[std::size_t(place)];
            return groups[replacement.group] == group && replacement.key == key;
        };
    };
    for (std::size_t i = 0; i < other.m_lines.size(); ++i) {
        const Line &replacement = other.m_lines[i];
        const std::uint32_t group = groups[replacement.group];
        const std::uint64_t hash = IndexTable::hashOf(replacement.key, group);
        keys.findOrInsert(hash, std::int32_t(i), sameKey(group, replacement.key));
        if (!replacement.isTranslation()) {
            plainKeys.findOrInsert(hash, std::int32_t(i), sameKey(group, replacement.key));
        }
    }
    m_lines.erase(std::remove_if(m_lines.begin(),
                                 m_lines.end(),
                                 [&](const Line &line) {
                                     return keys.find(IndexTable::hashOf(line.key, line.group), sameKey(line.group, line.key)) >= 0
                                         || plainKeys.find(IndexTable::hashOf(line.baseKey(), line.group), sameKey(line.group, line.baseKey())) >= 0;
                                 }),
                  m_lines.end());

    // The replacements follow, group after group in other's order, each in its file order.
    std::vector<std::size_t> order(other.m_lines.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&other](std::size_t a, std::size_t b) {
        return other.m_lines[a].group < other.m_lines[b].group;
    });
    m_lines.reserve(m_lines.size() + order.size());
    for (const std::size_t index : order) {
        const Line &replacement = other.m_lines[index];
        m_lines.push_back(Line{replacement.key, replacement.value, groups[replacement.group], replacement.baseLength});
    }
    m_buffers.insert(m_buffers.end(), other.m_buffers.cbegin(), other.m_buffers.cend());
    reindex();
}

void NimbDesktopEntry::setUnknowns(const std::vector<std::pair<std::string, std::string>> &pairs)
{
    if (isLoaded()) {
        d->setUnknowns(pairs);
    }
}

void NimbDesktopEntryPrivate::setUnknowns(const std::vector<std::pair<std::string, std::string>> &pairs)
{
    const auto mainGroup = std::uint32_t(m_mainGroup);
    for (const auto &[key, value] : pairs) {
        // A value that is not UTF-8 text would make the whole saved file unreadable; one that loses
        // its ends when read back would be saved as another value.
        if (!isValidKey(key) || !Utf8Validator::isValid(value) || !survivesTrimming(value)) {
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
    // A file larger than MaxFileSize even without blank lines would not be read back: it is not written.
    const std::string contents = d->fileText(bool(saveEmptyFields));
    return contents.size() <= MaxFileSize && writeFileAtomically(path, contents);
}

std::string NimbDesktopEntryPrivate::fileText(bool saveEmptyFields) const
{
    std::vector<std::uint32_t> groupOrder{std::uint32_t(m_mainGroup)};
    for (std::uint32_t group = 0; group < m_groups.size(); ++group) {
        if (group != std::uint32_t(m_mainGroup)) {
            groupOrder.push_back(group);
        }
    }
    // The lines of each group in their order, sorted out in one pass: a file of many groups must
    // not cost the number of groups times the number of lines.
    std::vector<std::size_t> groupStart(m_groups.size() + 1, 0);
    for (const Line &line : m_lines) {
        ++groupStart[line.group + 1];
    }
    std::partial_sum(groupStart.begin(), groupStart.end(), groupStart.begin());
    std::vector<std::size_t> byGroup(m_lines.size());
    {
        std::vector<std::size_t> next(groupStart.begin(), groupStart.end() - 1);
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            byGroup[next[m_lines[i].group]++] = i;
        }
    }

    // Of a key met twice only the value that reading gave, the last one, is written.
    const std::vector<bool> written = lastOfEachKey();
    const auto render = [&](bool blankLines) {
        std::size_t size = 0;
        for (const Line &line : m_lines) {
            size += line.key.size() + line.value.size() + 2;
        }
        std::string contents;
        contents.reserve(size + 32 * m_groups.size());
        for (const std::uint32_t group : groupOrder) {
            if (blankLines && !contents.empty()) {
                contents += '\n';
            }
            contents += '[';
            contents += m_groups[group];
            contents += "]\n";
            for (std::size_t position = groupStart[group]; position < groupStart[group + 1]; ++position) {
                const std::size_t i = byGroup[position];
                const Line &line = m_lines[i];
                if (!written[i] || (line.value.empty() && !saveEmptyFields)) {
                    continue;
                }
                contents += line.key;
                contents += '=';
                contents += line.value;
                contents += '\n';
            }
        }
        return contents;
    };
    // What is written must be readable again: the blank lines between groups are left out of a file
    // that would otherwise grow past MaxFileSize.
    std::string contents = render(true);
    if (contents.size() > NimbDesktopEntry::MaxFileSize) {
        contents = render(false);
    }
    return contents;
}

std::vector<bool> NimbDesktopEntryPrivate::lastOfEachKey() const
{
    // Lines looked up by group and key, from the last: saving runs once per generated menu item.
    IndexTable seen;
    seen.reserve(m_lines.size());
    std::vector<bool> last(m_lines.size(), true);
    for (std::size_t i = m_lines.size(); i-- > 0;) {
        const Line &line = m_lines[i];
        const auto place = std::int32_t(i);
        const std::int32_t found = seen.findOrInsert(IndexTable::hashOf(line.key, line.group), place, [&](std::int32_t later) {
            return m_lines[std::size_t(later)].group == line.group && m_lines[std::size_t(later)].key == line.key;
        });
        if (found != place) {
            last[i] = false;
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

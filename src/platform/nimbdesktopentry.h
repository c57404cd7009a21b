/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_NIMBDESKTOPENTRY_H
#define NIMBSTARTMENU_NIMBDESKTOPENTRY_H

#include "nimbpaths.h"
#include "nimbsettings.h"
#include "nimbstartmenu_export.h"
#include "taggedbool.h"

#include <QSharedDataPointer>

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class NimbDesktopEntryPrivate;

/**
 * @class NimbDesktopEntry nimbdesktopentry.h <NimbStartMenu/nimbdesktopentry.h>
 *
 * One desktop entry file, read after the freedesktop Desktop Entry Specification.
 *
 * The file is read once, in full, by the constructor; values are unescaped only when asked for.
 * Strings come and go as UTF-8. Only the "[Desktop Entry]" group answers the accessors; other groups
 * (desktop actions) are kept and written back by saveAs().
 *
 * A file that cannot be used gives an entry for which isLoaded() is false and every accessor answers
 * empty: a missing or unreadable file, one that is not a regular file (a folder, a FIFO, a device, or a
 * link to one), one larger than MaxFileSize, one holding a NUL byte or bytes that are not UTF-8, and
 * one without a "[Desktop Entry]" group.
 *
 * Parsing follows the freedesktop rules where KConfig's KDesktopFile is known to differ: a UTF-8 byte-order
 * mark is skipped, "\;" inside a string value stays as written, "\\;" in a list ends an element, and the
 * translation is chosen by the full freedesktop locale rules (the encoding is dropped, the modifier
 * counts). KConfig's own extensions ("[$e]", "[$i]", "\x" escapes) are not understood. As in KConfig,
 * a key met twice in a group takes its last value, and white space around keys and values is dropped.
 */
class NIMBSTARTMENU_EXPORT NimbDesktopEntry
{
public:
    /// Files larger than this are refused; real entries stay far below (the largest known is 37 KB).
    static constexpr std::size_t MaxFileSize = 1024 * 1024;

    /// The name of this desktop in OnlyShowIn and NotShowIn.
    static constexpr const char *DesktopName = "Nimb";

    /**
     * An empty entry: isLoaded() is false.
     */
    NimbDesktopEntry();

    /**
     * Reads the desktop file at @p path (UTF-8). Opening never blocks, whatever the path names.
     */
    explicit NimbDesktopEntry(const std::string &path);

    /// Copies share the parsed file until one of them changes; each copy outlives the others.
    NimbDesktopEntry(const NimbDesktopEntry &other);
    NimbDesktopEntry &operator=(const NimbDesktopEntry &other);

    /// Takes over the contents of @p other, which is left an empty entry (isLoaded() is false).
    NimbDesktopEntry(NimbDesktopEntry &&other) noexcept;
    NimbDesktopEntry &operator=(NimbDesktopEntry &&other) noexcept;

    ~NimbDesktopEntry();

    /// The path the entry was read from, as given to the constructor.
    const std::string &path() const;

    /**
     * @return whether the file was read and holds a "[Desktop Entry]" group
     */
    bool isLoaded() const;

    /**
     * @param reason if not null, receives why the entry is not valid
     * @return whether Name is not empty and either Type is "Application" with a non-empty Exec,
     *         or Type is "Directory"
     */
    bool isValid(std::string *reason = nullptr) const;

    /**
     * @param reason if not null, receives why the entry is not suitable
     * @return whether Hidden is not true and TryExec, when set, names an executable file, either as
     *         an absolute path or found in one of the folders of the PATH environment variable
     */
    bool isSuitable(std::string *reason = nullptr) const;

    /**
     * @param reason if not null, receives why the entry is not displayable
     * @return whether NoDisplay is not true
     */
    bool isDisplayable(std::string *reason = nullptr) const;

    /**
     * @param reason if not null, receives why the entry is not for this desktop
     * @return whether OnlyShowIn, when present, lists DesktopName, and NotShowIn does not
     */
    bool isForNimb(std::string *reason = nullptr) const;

    std::string type() const;
    std::string name() const;
    std::string localName() const;
    std::string genericName() const;
    std::string localGenericName() const;
    std::string comment() const;
    std::string localComment() const;
    std::string exec() const;
    std::string tryExec() const;
    std::string icon() const;
    std::string localIcon() const;

    /**
     * @return the translated icon, or the untranslated one, or when neither is set a generic icon
     *         name of the freedesktop icon naming specification: "folder" for a Directory entry,
     *         "application-x-executable" for any other
     */
    std::string localIconOrFallback() const;

    /// Whether a boolean key holds "true" (or the older "1").
    bool hidden() const;
    bool noDisplay() const;

    std::vector<std::string> keywords() const;
    std::vector<std::string> localKeywords() const;
    std::vector<std::string> categories() const;
    std::vector<std::string> onlyShowIn() const;
    std::vector<std::string> notShowIn() const;

    /**
     * The value of any key of the "[Desktop Entry]" group, read as a string.
     *
     * @param key the key as written in the file, a locale included ("X-Categories", "Name[de]")
     * @return the unescaped value, or an empty string when the key is absent
     */
    std::string getUnknownValue(const char *key) const;
    std::string getUnknownValue(std::string_view key) const;

    /**
     * @return whether the "[Desktop Entry]" group has @p key, possibly with an empty value
     */
    bool hasKey(std::string_view key) const;

    /**
     * Patches the entry from @p other, group by group: a key that @p other has replaces the entry's
     * value. A key that @p other has untranslated replaces the entry's translations of it as well,
     * since they translate the value being replaced; a translation alone replaces just itself. An
     * empty value in @p other removes the key from what saveAs() writes.
     */
    void overrideFrom(const NimbDesktopEntry &other);

    /**
     * Sets keys of the "[Desktop Entry]" group, replacing their values if present; saveAs() writes
     * them. Values are plain text, escaped when written. Pairs whose key is not a valid desktop-entry
     * key (letters, digits and '-') are ignored, and so are pairs whose value is not UTF-8 text (a NUL
     * byte or bytes that are not UTF-8), which would make the saved file unreadable, or whose value
     * begins or ends with a vertical tab or a form feed, which reading trims and the format cannot
     * escape. Does nothing on an entry that is not loaded.
     */
    void setUnknowns(const std::vector<std::pair<std::string, std::string>> &pairs);

    /**
     * Writes the entry as a desktop file: every key of every group with all its translations, in the
     * order read, "[Desktop Entry]" first. Comments are not kept.
     *
     * The file is written to a temporary file beside @p path and renamed over it, so a reader, or
     * the next run after a crash of the process, never meets a half-written file; an existing file
     * keeps its permissions. The data is not flushed to the disk first (the menu writes hundreds of
     * files at once), so after a power loss a file may be missing or empty. Missing folders
     * are not created.
     *
     * What is written can always be read back: the blank lines between groups are left out of a
     * file that would otherwise be larger than MaxFileSize, and a file larger than that even so is
     * not written.
     *
     * @param saveEmptyFields whether keys with an empty value are written too
     * @return whether the file was written; false for an entry that is not loaded or too large
     */
    bool saveAs(const std::string &path, SaveEmptyFields saveEmptyFields) const;

    /**
     * Sets the locale by which the local accessors pick translations, in the form
     * lang_COUNTRY.ENCODING@MODIFIER. By default it is taken from the environment as POSIX does for
     * messages: the first non-empty of LC_ALL, LC_MESSAGES and LANG. An empty @p locale goes back to
     * that default. Applies to entries read afterwards.
     */
    static void setLocale(const std::string &locale);

    /// The locale set with setLocale(), or the one taken from the environment.
    static std::string locale();

private:
    QSharedDataPointer<NimbDesktopEntryPrivate> d;
};

#endif

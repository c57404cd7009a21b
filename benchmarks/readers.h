/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef STARTMENUBENCH_READERS_H
#define STARTMENUBENCH_READERS_H

#include <cstddef>
#include <string>

/// What one reader made of the files it was given.
struct ReadTally {
    int files = 0;
    int loaded = 0; ///< files with a "[Desktop Entry]" group
    int accepted = 0; ///< files that pass the five acceptance checks
    std::size_t bytes = 0; ///< bytes read, or of the values read: keeps the work from being optimised away
};

/**
 * The readers compared by the benchmark. Each loads one desktop file, applies the acceptance checks
 * of the start menu (a name, an application with a command, not hidden, TryExec installed, not
 * NoDisplay, OnlyShowIn and NotShowIn for this desktop) in that order, and for an accepted file reads
 * every value the library reads: name, generic name and comment with their translations, command,
 * icon, keywords with their translations, categories, and the origin and YaST group keys.
 */
namespace Readers
{
/// open(), read() to the end and close(): the floor of any reader.
void raw(const std::string &path, ReadTally &tally);
void nimbDesktopEntry(const std::string &path, ReadTally &tally);
void kDesktopFile(const std::string &path, ReadTally &tally);
#ifdef STARTMENUBENCH_HAVE_GLIB
void gKeyFile(const std::string &path, ReadTally &tally);
#endif
/// The name this desktop gives itself in OnlyShowIn and NotShowIn.
constexpr const char *desktopName = "Nimb";
}

#endif

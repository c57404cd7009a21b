/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef STARTMENUBENCH_BENCHCORPUS_H
#define STARTMENUBENCH_BENCHCORPUS_H

#include <QString>

/**
 * What a generated corpus holds, counted while it is written: the numbers every job of the
 * benchmark must find again.
 */
struct CorpusCounts {
    int files = 0; ///< desktop files written
    int loaded = 0; ///< files with a "[Desktop Entry]" group
    int accepted = 0; ///< files that pass the five acceptance checks
    int menuItems = 0; ///< accepted applications that the menu writes into its tree
    int classicSettings = 0; ///< accepted entries that the index files as classic settings items
    int markerMatches = 0; ///< applications whose name carries markerWord()
};

/**
 * Writes @p count desktop files into @p folder, laid out like /usr/share/applications: names,
 * generic names, comments and keywords translated into a dozen languages (Latin, Cyrillic, Han and
 * Katakana scripts), categories, command lines, desktop actions and MIME types, and the mix of
 * hidden, NoDisplay, OnlyShowIn, TryExec and settings entries of a real system. The same count
 * and seed always give the same files.
 */
CorpusCounts generateCorpus(const QString &folder, int count, unsigned seed = 1);

/// A made-up word in the names of some plain applications, so that a query's matches are known.
const char *markerWord();

#endif

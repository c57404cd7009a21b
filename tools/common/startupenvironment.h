/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_TOOLS_STARTUPENVIRONMENT_H
#define NIMBSTARTMENU_TOOLS_STARTUPENVIRONMENT_H

#include <initializer_list>

// The environment the tools set up before Qt starts.
namespace StartupEnvironment
{
/**
 * Applies the option --home DIR (or --home=DIR) of the command line: HOME becomes DIR and the XDG
 * data, configuration and cache folders follow it. It must run before anything computes a path below
 * the home directory, so before Qt starts. The last one counts, wherever it stands before "--"; the
 * values of the options in @p valueOptions (spelt "--name") are skipped, so that a value that reads
 * "--home" is not taken for the option. An empty DIR is left for the command-line parser to refuse.
 */
void applyHomeOption(int argc, char **argv, std::initializer_list<const char *> valueOptions);

/// Outside a desktop session there may be no runtime folder; Qt would warn on every start and then
/// use the same folder as this: QDir::tempPath() + "/runtime-" + the user id, made private.
void ensureRuntimeDir();
}

#endif

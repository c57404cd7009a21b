/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "glibpeers.h"
#include "readers.h"

#include <gio/gdesktopappinfo.h>
#include <glib.h>

#include <chrono>
#include <cstring>

namespace
{
constexpr const char *mainGroup = "Desktop Entry";

bool listsDesktop(GKeyFile *file, const char *key)
{
    gchar **desktops = g_key_file_get_string_list(file, mainGroup, key, nullptr, nullptr);
    bool found = false;
    for (gchar **desktop = desktops; desktop && *desktop; ++desktop) {
        found = found || g_strcmp0(*desktop, Readers::desktopName) == 0;
    }
    g_strfreev(desktops);
    return found;
}

// Frees what GLib hands out and returns its length, so that every value is really read.
std::size_t taken(gchar *text)
{
    const std::size_t length = text ? std::strlen(text) : 0;
    g_free(text);
    return length;
}

std::size_t taken(gchar **list)
{
    const std::size_t length = list ? g_strv_length(list) : 0;
    g_strfreev(list);
    return length;
}
}

namespace Readers
{
void gKeyFile(const std::string &path, ReadTally &tally)
{
    ++tally.files;
    GKeyFile *file = g_key_file_new();
    if (!g_key_file_load_from_file(file, path.c_str(), G_KEY_FILE_NONE, nullptr) || !g_key_file_has_group(file, mainGroup)) {
        g_key_file_free(file);
        return;
    }
    ++tally.loaded;
    const auto accepted = [file] {
        gchar *name = g_key_file_get_string(file, mainGroup, "Name", nullptr);
        gchar *type = g_key_file_get_string(file, mainGroup, "Type", nullptr);
        gchar *exec = g_key_file_get_string(file, mainGroup, "Exec", nullptr);
        const bool valid = name && *name && (g_strcmp0(type, "Directory") == 0 || (g_strcmp0(type, "Application") == 0 && exec && *exec));
        g_free(name);
        g_free(type);
        g_free(exec);
        if (!valid || g_key_file_get_boolean(file, mainGroup, "Hidden", nullptr)) {
            return false;
        }
        gchar *tryExec = g_key_file_get_string(file, mainGroup, "TryExec", nullptr);
        gchar *program = tryExec && *tryExec ? g_find_program_in_path(tryExec) : nullptr;
        const bool installed = !(tryExec && *tryExec) || program;
        g_free(program);
        g_free(tryExec);
        if (!installed || g_key_file_get_boolean(file, mainGroup, "NoDisplay", nullptr)) {
            return false;
        }
        if (g_key_file_has_key(file, mainGroup, "OnlyShowIn", nullptr) && !listsDesktop(file, "OnlyShowIn")) {
            return false;
        }
        return !listsDesktop(file, "NotShowIn");
    };
    if (accepted()) {
        ++tally.accepted;
        for (const char *key : {"Name", "GenericName", "Comment"}) {
            tally.bytes += taken(g_key_file_get_string(file, mainGroup, key, nullptr));
            tally.bytes += taken(g_key_file_get_locale_string(file, mainGroup, key, nullptr, nullptr));
        }
        tally.bytes += taken(g_key_file_get_string(file, mainGroup, "Exec", nullptr));
        tally.bytes += taken(g_key_file_get_locale_string(file, mainGroup, "Icon", nullptr, nullptr));
        tally.bytes += taken(g_key_file_get_string_list(file, mainGroup, "Keywords", nullptr, nullptr));
        tally.bytes += taken(g_key_file_get_locale_string_list(file, mainGroup, "Keywords", nullptr, nullptr, nullptr));
        tally.bytes += taken(g_key_file_get_string_list(file, mainGroup, "Categories", nullptr, nullptr));
        tally.bytes += taken(g_key_file_get_string(file, mainGroup, "X-Nimb-OriginFile", nullptr));
        tally.bytes += taken(g_key_file_get_string(file, mainGroup, "X-SuSE-YaST-Group", nullptr));
    }
    g_key_file_free(file);
}
}

int gioSearch(const std::string &query, double &elapsedMs)
{
    const auto start = std::chrono::steady_clock::now();
    gchar ***groups = g_desktop_app_info_search(query.c_str());
    elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    int count = 0;
    for (gchar ***group = groups; group && *group; ++group) {
        count += int(g_strv_length(*group));
        g_strfreev(*group);
    }
    g_free(groups);
    return count;
}

/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "benchcorpus.h"

#include <QDir>
#include <QFile>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace
{
// What a kind of application calls itself, where it files itself and what it opens.
struct AppKind {
    const char *genericName;
    const char *categories;
    const char *keywords;
    const char *comment;
    const char *mimeTypes;
};

const AppKind appKinds[] = {
    {"Text Editor", "Utility;TextEditor;", "text;editor;plain;code;notes;", "Edit plain text files and source code", "text/plain;text/x-csrc;text/x-python;"},
    {"Web Browser",
     "Network;WebBrowser;",
     "web;browser;internet;html;www;",
     "Browse the World Wide Web",
     "text/html;x-scheme-handler/http;x-scheme-handler/https;"},
    {"Media Player", "AudioVideo;Player;Video;", "video;movie;player;media;dvd;", "Play movies and songs", "video/mp4;video/x-matroska;audio/mpeg;"},
    {"Music Player",
     "AudioVideo;Audio;Player;",
     "music;audio;songs;playlist;radio;",
     "Listen to and organize your music collection",
     "audio/mpeg;audio/ogg;audio/flac;"},
    {"Image Viewer", "Graphics;Viewer;2DGraphics;", "image;picture;photo;viewer;slideshow;", "Browse and view images", "image/png;image/jpeg;image/gif;"},
    {"Photo Manager", "Graphics;Photography;", "photo;camera;album;import;", "Organize and edit your photos", "image/jpeg;image/x-canon-cr2;"},
    {"File Manager", "System;FileManager;Utility;Core;", "files;folders;browser;manager;", "Access and organize files", "inode/directory;"},
    {"Terminal Emulator", "System;TerminalEmulator;", "shell;prompt;command;commandline;cmd;", "Use the command line", ""},
    {"Calculator", "Utility;Calculator;", "calculation;arithmetic;scientific;financial;", "Perform arithmetic, scientific or financial calculations", ""},
    {"Video Editor", "AudioVideo;Video;AudioVideoEditing;", "video;editing;montage;cut;timeline;", "Create and edit home movies", "video/mp4;video/webm;"},
    {"PDF Viewer", "Office;Viewer;", "pdf;document;viewer;ps;djvu;", "View multipage documents", "application/pdf;application/postscript;"},
    {"Email Client", "Office;Network;Email;", "mail;email;e-mail;inbox;contacts;", "Send and receive mail", "x-scheme-handler/mailto;message/rfc822;"},
    {"Chess Game", "Game;BoardGame;", "chess;game;strategy;board;", "Play the classic two-player board game of chess", "application/x-chess-pgn;"},
    {"Card Game", "Game;CardGame;", "solitaire;cards;patience;game;", "Play many different solitaire games", ""},
    {"System Monitor", "System;Monitor;", "process;cpu;memory;network;usage;", "View current processes and monitor system state", ""},
    {"Disk Usage Analyzer", "System;Filesystem;", "storage;space;cleanup;disk;", "Check folder sizes and available disk space", ""},
    {"Screenshot Tool", "Utility;Graphics;", "snapshot;capture;print;screenshot;", "Save images of your screen or individual windows", ""},
    {"Archive Manager",
     "Utility;Archiving;Compression;",
     "zip;tar;extract;unpack;compress;",
     "Create and modify an archive",
     "application/zip;application/x-tar;"},
    {"Font Viewer", "Graphics;Utility;", "fonts;fontface;typeface;", "View fonts on your system", "font/ttf;font/otf;"},
    {"Word Processor",
     "Office;WordProcessor;",
     "text;letter;fax;document;writer;",
     "Create and edit text and graphics in letters, reports and documents",
     "application/vnd.oasis.opendocument.text;"},
    {"Spreadsheet",
     "Office;Spreadsheet;",
     "accounting;stats;chart;calc;spreadsheet;",
     "Perform calculations, analyze information and manage lists",
     "application/vnd.oasis.opendocument.spreadsheet;"},
    {"Presentation",
     "Office;Presentation;",
     "slideshow;slides;presentation;",
     "Create and edit presentations for slideshows, meetings and web pages",
     "application/vnd.oasis.opendocument.presentation;"},
    {"Drawing Program", "Graphics;VectorGraphics;", "draw;vector;illustration;svg;", "Create and edit scalable vector graphics", "image/svg+xml;"},
    {"Paint Program", "Graphics;RasterGraphics;", "paint;brush;canvas;image;", "Paint pictures and edit images", "image/png;image/bmp;"},
    {"Map Viewer", "Utility;Maps;", "maps;location;route;gps;", "Find places around the world", "x-scheme-handler/geo;"},
    {"Clock", "Utility;Clock;", "time;timer;alarm;world;stopwatch;", "Clocks for world times, plus alarms, stopwatch and a timer", ""},
    {"Sound Recorder", "AudioVideo;Audio;Recorder;", "recorder;microphone;voice;", "Record sound from a microphone", ""},
    {"Package Manager",
     "System;PackageManager;Settings;",
     "software;packages;install;update;repository;",
     "Install and remove software packages",
     "application/vnd.debian.binary-package;"},
    {"Network Settings", "Settings;Network;", "network;wifi;ethernet;proxy;vpn;", "Configure network connections", ""},
    {"Python IDE", "Development;IDE;", "python;programming;debugger;code;", "Write and debug Python programs", "text/x-python;"},
    {"Scanner Utility", "Graphics;Scanning;", "scan;scanner;document;ocr;", "Scan documents and pictures", ""},
    {"Printer Settings", "Settings;Printing;HardwareSettings;", "print;printer;queue;cups;", "Configure printers and print jobs", ""},
    {"Chat Client", "Network;InstantMessaging;Chat;", "chat;messaging;irc;im;", "Chat with friends and colleagues", "x-scheme-handler/irc;"},
    {"Remote Desktop Viewer", "Network;RemoteAccess;", "vnc;rdp;remote;desktop;", "Access remote desktops", "x-scheme-handler/vnc;"},
    {"Backup Tool", "Utility;Archiving;", "backup;restore;snapshot;", "Back up your files and restore them", ""},
    {"Weather", "Utility;", "forecast;weather;temperature;", "Monitor the current weather conditions and forecasts", ""},
    {"Dictionary", "Office;Dictionary;", "definition;words;translate;", "Check word definitions and spellings in an online dictionary", ""},
    {"Password Manager", "Utility;Security;", "password;keyring;secrets;", "Store passwords and encryption keys", ""},
    {"3D Modeller", "Graphics;3DGraphics;", "3d;modelling;render;animation;", "Model, render and animate 3D scenes", "model/gltf+json;"},
    {"Puzzle Game", "Game;LogicGame;", "puzzle;logic;sudoku;mines;", "Train your mind with logic puzzles", ""},
    {"Astronomy Program", "Education;Science;Astronomy;", "stars;planets;sky;telescope;", "Explore the night sky", ""},
    {"Typing Tutor", "Education;", "typing;keyboard;learn;", "Learn to type quickly", ""},
};

enum class Script { Latin, Cyrillic, Han, Katakana };

struct Language {
    const char *code;
    Script script;
    std::array<const char *, 6> letters; // letters of the language beyond plain ASCII
};

// The dozen languages most often found in real desktop files, in their own scripts.
const Language languages[] = {
    {"de", Script::Latin, {"ä", "ö", "ü", "ß", "e", "n"}},
    {"fr", Script::Latin, {"é", "è", "à", "ç", "ê", "e"}},
    {"es", Script::Latin, {"ñ", "á", "é", "í", "ó", "ú"}},
    {"it", Script::Latin, {"à", "è", "ì", "ò", "ù", "i"}},
    {"pt_BR", Script::Latin, {"ã", "õ", "ç", "á", "é", "ê"}},
    {"nl", Script::Latin, {"ij", "oe", "aa", "ee", "e", "en"}},
    {"pl", Script::Latin, {"ą", "ę", "ł", "ś", "ż", "ó"}},
    {"cs", Script::Latin, {"č", "ř", "š", "ž", "ý", "ě"}},
    {"tr", Script::Latin, {"ı", "ğ", "ş", "ç", "ö", "ü"}},
    {"ru", Script::Cyrillic, {}},
    {"zh_CN", Script::Han, {}},
    {"ja", Script::Katakana, {}},
};

const char *const latinConsonants[] = {"b", "d", "f", "g", "k", "l", "m", "n", "p", "r", "s", "t", "v", "z", "ch", "st"};
const char *const latinVowels[] = {"a", "e", "i", "o", "u", "ie", "au", "ei"};
const char *const cyrillicConsonants[] = {"б", "в", "г", "д", "ж", "з", "к", "л", "м", "н", "п", "р", "с", "т", "ф", "ш"};
const char *const cyrillicVowels[] = {"а", "е", "и", "о", "у", "ы", "я", "ю"};
const char *const brandSyllables[] = {"kor", "va", "lu", "men", "tri", "sa", "qui", "ro", "zen", "ta",
                                      "bel", "mo", "fi", "nar", "el",  "do", "pix", "ga", "ren", "so"};
const char *const vendors[] = {"org.kde", "org.gnome", "io.github", "net.sourceforge", "com.example", "org.freedesktop"};

std::uint64_t fnv1a(const std::string &text, std::uint64_t hash = 14695981039346656037ULL)
{
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return hash;
}

// A small generator of its own: std::uniform_int_distribution differs between standard libraries.
class Random
{
public:
    explicit Random(std::uint64_t seed)
        : m_state(seed * 0x9E3779B97F4A7C15ULL + 1)
    {
    }
    std::uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return std::uint32_t(m_state >> 11);
    }
    int below(int bound)
    {
        return int(next() % std::uint32_t(bound));
    }
    bool percent(int chance)
    {
        return below(100) < chance;
    }

private:
    std::uint64_t m_state;
};

void appendCodePoint(std::string &text, char32_t c)
{
    if (c < 0x800) {
        text += char(0xC0 | (c >> 6));
        text += char(0x80 | (c & 0x3F));
    } else {
        text += char(0xE0 | (c >> 12));
        text += char(0x80 | ((c >> 6) & 0x3F));
        text += char(0x80 | (c & 0x3F));
    }
}

// The same English word always gets the same made-up translation, so translated words repeat
// across files as real ones do.
std::string translatedWord(const Language &language, const std::string &word)
{
    std::uint64_t hash = fnv1a(word, fnv1a(language.code));
    const auto take = [&hash](std::size_t bound) {
        const auto value = std::size_t(hash % bound);
        hash = hash / bound + (hash % 7919) * 1000003ULL;
        return value;
    };
    std::string text;
    switch (language.script) {
    case Script::Han:
        for (std::size_t i = 0, n = 1 + take(3); i < n; ++i) {
            appendCodePoint(text, char32_t(0x4E00 + take(0x51A5)));
        }
        return text;
    case Script::Katakana:
        for (std::size_t i = 0, n = 2 + take(4); i < n; ++i) {
            appendCodePoint(text, char32_t(0x30A2 + take(0x51)));
        }
        return text;
    case Script::Cyrillic:
        for (std::size_t i = 0, n = 1 + (word.size() + take(3)) / 3; i < n; ++i) {
            text += cyrillicConsonants[take(std::size(cyrillicConsonants))];
            text += cyrillicVowels[take(std::size(cyrillicVowels))];
        }
        return text;
    case Script::Latin:
        for (std::size_t i = 0, n = 1 + (word.size() + take(3)) / 3; i < n; ++i) {
            text += latinConsonants[take(std::size(latinConsonants))];
            text += take(3) == 0 ? language.letters[take(language.letters.size())] : latinVowels[take(std::size(latinVowels))];
        }
        if (!word.empty() && word[0] >= 'A' && word[0] <= 'Z') {
            text[0] = char(text[0] - 'a' + 'A');
        }
        return text;
    }
    return text;
}

// Words are translated one by one; the brand and the marker stay as they are, as names do.
std::string translated(const Language &language, const std::string &text, const std::string &keep)
{
    const bool spaced = language.script == Script::Latin || language.script == Script::Cyrillic;
    std::string result;
    std::string word;
    const auto flush = [&] {
        if (!word.empty()) {
            result += word == keep ? word : translatedWord(language, word);
            word.clear();
        }
    };
    for (const char c : text) {
        if (c == ' ' || c == ',' || c == ';' || c == '-') {
            flush();
            if (c != ' ' || spaced) {
                result += c;
            }
        } else {
            word += c;
        }
    }
    flush();
    return result;
}

std::string brandName(Random &random)
{
    std::string brand;
    for (int i = 0, n = 2 + random.below(2); i < n; ++i) {
        brand += brandSyllables[random.below(int(std::size(brandSyllables)))];
    }
    brand[0] = char(brand[0] - 'a' + 'A');
    return brand;
}

std::string lowerCase(std::string text)
{
    for (char &c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
        }
    }
    return text;
}

// What keeps an entry out of the menu or the index, in proportions close to a Debian system's.
enum class Kind {
    Plain,
    Broken, // keys before any group: no "[Desktop Entry]"
    Link, // Type=Link: not an application
    SettingsCommand, // a kcmshell or systemsettings launcher
    YastGroup, // a classic settings item
    NoDisplay,
    OnlyOtherDesktop,
    OnlyShowInNimb,
    NotShowInNimb,
    Hidden,
    MissingTryExec,
    PresentTryExec,
};

Kind pickKind(Random &random)
{
    const int roll = random.below(1000);
    const std::pair<int, Kind> table[] = {
        {10, Kind::Broken},
        {20, Kind::Link},
        {40, Kind::SettingsCommand},
        {60, Kind::YastGroup},
        {240, Kind::NoDisplay},
        {310, Kind::OnlyOtherDesktop},
        {330, Kind::OnlyShowInNimb},
        {340, Kind::NotShowInNimb},
        {345, Kind::Hidden},
        {375, Kind::MissingTryExec},
        {445, Kind::PresentTryExec},
    };
    for (const auto &[limit, kind] : table) {
        if (roll < limit) {
            return kind;
        }
    }
    return Kind::Plain;
}

void addTranslations(std::string &text, const char *key, const std::string &value, const std::vector<const Language *> &translations, const std::string &keep)
{
    for (const Language *language : translations) {
        text += key;
        text += '[';
        text += language->code;
        text += "]=";
        text += translated(*language, value, keep);
        text += '\n';
    }
}
}

const char *markerWord()
{
    return "Zephyrquill";
}

CorpusCounts generateCorpus(const QString &folder, int count, unsigned seed)
{
    CorpusCounts counts;
    QDir().mkpath(folder + QStringLiteral("/kde4"));
    Random random(seed);
    int plainApplications = 0;

    for (int index = 0; index < count; ++index) {
        const Kind kind = pickKind(random);
        const AppKind &app = appKinds[random.below(int(std::size(appKinds)))];
        const std::string brand = brandName(random);
        const std::string program = lowerCase(brand);
        const std::string serial = std::to_string(index);

        // As on a real system: most files are small and untranslated, a third carry a dozen
        // translations, and a tail of large applications translate everything and bring actions.
        const int profile = random.below(100);
        const bool heavy = profile >= 88;
        std::vector<const Language *> translations;
        if (profile >= 55) {
            for (const Language &language : languages) {
                if (profile >= 70 || random.percent(60)) {
                    translations.push_back(&language);
                }
            }
        }

        // Plain applications without desktop conditions carry the marker now and then, so that
        // every reader of the corpus, GIO included, must find exactly them.
        const bool marked = kind == Kind::Plain && plainApplications++ % 10 == 3;
        std::string name;
        const int nameForm = random.below(100);
        if (marked) {
            name = std::string(markerWord()) + ' ' + app.genericName;
        } else if (nameForm < 40) {
            name = brand;
        } else if (nameForm < 75) {
            name = brand + ' ' + app.genericName;
        } else {
            name = app.genericName;
        }
        const std::string keep = marked ? std::string(markerWord()) : brand;

        std::string text;
        if (random.percent(8)) {
            text += "#!/usr/bin/env xdg-open\n";
        }
        if (kind != Kind::Broken) {
            text += "[Desktop Entry]\n";
        }
        if (random.percent(40)) {
            text += "Version=1.0\n";
        }
        text += kind == Kind::Link ? "Type=Link\n" : "Type=Application\n";
        text += "Name=" + name + '\n';
        addTranslations(text, "Name", name, translations, keep);
        if (heavy || random.percent(45)) {
            text += std::string("GenericName=") + app.genericName + '\n';
            addTranslations(text, "GenericName", app.genericName, translations, keep);
        }
        if (heavy || random.percent(85)) {
            text += std::string("Comment=") + app.comment + '\n';
            addTranslations(text, "Comment", app.comment, translations, keep);
        }
        if (heavy || random.percent(55)) {
            // Large applications list more keywords, and every language its own.
            const std::string keywords = heavy ? std::string(app.keywords) + appKinds[random.below(int(std::size(appKinds)))].keywords : app.keywords;
            text += "Keywords=" + keywords + '\n';
            addTranslations(text, "Keywords", keywords, translations, keep);
        }
        if (heavy) {
            const std::string fullName = name + " " + app.genericName;
            text += "X-GNOME-FullName=" + fullName + '\n';
            addTranslations(text, "X-GNOME-FullName", fullName, translations, keep);
        }

        std::string exec;
        switch (kind) {
        case Kind::SettingsCommand:
            exec = random.percent(50) ? "kcmshell5 kcm_" + program : "systemsettings5 " + program;
            break;
        case Kind::Link:
            break;
        default:
            switch (random.below(4)) {
            case 0:
                exec = program + " %U";
                break;
            case 1:
                exec = "/usr/bin/" + program + " --new-window %F";
                break;
            case 2:
                exec = "flatpak run --branch=stable --arch=x86_64 --command=" + program + ' ' + vendors[random.below(int(std::size(vendors)))] + '.' + brand
                    + " @@u %u @@";
                break;
            default:
                exec = "env GDK_BACKEND=x11 " + program + " %u";
                break;
            }
        }
        if (kind == Kind::Link) {
            text += "URL=https://example.org/" + program + '\n';
        } else {
            text += "Exec=" + exec + '\n';
        }
        if (kind == Kind::MissingTryExec) {
            text += "TryExec=" + program + "-not-installed\n";
        } else if (kind == Kind::PresentTryExec) {
            text += "TryExec=sh\n";
        }
        if (random.percent(93)) {
            text += "Icon=" + (random.percent(50) ? program : std::string(vendors[random.below(int(std::size(vendors)))]) + '.' + brand) + '\n';
        }
        if (random.percent(70)) {
            text += "Terminal=false\n";
        }
        if (random.percent(35)) {
            text += "StartupNotify=true\n";
        }
        if (random.percent(92)) {
            text += "Categories=";
            text += random.percent(30) ? (random.percent(50) ? "GTK;" : "Qt;KDE;") : "";
            text += app.categories;
            text += '\n';
        }
        if (*app.mimeTypes && (heavy || random.percent(25))) {
            text += std::string("MimeType=") + app.mimeTypes;
            // Media players and editors list dozens of types.
            for (int extra = 0, n = random.below(heavy ? 80 : 30); extra < n; ++extra) {
                text += "application/x-" + program + '-' + std::to_string(extra) + ';';
            }
            text += '\n';
        }
        switch (kind) {
        case Kind::YastGroup:
            text += "X-SuSE-YaST-Group=System\n";
            break;
        case Kind::NoDisplay:
            text += "NoDisplay=true\n";
            break;
        case Kind::OnlyOtherDesktop:
            text += "OnlyShowIn=GNOME;\n";
            break;
        case Kind::OnlyShowInNimb:
            text += "OnlyShowIn=KDE;Nimb;\n";
            break;
        case Kind::NotShowInNimb:
            text += "NotShowIn=Nimb;\n";
            break;
        case Kind::Hidden:
            text += "Hidden=true\n";
            break;
        default:
            break;
        }
        if (random.percent(7)) {
            text += "X-GNOME-UsesNotifications=true\nX-GNOME-Bugzilla-Product=" + program + "\nStartupWMClass=" + brand + '\n';
        }
        if (kind != Kind::Link && (heavy || random.percent(6))) {
            const std::pair<const char *, const char *> actions[] = {
                {"new-window", "New Window"},
                {"new-private-window", "New Private Window"},
                {"preferences", "Preferences"},
                {"quit", "Quit"},
            };
            const int count = heavy ? 4 : 2;
            text += "Actions=";
            for (int i = 0; i < count; ++i) {
                text += std::string(actions[i].first) + ';';
            }
            text += '\n';
            for (int i = 0; i < count; ++i) {
                text += std::string("\n[Desktop Action ") + actions[i].first + "]\nName=" + actions[i].second + '\n';
                addTranslations(text, "Name", actions[i].second, translations, keep);
                text += "Exec=" + program + " --" + actions[i].first + '\n';
            }
        }

        const bool loaded = kind != Kind::Broken;
        const bool accepted = loaded
            && (kind == Kind::Plain || kind == Kind::SettingsCommand || kind == Kind::YastGroup || kind == Kind::OnlyShowInNimb
                || kind == Kind::PresentTryExec);
        counts.files += 1;
        counts.loaded += loaded;
        counts.accepted += accepted;
        counts.menuItems += accepted && kind != Kind::SettingsCommand && kind != Kind::YastGroup;
        counts.classicSettings += accepted && kind == Kind::YastGroup;
        counts.markerMatches += marked;

        const std::string baseName =
            random.percent(40) ? std::string(vendors[random.below(int(std::size(vendors)))]) + '.' + brand + serial : program + '-' + serial;
        // A few packages still install below a folder of their own.
        const QString subfolder = random.percent(2) ? QStringLiteral("/kde4/") : QStringLiteral("/");
        QFile file(folder + subfolder + QString::fromStdString(baseName) + QStringLiteral(".desktop"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
            return {};
        }
    }
    return counts;
}

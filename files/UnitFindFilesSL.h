#pragma once

#include <QString>
#include <QStringList>
#include <functional>

inline const QString LogErrFileName = QStringLiteral("logerr.txt");

// Appends text and CR LF, as UTF-8, to "logerr.txt" in the current directory, holding the
// file's lock for that one line. When the current directory cannot take it, the line goes to
// "logerr.txt" in the user's cache folder ($XDG_CACHE_HOME/vemo/); a line that cannot be
// written there either is lost without a word (the log is where failures are told).
void LogErr(const QString& text);

// The whole text of a file, up to its first NUL byte, with every line (the last one
// included) ended by CR LF; UTF-8 or Windows-1251 as the bytes tell. A file that cannot be
// read (missing, not a regular file, or locked by a writer) is tried again after waitMs, and
// each failed attempt logs "StrLoadFromFile- " + fileName. After `attempts` failed attempts,
// or at once for a file too large to hold, throws VemoError naming the file.
QString StrLoadFromFile(const QString& fileName, int attempts = 20, int waitMs = 1500);

// The regular files of folder matching mask whose names are not valid UTF-8 (such as a
// Windows-1251 name copied from an old disk): the program cannot open them by name, so
// FindFilesSL leaves them out. Each is given as its name read in the Cyrillic code page that
// fits it best, for telling the user.
QStringList FindUndecodableNames(const QString& folder, const QString& mask);

// Appends to list, sorted in natural order, folder + name for every regular file in folder
// (symbolic links to regular files included) whose name matches mask, ignoring case. Hidden
// files (names starting with "."), folders, sockets, FIFOs and devices are passed over; an
// unreadable or missing folder adds nothing. An empty folder means the current directory.
void FindFilesSL(const QString& folder, const QString& mask, QStringList& list);

constexpr int DeleteFlagFileAttempts = 21;

// Deletes the file: true when it existed and is gone. Each failed attempt is followed by a
// wait of waitMs and the alert beep; after DeleteFlagFileAttempts failures gives false.
bool DeleteFlagFile(const QString& fileName, int waitMs = 200);

// The sound of a failed deletion. The default rings the terminal bell on stderr; a GUI
// installs its own. Returns the hook that was in place.
std::function<void()> SetAlertBeep(std::function<void()> beep);

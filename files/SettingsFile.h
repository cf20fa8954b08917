#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The settings files "ops.txt" and "opsDir.txt": one "key=value" line per setting.
class SettingsFile
{
public:
    static SettingsFile FromText(const QString& text);
    // Reads the file; throws VemoError naming it when it exists but cannot be read.
    static SettingsFile Load(const QString& path);

    // The value of the first line whose text before its first "=" equals key, ignoring
    // letter case; nullopt when no line has the key.
    std::optional<QString> Value(const QString& key) const;

    // Writes the lines, each ended by CR LF, in UTF-8, through a temporary file renamed over
    // the old one, so a failed write leaves the earlier settings whole. Throws VemoError.
    static void Save(const QString& path, const QStringList& lines);

private:
    QStringList m_lines;
};

// A settings value as an integer; throws VemoError "'value' is not a valid integer value".
int SettingsInteger(const QString& value);

// Where the settings file of this name lives: the program's folder, or $XDG_CONFIG_HOME/vemo
// (default ~/.config/vemo) when the program's folder is not writable. The environment
// variable VEMO_SETTINGS_DIR, when set, names the folder instead (tests, portable set-ups).
QString SettingsFilePath(const QString& name);

#pragma once

#include <QString>
#include <QStringList>

class SettingsFile;

// What "ops.txt" holds for the main window, and how its keys reach the window.
class OpsFile
{
public:
    static inline const QString FileName = QStringLiteral("ops.txt");

    enum class Group
    {
        Control,
        Log
    };

    // The window side of the settings; each call may throw VemoError (an index that
    // selects no voice).
    class Target
    {
    public:
        virtual ~Target() = default;
        virtual void SetVoiceIndex(const QString& lang, int index) = 0;
        // Selects the voice of that id when it is installed; false when it is not.
        virtual bool SetVoiceId(const QString& lang, const QString& id) = 0;
        virtual void SetGroupVisible(Group group, bool visible) = 0;
    };

    struct Values
    {
        int VoiceRuIndex = -1;
        int VoiceEngIndex = -1;
        bool LogVisible = true;
        bool ControlVisible = true;
        QString VoiceRuId; // the chosen voices' ids, empty for none
        QString VoiceEngId;
    };

    // The six lines, in the order they are written: the four of the window's first version,
    // then the two voice ids (an older file without them still reads).
    static QStringList Lines(const Values& values);

    // Applies the keys in the order Russian voice, English voice, control group, log group.
    // A voice's id wins over its index while that voice is installed; otherwise the index
    // applies, as in a file without ids. An absent key or an empty value is passed over. The first bad value
    // (not an integer) or failing target call throws VemoError naming fileName, and the later keys are not
    // applied.
    static void Apply(const SettingsFile& file, const QString& fileName, Target& target);
};

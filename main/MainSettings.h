#pragma once

#include "main/OpsFile.h"

class TFormMain;

// The main window's settings file "ops.txt": the two voice choices and whether the control
// and log groups are shown.
class MainSettings : public OpsFile::Target
{
public:
    explicit MainSettings(TFormMain& form);

    static QString Path();

    // Applies "ops.txt" when it exists; throws VemoError naming the file at the first
    // setting that cannot be read or applied.
    void Load();
    // Writes the four settings, replacing the file; throws VemoError.
    void Save() const;
    OpsFile::Values Current() const;

    void SetVoiceIndex(const QString& lang, int index) override;
    bool SetVoiceId(const QString& lang, const QString& id) override;
    void SetGroupVisible(OpsFile::Group group, bool visible) override;

private:
    TFormMain& m_form;
};

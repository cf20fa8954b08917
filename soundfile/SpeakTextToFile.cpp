#include "soundfile/SpeakTextToFile.h"

#include "soundfile/AheadWorker.h"
#include "soundfile/SpeakToFileHost.h"
#include "soundfile/SpeakToFileRun.h"
#include "soundfile/ToFileOptions.h"
#include "speech/FileVoiceCheck.h"

void SpeakTextToFile(SpeakToFileHost& host, const ToFileOptions& options, QString text)
{
    RequireFileVoices(host.VoiceRu(), host.VoiceEng());
    host.SetQuiet(options.quiet);
    SpeakToFileSettings settings;
    settings.TakeSoundFileOptions(options.sound);
    settings.textFileName = options.textFileName;
    settings.bookTitle = options.bookTitle;
    settings.aheadProgram = SpeakAheadProgram();
    settings.speakFlags = SpeakToFileRun::SplitText(text, options.xml, options.digitLang, host.Fragments());
    text = QString();
    host.SetFragmentIndex(0);
    SpeakToFileRun run(host, PartFileNames::ForChosenName(options.chosenFileName), settings);
    run.Run();
}

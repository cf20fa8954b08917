#pragma once

class SpeechVoice;

// Before a run into sound files: throws VemoError when either voice reads aloud only (a
// voice of the speech service), naming it and the voice to choose instead (the first voice
// of that language that speaks into files), so that the run never begins and nothing is
// half-written. The window says it in Russian; the command line in the user's language.
void RequireFileVoices(const SpeechVoice& ru, const SpeechVoice& eng);

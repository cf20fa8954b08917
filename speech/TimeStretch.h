#pragma once

#include <QtGlobal>
#include <vector>

// Speech at another speed with its pitch kept (waveform-similarity overlap-add): speed 2
// gives half the samples, 0.5 twice as many. For engines whose voices cannot change their
// own speed. sampleRate sets the frame length (about 30 ms).
std::vector<qint16> TimeStretch(const std::vector<qint16>& samples, int sampleRate, double speed);

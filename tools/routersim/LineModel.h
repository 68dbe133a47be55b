// A small deterministic model of a VDSL line: attenuation that grows with frequency, a
// noise floor near -140 dBm/Hz, SNR and bit loading that follow, on the band plan of the
// profile. The same profile and seed always give the same numbers.
#pragma once

#include "model/uDrayData.h"

#include <cstdint>
#include <vector>

namespace vexlorin::routersim {

struct TTone {
    bool Up = false;   // carries upstream data
    bool Down = false; // carries downstream data
    double HLog = 0;   // dB
    double QLN = 0;    // dBm/Hz
    double SNR = 0;    // dB
    int Bits = 0;
    int Gain = 0; // tenths of a dB
};

class TLineModel {
public:
    TLineModel(TVDSLProfile AProfile, uint64_t ASeed);

    TVDSLProfile Profile() const { return FProfile; }
    int ToneCount() const { return static_cast<int>(FTones.size()); }
    const TTone& Tone(int AIndex) const { return FTones[static_cast<std::size_t>(AIndex)]; }
    int GroupSize() const { return FGroupSize; }
    double LoopLengthKm() const { return FLoopKm; }

    // Line figures for the status pages.
    int RateKbps(TStatDirection ADirection) const;
    int AttainableKbps(TStatDirection ADirection) const;
    double Attenuation(TStatDirection ADirection) const; // mean over the direction's tones
    double SNRMargin(TStatDirection ADirection) const;
    uint64_t Random(); // the model's own generator, for counters and the like

private:
    TVDSLProfile FProfile;
    uint64_t FState;
    int FGroupSize = 8;
    double FLoopKm = 0.5;
    std::vector<TTone> FTones;
};

} // namespace vexlorin::routersim

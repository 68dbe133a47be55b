#include "LineModel.h"

#include <algorithm>
#include <cmath>

namespace vexlorin::routersim {

namespace {

// Band edges in kHz: upstream 0 and the alternating bands of the 998 plan, extended for
// the profiles that reach higher.
struct TBand {
    double From, To;
    bool Up;
};

constexpr TBand BandPlan[] = {{25.875, 138.0, true},    {138.0, 3000.0, false},
                              {3000.0, 5100.0, true},   {5100.0, 7050.0, false},
                              {7050.0, 12000.0, true},  {12000.0, 23000.0, false},
                              {23000.0, 24890.0, true}, {24890.0, 35400.0, false}};

} // namespace

TLineModel::TLineModel(TVDSLProfile AProfile, uint64_t ASeed)
    : FProfile(AProfile), FState(ASeed * 0x9E3779B97F4A7C15ull + AProfile + 1) {
    const int tones = VDSLProfileTones[AProfile];
    const double spacing = AProfile == vp30a ? 8.625 : 4.3125;
    // The per-group tables have 512 groups; the group size is the power of two that fits.
    FGroupSize = 1;
    while (FGroupSize * 512 < tones)
        FGroupSize *= 2;
    FLoopKm = 0.2 + static_cast<double>(Random() % 900) / 1000.0;
    // A bridged tap puts a notch somewhere on some lines.
    const bool tap = Random() % 3 == 0;
    const double tapMHz = 2.0 + static_cast<double>(Random() % 12000) / 1000.0;
    const double noiseTilt = static_cast<double>(Random() % 100) / 100.0;

    FTones.resize(static_cast<std::size_t>(tones));
    for (int t = 0; t < tones; ++t) {
        TTone& tone = FTones[static_cast<std::size_t>(t)];
        const double kHz = t * spacing;
        for (const TBand& band : BandPlan) {
            if (kHz >= band.From && kHz < band.To) {
                tone.Up = band.Up;
                tone.Down = !band.Up;
            }
        }
        const double mhz = kHz / 1000.0;
        const double ripple = static_cast<double>(Random() % 100) / 100.0 - 0.5;
        double hlog =
            -(2.0 + 12.0 * FLoopKm * std::sqrt(std::max(mhz, 0.01)) + 1.5 * FLoopKm * mhz) + ripple;
        if (tap)
            hlog -= 6.0 / (1.0 + 40.0 * (mhz - tapMHz) * (mhz - tapMHz));
        const double noise = static_cast<double>(Random() % 400) / 100.0 - 2.0;
        const double qln = -140.0 + 12.0 * noiseTilt / (1.0 + mhz) + noise;
        const double psd = tone.Up ? -58.0 : -60.0;
        // Crosstalk and the receiver's own losses keep the SNR well below the ideal.
        const double snr = std::clamp(psd + hlog - qln - 18.0, 0.0, 55.0);
        tone.HLog = std::max(hlog, -96.0);
        tone.QLN = qln;
        if (tone.Up || tone.Down) {
            tone.SNR = snr;
            // 9.75 dB gap, 6 dB margin, 3 dB coding gain.
            tone.Bits = std::clamp(static_cast<int>((snr - 12.75) / 3.01), 0, 15);
            tone.Gain = tone.Bits > 0 ? static_cast<int>(Random() % 51) - 25 : 0;
        }
    }
}

uint64_t TLineModel::Random() {
    // splitmix64: the same sequence on every platform and library.
    uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int TLineModel::RateKbps(TStatDirection ADirection) const {
    double bits = 0;
    for (const TTone& tone : FTones)
        if (ADirection == sdUp ? tone.Up : tone.Down)
            bits += tone.Bits;
    // 4000 symbols per second, 8000 with the wide tones of 30a.
    const double symbolRate = FProfile == vp30a ? 8000.0 : 4000.0;
    return static_cast<int>(bits * symbolRate / 1000.0 * 0.9);
}

int TLineModel::AttainableKbps(TStatDirection ADirection) const {
    return RateKbps(ADirection) + RateKbps(ADirection) / 8;
}

double TLineModel::Attenuation(TStatDirection ADirection) const {
    double sum = 0;
    int count = 0;
    for (const TTone& tone : FTones) {
        if (ADirection == sdUp ? tone.Up : tone.Down) {
            sum -= tone.HLog;
            ++count;
        }
    }
    return count > 0 ? sum / count : 0;
}

double TLineModel::SNRMargin(TStatDirection ADirection) const {
    return ADirection == sdUp ? 6.0 + FLoopKm : 6.0 + 2.0 * FLoopKm;
}

} // namespace vexlorin::routersim

// Complete 35b answers shaped as the router prints them, for the model benchmarks:
// per-group tables of 512 groups per direction and showbins tables of 8192 tones.
#pragma once

#include "model/uDrayData.h"

#include <cstdio>
#include <string>

namespace vexlorin::bench {

// A "vdsl status hlog/qln/snr" answer: echo, group sizes, headers, value lines with some
// unused groups printed empty, separating line and prompt.
inline TStringList GroupAnswer(const char* ACommand, const char* AUnit, int ABase) {
    TStringList lines = {ACommand, "", "GroupSize : 16 16", std::string(" US: (") + AUnit + ")"};
    auto block = [&](int AOffset) {
        for (int start = 0; start < 512; start += 8) {
            std::string line = "bin=" + std::to_string(start) + ":";
            for (int k = 0; k < 8; ++k) {
                const int group = start + k;
                if (group % 97 == 5)
                    line += " ,";
                else
                    line += " " + std::to_string(ABase - AOffset - group / 8) + ",";
            }
            lines.push_back(line);
        }
    };
    block(0);
    lines.push_back("");
    lines.push_back(std::string(" DS: (") + AUnit + ")");
    block(20);
    lines.push_back("DrayTek> ");
    return lines;
}

// A showbins answer: title, headings and four tone quadruples per line joined by " * ".
// AStored leaves out the echo and the prompt, as the retrieval stores the lines.
inline TStringList BinsAnswer(bool AUp, bool AStored = false) {
    TStringList lines;
    if (!AStored)
        lines.push_back(AUp ? "vdsl showbins up" : "vdsl showbins");
    lines.push_back(AUp ? "UPSTREAM :" : "DOWNSTREAM :");
    lines.push_back("------------------------------------------------------------");
    lines.push_back("Bin SNR Gain Bi - Bin SNR Gain Bi - Bin SNR Gain Bi - Bin SNR Gain Bi");
    lines.push_back("    dB  .1dB ts       dB  .1dB ts       dB  .1dB ts       dB  .1dB ts");
    lines.push_back("---------------- * ---------------- * ---------------- * ----------------");
    for (int tone = 0; tone < 8192; tone += 4) {
        std::string line;
        for (int k = 0; k < 4; ++k) {
            const int t = tone + k;
            char buffer[48];
            std::snprintf(buffer, sizeof buffer, "%s%5d %3d %5d %2d", k ? " * " : "", t,
                          20 + t % 30, -40 + t % 80, t % 15);
            line += buffer;
        }
        lines.push_back(line);
    }
    if (!AStored)
        lines.push_back("DrayTek> ");
    return lines;
}

} // namespace vexlorin::bench

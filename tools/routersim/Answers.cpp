#include "Answers.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace vexlorin::routersim {

namespace {

std::string Format(const char* AFormat, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* AFormat, ...) {
    char buffer[512];
    va_list args;
    va_start(args, AFormat);
    const int length = std::vsnprintf(buffer, sizeof buffer, AFormat, args);
    va_end(args);
    if (length < 0)
        return {};
    return std::string(buffer,
                       std::min<std::size_t>(static_cast<std::size_t>(length), sizeof buffer - 1));
}

const char* const TitleLine =
    "  ---------------------- ATU-R Info (hw: annex A, f/w: annex A/B/C) -----------";

// Some firmware prints one decimal with a blank after the point ("0. 6").
std::string BrokenDecimal(double AValue) {
    const long tenths = std::lround(AValue * 10.0);
    const long whole = std::labs(tenths) / 10;
    return Format("%s%ld. %ld", tenths < 0 ? "-" : "", whole, std::labs(tenths) % 10);
}

struct TBandRun {
    std::string Name;
    int First, Last;
    bool Up;
};

std::vector<TBandRun> Bands(const TLineModel& AModel) {
    std::vector<TBandRun> runs;
    int up = 0, down = 1;
    for (int t = 0; t < AModel.ToneCount(); ++t) {
        const TTone& tone = AModel.Tone(t);
        if (!tone.Up && !tone.Down)
            continue;
        if (!runs.empty() && runs.back().Up == tone.Up && runs.back().Last == t - 1) {
            runs.back().Last = t;
            continue;
        }
        const std::string name = tone.Up ? Format("US%d", up++) : Format("DS%d", down++);
        runs.push_back({name, t, t, tone.Up});
    }
    return runs;
}

double MeanAttenuation(const TLineModel& AModel, const TBandRun& ABand) {
    double sum = 0;
    for (int t = ABand.First; t <= ABand.Last; ++t)
        sum -= AModel.Tone(t).HLog;
    return sum / (ABand.Last - ABand.First + 1);
}

// Status pages: the reader drops two lines at each end, so a blank line stands first
// (after the echo) and last (before the prompt) and the data survives the cut.
TStringList StatusPage(TStringList ARows) {
    TStringList lines{"", TitleLine};
    lines.insert(lines.end(), ARows.begin(), ARows.end());
    lines.push_back("");
    return lines;
}

// "vdsl status bandinfo": the upstream bands, then the downstream ones, each with its tone
// limits and its loop and signal attenuation and margin.
TStringList BandInfo(const TLineModel& AModel, const TAnswerOptions& AOptions) {
    TStringList rows;
    for (const bool up : {true, false}) {
        rows.push_back(up ? "  US:" : "  DS:");
        if (AOptions.Training) // no bands while the line trains
            continue;
        for (const TBandRun& band : Bands(AModel)) {
            if (band.Up != up)
                continue;
            const double latn = MeanAttenuation(AModel, band);
            rows.push_back(
                Format("   %s: Limits=[%4d-%5d]  LATN=%5.1f dB  SATN=%5.1f dB  SNRM=%5.1f dB",
                       band.Name.c_str(), band.First, band.Last, latn, latn + 0.4,
                       AModel.SNRMargin(band.Up ? sdUp : sdDown)));
        }
    }
    return StatusPage(rows);
}

// The line's error counters since it came up, the same in every answer that prints them:
// drawn from a copy of the model, so each answer starts from the same generator state.
struct TCounters {
    unsigned long long ES, SES, LOSS, UAS, FEC, FECS, CRC;
};

std::array<TCounters, 2> Counters(TLineModel AModel, const TAnswerOptions& AOptions) {
    std::array<TCounters, 2> counters{};
    for (TCounters& end : counters) { // sdUp (far end), then sdDown (near end)
        // Severely errored seconds are errored seconds too, every errored second saw at
        // least one CRC error, and every second with corrections at least one of them.
        end.ES = AModel.Random() % 60;
        end.SES = end.ES / 6;
        end.LOSS = AModel.Random() % 2;
        end.UAS = 20 + AModel.Random() % 40;
        end.FECS = AModel.Random() % 3000;
        end.FEC = end.FECS + AModel.Random() % 90000;
        end.CRC = end.ES + AModel.Random() % 40;
    }
    if (AOptions.RetrainAtSession > 0) {
        const unsigned long long factor = AOptions.Session < AOptions.RetrainAtSession
                                              ? AOptions.Session
                                              : AOptions.Session - AOptions.RetrainAtSession;
        for (TCounters& end : counters)
            for (unsigned long long* value :
                 {&end.ES, &end.SES, &end.LOSS, &end.UAS, &end.FEC, &end.FECS, &end.CRC})
                *value *= factor;
    }
    return counters;
}

TStringList Status(const TLineModel& AModel, const TAnswerOptions& AOptions) {
    const bool training = AOptions.Training;
    const char* mode = training ? "-----" : VDSLProfileNames[AModel.Profile()];
    const auto counters = Counters(AModel, AOptions);
    const TCounters& nearEnd = counters[sdDown];
    const TCounters& farEnd = counters[sdUp];
    const int rate = training ? 0 : 1000;
    return StatusPage({
        Format("   Running Mode            :      %-4s      State                : %s", mode,
               training ? "TRAINING" : "SHOWTIME"),
        Format("   DS Actual Rate          : %9d bps   US Actual Rate       : %9d bps",
               AModel.RateKbps(sdDown) * rate, AModel.RateKbps(sdUp) * rate),
        Format("   DS Attainable Rate      : %9d bps   US Attainable Rate   : %9d bps",
               AModel.AttainableKbps(sdDown) * rate, AModel.AttainableKbps(sdUp) * rate),
        "   DS Path Mode            :        Fast     US Path Mode         :        Fast",
        "   DS Interleave Depth     :           1     US Interleave Depth  :           1",
        Format("   NE Current Attenuation  :     %4d dB     Cur SNR Margin       :     %4d  dB",
               static_cast<int>(AModel.Attenuation(sdDown)),
               static_cast<int>(AModel.SNRMargin(sdDown))),
        Format("   DS actual PSD           :   %s dB     US actual PSD        :   %s dB",
               BrokenDecimal(0.6).c_str(), BrokenDecimal(-4.3).c_str()),
        Format("   NE CRC Count            : %11llu     FE CRC Count         : %11llu", nearEnd.CRC,
               farEnd.CRC),
        Format("   NE ES Count             : %11llu     FE  ES Count         : %11llu", nearEnd.ES,
               farEnd.ES),
        Format("   Xdsl Reset Times        :           0     Xdsl Link  Times     : %11u",
               AOptions.RetrainAtSession > 0 && AOptions.Session >= AOptions.RetrainAtSession ? 2u
                                                                                              : 1u),
        "   ITU Version[0]          :    00000000     ITU Version[1]       :    00000000",
        "   VDSL Firmware Version   : 08-0B-02-06-00-07   [with Vectoring support]",
        "   Power Management Mode   : DSL_G997_PMS_L0",
        "   Test Mode               : DISABLE",
        "  -------------------------------- ATU-C Info ---------------------------------",
        Format("   Far Current Attenuation :     %4d dB     Far SNR Margin       :     %4d  dB",
               static_cast<int>(AModel.Attenuation(sdUp)),
               static_cast<int>(AModel.SNRMargin(sdUp))),
        "   CO ITU Version[0]       :    b5004244     CO ITU Version[1]    :    434d0000",
        "   DSLAM CHIPSET VENDOR    : < BDCM >",
    });
}

// "vdsl status more": one row per item, near end then far end; a long label breaks the
// alignment, and the last row has no far-end value, as real consoles print it.
TStringList StatusMore(const TLineModel& AModel, const TAnswerOptions& AOptions) {
    const auto counters = Counters(AModel, AOptions);
    const TCounters& n = counters[sdDown];
    const TCounters& f = counters[sdUp];
    const auto row = [](const char* ALabel, unsigned long long ANear, unsigned long long AFar,
                        const char* AUnit) {
        std::string line = Format(" %-12s :    %3llu         %7llu", ALabel, ANear, AFar);
        if (*AUnit)
            line += Format(" (%s)", AUnit);
        return line;
    };
    return StatusPage({
        "                  Near End        Far End    Note",
        " Trellis      :      1               1",
        " Bitswap      :      1               1",
        " ReTxEnable   :      1               1",
        " VirtualNoise :      0               0",
        " 20BitSupport :      0               0",
        " LatencyPath  :      0               0",
        " LOS          :      0               0",
        " LOF          :      0               0",
        " LPR          :      0               0",
        " LOM          :      0               0",
        " SosSuccess   :      0               0",
        " NCD          :      0               0",
        " LCD          :      0               0",
        row("FECS", n.FECS, f.FECS, "seconds"),
        row("ES", n.ES, f.ES, "seconds"),
        row("SES", n.SES, f.SES, "seconds"),
        row("LOSS", n.LOSS, f.LOSS, "seconds"),
        row("UAS", n.UAS, f.UAS, "seconds"),
        " HECError     :      0               0",
        row("CRC", n.CRC, f.CRC, ""),
        row("RsCorrection", n.FEC, f.FEC, ""),
        " INP          :    230             160 (symbols)",
        " InterleaveDelay :      0               0 (1/100 ms)",
        " NFEC         :     32              32",
        " RFEC         :     16              16",
        " LSYMB        :     16              16",
        " INTLVBLOCK   :     32              32",
        " AELEM        :      0            ----",
    });
}

TStringList StatusOlr(TLineModel AModel) {
    return StatusPage({
        "                                  Near End        Far End",
        " Bitswap                      :      On              On",
        " SRA                          :     Off             Off",
        " SOS                          :     Off             Off",
        Format(" Bitswap Count                : %7llu         %7llu",
               static_cast<unsigned long long>(AModel.Random() % 500),
               static_cast<unsigned long long>(AModel.Random() % 500)),
        " SRA Count                    :       0               0",
    });
}

TStringList StatusCounts(const TLineModel& AModel, const TAnswerOptions& AOptions) {
    TStringList rows{"  [ Counters: Showtime ]", "                      Near End        Far End"};
    const auto counters = Counters(AModel, AOptions);
    const std::pair<const char*, unsigned long long TCounters::*> items[] = {
        {"ES", &TCounters::ES},   {"SES", &TCounters::SES}, {"LOSS", &TCounters::LOSS},
        {"UAS", &TCounters::UAS}, {"LOFS", nullptr},        {"FEC", &TCounters::FEC},
        {"CRC", &TCounters::CRC}};
    for (const auto& [name, member] : items)
        rows.push_back(Format("   %-6s  :   %12llu   %12llu", name,
                              member ? counters[sdDown].*member : 0ull,
                              member ? counters[sdUp].*member : 0ull));
    return StatusPage(rows);
}

// Annex and inventory: the reader drops one line at the start (the echo) and two at the end.
TStringList Annex() {
    return {" Annex Mode    : A", " Supported     : 8a 8b 8c 8d 12a 12b 17a 30a 35b",
            " Vectoring     : G.993.5 friendly", ""};
}

TStringList Inventory(bool ACentralOffice) {
    if (ACentralOffice)
        return {" ITU T.35 Vendor ID     : B5 00 42 44 43 4D 00 00 (BDCM)",
                " Vendor Version Number  : A4 5C",
                " Serial Number          : CO-000000000000000000000000000000",
                " System Vendor ID       : B5 00 42 44 43 4D 00 00 (BDCM)", ""};
    return {" ITU T.35 Vendor ID     : B5 00 49 46 54 4E 00 00 (IFTN)",
            " Vendor Version Number  : 08 0B",
            " Serial Number          : 0123456789 DrayTek Vigor 130 5.6.2",
            " System Vendor ID       : B5 00 44 52 41 59 00 00 (DRAY)", ""};
}

enum class TGroupTable { HLog, QLN, SNR };

// One direction of a per-group table: eight groups per line, empty where the group holds
// no tone of that direction. Values are means over the group's tones of that direction.
void GroupLines(const TLineModel& AModel, TGroupTable ATable, bool AUp, TStringList& ALines) {
    const int size = AModel.GroupSize();
    for (int first = 0; first < 512; first += 8) {
        std::string line = Format(" bin=%4d:", first);
        for (int g = first; g < first + 8; ++g) {
            double sum = 0;
            int count = 0;
            for (int t = g * size; t < (g + 1) * size && t < AModel.ToneCount(); ++t) {
                const TTone& tone = AModel.Tone(t);
                if (AUp ? !tone.Up : !tone.Down)
                    continue;
                sum += ATable == TGroupTable::HLog  ? tone.HLog
                       : ATable == TGroupTable::QLN ? tone.QLN
                                                    : tone.SNR;
                ++count;
            }
            line += count > 0 ? Format(" %4ld,", std::lround(sum / count)) : "     ,";
        }
        ALines.push_back(line);
    }
}

// Per-group tables go to the reader uncut: the headers are found by content, the last line
// (the prompt) is never read, so the downstream values run up to the prompt.
TStringList GroupTable(const TLineModel& AModel, TGroupTable ATable, bool ATraining) {
    const char* unit = ATable == TGroupTable::QLN ? "(dBm/Hz)" : "(dB)";
    const char* name = ATable == TGroupTable::HLog  ? "HLOG"
                       : ATable == TGroupTable::QLN ? "QLN"
                                                    : "SNR";
    TStringList lines{Format(" NE %s per group", name),
                      Format(" GroupSize : %d %d", AModel.GroupSize(), AModel.GroupSize()),
                      Format(" US: %s", unit)};
    if (!ATraining)
        GroupLines(AModel, ATable, true, lines);
    lines.push_back("");
    lines.push_back(Format(" DS: %s", unit));
    if (!ATraining)
        GroupLines(AModel, ATable, false, lines);
    return lines;
}

TStringList ShowBins(const TLineModel& AModel, bool AUp, const TAnswerOptions& AOptions) {
    TStringList lines{"",
                      AUp ? " UPSTREAM :" : " DOWNSTREAM :",
                      "  ----------------------------------------------------------------------",
                      " Bin SNR Gain Bi -  Bin SNR Gain Bi -  Bin SNR Gain Bi -  Bin SNR Gain Bi",
                      "      dB .1dB ts         dB .1dB ts         dB .1dB ts         dB .1dB ts",
                      "---- --- ---- -- * ---- --- ---- -- * ---- --- ---- -- * ---- --- ---- --"};
    std::string line;
    for (int t = 0; t < (AOptions.Training ? 0 : AModel.ToneCount()); ++t) {
        const TTone& tone = AModel.Tone(t);
        const bool used = AUp ? tone.Up : tone.Down;
        if (!line.empty())
            line += " * ";
        if (used)
            line += Format("%4d %3ld %4d %2d", t, std::lround(tone.SNR), tone.Gain, tone.Bits);
        else
            line += Format("%4d %3d %4d %2d", t, AOptions.SNRMinus32 ? -32 : 0, 0, 0);
        if (t % 4 == 3) {
            lines.push_back(line);
            line.clear();
        }
    }
    if (!line.empty())
        lines.push_back(line);
    lines.push_back("");
    return lines;
}

} // namespace

std::string NormalizeCommand(std::string_view ACommand) {
    std::string result;
    bool blank = false;
    for (char c : ACommand) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            blank = !result.empty();
            continue;
        }
        if (blank)
            result += ' ';
        blank = false;
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

std::optional<TStringList> CommandAnswer(const TLineModel& AModel, const std::string& ACommand,
                                         const TAnswerOptions& AOptions) {
    if (ACommand == "vdsl status bandinfo")
        return BandInfo(AModel, AOptions);
    if (ACommand == "vdsl status")
        return Status(AModel, AOptions);
    if (ACommand == "vdsl status more")
        return StatusMore(AModel, AOptions);
    if (ACommand == "vdsl status olr")
        return StatusOlr(AModel);
    if (ACommand == "vdsl status counts")
        return StatusCounts(AModel, AOptions);
    if (ACommand == "vdsl annex")
        return Annex();
    if (ACommand == "vdsl inventory co")
        return Inventory(true);
    if (ACommand == "vdsl inventory cpe")
        return Inventory(false);
    if (ACommand == "vdsl status hlog")
        return GroupTable(AModel, TGroupTable::HLog, AOptions.Training);
    if (ACommand == "vdsl status qln")
        return GroupTable(AModel, TGroupTable::QLN, AOptions.Training);
    if (ACommand == "vdsl status snr")
        return GroupTable(AModel, TGroupTable::SNR, AOptions.Training);
    if (ACommand == "vdsl showbins")
        return ShowBins(AModel, false, AOptions);
    if (ACommand == "vdsl showbins up")
        return ShowBins(AModel, true, AOptions);
    return std::nullopt;
}

TStringList InvalidCommandAnswer(const std::string& ACommand, bool ACommandMissing) {
    TStringList lines;
    if (ACommandMissing)
        lines.push_back("% Command missing");
    lines.push_back("% Valid subcommands are:");
    if (ACommand.rfind("vdsl status", 0) == 0) {
        lines.push_back("   bandinfo        more            olr             counts");
        lines.push_back("   hlog            qln             snr");
    } else if (ACommand.rfind("vdsl inventory", 0) == 0) {
        lines.push_back("   co              cpe");
    } else if (ACommand.rfind("vdsl", 0) == 0) {
        lines.push_back("   status          showbins        annex           inventory");
    } else {
        lines.push_back("   vdsl            sys             exit            quit");
    }
    lines.push_back("");
    return lines;
}

} // namespace vexlorin::routersim

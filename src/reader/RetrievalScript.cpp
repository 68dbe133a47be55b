// The retrieval script: the console commands of one statistics set, in order, with the
// notifications that let the window follow it.
#include "reader/uDrayTelnetReader.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

namespace vexlorin {

namespace {

[[noreturn]] void RaiseListIndex(long long AIndex) {
    throw EListError("List index out of bounds (" + std::to_string(AIndex) + ")");
}

// Deletes the first line AFirst times, then the last line ALast times. Too few lines
// fail on the first deletion that finds none, as deleting one by one would.
void CutAnswer(TStringList& ALines, int AFirst, int ALast) {
    if (ALines.size() < static_cast<std::size_t>(AFirst))
        RaiseListIndex(0);
    ALines.erase(ALines.begin(), ALines.begin() + AFirst);
    if (ALines.size() < static_cast<std::size_t>(ALast))
        RaiseListIndex(-1);
    ALines.resize(ALines.size() - static_cast<std::size_t>(ALast));
}

// The script's commands in the order it sends them; a command's place is its step.
constexpr std::string_view ScriptCommands[] = {
    "vdsl status bandinfo", "vdsl status",     "vdsl status more",  "vdsl status olr",
    "vdsl status counts",   "vdsl annex",      "vdsl inventory co", "vdsl inventory cpe",
    "vdsl status hlog",     "vdsl status qln", "vdsl status snr",   "vdsl showbins",
    "vdsl showbins up"};
constexpr int ScriptStepsWithoutBins = 11;

} // namespace

void TDrayTelnetReader::Post(std::function<void(IReaderView&)> ACall) {
    if (!FView)
        return;
    FNotifier.Queue([View = FView, Call = std::move(ACall)] { Call(*View); });
}

void TDrayTelnetReader::PostStatus(std::string AText) {
    Post([Text = std::move(AText)](IReaderView& AView) { AView.ShowStatus(Text); });
}

bool TDrayTelnetReader::StopCheck() {
    if (!Terminated())
        return false;
    FStopped = true;
    return true;
}

void TDrayTelnetReader::PostProgress(const char* ACommand) {
    const auto Found =
        std::find(std::begin(ScriptCommands), std::end(ScriptCommands), std::string_view(ACommand));
    if (Found == std::end(ScriptCommands))
        return;
    const int Step = static_cast<int>(Found - std::begin(ScriptCommands)) + 1;
    const int Steps =
        FRetrieveBins ? static_cast<int>(std::size(ScriptCommands)) : ScriptStepsWithoutBins;
    Post([Step, Steps](IReaderView& AView) { AView.ShowProgress(Step, Steps); });
}

void TDrayTelnetReader::SendScriptCommand(const char* ACommand) {
    SendCommandLine(std::string(ACommand) + "\r", FScriptAnswer);
}

bool TDrayTelnetReader::AwaitScriptAnswer(std::chrono::milliseconds ATimeout, TStringList& ALines) {
    ALines.clear();
    if (!AwaitCommandAnswer(ATimeout, FScriptAnswer))
        return false;
    ALines = SplitLines(FScriptAnswer);
    return true;
}

bool TDrayTelnetReader::RunCommand(const char* ACommand, std::chrono::milliseconds ATimeout,
                                   TStringList& ALines) {
    PostProgress(ACommand);
    SendScriptCommand(ACommand);
    return AwaitScriptAnswer(ATimeout, ALines);
}

bool TDrayTelnetReader::RetrieveRouterData(TDrayData& AData) {
    bool Result = false;
    AData.Clear();
    try {
        Result = RunScript(AData);
    } catch (...) {
        PostStatus({});
        throw;
    }
    PostStatus({});
    return Result;
}

bool TDrayTelnetReader::RunScript(TDrayData& AData) {
    TDrayData* const Data = &AData;
    const auto Wait = FTimeouts.Command;
    TStringList Lines;

    PostStatus(ReaderText::RetrievingData);
    if (StopCheck())
        return false;
    PostStatus(ReaderText::RetrievingStatistics);

    if (RunCommand("vdsl status bandinfo", Wait, Lines)) {
        CutAnswer(Lines, 2, 2);
        Lines.emplace_back();
        Lines.emplace_back(ReaderText::LatnSatnNote);
        AData.AddStatData({}, &Lines);
    }
    if (StopCheck())
        return false;

    if (RunCommand("vdsl status", Wait, Lines)) {
        CutAnswer(Lines, 2, 2);
        AData.AddStatData({"", " [ STATUS ]"}, &Lines);
        AData.IdentifyVDSLProfile(Lines);
    }
    Post([Data](IReaderView& AView) { AView.UpdateProfileLabel(Data->VDSLProfile()); });
    if (StopCheck())
        return false;

    // More status, olr, counts: cut 2 / 2, each under its header lines.
    const std::pair<const char*, TStringList> StatusParts[] = {
        {"vdsl status more", {""}}, {"vdsl status olr", {""}}, {"vdsl status counts", {}}};
    for (const auto& [Command, Header] : StatusParts) {
        if (RunCommand(Command, Wait, Lines)) {
            CutAnswer(Lines, 2, 2);
            AData.AddStatData(Header, &Lines);
        }
        if (StopCheck())
            return false;
    }

    AData.AddStatData({" [ INVENTORY ]"}, nullptr);
    const std::pair<const char*, TStringList> InventoryParts[] = {
        {"vdsl annex", {""}},
        {"vdsl inventory co", {" [ CO ]"}},
        {"vdsl inventory cpe", {" [ CPE ]"}}};
    bool First = true;
    for (const auto& [Command, Header] : InventoryParts) {
        if (!First && StopCheck())
            return false;
        First = false;
        if (RunCommand(Command, Wait, Lines)) {
            CutAnswer(Lines, 1, 2);
            AData.AddStatData(Header, &Lines);
        }
    }
    Post([Data](IReaderView& AView) { AView.DisplayTextData(Data); });
    if (StopCheck())
        return false;

    PostStatus(ReaderText::RetrievingHLog);
    if (RunCommand("vdsl status hlog", Wait, Lines))
        AData.SetHLogData(Lines);
    Post([Data](IReaderView& AView) { AView.PlotHLOG(Data); });
    if (StopCheck())
        return false;

    PostStatus(ReaderText::RetrievingQLN);
    if (RunCommand("vdsl status qln", Wait, Lines))
        AData.SetQLNData(Lines);
    Post([Data](IReaderView& AView) { AView.PlotQLN(Data); });
    if (StopCheck())
        return false;

    PostStatus(ReaderText::RetrievingSNR);
    const bool SNR = RunCommand("vdsl status snr", Wait, Lines);
    if (!FRetrieveBins)
        FTelnet.BeginDisconnect(); // the last answer, as the upstream bins below
    if (SNR)
        AData.SetSNRData(Lines);
    Post([Data](IReaderView& AView) { AView.PlotSNR(Data); });
    if (StopCheck())
        return false;

    if (FRetrieveBins) {
        PostStatus(ReaderText::RetrievingBinsDS);
        PostProgress("vdsl showbins");
        SendScriptCommand("vdsl showbins");
        const bool Downstream = AwaitCommandAnswer(FTimeouts.Bins, FScriptAnswer);
        // The router takes a while over the upstream table, so it is asked for at once and
        // the downstream one is entered meanwhile; the downstream text's buffer then takes
        // in the upstream answer. The view hears of the upstream step only once the
        // downstream table is in, so an error or a stop there ends the run with the same
        // notifications as entering it first.
        std::string DownstreamText;
        DownstreamText.swap(FScriptAnswer);
        if (!Terminated())
            SendScriptCommand("vdsl showbins up");
        Lines.clear();
        if (Downstream)
            Lines = SplitLines(DownstreamText);
        OfferAnswerBuffer(DownstreamText);
        if (Downstream) {
            CutAnswer(Lines, 2, 2);
            AData.SetBinStatsDSRaw(std::move(Lines));
        }
        if (StopCheck())
            return false;
        PostStatus(ReaderText::RetrievingBinsUS);
        PostProgress("vdsl showbins up");
        const bool Upstream = AwaitScriptAnswer(FTimeouts.Bins, Lines);
        // That was the last answer: the connection closes while it is entered, and the
        // run's end only has to wait for what is left of that.
        FTelnet.BeginDisconnect();
        if (Upstream) {
            CutAnswer(Lines, 2, 2);
            AData.SetBinStatsUSRaw(std::move(Lines));
        }
    }
    Post([Data](IReaderView& AView) { AView.PlotBins(Data); });
    return !StopCheck();
}

} // namespace vexlorin

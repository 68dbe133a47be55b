// The retrieval script: the console commands of one statistics set, in order, with the
// notifications that let the window follow it.
#include "reader/uDrayTelnetReader.h"

#include "model/Convert.h"
#include "model/Regex.h"

#include <iterator>
#include <string_view>
#include <utility>

namespace vexlorin {

// A command's place in this list is its step (from 1); the two bins commands come last.
enum TDrayTelnetReader::TScriptCommand : uint8_t {
    scBandinfo,
    scStatus,
    scMore,
    scOlr,
    scCounts,
    scAnnex,
    scInventoryCO,
    scInventoryCPE,
    scHLog,
    scQLN,
    scSNR,
    scBinsDown,
    scBinsUp,
};

namespace {

constexpr std::string_view ScriptCommandText[] = {
    "vdsl status bandinfo", "vdsl status",     "vdsl status more",  "vdsl status olr",
    "vdsl status counts",   "vdsl annex",      "vdsl inventory co", "vdsl inventory cpe",
    "vdsl status hlog",     "vdsl status qln", "vdsl status snr",   "vdsl showbins",
    "vdsl showbins up"};
constexpr int ScriptSteps = static_cast<int>(std::size(ScriptCommandText));
constexpr int ScriptStepsWithoutBins = ScriptSteps - 2;

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

// A status answer that names a running mode the profile table does not know, with a
// state other than SHOWTIME: the line is training or down.
bool LineNotInShowtime(const TStringList& AStatus) {
    static const TRegex RunningMode(R"(Running Mode\s*:)");
    static const TRegex State(R"(\bState\s*:\s*(\w+))");
    const std::string Text = JoinLines(AStatus);
    if (!RunningMode.Find(Text))
        return false;
    const auto Found = State.Find(Text);
    return !Found || !EqualsIgnoreAsciiCase(*Found->Group(1), "SHOWTIME");
}

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

void TDrayTelnetReader::PostProgress(TScriptCommand ACommand) {
    const int Step = ACommand + 1;
    const int Steps = FRetrieveBins ? ScriptSteps : ScriptStepsWithoutBins;
    Post([Step, Steps](IReaderView& AView) { AView.ShowProgress(Step, Steps); });
}

void TDrayTelnetReader::SendScriptCommand(TScriptCommand ACommand) {
    SendCommandLine(std::string(ScriptCommandText[ACommand]) + "\r", FScriptAnswer);
}

bool TDrayTelnetReader::AwaitScriptAnswer(TScriptCommand ACommand, TStringList& ALines) {
    ALines.clear();
    const auto Timeout = ACommand >= scBinsDown ? FTimeouts.Bins : FTimeouts.Command;
    // After the last command there is no next one to bring the console back for.
    const bool Last = ACommand == (FRetrieveBins ? scBinsUp : scSNR);
    if (!AwaitCommandAnswer(Timeout, FScriptAnswer, !Last))
        return false;
    ALines = SplitLines(FScriptAnswer);
    return true;
}

bool TDrayTelnetReader::RunCommand(TScriptCommand ACommand, TStringList& ALines) {
    PostProgress(ACommand);
    SendScriptCommand(ACommand);
    return AwaitScriptAnswer(ACommand, ALines);
}

void TDrayTelnetReader::IdentifyProfile(TDrayData& AData, const TStringList& AStatus) {
    try {
        AData.IdentifyVDSLProfile(AStatus);
    } catch (const EDrayDataError&) {
        // A line that trains or is down has no profile yet; its status text is what the
        // user needs to see then, so the run goes on.
        if (!LineNotInShowtime(AStatus))
            throw;
        AData.SetVDSLProfile(vpNA);
        FNotInShowtime = true;
    }
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
    TStringList Lines;

    PostStatus(ReaderText::RetrievingData);
    if (StopCheck())
        return false;
    PostStatus(ReaderText::RetrievingStatistics);

    if (RunCommand(scBandinfo, Lines)) {
        CutAnswer(Lines, 2, 2);
        Lines.emplace_back();
        Lines.emplace_back(ReaderText::LatnSatnNote);
        AData.AddStatData({}, &Lines);
    }
    if (StopCheck())
        return false;

    if (RunCommand(scStatus, Lines)) {
        CutAnswer(Lines, 2, 2);
        AData.AddStatData({"", " [ STATUS ]"}, &Lines);
        IdentifyProfile(AData, Lines);
    }
    Post([Data](IReaderView& AView) { AView.UpdateProfileLabel(Data->VDSLProfile()); });
    if (StopCheck())
        return false;

    // More status, olr, counts: cut 2 / 2, each under its header lines.
    const std::pair<TScriptCommand, TStringList> StatusParts[] = {
        {scMore, {""}}, {scOlr, {""}}, {scCounts, {}}};
    for (const auto& [Command, Header] : StatusParts) {
        if (RunCommand(Command, Lines)) {
            CutAnswer(Lines, 2, 2);
            AData.AddStatData(Header, &Lines);
        }
        if (StopCheck())
            return false;
    }

    AData.AddStatData({" [ INVENTORY ]"}, nullptr);
    const std::pair<TScriptCommand, TStringList> InventoryParts[] = {
        {scAnnex, {""}}, {scInventoryCO, {" [ CO ]"}}, {scInventoryCPE, {" [ CPE ]"}}};
    bool First = true;
    for (const auto& [Command, Header] : InventoryParts) {
        if (!First && StopCheck())
            return false;
        First = false;
        if (RunCommand(Command, Lines)) {
            CutAnswer(Lines, 1, 2);
            AData.AddStatData(Header, &Lines);
        }
    }
    Post([Data](IReaderView& AView) { AView.DisplayTextData(Data); });
    if (StopCheck())
        return false;

    PostStatus(ReaderText::RetrievingHLog);
    if (RunCommand(scHLog, Lines))
        AData.SetHLogData(Lines);
    Post([Data](IReaderView& AView) { AView.PlotHLOG(Data); });
    if (StopCheck())
        return false;

    PostStatus(ReaderText::RetrievingQLN);
    if (RunCommand(scQLN, Lines))
        AData.SetQLNData(Lines);
    Post([Data](IReaderView& AView) { AView.PlotQLN(Data); });
    if (StopCheck())
        return false;

    PostStatus(ReaderText::RetrievingSNR);
    const bool SNR = RunCommand(scSNR, Lines);
    if (!FRetrieveBins)
        FTelnet.BeginDisconnect(); // the last answer, as the upstream bins below
    if (SNR)
        AData.SetSNRData(Lines);
    Post([Data](IReaderView& AView) { AView.PlotSNR(Data); });
    if (StopCheck())
        return false;

    if (FRetrieveBins) {
        PostStatus(ReaderText::RetrievingBinsDS);
        PostProgress(scBinsDown);
        SendScriptCommand(scBinsDown);
        const bool Downstream = AwaitCommandAnswer(FTimeouts.Bins, FScriptAnswer, true);
        // The router takes a while over the upstream table, so it is asked for at once and
        // the downstream one is entered meanwhile; the downstream text's buffer then takes
        // in the upstream answer. The view hears of the upstream step only once the
        // downstream table is in, so an error or a stop there ends the run with the same
        // notifications as entering it first.
        std::string DownstreamText;
        DownstreamText.swap(FScriptAnswer);
        if (!Terminated())
            SendScriptCommand(scBinsUp);
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
        PostProgress(scBinsUp);
        const bool Upstream = AwaitScriptAnswer(scBinsUp, Lines);
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

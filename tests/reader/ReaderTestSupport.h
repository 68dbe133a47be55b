// Shared pieces of the reader tests: a view that records what a run shows, a fixture that
// runs one reader against the simulated router and collects its record, and a scripted
// console for the few router behaviours the simulator has no switch for.
#pragma once

#include "Answers.h"
#include "LineModel.h"
#include "RouterSim.h"
#include "reader/uDrayTelnetReader.h"

#include <asio.hpp>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vexlorin::test {

using namespace std::chrono_literals;

// Records every notification as one short entry: "status:<text>", "profile:<name>",
// "text", "hlog", "qln", "snr", "bins".
class TRecordingView : public IReaderView {
public:
    std::vector<std::string> Calls;
    TStringList TextShown;                          // the set's text when "text" ran
    std::function<void(const std::string&)> OnCall; // runs after each entry
    std::vector<std::pair<int, int>> Progress;      // (step, steps), kept apart

    void ShowStatus(const std::string& AText) override { Add("status:" + AText); }
    void UpdateProfileLabel(TVDSLProfile AProfile) override {
        Add(std::string("profile:") + VDSLProfileNames[AProfile]);
    }
    void DisplayTextData(TDrayData* AData) override {
        TextShown = AData->Stats();
        Add("text");
    }
    void PlotHLOG(TDrayData*) override { Add("hlog"); }
    void PlotQLN(TDrayData*) override { Add("qln"); }
    void PlotSNR(TDrayData*) override { Add("snr"); }
    void PlotBins(TDrayData*) override { Add("bins"); }
    void ShowProgress(int AStep, int ASteps) override { Progress.emplace_back(AStep, ASteps); }

private:
    void Add(std::string AEntry) {
        Calls.push_back(std::move(AEntry));
        if (OnCall)
            OnCall(Calls.back());
    }
};

// The notifications of a complete retrieval, in order.
inline std::vector<std::string> FullRunCalls(TVDSLProfile AProfile, bool ABins) {
    std::vector<std::string> Calls = {std::string("status:") + ReaderText::Connecting,
                                      std::string("status:") + ReaderText::LoggingIn,
                                      std::string("status:") + ReaderText::RetrievingData,
                                      std::string("status:") + ReaderText::RetrievingStatistics,
                                      std::string("profile:") + VDSLProfileNames[AProfile],
                                      "text",
                                      std::string("status:") + ReaderText::RetrievingHLog,
                                      "hlog",
                                      std::string("status:") + ReaderText::RetrievingQLN,
                                      "qln",
                                      std::string("status:") + ReaderText::RetrievingSNR,
                                      "snr"};
    if (ABins) {
        Calls.push_back(std::string("status:") + ReaderText::RetrievingBinsDS);
        Calls.push_back(std::string("status:") + ReaderText::RetrievingBinsUS);
    }
    Calls.push_back("bins");
    Calls.push_back("status:");
    return Calls;
}

// What the starter reads in the completion handler.
struct TRunRecord {
    bool HandlerRan = false;
    TReadEnding Ending = reCompleted;
    std::string Message;
    bool LoggedOn = false;
    bool Stopped = false;
    bool TelnetError = false;
    std::string ErrorReason;
    std::string Fatal; // message of the escaped error, "" for none
    bool HasFatal = false;
    bool ConnectedInHandler = true;
    std::size_t CallsBeforeHandler = 0;
    std::chrono::milliseconds Duration{0};
};

class ReaderFixture : public ::testing::Test {
protected:
    // Waits of a run in tests: long enough never to pass in a working exchange (also under
    // the sanitizers), short enough for the rows that wait one out.
    static TReaderTimeouts Timeouts(std::chrono::milliseconds AEach = 5000ms) {
        TReaderTimeouts T;
        T.Account = T.Password = T.Banner = T.Command = T.Bins = AEach;
        return T;
    }

    uint16_t StartSim(TRouterSimOptions AOptions = {}) {
        FSimOptions = AOptions;
        Sim = std::make_unique<TRouterSim>(std::move(AOptions));
        return Port = Sim->Start();
    }

    std::unique_ptr<TDrayTelnetReader> MakeReader(bool ABins, std::string APassword = "admin",
                                                  std::string ARouterName = "DrayTek") {
        Telnet.SetHost("127.0.0.1");
        Telnet.SetPort(Port);
        auto Reader = std::make_unique<TDrayTelnetReader>(Telnet, "admin", std::move(APassword),
                                                          std::move(ARouterName), &Data, ABins,
                                                          Notifier, &View);
        Reader->SetTimeouts(Timeouts());
        return Reader;
    }

    // Starts the reader and runs notifications until its completion handler has run.
    TRunRecord Run(TDrayTelnetReader& AReader) {
        TRunRecord Record;
        AReader.SetOnTerminate([&](TDrayTelnetReader& R) {
            Record.HandlerRan = true;
            Record.Ending = R.Outcome().Ending;
            Record.Message = R.Outcome().Message;
            Record.LoggedOn = R.Outcome().LoggedOn;
            Record.Stopped = R.Stopped();
            Record.TelnetError = R.TelnetError();
            Record.ErrorReason = R.ErrorReason();
            Record.ConnectedInHandler = Telnet.Connected();
            Record.CallsBeforeHandler = View.Calls.size();
            if (auto Error = R.FatalException()) {
                Record.HasFatal = true;
                try {
                    std::rethrow_exception(Error);
                } catch (const std::exception& E) {
                    Record.Fatal = E.what();
                }
            }
        });
        const auto Begin = std::chrono::steady_clock::now();
        AReader.Start();
        EXPECT_TRUE(Notifier.WaitAndRunUntil([&] { return Record.HandlerRan; }, 60s));
        Record.Duration = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - Begin);
        return Record;
    }

    // Runs a complete reader and checks that nothing reached the view after its handler.
    TRunRecord RunToEnd(std::unique_ptr<TDrayTelnetReader> AReader) {
        auto Record = Run(*AReader);
        AReader.reset();
        Notifier.RunPending();
        EXPECT_EQ(View.Calls.size(), Record.CallsBeforeHandler);
        EXPECT_FALSE(Record.ConnectedInHandler);
        return Record;
    }

    // The body of the simulator's answer to a command (between echo and prompt).
    TStringList Body(const char* ACommand) const {
        const routersim::TLineModel Model(FSimOptions.Profile, FSimOptions.Seed);
        return *routersim::CommandAnswer(Model, ACommand,
                                         {FSimOptions.SNRMinus32, FSimOptions.Training});
    }
    // The answer as the reader receives it: echoed command, body, prompt.
    TStringList Received(const char* ACommand) const {
        TStringList Lines{ACommand};
        const auto B = Body(ACommand);
        Lines.insert(Lines.end(), B.begin(), B.end());
        Lines.push_back(Sim ? Sim->Prompt() : "DrayTek> ");
        return Lines;
    }
    // The received answer less its first AFirst and last ALast lines.
    TStringList Cut(const char* ACommand, std::size_t AFirst, std::size_t ALast) const {
        const auto Lines = Received(ACommand);
        return TStringList(Lines.begin() + static_cast<std::ptrdiff_t>(AFirst),
                           Lines.end() - static_cast<std::ptrdiff_t>(ALast));
    }

    // The statistics text of a retrieval in which every text command succeeded.
    TStringList ExpectedText() const {
        TStringList T;
        const auto Add = [&T](const TStringList& ALines) {
            T.insert(T.end(), ALines.begin(), ALines.end());
        };
        Add(Cut("vdsl status bandinfo", 2, 2));
        Add({"", ReaderText::LatnSatnNote, "", " [ STATUS ]"});
        Add(Cut("vdsl status", 2, 2));
        Add({""});
        Add(Cut("vdsl status more", 2, 2));
        Add({""});
        Add(Cut("vdsl status olr", 2, 2));
        Add(Cut("vdsl status counts", 2, 2));
        Add({" [ INVENTORY ]", ""});
        Add(Cut("vdsl annex", 1, 2));
        Add({" [ CO ]"});
        Add(Cut("vdsl inventory co", 1, 2));
        Add({" [ CPE ]"});
        Add(Cut("vdsl inventory cpe", 1, 2));
        return T;
    }

    TQueueNotifier Notifier;
    TRecordingView View;
    TDrayData Data{"test set"};
    std::unique_ptr<TRouterSim> Sim;
    uint16_t Port = 0;
    // Last: disconnects (and joins its reading thread) before the rest goes.
    TTelnetClient Telnet;

private:
    TRouterSimOptions FSimOptions;
};

// A bare console on loopback for what the simulator cannot be asked to do: it sends
// AGreeting on connection, then one scripted reply per line it receives, then stays silent.
class TScriptedConsole {
public:
    TScriptedConsole(std::string AGreeting, std::vector<std::string> AReplies)
        : FGreeting(std::move(AGreeting)), FReplies(std::move(AReplies)),
          FAcceptor(FIo, asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0)),
          FSocket(FIo) {
        FAcceptor.async_accept(FSocket, [this](const asio::error_code& AError) {
            if (AError)
                return;
            Send(FGreeting);
            ReadLine();
        });
        FThread = std::thread([this] { FIo.run(); });
    }
    ~TScriptedConsole() {
        asio::post(FIo, [this] {
            asio::error_code Ignored;
            FAcceptor.close(Ignored);
            FSocket.close(Ignored);
        });
        FThread.join();
    }
    TScriptedConsole(const TScriptedConsole&) = delete;
    TScriptedConsole& operator=(const TScriptedConsole&) = delete;

    uint16_t Port() const { return FAcceptor.local_endpoint().port(); }

private:
    void Send(const std::string& AText) {
        asio::error_code Ignored;
        asio::write(FSocket, asio::buffer(AText), Ignored);
    }
    void ReadLine() {
        asio::async_read_until(FSocket, FInput, '\n',
                               [this](const asio::error_code& AError, std::size_t ABytes) {
                                   if (AError)
                                       return;
                                   FInput.consume(ABytes);
                                   if (FNext < FReplies.size())
                                       Send(FReplies[FNext++]);
                                   ReadLine();
                               });
    }

    std::string FGreeting;
    std::vector<std::string> FReplies;
    std::size_t FNext = 0;
    asio::io_context FIo;
    asio::ip::tcp::acceptor FAcceptor;
    asio::ip::tcp::socket FSocket;
    asio::streambuf FInput;
    std::thread FThread;
};

} // namespace vexlorin::test

// Simulated router console: a real telnet server on 127.0.0.1 that logs on and answers the
// thirteen "vdsl ..." commands like the router, with data from a deterministic line model.
//
// Usage (in-process, e.g. from a test):
//
//     vexlorin::TRouterSimOptions options;   // every field has a sensible default
//     options.Profile = vexlorin::vp35b;
//     options.NoPromptAfter = "vdsl status qln";
//     vexlorin::TRouterSim sim(options);
//     uint16_t port = sim.Start();           // listens on 127.0.0.1:port (0 = any free port)
//     ... connect to 127.0.0.1:port, log on with admin/admin, prompt "DrayTek> " ...
//     sim.Stop();                            // also done by the destructor
//
// Options (TRouterSimOptions):
//   Port             0 picks a free port; Start() returns the port bound
//   RouterName       "DrayTek"; the console prompt is RouterName + "> "
//   User, Password   "admin", "admin"; a wrong pair gets "Password: " again
//   Profile          vp17a; any profile but vpNA (vp8d prints "8D", which the program
//                    does not recognise)
//   Seed             1; the line model's numbers follow profile and seed
//   MaxConnections   4; further connections are closed at once
//   MaxLineLength    256; longer input lines are cut
//   IdleTimeout      300 s without input ends a connection
// Fault switches (all off by default):
//   RejectSecondConnection  a connection while another is open gets
//                           "Reject the connection request !!!" CR LF and is closed
//   SilentAccount           never sends the "Account:" prompt
//   WrongPassword           asks for the password again whatever was typed
//   PromptOtherCase         the console prompt shows the router name in other letter case
//   AnswerDelay             wait this long before every prompt and answer (settable delay)
//   NoPromptAfter           a command (e.g. "vdsl status qln") answered without a prompt
//   CloseAfterCommands      close the connection after this many commands (0 = never)
//   OneBytePerBurst         every answer goes out one byte per write
//   ByteBurstPause          pause between those writes (settable delay, default none)
//   InvalidCommand          a command answered with "% Valid subcommands are:" and a list
//   CommandMissing          a command answered with "% Command missing" and the list
//   SNRMinus32              showbins prints SNR -32 for tones without data
//   LateAnswer, LateAfter   that command is echoed at once and answered only after
//                           LateAfter of silence
//   Rate                    everything goes out at this steady rate, in bytes per second
//   PagerLines              answers longer than this many lines are paged: the pager line
//                           waits for a key ('q' quits the answer, space shows the next
//                           page, CR one more line)
//   PagerErase              the pager line is erased (CR, blanks, CR) once it got its key
//   CrNul                   lines end with CR NUL (a bare CR) instead of CR LF
//   UsernamePrompt          the logon asks "Username:" instead of "Account:"
//   Training                the line trains: "Running Mode : -----", "State : TRAINING",
//                           no bands and empty tables
//   PromptName              the console prompt shows this name instead of RouterName
//   RetrainAtSession        the error counters grow with every logged-on session until the
//                           line retrains at this session (1 = the first): "Xdsl Link Times"
//                           goes from 1 to 2 and the counters start again from zero
//
// Observations for tests: Commands() lists every command line received after logon, in
// order, over all connections; ConnectionsAccepted() counts accepted connections;
// TerminalType() is the last terminal type a client reported.
#pragma once

#include "model/uDrayData.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vexlorin {

class TSimSession;

struct TRouterSimOptions {
    uint16_t Port = 0;
    std::string RouterName = "DrayTek";
    std::string User = "admin";
    std::string Password = "admin";
    TVDSLProfile Profile = vp17a;
    uint64_t Seed = 1;
    std::size_t MaxConnections = 4;
    std::size_t MaxLineLength = 256;
    std::chrono::milliseconds IdleTimeout{300000};

    bool RejectSecondConnection = false;
    bool SilentAccount = false;
    bool WrongPassword = false;
    bool PromptOtherCase = false;
    std::chrono::milliseconds AnswerDelay{0};
    std::string NoPromptAfter;
    unsigned CloseAfterCommands = 0;
    bool OneBytePerBurst = false;
    std::chrono::microseconds ByteBurstPause{0};
    std::string InvalidCommand;
    std::string CommandMissing;
    bool SNRMinus32 = false;
    // ExtraLine is added to the answer of ExtraLineAfter, before its closing blank line.
    std::string ExtraLineAfter;
    std::string ExtraLine;
    std::string LateAnswer;
    std::chrono::milliseconds LateAfter{0};
    std::size_t Rate = 0;       // 0: as fast as the connection takes it
    std::size_t PagerLines = 0; // 0: no pager
    bool PagerErase = true;
    bool CrNul = false;
    bool UsernamePrompt = false;
    bool Training = false;
    std::string PromptName;        // "" for RouterName
    unsigned RetrainAtSession = 0; // 0: never
};

class TRouterSim {
public:
    explicit TRouterSim(TRouterSimOptions AOptions = {});
    ~TRouterSim(); // stops
    TRouterSim(const TRouterSim&) = delete;
    TRouterSim& operator=(const TRouterSim&) = delete;

    // Opens the listening socket on 127.0.0.1 and starts serving; returns the port.
    // Throws std::runtime_error when the port cannot be bound.
    uint16_t Start();
    // Closes the listening socket and every connection, and waits for them to end.
    void Stop();
    uint16_t Port() const;

    std::vector<std::string> Commands() const;
    std::size_t ConnectionsAccepted() const;
    // Sessions that logged on so far.
    std::size_t SessionsLoggedOn() const;
    std::string TerminalType() const;

    // The console prompt as this simulator prints it (fault switches included).
    std::string Prompt() const;

private:
    friend class TSimSession;
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// Profile from its short name ("17a", "35B" ...); vpNA for an unknown name.
TVDSLProfile RouterSimProfile(const std::string& AName);

} // namespace vexlorin

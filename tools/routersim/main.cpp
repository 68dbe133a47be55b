// vexlorin-routersim: the simulated router console as a program, for trying the desktop
// program, the command-line tool or a plain telnet client without a router.
#include "RouterSim.h"

#include <CLI/CLI.hpp>
#include <asio.hpp>

#include <cstdio>
#include <iostream>

int main(int argc, char** argv) {
    vexlorin::TRouterSimOptions options;
    std::string profile = "17a";
    unsigned delayMs = 0;
    unsigned pauseUs = 0;
    unsigned idleSeconds = 300;
    unsigned lateMs = 0;
    bool pagerNoErase = false;

    CLI::App app{"Simulated router console: a telnet server on 127.0.0.1 that answers the "
                 "vdsl commands like the router."};
    app.add_option("--port", options.Port, "TCP port on 127.0.0.1 (0 picks a free one)")
        ->capture_default_str();
    app.add_option("--router-name", options.RouterName, "name shown in the console prompt")
        ->capture_default_str();
    app.add_option("--user", options.User, "account name")->capture_default_str();
    app.add_option("--password", options.Password, "password")->capture_default_str();
    app.add_option("--profile", profile, "VDSL profile: 8a 8b 8c 8d 12a 12b 17a 30a 35b")
        ->capture_default_str()
        ->check([](const std::string& AName) {
            return vexlorin::RouterSimProfile(AName) == vexlorin::vpNA
                       ? std::string("unknown profile ") + AName
                       : std::string();
        });
    app.add_option("--seed", options.Seed, "seed of the line model")->capture_default_str();
    app.add_option("--max-connections", options.MaxConnections, "connections served at once")
        ->capture_default_str()
        ->check(CLI::Range(1, 64));
    app.add_option("--idle-timeout", idleSeconds, "seconds without input before closing")
        ->capture_default_str()
        ->check(CLI::Range(1, 86400));

    auto* faults = app.add_option_group("Faults");
    faults->add_flag("--reject-second", options.RejectSecondConnection,
                     "refuse a second concurrent connection with the refusal line");
    faults->add_flag("--silent-account", options.SilentAccount,
                     "never send the \"Account:\" prompt");
    faults->add_flag("--wrong-password", options.WrongPassword,
                     "ask for the password again whatever is typed");
    faults->add_flag("--prompt-other-case", options.PromptOtherCase,
                     "print the router name in the prompt in other letter case");
    faults->add_option("--answer-delay", delayMs, "milliseconds to wait before every answer")
        ->check(CLI::Range(0, 600000));
    faults->add_option("--no-prompt-after", options.NoPromptAfter,
                       "command whose answer ends without the prompt");
    faults->add_option("--close-after", options.CloseAfterCommands,
                       "close the connection after this many commands");
    faults->add_flag("--one-byte-bursts", options.OneBytePerBurst,
                     "send every answer one byte per write");
    faults->add_option("--byte-pause", pauseUs, "microseconds between those writes")
        ->check(CLI::Range(0, 1000000));
    faults->add_option("--invalid-command", options.InvalidCommand,
                       "command answered with \"% Valid subcommands are:\"");
    faults->add_option("--command-missing", options.CommandMissing,
                       "command answered with \"% Command missing\"");
    faults->add_flag("--snr-minus32", options.SNRMinus32,
                     "showbins prints SNR -32 for tones without data");
    faults->add_option("--extra-line-after", options.ExtraLineAfter,
                       "command whose answer gets the --extra-line");
    faults->add_option("--extra-line", options.ExtraLine,
                       "a line added to that answer before its closing blank line");
    auto* late = faults->add_option("--late-answer", options.LateAnswer,
                                    "command answered only after --late-ms of silence");
    faults->add_option("--late-ms", lateMs, "milliseconds the --late-answer waits")
        ->check(CLI::Range(0, 3600000))
        ->needs(late);
    faults->add_option("--rate", options.Rate, "send everything at this many bytes per second")
        ->check(CLI::Range(1, 1 << 30));
    auto* pager =
        faults
            ->add_option("--pager", options.PagerLines, "page answers longer than this many lines")
            ->check(CLI::Range(1, 100000));
    faults
        ->add_flag("--pager-no-erase", pagerNoErase,
                   "leave the pager line standing once it got its key")
        ->needs(pager);
    faults->add_flag("--cr-nul", options.CrNul, "end lines with CR NUL instead of CR LF");
    faults->add_flag("--username-prompt", options.UsernamePrompt,
                     "ask \"Username:\" instead of \"Account:\"");
    faults->add_flag("--training", options.Training,
                     "the line trains: no running mode, no bands, empty tables");
    faults->add_option("--prompt-name", options.PromptName,
                       "name shown in the console prompt instead of --router-name");
    faults->add_option("--retrain-at", options.RetrainAtSession,
                       "logged-on session at which the line retrains: link times 1 -> 2, the "
                       "growing error counters start again from zero");
    CLI11_PARSE(app, argc, argv);

    options.Profile = vexlorin::RouterSimProfile(profile);
    options.AnswerDelay = std::chrono::milliseconds(delayMs);
    options.ByteBurstPause = std::chrono::microseconds(pauseUs);
    options.IdleTimeout = std::chrono::seconds(idleSeconds);
    options.LateAfter = std::chrono::milliseconds(lateMs);
    options.PagerErase = !pagerNoErase;

    try {
        // Ctrl+C is taken before the first line promises it: a signal that comes right
        // after "listening on" ends the program cleanly, not by the signal.
        asio::io_context io;
        asio::signal_set signals(io, SIGINT, SIGTERM);
        signals.async_wait([](const asio::error_code&, int) {});

        vexlorin::TRouterSim sim(options);
        const uint16_t port = sim.Start();
        std::cout << "listening on 127.0.0.1:" << port << std::endl;
        io.run();
        sim.Stop();
    } catch (const std::exception& AError) {
        std::cerr << "vexlorin-routersim: " << AError.what() << std::endl;
        return 1;
    }
    return 0;
}

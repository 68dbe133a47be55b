// The reader's header is all a program needs to read a set from a router's console and
// save it: of the program's headers this file includes only that one (the simulated
// router stands in for the real one).
#include "reader/uDrayTelnetReader.h"

#include "RouterSim.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(ReaderHeader, ReadsACompleteSetAndSavesIt) {
    using namespace vexlorin;
    TRouterSimOptions Options;
    Options.Profile = vp35b;
    TRouterSim Router(Options);
    const uint16_t Port = Router.Start();

    TTelnetClient Telnet;
    Telnet.SetHost("127.0.0.1");
    Telnet.SetPort(Port);
    TQueueNotifier Notifier;
    TDrayData Data("DrayTek");
    TDrayTelnetReader Reader(Telnet, "admin", "admin", "DrayTek", &Data, true, Notifier, nullptr);
    bool Done = false;
    bool Complete = false;
    Reader.SetOnTerminate([&](TDrayTelnetReader& R) {
        Complete = !R.Stopped() && !R.TelnetError() && !R.FatalException();
        Done = true;
    });
    Reader.Start();
    ASSERT_TRUE(Notifier.WaitAndRunUntil([&] { return Done; }, std::chrono::seconds(60)));
    ASSERT_TRUE(Complete);

    const auto File = std::filesystem::temp_directory_path() /
                      ("vexlorin-header-" + std::to_string(Port) + ".draydata");
    Data.SaveToFile(File.string());
    TDrayData Loaded;
    Loaded.LoadFromFile(File.string());
    std::filesystem::remove(File);
    EXPECT_EQ(Loaded.VDSLProfile(), vp35b);
    EXPECT_FALSE(Loaded.BinStatsUSRaw().empty());
    EXPECT_EQ(Loaded.SaveToBytes(), Data.SaveToBytes());
}

} // namespace

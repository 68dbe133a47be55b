// The telnet client's receive path: a 35b "vdsl showbins" answer (the largest the program
// reads) through the protocol layer, in the bursts a socket delivers and one byte at a time.
#include "Answers.h"
#include "LineModel.h"
#include "reader/TelnetProtocol.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vexlorin;

std::string LargestAnswer() {
    const routersim::TLineModel model(vp35b, 1);
    std::string text = "vdsl showbins\r\n";
    text += JoinLines(*routersim::CommandAnswer(model, "vdsl showbins", {}));
    text += "DrayTek> ";
    return text;
}

void BM_TelnetReceive(benchmark::State& AState) {
    const std::string answer = LargestAnswer();
    const auto burst = static_cast<std::size_t>(AState.range(0));
    for (auto _ : AState) {
        TTelnetProtocol protocol([](std::string_view) {});
        std::size_t received = 0;
        for (std::size_t at = 0; at < answer.size(); at += burst)
            received += protocol.Receive(std::string_view(answer).substr(at, burst)).size();
        benchmark::DoNotOptimize(received);
    }
    AState.SetBytesProcessed(static_cast<int64_t>(AState.iterations() * answer.size()));
}
BENCHMARK(BM_TelnetReceive)->Arg(65536)->Arg(1460)->Arg(1);

} // namespace

BENCHMARK_MAIN();

// The history store on an arbitrary file: opening it and reading every line, sample,
// event, rate and stored set either works or fails with EHistoryError, never worse. The
// time and duration texts of the history commands are read from the same bytes.
#include "history/HistoryStore.h"
#include "history/TimeText.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    using namespace vexlorin;
    using namespace vexlorin::history;
    const std::string text(reinterpret_cast<const char*>(AData), ASize);
    (void)ParseTime(text);
    (void)ParseDuration(text);

    static const std::string path =
        "/tmp/vexlorin-fuzz-history-" + std::to_string(getpid()) + ".sqlite";
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::remove((path + suffix).c_str());
    {
        std::ofstream file(path, std::ios::binary);
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    try {
        const auto store = THistoryStore::Open(path, THistoryStore::TMode::ReadOnly);
        for (const TLineInfo& line : store->Lines()) {
            for (const TSampleRow& row : store->Samples(line.Id, INT64_MIN, INT64_MAX))
                if (row.HasSet)
                    (void)store->LoadSet(row.Id);
            (void)store->Rates(line.Id, INT64_MIN, INT64_MAX);
            (void)store->Events(line.Id, INT64_MIN, INT64_MAX);
            (void)store->NearestSet(line.Id, 0);
        }
        (void)store->SamplesAfter(0);
    } catch (const EHistoryError&) {
    }
    return 0;
}

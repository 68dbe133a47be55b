// One retrieval from the router, run to its end on the calling thread: the caller waits
// on the reader's notification queue. Used by vexlorin-cli retrieve and by the recorder.
#pragma once

#include "reader/uDrayTelnetReader.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace vexlorin {

struct TRetrievalRequest {
    std::string Host;
    uint16_t Port = 23;
    std::string User;
    std::string Password;
    std::string RouterName = "DrayTek";
    bool Bins = false;                       // also "vdsl showbins" and "vdsl showbins up"
    std::optional<TReaderTimeouts> Timeouts; // the reader's own when not given
};

// Fills AData and returns how the run ended. The reader's status texts go to AProgress
// (null: nowhere), one per line. AStop (may be null) set to true from any thread ends the
// run within a tenth of a second (the reader's Terminate: the wait in progress ends at once).
TReadOutcome RunRetrieval(const TRetrievalRequest& ARequest, TDrayData& AData,
                          std::ostream* AProgress, const std::atomic<bool>* AStop = nullptr);

} // namespace vexlorin

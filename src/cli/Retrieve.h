// One retrieval from the router with the window's reader, run to its end on the calling
// thread: the caller blocks on the reader's notification queue, never polls.
#pragma once

#include "reader/uDrayTelnetReader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace vexlorin::cli {

struct TRetrieveRequest {
    std::string Host;
    uint16_t Port = 23;
    std::string User;
    std::string Password;
    std::string RouterName = "DrayTek";
    bool Bins = false;
    std::string SetName;                     // the set's name, as the window names it
    std::optional<TReaderTimeouts> Timeouts; // the reader's own when not given
};

// The filled set. The reader's status texts go to AProgress (null: nowhere), one per line,
// and so does the notice of a line that is not in showtime (its set is kept, profile N/A).
// ECliError ecUnreachable when the connection cannot be opened or the logon fails,
// ecFailure for any later error or a stop; the status and hint follow the reader's ending.
std::unique_ptr<TDrayData> RetrieveSet(const TRetrieveRequest& ARequest, std::ostream* AProgress);

} // namespace vexlorin::cli

// When the main window's actions are enabled. Kept apart from the widgets so every rule
// can be checked against every combination of its inputs.
#pragma once

namespace vexlorin {

struct TActionInputs {
    bool ReaderRunning = false;
    bool HasRouter = false;     // "Router address:" not empty
    bool HasPort = false;       // "Port:" not empty
    bool HasUser = false;       // "User:" not empty
    bool HasRouterName = false; // "Router name:" not empty
    int ListCount = 0;          // entries in the statistics list
    bool HasSelection = false;  // an entry of the statistics list is selected
};

// "Retrieve data", and with it the statistics list. The password may be empty.
constexpr bool RetrieveDataEnabled(const TActionInputs& A) {
    return !A.ReaderRunning && A.HasRouter && A.HasPort && A.HasUser && A.HasRouterName;
}
// Loading data, statistics or a configuration, saving a configuration.
constexpr bool IdleEnabled(const TActionInputs& A) {
    return !A.ReaderRunning;
}
constexpr bool SaveStatEnabled(const TActionInputs& A) {
    return A.ListCount > 0 && A.HasSelection && !A.ReaderRunning;
}
// "Compare with selected": the selected set becomes the reference of the comparison.
constexpr bool CompareEnabled(const TActionInputs& A) {
    return A.HasSelection && !A.ReaderRunning;
}
// "Remove" and "Remove all".
constexpr bool RemoveEnabled(const TActionInputs& A) {
    return A.ListCount > 0 && !A.ReaderRunning;
}

} // namespace vexlorin

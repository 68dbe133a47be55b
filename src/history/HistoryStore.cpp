#include "history/HistoryStore.h"

#include <cstdlib>

namespace vexlorin::history {

std::string_view EventKey(TEventKind AKind) {
    switch (AKind) {
    case TEventKind::Retrain:
        return "retrain";
    case TEventKind::LineDown:
        return "line-down";
    case TEventKind::LineUp:
        return "line-up";
    case TEventKind::CounterReset:
        return "counter-reset";
    case TEventKind::Unreachable:
        return "unreachable";
    case TEventKind::Reachable:
        return "reachable";
    }
    return "unknown";
}

TIntervalRates RatesBetween(const TLineSummary*, int64_t, const TLineSummary&, int64_t ACurrentMs) {
    TIntervalRates rates;
    rates.TimeMs = ACurrentMs;
    return rates;
}

std::unique_ptr<THistoryStore> THistoryStore::Open(const std::string& APath, TMode) {
    throw EHistoryError("The history store is not built yet (" + APath + ")");
}

std::string DefaultHistoryPath() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return std::string(xdg) + "/vexlorin/history.sqlite";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.local/share/vexlorin/history.sqlite";
}

} // namespace vexlorin::history

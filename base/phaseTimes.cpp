// Phase clock for kelvra-render --timings; see phaseTimes.h.
#include "base/phaseTimes.h"

#include <chrono>

namespace kelvra {
namespace {

using Clock = std::chrono::steady_clock;

struct PhaseClock {
    double seconds[int(Phase::Count)] = {};
    Phase current = Phase::Other;
    Clock::time_point since = Clock::now();

    // Charges the time since the last switch to the current phase, then switches.
    void switchTo(Phase next) {
        Clock::time_point now = Clock::now();
        seconds[int(current)] += std::chrono::duration<double>(now - since).count();
        since = now;
        current = next;
    }
};

PhaseClock& phaseClock() {
    static PhaseClock clock;
    return clock;
}

const char* const kNames[] = {"other",         "context", "load",      "recompute", "glyph lists",
                              "display lists", "draw",    "read back", "encode",    "vector sort", "write"};
static_assert(sizeof kNames / sizeof kNames[0] == int(Phase::Count));

}  // namespace

const char* phaseName(Phase phase) { return kNames[int(phase)]; }

double phaseSeconds(Phase phase) {
    PhaseClock& c = phaseClock();
    c.switchTo(c.current);   // bring the open phase up to date
    return c.seconds[int(phase)];
}

PhaseScope::PhaseScope(Phase phase) : outer_(phaseClock().current) { phaseClock().switchTo(phase); }

PhaseScope::~PhaseScope() { phaseClock().switchTo(outer_); }

}  // namespace kelvra

// Where a run's time goes: the wall time of each phase of loading, building and
// writing a picture, for kelvra-render --timings. A PhaseScope charges the time
// it is open to its phase; time inside a nested scope goes to the inner phase
// only, so the phases add up to the time the scopes covered. Single-threaded,
// process-wide, and cheap enough (two clock reads) to stay on everywhere.
#pragma once

namespace kelvra {

enum class Phase {
    Other,          // outside every scope
    Context,        // GL context and fixed state
    Load,           // reading and parsing data and settings files
    Recompute,      // the scale recompute
    GlyphLists,     // the text lists
    DisplayLists,   // graph, legend, axis indicator and pick target lists
    Draw,           // the frame
    ReadBack,       // glReadPixels
    Encode,         // PNG, JPEG or BMP
    VectorSort,     // GL2PS sorting and writing a vector picture
    Write,          // the file itself
    Count
};

const char* phaseName(Phase phase);
double phaseSeconds(Phase phase);

class PhaseScope {
public:
    explicit PhaseScope(Phase phase);
    ~PhaseScope();
    PhaseScope(const PhaseScope&) = delete;
    PhaseScope& operator=(const PhaseScope&) = delete;

private:
    Phase outer_;
};

}  // namespace kelvra

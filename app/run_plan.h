// Which runs a start performs and in which order, decided from the run flags.
#pragma once

#include "app/run_flags.h"

#include <vector>

namespace zelvon {

enum class Run {
    SingleSecurityQuote,
    SingleSecurityPage,
    ArchiveImport,
    News,
    FilterUpdate,
    MasterUpdate,
    Fundamentals,
    FetchAll,
};

struct RunPlan {
    std::vector<Run> runs;
    // The fetch-all, when planned, comes last and is started by Timer1.
    bool minimise = false;
    // Automatic starts end by closing the main window once every run is done.
    bool closesWindow = false;
};

RunPlan PlanRuns(const RunFlags& flags);

// The archive import reaches back at most 90 days.
DateTime ArchiveStartDay(DateTime leseDatum, DateTime today);


}  // namespace zelvon

#include "app/run_plan.h"

namespace zelvon {

RunPlan PlanRuns(const RunFlags& f) {
    RunPlan plan;
    plan.closesWindow = f.AnyRun();
    if (f.KursInfo) {
        plan.runs = {Run::SingleSecurityQuote};
        return plan;
    }
    if (f.InterInfo) {
        plan.runs = {Run::SingleSecurityPage};
        return plan;
    }
    if (f.Beispiel) plan.runs.push_back(Run::ArchiveImport);
    if (f.NewsLesen) plan.runs.push_back(Run::News);
    if (f.UpdateLesen) plan.runs.push_back(Run::FilterUpdate);
    if (f.FirmenLesen) plan.runs.push_back(Run::MasterUpdate);
    if (f.Fundament) plan.runs.push_back(Run::Fundamentals);
    // The fetch-all never starts inside another run; it follows all of them.
    if (f.Automat) plan.runs.push_back(Run::FetchAll);
    plan.minimise = f.Mini;
    return plan;
}

DateTime ArchiveStartDay(DateTime leseDatum, DateTime today) {
    return leseDatum < today - 90 ? today - 90 : leseDatum;
}

}  // namespace zelvon

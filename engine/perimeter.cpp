// Perimeter nodes: design inputs hold the caller's value until the next settle passes it
// on; design outputs capture what reaches them and report undefined reads.
#include "engine/perimeter.h"

#include "engine/manager.h"
#include "base/messages.h"

namespace Sim {

namespace {
constexpr int kMaxUndefinedReports = 100;
}  // namespace

int PerimeterWidth(const ParamQuery& query)
{
    ParamValue width(32);
    if (query && query("", width))
        return width.integer();
    return 32;
}

void Node_Perimeter_In::CreatePorts(const ParamQuery& query)
{
    int width = PerimeterWidth(query);
    port = AddPort(CreateOutputPort("(perimeter io)", width));
    stored.resize(port->Width());
    stored.set_undefined();
    CompareWithPort();
}

bool Node_Perimeter_In::Evaluate()
{
    if (port)
        port->Set(stored);
    // A port without undefined state cannot show an undefined value: such an input stays
    // unsettled, as the comparison says.
    CompareWithPort();
    return true;
}

void Node_Perimeter_In::SetInput(const MLIB_UINTEGER& value)
{
    stored = value;
    CompareWithPort();
}

void Node_Perimeter_In::SetInput(uint32_t low, uint32_t high)
{
    stored = low;  // clears the undefined state and every word above the lowest
    if (stored.words() > 1) {
        uint32_t top = stored.words() == 2 ? MLIB_UINTEGER::top_mask(stored.width()) : 0xFFFFFFFFu;
        stored.set_word(1, high & top);
    }
    CompareWithPort();
}

void Node_Perimeter_Out::CreatePorts(const ParamQuery& query)
{
    int width = PerimeterWidth(query);
    input = AddPort(CreateInputPort("(perimeter io)", width, 0));
    captured.resize(input->Width());
    captured.set_undefined();
    reports = 0;
    run_start = -1;
    run_end = -1;
    in_undefined_run = false;
}

bool Node_Perimeter_Out::Evaluate()
{
    captured = input->Value();
    return false;
}

int Node_Perimeter_Out::CurrentCycle() const
{
    if (manager == nullptr || !manager->HasScheduler())
        return -1;
    return manager->Cycle() + 1;
}

void Node_Perimeter_Out::ReportUndefined()
{
    if (reports >= kMaxUndefinedReports)
        return;
    int cycle = CurrentCycle();
    if (captured.is_undefined() && !in_undefined_run) {
        run_start = cycle;
        if (run_start >= 0) {
            report(SEV_WARNING,
                   "Output value on port " + Name() + " is undefined" + " at cycle:" + std::to_string(cycle));
            ++reports;
        }
        in_undefined_run = true;
    } else if (!captured.is_undefined() && in_undefined_run) {
        run_end = cycle - 1;
        if (run_start >= 0 && run_end >= 0 && run_start < run_end) {
            report(SEV_WARNING, "Output value on port " + Name() + " is undefined" + " from cycle " +
                                    std::to_string(run_start) + " to cycle " + std::to_string(run_end));
            ++reports;
        }
        in_undefined_run = false;
        run_start = -1;
        run_end = -1;
    }
    if (reports == kMaxUndefinedReports)  // given once: the next call stops at the first test
        report(SEV_WARNING, "No further undefined values will be reported for port " + Name());
}

void Node_Perimeter_Out::ReadValue(MLIB_UINTEGER& out)
{
    if (captured.is_undefined() || in_undefined_run)
        ReportUndefined();
    out = captured;
}

uint64_t Node_Perimeter_Out::ReadUInt64()
{
    if (captured.is_undefined()) {
        ReportUndefined();
        return 0;
    }
    if (in_undefined_run)
        ReportUndefined();
    return uint64_t(captured.word(0)) | (uint64_t(captured.word(1)) << 32);
}


// ---------------------------------------------------------------- checkpoints

void Node_Perimeter_In::SaveState(StateWriter& out)
{
    Node_Concurrent::SaveState(out);
    out.Value(stored);
    out.Bool(shown);
}

bool Node_Perimeter_In::RestoreState(StateReader& in)
{
    return Node_Concurrent::RestoreState(in) && in.Value(stored) && in.Bool(shown);
}

// The undefined-read reports continue where the saved run left them.
void Node_Perimeter_Out::SaveState(StateWriter& out)
{
    Node_Concurrent::SaveState(out);
    out.Value(captured);
    out.I32(reports);
    out.I32(run_start);
    out.I32(run_end);
    out.Bool(in_undefined_run);
}

bool Node_Perimeter_Out::RestoreState(StateReader& in)
{
    return Node_Concurrent::RestoreState(in) && in.Value(captured) && in.I32(reports) && in.I32(run_start) &&
           in.I32(run_end) && in.Bool(in_undefined_run);
}

}  // namespace Sim

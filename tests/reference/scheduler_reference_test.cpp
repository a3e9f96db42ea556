// Deep random combinational networks (no state), settled by the engine's event-driven,
// rank-ordered queue, agree with the reference model, which evaluates each node after all
// of its drivers. Lines that only settle (no clock edge) and lines that change several
// inputs at once are both in the stimulus.
#include <gtest/gtest.h>

#include "seed_runner.h"

TEST(SchedulerReference, SettledNetworksAgreeWithTopologicalEvaluation)
{
    reference_tests::ExpectSeedsAgree("networks", 1, 250);
}

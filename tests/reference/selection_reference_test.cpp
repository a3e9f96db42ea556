// Multiplexers, selectors, the bit selector, the LPM multiplexers (combinational and
// pipelined), the decoder and the tri-state buffer in random designs agree with the
// reference model: every select value in and out of range, undefined selects and data.
#include <gtest/gtest.h>

#include "seed_runner.h"

TEST(SelectionReference, MultiplexersAndSelectorsAgreeWithTheModel)
{
    reference_tests::ExpectSeedsAgree("selection", 1, 300);
}

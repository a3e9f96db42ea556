// A small demonstration of wide values and the message store, run by `make demo`.
#include <cstdio>

#include "base/mlib_integer.h"
#include "base/messages.h"

int main()
{
    MLIB_UINTEGER a(0xFFFFFFFFu, 32);
    MLIB_UINTEGER b(1, 32);
    MLIB_UINTEGER sum = a + b;
    std::printf("%s + %s = %s (%d bits)\n", a.to_hex().c_str(), b.to_hex().c_str(), sum.to_hex().c_str(),
                sum.width());

    MLIB_UINTEGER x(0x5A, 8);
    x.set_undefined();
    x.set_bit(0, 1);
    MLIB_UINTEGER mask(0x0F, 8);
    std::printf("%s & %s = %s\n", x.to_hex().c_str(), mask.to_hex().c_str(), (x & mask).to_hex().c_str());

    MLIB_SINTEGER p(-7, 40);
    MLIB_SINTEGER q(2, 8);
    std::printf("-7 / 2 = %s (40 bits), -7 %% 2 = %s\n", (p / q).to_hex().c_str(), (p % q).to_hex().c_str());

    report(SEV_WARNING, "this is how a warning reads");
    report(SEV_TRACE, "traces are never printed");
    report(SEV_ERROR, "and this is an error");
    bool error_seen = false;
    flush_messages(0, "demo", error_seen);
    std::printf("error_seen = %s\n", error_seen ? "true" : "false");
    return 0;
}

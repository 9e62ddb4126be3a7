#include "common/timings.h"

Timings& timing()
{
    static Timings t;
    return t;
}

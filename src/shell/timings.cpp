#include "shell/timings.h"

Timings& timing()
{
    static Timings t;
    return t;
}

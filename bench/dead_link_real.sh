#!/usr/bin/env bash
# The frozen-server run at the program's real link times (a PING after 30 s of
# silence, the link dead 90 s later): too long for the test suite, so run by
# hand. Prints how long the program took to notice the frozen server, and to
# be back in its room once the server was thawed; fails as the test fails.
#   bench/dead_link_real.sh BUILD_DIR
set -euo pipefail
BUILD=${1:-build}
TALVESSA_REAL_LINK_TIMES=1 QT_QPA_PLATFORM=offscreen \
    "$BUILD/tests/tst_keeping_connected_real" frozenServerIsNoticedAndLeftForAnother 2>&1 |
    grep -E "noticed|reconnected|PASS|FAIL"

#!/usr/bin/env bash
# The real-server paste at its full length: 120 lines at the program's real
# pace take about four minutes, too long for the test suite (which pastes 40),
# so run by hand. Prints when the lines arrived against the pacing's own figure.
#   bench/long_paste_real.sh BUILD_DIR
set -eu
BUILD=${1:-build}
TALVESSA_PASTE_LINES=120 QT_QPA_PLATFORM=offscreen \
    "$BUILD/tests/tst_keeping_connected_real" longPasteArrivesWholeUnderFloodLimits 2>&1 |
    grep -E "arrived|PASS|FAIL"

#pragma once
// Helpers shared by the shell tests: the prompt recorder and shrunk timings.
#include "support/prompt_recorder.h"
#include "support/shrunk_timings.h"

// SPDX-License-Identifier: MIT
// Compiled as the engine's board layer, which must not reach the commands'
// headers: the build of this file fails, and the test that builds it
// passes only on that failure.
#include "app/board_run.h"

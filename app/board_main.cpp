// SPDX-License-Identifier: MIT
#include "app/board_run.h"

int main(int argc, char** argv) { return clip2c::runBoard(argc, argv); }

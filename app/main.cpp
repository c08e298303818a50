// SPDX-License-Identifier: MIT
#include "app/conversion.h"

int main(int argc, char** argv) { return clip2c::runClip2c(argc, argv); }

// SPDX-License-Identifier: MIT
#include "board/make_clip.h"

#include <gtest/gtest.h>

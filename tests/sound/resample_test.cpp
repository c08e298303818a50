// SPDX-License-Identifier: MIT
#include "sound/resample.h"

#include <gtest/gtest.h>

// SPDX-License-Identifier: MIT
#include "web/page_text.h"

#include <gtest/gtest.h>

# SPDX-License-Identifier: MIT
# avr-gcc and avr-libc for an ATmega328P. A host clip2c is then named with
# -Dclip2c_DIR=<prefix>/lib/cmake/clip2c.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR avr)

set(CMAKE_C_COMPILER avr-gcc)
set(CMAKE_CXX_COMPILER avr-g++)
set(CMAKE_C_FLAGS_INIT "-mmcu=atmega328p")
set(CMAKE_CXX_FLAGS_INIT "-mmcu=atmega328p")

// SPDX-License-Identifier: MIT
// PLACEHOLDER until the command lands.
int main() { return 2; }

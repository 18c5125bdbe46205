// SPDX-License-Identifier: MIT
// The misbehaving add-in's exceptions: a C++ exception out of C code, as an add-in written in C++
// may let one escape.
extern "C" void Throw(void) { throw 42; }

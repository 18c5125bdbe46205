// SPDX-License-Identifier: MIT
// The misbehaving add-in's exceptions: a C++ exception out of C code, as an add-in written in C++
// may let one escape, and the one that says memory ran out.
#include <new>

extern "C" void Throw(void) { throw 42; }
extern "C" void ThrowBadAlloc(void) { throw std::bad_alloc(); }

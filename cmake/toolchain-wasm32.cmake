# SPDX-License-Identifier: MIT
# WebAssembly with Debian's clang, lld and WASI C library (clang, lld-14, wasi-libc,
# libc++-14-dev-wasm32, libclang-rt-14-dev-wasm32): builds the add-in alone, as dfa.wasm, a
# reactor module that a JavaScript host instantiates once and then calls.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# The compiler checks link a program; a static library needs no start files.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

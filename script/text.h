// Text between the two worlds: BSTRs (UTF-16) on the ISurface side, bytes in
// the calling thread's ANSI code page on the Lua and file-name side.  Every
// conversion reports running out of memory as E_OUTOFMEMORY; none throws.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>

namespace zorvel::script {

// Up to the first null character; a null BSTR gives an empty text.
HRESULT AnsiFromBstr(BSTR text, std::string& out) noexcept;

// A new BSTR, never null on success (an empty text gives an empty BSTR).
HRESULT BstrFromAnsi(const char* text, size_t length, BSTR* out) noexcept;

// Fault injection for tests: conversion number `nth` from now (0 is the next
// one) fails with E_OUTOFMEMORY; -1 turns it off.  PendingConversionFailure
// tells whether that conversion is still to come.
void FailConversionForTesting(int nth) noexcept;
bool PendingConversionFailure() noexcept;

}  // namespace zorvel::script

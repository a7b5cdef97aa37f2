// The one way into the offer library: its export is called through a small
// guard written for each architecture (guarded_invoke_i686.S,
// guarded_invoke_x86_64.S), so that neither its calling convention nor an
// exception raised inside it can harm the installer.
//
// - The library's contract names no calling convention. On 32-bit Windows the
//   guard keeps the stack pointer in a callee-saved register across the call
//   and restores it afterwards, so a __stdcall export (which takes its
//   arguments off the stack) and a __cdecl one (which leaves them) both work.
// - An exception raised inside the library (a fault, an exception of another
//   compiler's runtime, RaiseException) ends in the guard's own Windows
//   exception frame: the library's frames are unwound and the call reports
//   that it failed. 32-bit Windows keeps that frame on the stack's exception
//   chain; 64-bit Windows finds it in the guard's unwind table. A C++
//   exception of this program's own runtime passes the guard on 64-bit
//   Windows (that runtime has chosen its catch before it raises it) and is
//   the caller's to catch; on 32-bit Windows it never leaves a library built
//   with its own copy of the runtime (it ends there, in terminate).
#pragma once
#include "offer/offer_protocol.h"

namespace offer {

// Calls `entry` with the function number and argument; true with its answer
// in `answer` when it returned, false when an exception ended it. Any thread.
bool invokeGuarded(InvokeW entry, int function, const wchar_t* argument, int* answer);

}  // namespace offer

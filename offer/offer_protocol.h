// The offer library's call protocol: its one export, the numbers of its
// functions and the argument texts the installer sends them. The texts are
// joined from fixed pieces: every value is written as a JSON string as it
// stands, without escaping.
#pragma once
#include <windows.h>

#include <string>

namespace offer {

// "ds.dll"'s one export: a function number and a NUL-terminated JSON text (or
// an empty one); what the result means depends on the function.
using InvokeW = int(__cdecl*)(int function, const wchar_t* argument);
inline constexpr char kInvokeExport[] = "InvokeW";
inline constexpr wchar_t kLibraryFile[] = L"ds.dll";

// The function numbers, named as the library names them.
enum Function : int {
  kLoad = 1,        // 0: the library cannot serve offers
  kIsReady = 2,     // blocks until the library is ready; the result is ignored
  kSetWindow = 3,   // where to draw; the result is ignored
  kDisplay = 4,     // not 0: the offer is shown
  kAccept = 5,      // not 0: the offer goes on in the same window; 0: the step is over
  kDecline = 6,     // as kAccept
  kInstall = 7,     // 0: failure
  kGetProgress = 8, // never called
  kUnload = 9,      // the result is ignored
};

inline constexpr wchar_t kBlockingArgument[] = L"{\"blocking\":\"true\"}";
inline constexpr wchar_t kForceArgument[] = L"{\"force\":\"true\"}";

// Function 1: {"local":"en","channel":"normal"} (members joined by a bare comma).
std::wstring loadArgument(const std::wstring& locale, const std::wstring& channel);
// Function 3: the container window, the fixed background colour, position and size.
std::wstring setWindowArgument(HWND container, int x, int y, int width, int height);
// Function 4: the windows of the Accept and Reject buttons.
std::wstring displayArgument(HWND accept, HWND decline);
// The failure stages of the wrapper that the rules below tell apart.
inline constexpr int kStageLoad = 1;      // not loaded, or function 1 answered 0
inline constexpr int kStageInstall = 7;   // function 7 answered 0
inline constexpr int kStageClosed = 100;  // the user closed the offer window

// How the library is let go at shut-down. A library that got past function 1
// is never freed without being told to end (function 9): its windows and
// whatever it hooked on the host's buttons would be left calling into freed
// code. One whose call ended in an exception is in a state nobody knows: it
// is neither called again nor freed, and goes with the process.
struct UnloadPlan {
  const wchar_t* argument;  // function 9's argument; null: function 9 is not called
  bool free;                // FreeLibrary afterwards
};
// By the wrapper's failure stage, and whether a call into the library (or the
// building of one) ended in an exception: stage 0 ends normally (empty text),
// the user's closing and a failed install (function 7 answered 0) end by
// force, a library that never got past function 1 is freed untold.
UnloadPlan unloadPlan(int failureStage, bool faulted);

// "buy" when the open id's leading number (optional sign, then digits; 0 when
// there are none) lies in 1500..3000, else "normal".
std::wstring channelForOpenId(const std::wstring& openId);

}  // namespace offer

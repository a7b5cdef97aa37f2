// Windows Vista and 7 without the loader update of 2011 have no
// SetDefaultDllDirectories: there, DLLs that Windows' own libraries load by
// name are looked for in the program's folder first (Downloads, where any web
// page can leave one), whatever the program does. The elevated installer
// cannot run safely on such a system: it says so and ends.
#pragma once
#include <windows.h>

// Tells the user, in the language of their Windows, to install the Windows
// updates, in the system's own message box: no skin drawing and no network,
// so that nothing loads more DLLs than the box itself. Returns once the box
// is closed. UI thread, before the window and the services start.
void refuseUnlockedDllSearch(HINSTANCE instance);

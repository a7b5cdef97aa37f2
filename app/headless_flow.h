// The installation flow without a window: what the main window does once the
// user pressed install, driven straight from start-up. It stands in for the
// main window until that exists, and ends the run by posting the quit message.
#pragma once

class CAppModel;

// UI thread. Starts the download at once (only the first call does anything);
// a finished download installs the package, a finished installation starts
// the emulator, and either failure or the end quits the message loop.
void startHeadlessFlow(CAppModel& model);

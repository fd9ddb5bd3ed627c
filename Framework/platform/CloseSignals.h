#pragma once
// Close signals: SIGINT (Ctrl+C in a terminal) and SIGTERM (the session or a
// process manager ending the program) ask the game to close like the window's
// close button, so that the options are saved and everything is shut down in
// order instead of the process dying mid-frame.
//
// The handler only sets a flag (the one async-signal-safe thing to do); the
// system platform's event pump turns it into InputCallback::OnClose.

/// Catches SIGINT and SIGTERM from now on; the previous actions are kept for
/// RestoreCloseSignalHandlers. Installing twice has no further effect.
void InstallCloseSignalHandlers();
/// Puts back the actions that were in place before InstallCloseSignalHandlers.
void RestoreCloseSignalHandlers();
/// True once after a close signal arrived (the flag is cleared by reading it).
bool TakeCloseSignal();
/// True while a close signal waits for TakeCloseSignal; leaves it waiting.
bool CloseSignalPending();

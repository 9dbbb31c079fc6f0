// Prompts that must not wait: when the process is asked to end (the tool's
// SIGINT or SIGTERM handler calls PalCancelPrompts), a message box that waits
// for an answer on the terminal gives its unattended answer at once (Cancel
// to Retry/Cancel), and so does every later one, so that the program can end
// what it was doing and exit promptly.
#pragma once

// Safe to call from a signal handler.
void PalCancelPrompts() noexcept;
bool PalPromptsCancelled() noexcept;

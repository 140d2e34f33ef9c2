#pragma once
// The update pipeline: version check, manifest, downloads, finalisation.

// Starts the first stage on its own thread and returns at once. A standard
// exception or an Exception raised while starting is the caller's to show.
void StartVersionCheck();

// The progress timer's handler, on the window's thread.
void OnProgressTick();

// Runs the game client and ends the process.
void LaunchGame();

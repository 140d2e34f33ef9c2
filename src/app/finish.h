#pragma once
// The end of a run: completes a first installation, then starts the game or
// enables the start button.

// Called once per run, on the pipeline thread that finished last.
void FinishUpdate();

// Creates the missing marker files, starts the game client and ends the
// process with exit code 0. Does not return.
[[noreturn]] void LaunchGame();

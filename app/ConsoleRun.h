#pragma once

#include "app/ConsoleOptions.h"
#include "app/ConsoleView.h"
#include "app/RunOperations.h"

// Exit statuses of a run from the console.
inline constexpr int ConsoleAccepted = 0;
inline constexpr int ConsoleFailed = 1;
inline constexpr int ConsoleRefused = 2;

// The window's run from a terminal, through the same TForm1: the entries are judged as leaving
// each field judges them, a refused one ends the run before the inventory or any disk is
// touched; then the show step (its status line on standard error), and the click on "Execute
// SMART Test" with one progress line per disk. With NoUpload the saved report is printed
// instead of posted; with Keep the report file is left in the current directory.
int RunFromConsole(const ConsoleOptions& options, RunOperations operations, ConsoleStreams streams);

// UHelp: the answers to "--help" (also "/?", the Windows habit) and
// "--version" among the arguments, which the gateway gives on standard
// output instead of starting.
//
// Called by the main thread first thing at start-up.
#pragma once

// When an argument after the program path asks for help or the version,
// prints the answer and returns true (help wins when both are asked).
bool AnswerHelpOrVersion(int Argc, const char* const* Argv);

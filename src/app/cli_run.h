#pragma once
// Runs one command of the command-line mode on the installed backend and answers its
// exit code. Answers go to standard output (text, or JSON with --json), errors to
// standard error as one line "lumora-x8-settings: ...".
#include "app/cli_request.h"

int runCommandLine(const CliRequest& request);

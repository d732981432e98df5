// ReplayCommand: `ordnix replay FILE` with --final, --png, --gif or --hashes, without a display.
//
// The game runs on the calling thread against a ReplayHost with virtual time, as fast as the machine
// allows. Output goes where the command line asks; messages go to `err`, one line each, starting
// "ordnix: FILE: ". Exit status: 0 exact (a cut-off file too, with a note), 2 for a file that is not
// a readable recording or an output that cannot be written, 3 when the replay diverges or a
// checkpoint fails.
#pragma once

#include <cstdio>

#include "CommandLine.h"

namespace ReplayCommand {

int runHeadless(const CommandLine& line, std::FILE* out = stdout, std::FILE* err = stderr);

} // namespace ReplayCommand

#pragma once

// `lumetra capture`, `lumetra send`, `lumetra loop-test` and `lumetra help`: the program
// without a window. Runs on Qt Core alone, so that it needs no display, and returns the exit
// status: 0 done, 1 failed (the reason on standard error), 2 a wrong command line.
int runTool(int argc, char *argv[]);

#include "cli/ToolMain.h"

// The words of the program linked with the library that holds them and nothing more: what
// the check of their link libraries runs.
int main(int argc, char *argv[])
{
    return runTool(argc, argv);
}

// Program entry: reads the command line, builds the application object and runs it.
#include "shell/application.h"

int main(int argc, char** argv)
{
    return RunTalvessa(argc, argv);
}

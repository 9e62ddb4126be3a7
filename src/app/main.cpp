// Program entry: builds the application object and runs it.
#include "shell/application.h"

int main(int argc, char** argv)
{
    TalvessaApplication app(argc, argv);
    StartProgram();
    return app.exec();
}

// Program entry: builds the application object, reads the command line and runs it.
#include "shell/application.h"
#include "shell/start_options.h"

int main(int argc, char** argv)
{
    TalvessaApplication app(argc, argv);
    StartOptions options;
    if (const std::optional<int> exitCode = ReadStartOptions(QApplication::arguments(), options)) return *exitCode;
    StartProgram(options);
    return app.exec();
}

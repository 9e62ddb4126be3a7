// Program entry: builds the application object and runs it.
#include "shell/main_form.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Talvessa");
    TMainForm frame;
    frame.show();
    return app.exec();
}

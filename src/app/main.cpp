// Program entry: builds the application object and runs it.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Talvessa");
    QMainWindow window;
    window.setWindowTitle("Talvessa");
    window.show();
    return app.exec();
}

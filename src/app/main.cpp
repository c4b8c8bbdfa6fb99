#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel label("Quillmark: the main window is not part of this build yet.");
    label.show();
    return app.exec();
}

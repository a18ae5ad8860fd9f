// The yardstick of the start-up benchmark: a bare Qt 6 program showing one
// frameless 195 x 108 window, and nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("Bare"));
    window.resize(195, 108);
    window.show();
    return application.exec();
}

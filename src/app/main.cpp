// Program entry; the start-up sequence lands here with the window.
#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return 0;
}

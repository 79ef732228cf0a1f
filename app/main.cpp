#include "Hollastrin.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CHollastrinApp theApp;
    theApp.InitInstance();
    return 0;
}

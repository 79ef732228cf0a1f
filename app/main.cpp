#include "Hollastrin.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // Without a window system the toolkit would only fail with an error of
    // its own; say what the program is and how to see it instead.
    if (!HasGraphicalSession())
    {
        std::fprintf(stderr, "%s\n", kNoDisplayMessage);
        return 1;
    }
    QApplication app(argc, argv);
    CHollastrinApp theApp;
    theApp.InitInstance();
    return 0;
}

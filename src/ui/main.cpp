#include <QApplication>

#include <cstdio>
#include <exception>

#include "ui/velmora_app.h"

CVelmoraApp theApp;

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    try {
        theApp.InitInstance();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmora: %s\n", e.what());
        return 1;
    }
    return theApp.ExitCode();
}

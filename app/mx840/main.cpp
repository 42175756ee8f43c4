#include "app/FrmTest.h"
#include "app/Windows.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Windows windows;
    windows.FrmTest->show();
    return QApplication::exec();
}

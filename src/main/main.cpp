#include "main/frmMain.h"
#include "ports/PortSystem.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumetra"));
    QApplication::setApplicationVersion(QStringLiteral(LUMETRA_VERSION));

    frmMain window(PortSystem::createDefault());
    window.Form_Load();
    window.show();
    return QApplication::exec();
}

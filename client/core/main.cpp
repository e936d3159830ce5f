#include "client/core/uMain.h"
#include "platform/ui/desktop.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    vintrel::ui::setChineseThreadLocale();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vintrel"));
    vintrel::ui::loadToolkitTranslations();
    vintrel::TFrmMain mainWindow;
    if (!mainWindow.configurationOk())
        return 1;
    mainWindow.show();
    return app.exec();
}

#include "ui/velmora_app.h"

#include <QCoreApplication>

#include "ui/network_interfaces.h"
#include "ui/qt_services.h"
#include "ui/resource_source.h"
#include "ui/velmora_dlg.h"

int EnglishResourcesLoaded = 0;

namespace {
CVelmoraDlg* TheMainWindow = nullptr;

/// Makes the dialog the application's main window for the span of its modal run.
class MainWindowScope {
public:
    explicit MainWindowScope(CVelmoraDlg& dialog) { TheMainWindow = &dialog; }
    ~MainWindowScope() { TheMainWindow = nullptr; }
    MainWindowScope(const MainWindowScope&) = delete;
    MainWindowScope& operator=(const MainWindowScope&) = delete;
};
} // namespace

bool CVelmoraApp::LoadResources(const QString& programFolder, QLocale::Language uiLanguage) {
    const bool loaded = ResourceSource::LoadTovrin(programFolder);
    EnglishResourcesLoaded = loaded ? 1 : 0;
    if (loaded)
        ResourceSource::UseTovrin();
    else
        ResourceSource::UseOwn(uiLanguage);
    return loaded;
}

CVelmoraDlg* CVelmoraApp::MainWindow() {
    return TheMainWindow;
}

bool CVelmoraApp::InitInstance() {
    // Qt's widgets need no registration of control classes before use, so there is no
    // common-controls step here.

    // The bundle is registered as data only: none of its content runs.
    LoadResources(QCoreApplication::applicationDirPath(), QLocale::system().language());

    // Socket support needs no start-up on Linux, so the failure to start it (string 103) cannot
    // occur. Nor is there a shell manager to create: the file dialog is Qt's own.

    QCoreApplication::setOrganizationName(QLatin1String(ProfileOrganisation));

    {
        const QtNetworkInterfaces interfaces;
        CVelmoraDlg dialog;
        dialog.StartInputs().CommandLineTail =
            QCoreApplication::arguments().mid(1).join(QLatin1Char(' ')).toStdU16String();
        dialog.StartInputs().Interfaces = &interfaces;
        MainWindowScope scope(dialog);
        dialog.DoModal();
        exitCode_ = dialog.Window().QuitCode().value_or(0);
    }
    return false;
}

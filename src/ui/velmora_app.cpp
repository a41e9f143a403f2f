#include "ui/velmora_app.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

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

    // Qt's own texts (the buttons of message boxes, the file dialog) follow the user's language,
    // as a desktop's standard dialogs do, whichever resources the program shows.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

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

#pragma once
#include <QLocale>
#include <QString>

class CVelmoraDlg;

/// 1 once the English resource bundle has become the source of every dialog and string, else 0.
/// Only the dialog's start reads it, to choose the language of the description texts.
extern int EnglishResourcesLoaded;

/// The application: chooses the resource source, sets the profile's key and runs the main
/// dialog modally. There is no other window and no event loop besides the dialog's.
class CVelmoraApp {
public:
    /// Runs the program: resources, profile key, the modal run of the main dialog. Returns false
    /// in every case, so the process ends when the dialog has closed.
    bool InitInstance();

    /// Chooses the resource source from `programFolder` and the user's interface language:
    /// "Tovrin.rcc" there → English everywhere and EnglishResourcesLoaded = 1; else the
    /// program's own resources (Russian for a Russian interface language, English otherwise)
    /// and EnglishResourcesLoaded = 0. Returns whether the bundle loaded.
    static bool LoadResources(const QString& programFolder, QLocale::Language uiLanguage);

    /// The main dialog during its modal run, null before and after.
    static CVelmoraDlg* MainWindow();

    /// The process's exit code after InitInstance: the code of a posted quit, else 0.
    int ExitCode() const { return exitCode_; }

private:
    int exitCode_ = 0;
};

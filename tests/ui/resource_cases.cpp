#include "resource_cases.h"

#include <QTemporaryDir>

#include "ui/velmora_app.h"

void UseSourceCase(SourceCase source) {
    static QTemporaryDir folderWithoutBundle;
    switch (source) {
    case SourceCase::Tovrin:
        CVelmoraApp::LoadResources(QStringLiteral(VELMORA_PROGRAM_DIR), QLocale::Russian);
        break;
    case SourceCase::OwnRussian:
        CVelmoraApp::LoadResources(folderWithoutBundle.path(), QLocale::Russian);
        break;
    case SourceCase::OwnEnglish:
        CVelmoraApp::LoadResources(folderWithoutBundle.path(), QLocale::German);
        break;
    }
}

const char* SourceCaseName(SourceCase source) {
    switch (source) {
    case SourceCase::Tovrin:
        return "tovrin";
    case SourceCase::OwnRussian:
        return "ru";
    case SourceCase::OwnEnglish:
        break;
    }
    return "en";
}

#include <QDialog>

#include <gtest/gtest.h>

#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "resource_cases.h"
#include "ui/resource_source.h"
#include "ui/velmora_app.h"

namespace {
struct SourceExpectation {
    SourceCase Case;
    ResourceOrigin Origin;
    int EnglishLoaded;
    const char* Column0; // string 104
    const char* Title;   // template 102's caption
    bool HasIcon;
};

// The bundle wins over the user's language; without it the language picks the program's copy,
// and only the bundle switches the description texts to English.
const SourceExpectation Expectations[] = {
    {SourceCase::Tovrin, ResourceOrigin::Tovrin, 1, "Parameter",
     "Tarnel configuration (version X.X)", false},
    {SourceCase::OwnRussian, ResourceOrigin::OwnRussian, 0, "Параметр",
     "Программа настройки адаптера Tarnel/Brisca (версия X.X)", true},
    {SourceCase::OwnEnglish, ResourceOrigin::OwnEnglish, 0, "Parameter",
     "Tarnel configuration (version X.X)", true},
};
} // namespace

TEST(ResourceSource, ChoiceAtStartDecidesTemplatesStringsIconAndLanguageFlag) {
    for (const SourceExpectation& e : Expectations) {
        SCOPED_TRACE(SourceCaseName(e.Case));
        UseSourceCase(e.Case);
        EXPECT_EQ(ResourceSource::Origin(), e.Origin);
        EXPECT_EQ(EnglishResourcesLoaded, e.EnglishLoaded);
        EXPECT_EQ(ResourceSource::LoadString(ids::ColumnParameter), QString::fromUtf8(e.Column0));
        QDialog dialog;
        ASSERT_TRUE(ResourceSource::BuildDialog(dlg::MainDialog, dialog));
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(e.Title));
        EXPECT_EQ(!ResourceSource::LoadIcon(MainIconId).isNull(), e.HasIcon);
    }
}

TEST(ResourceSource, EveryStringOfTheTableExistsInEverySource) {
    for (SourceCase source : AllSourceCases) {
        SCOPED_TRACE(SourceCaseName(source));
        UseSourceCase(source);
        for (int id = ids::SocketsInitFailed; id <= ids::AbortWriteQuestion; ++id) {
            if (id == 150)
                continue; // no text has this id
            EXPECT_FALSE(ResourceSource::LoadString(id).isEmpty()) << id;
        }
    }
}

TEST(ResourceSource, ProbeAndAbortMessagesAreInTheInterfaceLanguage) {
    for (SourceCase source : AllSourceCases) {
        SCOPED_TRACE(SourceCaseName(source));
        UseSourceCase(source);
        const bool russian = IsRussian(source);
        EXPECT_EQ(ResourceSource::LoadString(ids::DeviceNotResponding),
                  QString::fromUtf8(russian ? "Ошибка: устройство не отвечает"
                                            : "Error: device not responding"));
        EXPECT_EQ(ResourceSource::LoadString(ids::AbortWriteQuestion),
                  QString::fromUtf8(russian ? "Предыдущая запись не завершена. Прервать ее?"
                                            : "Previous write not completed. Abort it?"));
    }
}

TEST(ResourceSource, WhatTheSourceLacksGivesNothing) {
    UseSourceCase(SourceCase::OwnEnglish);
    QDialog dialog;
    EXPECT_FALSE(ResourceSource::BuildDialog(4711, dialog));
    EXPECT_TRUE(dialog.children().isEmpty());
    EXPECT_TRUE(ResourceSource::LoadString(150).isEmpty());
    EXPECT_TRUE(ResourceSource::LoadIcon(4711).isNull());
    EXPECT_EQ(ResourceSource::FindControl(dialog, ctl::DeviceAddressCombo), nullptr);
}

TEST(ResourceSource, BundleIsReleasedWhenTheChoiceIsMadeAgain) {
    UseSourceCase(SourceCase::Tovrin);
    UseSourceCase(SourceCase::OwnRussian);
    UseSourceCase(SourceCase::Tovrin); // registering the same file twice would fail
    EXPECT_EQ(ResourceSource::Origin(), ResourceOrigin::Tovrin);
    EXPECT_EQ(EnglishResourcesLoaded, 1);
}

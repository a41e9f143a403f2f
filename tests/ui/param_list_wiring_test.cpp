#include <gtest/gtest.h>

#include "dialog/param_table_refresh.h"
#include "platform/table_notices.h"
#include "resource_cases.h"
#include "support/param_maps.h"
#include "ui/table_ctrl.h"
#include "ui/velmora_dlg.h"

namespace {

TEST(MainDialog, ListDoubleClickOnThePlotCellTogglesTheFlagOfThatRow) {
    UseSourceCase(SourceCase::OwnEnglish);
    CVelmoraDlg dialog;
    DialogState& state = dialog.State();
    for (int c = 0; c < 3; ++c)
        dialog.ParamList->AddColumn(c, u"", 70, 0);
    state.SelectedParamMap =
        ParamMapOf({{{0x51300000u, 0, 0}, {10, 0}}, {{0x51300001u, 0, 0}, {20, 0}}});
    RefreshParamTable(state, 0);

    emit dialog.ParamList->ParentNotice(table_notice::DoubleClick, 2, 1);
    EXPECT_EQ(SettingAt(state.SelectedParamMap, {0x51300001u, 0, 0}).plot, 1);
    EXPECT_EQ(SettingAt(state.SelectedParamMap, {0x51300000u, 0, 0}).plot, 0);
    ASSERT_EQ(dialog.ParamList->Rows().ItemCount(), 2);
    EXPECT_EQ(dialog.ParamList->Rows().Items()[1].SubItems.at(1), u"-");
    EXPECT_EQ(dialog.ParamList->Rows().GetSelectedIndex(), 1);

    // Other notices leave the map alone.
    for (int notice :
         {table_notice::CtrlDoubleClick, table_notice::ShiftDoubleClick, table_notice::Click})
        emit dialog.ParamList->ParentNotice(notice, 2, 1);
    EXPECT_EQ(SettingAt(state.SelectedParamMap, {0x51300001u, 0, 0}).plot, 1);
}

} // namespace

// Windows without anything to scroll let wheel steps pass.

#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"

namespace {
class WheelTest : public uitest::ScreenTest {};
}  // namespace

TEST_F(WheelTest, MessageWindowStaysOpenOverWheelSteps) {
    const std::vector<Cell> before = screen.Cells();
    keys.PushMouse(kEventWheelUp, 40, 10);
    keys.PushMouse(kEventWheelDown, 40, 10);
    keys.PushKey('x');  // this one closes it
    keys.PushKey('z');
    ShowMessage(nullptr, "Done", true);
    EXPECT_EQ(1, keys.Remaining());
    EXPECT_EQ(before, screen.Cells());
}

TEST_F(WheelTest, DialogWithoutListsIgnoresWheelSteps) {
    Dialog d(10, 5, 40, 10, 0x70, 0);
    d.AddPushButton(1, 1, 1, 44, "Go");
    keys.PushMouse(kEventWheelDown, 13, 7);  // over the button
    keys.PushMouse(kEventWheelUp, 0, 0);     // outside the dialog
    keys.PushKey(kKeyEnter);
    EXPECT_EQ(44, d.Run());
    EXPECT_EQ(0, keys.Remaining());
}

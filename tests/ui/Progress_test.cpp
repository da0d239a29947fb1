#include "ui/ProgressWindow.h"

#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/KeyCodes.h"
#include "ui/ProgressIndicator.h"

namespace {

class ProgressTest : public uitest::ScreenTest {};

}  // namespace

TEST(ProgressIndicatorCells, FilledCellsByFraction) {
    struct Case {
        float fraction;
        int width;
        int filled;
    };
    const Case cases[] = {
        {0.999f, 24, 23}, {1.5f, 24, 24}, {1.0f, 24, 24}, {0.0f, 24, 0}, {-0.5f, 24, 0},
        {0.5f, 24, 12},   {0.04f, 24, 0}, {0.05f, 24, 1}, {0.5f, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.filled, ProgressIndicator::FilledCells(c.fraction, c.width)) << c.fraction << " of " << c.width;
}

TEST_F(ProgressTest, GaugeDrawsOnlyWhenACellChanges) {
    float fraction = 0.999f;
    Dialog d(0, 0, 40, 5, 0x70, 0);
    int gauge = d.AddProgress(2, 1, 24, fraction);
    d.Redraw(gauge);
    // Origin (1, 1): the gauge from (3, 2).
    EXPECT_EQ(std::string(23, '\xDB') + '\xB0', Row(3, 2, 24));
    EXPECT_EQ(0x70, screen.At(3, 2).attr);
    // Scribble over it: an unchanged count of cells draws nothing.
    Cell mark{'#', 0x1E};
    screen.WriteCells(3, 2, 1, 1, &mark);
    fraction = 0.97f;  // still 23 cells
    d.Redraw(gauge);
    EXPECT_EQ('#', screen.At(3, 2).ch);
    fraction = 2.0f;
    d.Redraw(gauge);
    EXPECT_EQ(std::string(24, '\xDB'), Row(3, 2, 24));
    EXPECT_EQ(24, static_cast<ProgressIndicator&>(d.ControlAt(gauge)).DrawnFilled());
}

TEST_F(ProgressTest, CounterCancelAndRestore) {
    const std::vector<Cell> before = screen.Cells();
    {
        ProgressWindow progress(" Export ", "Records written:", ProgressWindow::kCounter);
        progress.SetCount(7);
        int row = FindRow("Records written: 7");
        EXPECT_GE(row, 0);
        EXPECT_GE(FindRow(" Export "), 0);
        progress.SetCount(12345);
        EXPECT_EQ(row, FindRow("Records written: 12345"));
        // Nothing waiting: no question.
        EXPECT_FALSE(progress.CancelRequested("Cancel Export?"));
        // A key other than Esc is taken and ignored.
        keys.PushKey('x');
        EXPECT_FALSE(progress.CancelRequested("Cancel Export?"));
        EXPECT_EQ(0, keys.Remaining());
        // Esc asks; Cancel (Esc) in the question goes on.
        keys.PushKey(kKeyEsc);
        keys.PushKey(kKeyEsc);
        EXPECT_FALSE(progress.CancelRequested("Cancel Export?"));
        EXPECT_GE(FindRow("Records written: 12345"), 0) << "the question closed again";
        // Esc, then Ok: stop.
        keys.PushKey(kKeyEsc);
        keys.PushKey(kKeyEnter);
        EXPECT_TRUE(progress.CancelRequested("Cancel Export?"));
    }
    EXPECT_EQ(before, screen.Cells());
}

TEST_F(ProgressTest, GaugeStyleWindow) {
    const std::vector<Cell> before = screen.Cells();
    {
        ProgressWindow progress(" Import ", "Reading...", ProgressWindow::kGauge);
        progress.SetFraction(0.5f);
        int row = FindRow(std::string(23, '\xDB') + std::string(23, '\xB0'));
        EXPECT_GE(row, 0);
        EXPECT_EQ(row - 2, FindRow("Reading..."));
    }
    EXPECT_EQ(before, screen.Cells());
}

// The virtual panel's settings: the file's lines, the environment's values, and the
// scale that fits a screen.
#include <gtest/gtest.h>

#include "panel_settings.h"

namespace {

using virtual_panel::PanelSettings;

TEST(VirtualPanelSettings, FileLinesSetSizeAndScale) {
    const struct {
        const char* text;
        panel::PanelGeometry geometry;
        int scale;  // 0: left to fit the screen
    } cases[] = {
        {"", {20, 4}, 0},
        {"size=16x2\n", {16, 2}, 0},
        {"size=16x2\r\nscale=2\r\n", {16, 2}, 2},
        {"  size =  40x2  \n\n# size=8x1\n; scale=5\n[panel]\n", {40, 2}, 0},
        {"size=16x2\nsize=8x1", {8, 1}, 0},            // the last line wins
        {"size=40x4\nsize=\nsize=20\nsize=16x2x\n", {20, 4}, 0},  // not sizes the driver knows
        {"scale=0\nscale=33\nscale=2.5\nscale=-1\nscale=\n", {20, 4}, 0},
        {"scale=32\ncolour=blue\nno equals sign\n", {20, 4}, 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        PanelSettings settings;
        virtual_panel::ApplySettingsText(settings, c.text);
        EXPECT_EQ(settings.geometry, c.geometry);
        EXPECT_EQ(settings.scale.value_or(0), c.scale);
    }
}

TEST(VirtualPanelSettings, AValueNotUnderstoodLeavesTheSettingAsItWas) {
    PanelSettings settings;
    virtual_panel::ApplySettingsText(settings, "size=16x2\nscale=2\n");
    // The environment's values come after the file's.
    EXPECT_FALSE(virtual_panel::ApplySetting(settings, "size", "17x2"));
    EXPECT_FALSE(virtual_panel::ApplySetting(settings, "scale", "big"));
    EXPECT_FALSE(virtual_panel::ApplySetting(settings, "colour", "blue"));
    EXPECT_EQ(settings.geometry, (panel::PanelGeometry{16, 2}));
    EXPECT_EQ(settings.scale, 2);
    EXPECT_TRUE(virtual_panel::ApplySetting(settings, "size", " 12x2 "));
    EXPECT_EQ(settings.geometry, (panel::PanelGeometry{12, 2}));
}

TEST(VirtualPanelSettings, ScaleFitsTheScreenUnlessChosen) {
    PanelSettings settings;
    settings.geometry = {40, 2};  // 1467 x 135 pixels at scale 3, 978 x 90 at 2, 489 x 45 at 1
    EXPECT_EQ(virtual_panel::ScaleToUse(settings, 8, 30, 1920, 1040), 3);
    EXPECT_EQ(virtual_panel::ScaleToUse(settings, 8, 30, 1475, 1040), 3);
    EXPECT_EQ(virtual_panel::ScaleToUse(settings, 8, 30, 1474, 1040), 2);
    EXPECT_EQ(virtual_panel::ScaleToUse(settings, 8, 30, 800, 600), 1);
    EXPECT_EQ(virtual_panel::ScaleToUse(settings, 8, 30, 100, 100), 1) << "nothing fits: the smallest";
    settings.geometry = {20, 4};  // 747 x 243 at scale 3
    EXPECT_EQ(virtual_panel::ScaleToUse(settings, 8, 30, 1024, 272), 2) << "too high at 3";
    settings.scale = 5;
    EXPECT_EQ(virtual_panel::ScaleToUse(settings, 8, 30, 100, 100), 5) << "a chosen scale stays";
}

}  // namespace

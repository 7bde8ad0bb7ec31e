// The terminal picture of the panel.
#include "font5x8.h"
#include "panel_text.h"

#include "panel_test_support.h"

namespace {

TEST(PanelText, SmallPanelWithPatternCursorAndLegend) {
    Hd44780Model model = StartedModel();
    Instructions(model, {0x40 | 2 * 8});
    Data(model, {0x04, 0x0E, 0x1F, 0x04, 0x04, 0x04, 0x04, 0x00});  // pattern 2: an arrow up
    Instructions(model, {0x80});
    Text(model, "Hi");
    Data(model, {0x02, 0x0A});  // both show pattern 2
    Instructions(model, {0xC0});
    Data(model, {0x5C, 0x7E});
    Instructions(model, {0x0E});

    EXPECT_EQ(panel::RenderPanelText(model, {8, 2}),
              "┌────────┐\n"
              "│Hi②②    │\n"
              "│¥→      │\n"
              "└────────┘\n"
              "cursor: row 2, column 3 (underline)\n"
              "②    \n"
              "··█··\n"
              "·███·\n"
              "█████\n"
              "··█··\n"
              "··█··\n"
              "··█··\n"
              "··█··\n"
              "·····\n");
}

TEST(PanelText, LegendShowsEachPatternOnceSideBySide) {
    Hd44780Model model = StartedModel();
    Instructions(model, {0x40 | 5 * 8});
    Data(model, {0x10, 0x01});  // pattern 5: top-left dot, then bottom-right dot of row 1
    Instructions(model, {0x80});
    Data(model, {0x05, 0x00, 0x0D, 0x05});

    EXPECT_EQ(panel::RenderPanelText(model, {8, 1}),
              "┌────────┐\n"
              "│⑤⓪⑤⑤    │\n"
              "└────────┘\n"
              "⓪      ⑤    \n"
              "·····  █····\n"
              "·····  ····█\n"
              "·····  ·····\n"
              "·····  ·····\n"
              "·····  ·····\n"
              "·····  ·····\n"
              "·····  ·····\n"
              "·····  ·····\n");
}

TEST(PanelText, FrameStaysClosedAroundWideCharactersAndDisplayOff) {
    Hd44780Model model = StartedModel();
    Data(model, {0xFA});
    Text(model, "abcdefg");
    Instructions(model, {0xC0});
    Text(model, "x");
    EXPECT_EQ(panel::RenderPanelText(model, {8, 2}),
              "┌─────────┐\n"
              "│千abcdefg│\n"
              "│x        │\n"
              "└─────────┘\n");

    Instructions(model, {0x0F, 0x08});
    EXPECT_EQ(panel::RenderPanelText(model, {8, 2}),
              "┌────────┐\n"
              "│        │\n"
              "│        │\n"
              "└────────┘\n"
              "display off\n");
}

}  // namespace

// The virtual panel's state, shared by the bridge calls (the host's threads) and the
// windows (a thread each). One VirtualPanel per bridge device that has been opened,
// up to kMaxPanels; further devices are only recorded.
//
// Every field is guarded by PanelLock(). The host's side holds it only to feed a byte
// to the model and post a redraw request; a window's side only to copy the model.
// Nothing waits on a window while holding it, so a window that hangs or has gone
// never holds up a Write.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>

#include "hd44780_model.h"
#include "panel_view.h"

namespace virtual_panel {

inline constexpr int kMaxPanels = 8;
// Posted to a panel's window when its model has changed (at most one waits at a time).
inline constexpr UINT kRedrawMessage = WM_APP + 1;

struct VirtualPanel {
    uint32_t device = 0;
    panel::Hd44780Model model;
    panel::PanelGeometry geometry{20, 4};
    int scale = 3;
    HWND window = nullptr;       // set by the window's thread while the window exists
    bool redrawPending = false;  // a kRedrawMessage is on its way
};

SRWLOCK& PanelLock();

// Starts the window of `panel` on a thread of its own; false if the thread could not
// start. The window itself may still fail to appear (no display): that is no error.
bool StartPanelWindow(VirtualPanel* panel);

}  // namespace virtual_panel

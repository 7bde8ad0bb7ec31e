// The virtual panel's window: one thread per panel, which creates the window, draws
// the panel through the shared rasterizer (panel_raster.h) and runs the window's
// message loop until the user closes it.
//
// The thread holds a reference on this DLL for as long as it runs and drops it with
// FreeLibraryAndExitThread: a host that unloads the driver (and with it this bridge)
// while the window is open must not pull the code out from under the thread.
#include <cstdint>
#include <string>
#include <vector>

#include "panel_raster.h"
#include "panel_settings.h"
#include "virtual_panel.h"

namespace virtual_panel {

namespace {

constexpr const char* kClassName = "VantrelVirtualPanel";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// What the window's thread keeps: its panel and the last picture, as a top-down
// 32-bit DIB.
struct WindowState {
    VirtualPanel* panel = nullptr;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// Draws the panel as it is now into state.pixels; without memory for the picture
// the window keeps the last one (nothing may throw through the window procedure).
void Render(WindowState& state) noexcept {
    AcquireSRWLockExclusive(&PanelLock());
    const panel::Hd44780Model model = state.panel->model;
    const panel::PanelGeometry geometry = state.panel->geometry;
    const int scale = state.panel->scale;
    state.panel->redrawPending = false;
    ReleaseSRWLockExclusive(&PanelLock());

    try {
        panel::PanelImageOptions options;
        options.scale = scale;
        const panel::RgbImage image = panel::RenderPanelImage(model, geometry, options);
        std::vector<uint32_t> pixels(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
        for (size_t i = 0; i < pixels.size(); ++i) {
            const uint8_t* rgb = &image.pixels[i * 3];
            pixels[i] = (uint32_t{rgb[0]} << 16) | (uint32_t{rgb[1]} << 8) | rgb[2];
        }
        state.pixels.swap(pixels);
        state.width = image.width;
        state.height = image.height;
    } catch (...) {
    }
}

void Paint(HWND window, const WindowState& state) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    if (dc && state.width > 0) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = state.width;
        info.bmiHeader.biHeight = -state.height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(state.width), static_cast<DWORD>(state.height), 0, 0, 0,
                          static_cast<UINT>(state.height), state.pixels.data(), &info, DIB_RGB_COLORS);
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<WindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (state) {
        switch (message) {
        case kRedrawMessage:
            Render(*state);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the picture covers the whole client area
        case WM_PAINT:
            Paint(window, *state);
            return 0;
        case WM_DESTROY:
            // From here the host's writes only feed the model.
            AcquireSRWLockExclusive(&PanelLock());
            state->panel->window = nullptr;
            state->panel->redrawPending = false;
            ReleaseSRWLockExclusive(&PanelLock());
            PostQuitMessage(0);
            return 0;
        default:
            break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The frame's extra size around a client area, for this style.
SIZE FrameExtra() {
    RECT rect = {0, 0, 100, 100};
    AdjustWindowRectEx(&rect, kStyle, FALSE, 0);
    return {rect.right - rect.left - 100, rect.bottom - rect.top - 100};
}

// Picks the scale when the settings left it open: the largest that fits the screen.
int FittedScale(const PanelSettings& fitted, SIZE extra) {
    RECT work{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) return 1;
    return ScaleToUse(fitted, extra.cx, extra.cy, work.right - work.left, work.bottom - work.top);
}

void RunWindow(HMODULE self, VirtualPanel* panel) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = self;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    // A second panel finds the class registered already: that is fine.
    RegisterClassA(&windowClass);

    const SIZE extra = FrameExtra();
    AcquireSRWLockExclusive(&PanelLock());
    if (panel->scale == 0) {
        PanelSettings fitted;
        fitted.geometry = panel->geometry;
        panel->scale = FittedScale(fitted, extra);
    }
    const panel::PanelGeometry geometry = panel->geometry;
    const int scale = panel->scale;
    const uint32_t device = panel->device;
    ReleaseSRWLockExclusive(&PanelLock());

    const std::string title = "Virtual panel " + panel::GeometryName(geometry) + " - device " + std::to_string(device);
    WindowState state;
    state.panel = panel;
    Render(state);
    const int width = panel::PanelImageWidth(geometry, scale) + extra.cx;
    const int height = panel::PanelImageHeight(geometry, scale) + extra.cy;
    const HWND window = CreateWindowExA(0, kClassName, title.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, width,
                                        height, nullptr, nullptr, self, &state);
    if (!window) return;  // no display: the bridge records without a window
    AcquireSRWLockExclusive(&PanelLock());
    panel->window = window;
    ReleaseSRWLockExclusive(&PanelLock());
    // Bytes that arrived while the window was being made.
    PostMessageA(window, kRedrawMessage, 0, 0);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

DWORD WINAPI WindowThread(void* parameter) {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&WindowThread), &self);
    try {
        RunWindow(self, static_cast<VirtualPanel*>(parameter));
    } catch (...) {
        // Out of memory for the title: no window, the host goes on.
    }
    FreeLibraryAndExitThread(self, 0);
}

}  // namespace

bool StartPanelWindow(VirtualPanel* panel) {
    // The thread's own reference on this DLL, released by FreeLibraryAndExitThread.
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&WindowThread), &self))
        return false;
    const HANDLE thread = CreateThread(nullptr, 0, WindowThread, panel, 0, nullptr);
    if (!thread) {
        FreeLibrary(self);
        return false;
    }
    CloseHandle(thread);
    return true;
}

}  // namespace virtual_panel

// The virtual panel's side of the bridge calls: the recording bridge (bridge_stub.c,
// built with BRIDGE_STUB_OBSERVER naming VirtualPanelObserve) hands every call here
// after logging it. The first open of a device makes its panel and its window; the
// instruction and data bytes feed that panel's controller model, as they would reach
// the controller on the bus; closing a device changes nothing, so its window keeps
// the last picture.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bridge_stub.h"
#include "panel_settings.h"
#include "virtual_panel.h"

namespace virtual_panel {

namespace {

VirtualPanel panels[kMaxPanels];
int panelCount = 0;
bool settingsRead = false;
PanelSettings settings;

// The folder this DLL was loaded from, with a trailing backslash.
std::string OwnFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&OwnFolder), &self))
        return {};
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    const std::string full(path, n);
    const size_t slash = full.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

std::string FileText(const std::string& path) {
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[512];
        size_t n;
        // A settings file is a few lines: anything past 64 KiB is not one.
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() < 65536) text.append(buffer, n);
        std::fclose(file);
    }
    return text;
}

// Read once, on the first open: the file beside the DLL, then the environment.
// Never throws: without memory for the file's text the defaults stay.
void ReadSettings() {
    if (settingsRead) return;
    settingsRead = true;
    try {
        // Without our own folder, no file: never one from the current folder.
        const std::string folder = OwnFolder();
        if (!folder.empty()) ApplySettingsText(settings, FileText(folder + kSettingsFileName));
    } catch (...) {
    }
    if (const char* size = std::getenv(kSizeVariable)) ApplySetting(settings, "size", size);
    if (const char* scale = std::getenv(kScaleVariable)) ApplySetting(settings, "scale", scale);
}

VirtualPanel* FindPanel(uint32_t device) {
    for (int i = 0; i < panelCount; ++i)
        if (panels[i].device == device) return &panels[i];
    return nullptr;
}

// Caller holds the lock. Returns the new panel, null when the device has one already
// or the table is full.
VirtualPanel* NewPanel(uint32_t device) {
    if (FindPanel(device) || panelCount >= kMaxPanels) return nullptr;
    ReadSettings();
    VirtualPanel* panel = &panels[panelCount++];
    panel->device = device;
    panel->model.Reset();
    panel->geometry = settings.geometry;
    panel->scale = settings.scale.value_or(0);  // 0: the window fits it to the screen
    return panel;
}

// Caller holds the lock.
void Feed(uint32_t kind, uint32_t device, uint8_t byte) {
    VirtualPanel* panel = FindPanel(device);
    if (!panel) return;
    if (kind == BridgeInstruction)
        panel->model.Instruction(byte);
    else
        panel->model.Data(byte);
    if (panel->window && !panel->redrawPending) {
        // PostMessage never waits for the window's thread; if the window has just
        // gone, the request is dropped.
        panel->redrawPending = PostMessageA(panel->window, kRedrawMessage, 0, 0) != 0;
    }
}

}  // namespace

SRWLOCK& PanelLock() {
    static SRWLOCK lock = SRWLOCK_INIT;
    return lock;
}

}  // namespace virtual_panel

// Runs on the host's thread inside its bridge call; must neither throw nor wait.
extern "C" void VirtualPanelObserve(uint32_t kind, uint32_t device, uint32_t byte, uint32_t length) {
    using namespace virtual_panel;
    try {
        if (kind == BridgeOpen) {
            AcquireSRWLockExclusive(&PanelLock());
            VirtualPanel* panel = NewPanel(device);
            ReleaseSRWLockExclusive(&PanelLock());
            if (panel) StartPanelWindow(panel);
        } else if ((kind == BridgeInstruction || kind == BridgeData) && length != 0) {
            // Only the first byte of a write is recorded and fed, as lcdview replays it.
            AcquireSRWLockExclusive(&PanelLock());
            Feed(kind, device, static_cast<uint8_t>(byte));
            ReleaseSRWLockExclusive(&PanelLock());
        }
    } catch (...) {
        // Nothing above throws while holding the lock; whatever else fails costs only the window.
    }
}

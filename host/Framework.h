#pragma once
#include "base/DeviceResult.h"
#include "host/FrameStats.h"
#include "host/HostFlags.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct SDL_Window;
struct ImFont;

namespace Host {

struct BackBuffer {
    int width = 0;
    int height = 0;
};

// What the device-settings dialog edits.
struct DeviceSettings {
    int windowWidth = 640;   // client size while windowed
    int windowHeight = 480;
    bool fullScreen = false;
    bool vsync = true;
};

// The application's side of the host: each is optional.
struct Callbacks {
    // A failed result (base/DeviceResult.h) ends the program.
    std::function<Tarn::DeviceResult()> deviceCreated;
    std::function<Tarn::DeviceResult(const BackBuffer&)> deviceReset;
    std::function<void()> deviceLost;
    std::function<void()> deviceDestroyed;
    std::function<void(double time, float elapsed)> frameMove;
    std::function<void(double time, float elapsed)> frameRender;
    // After everything of the frame is drawn, the user interface included,
    // just before it is shown: the back buffer holds the window's picture.
    std::function<void()> frameDrawn;
    // Returns true when the message was consumed; the host then does nothing
    // more with it.
    std::function<bool(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)> msgProc;
    // A key's press or release (not its auto-repeats) that msgProc left alone.
    std::function<void(std::uint8_t key, bool down, bool altDown)> keyboard;
    // A line for the user about what the host did or could not do.
    std::function<void(const std::string& text)> notice;
    // Files dropped onto the window, all of one drop together, in the order
    // the desktop gave them.
    std::function<void(const std::vector<std::string>& files)> filesDropped;
};

// The window, its OpenGL 3.3 context (the "device"), Dear ImGui, the frame
// clock and the main loop. SDL events become window messages for msgProc;
// ESC, F3 and Alt+Enter are the host's own keys when msgProc leaves them.
class Framework {
public:
    Framework();
    ~Framework();
    Framework(const Framework&) = delete;
    Framework& operator=(const Framework&) = delete;

    void SetCallbacks(Callbacks newCallbacks) { callbacks = std::move(newCallbacks); }

    // Reads the flags and opens the video system. 0 on success; otherwise
    // the exit status, after one line on standard error.
    int Init(const std::vector<std::string>& arguments, const std::string& programName);
    // Creates the window and its device, then runs created and reset. 0 on
    // success; otherwise the exit status, after one line on standard error.
    int CreateWindowAndDevice(const std::string& title, int width, int height);
    // Runs frames until the window closes; the device is lost and destroyed
    // before it returns the exit status.
    int MainLoop();

    // Runs lost and destroyed now if the device exists, and closes the
    // window; for owners of the callbacks that go before the framework.
    void ReleaseDevice() { DestroyDevice(); }

    void RequestQuit() { running = false; }
    // Window changes wait for the end of the frame that asks for them.
    void ToggleFullScreen() { fullScreenTogglePending = true; }
    void ToggleSoftwareRasteriser() { rasteriserTogglePending = true; }
    void ApplySettings(const DeviceSettings& settings);

    DeviceSettings CurrentSettings() const;
    BackBuffer GetBackBuffer() const { return backBuffer; }
    const HostFlags& Flags() const { return flags; }
    std::string FrameStatsText() const;
    std::string DeviceStatsText() const;
    const std::string& RendererName() const { return renderer; }
    bool IsSoftwareRasteriser() const { return software; }
    ImFont* OverlayFont() const { return overlayFont; }
    SDL_Window* Window() const { return window; }
    long FrameCount() const { return frameCount; }
    // The display's refresh period (1/60 s when it does not say), the time
    // one frame has with vertical sync.
    double FramePeriod() const;

private:
    bool CreateDevice();
    void DestroyDevice();
    bool ResetDevice();
    void PumpEvents();
    void HandleKey(bool down, int sdlKey, bool repeated, unsigned modifiers);
    void HandleMouse(std::uint32_t message, int x, int y, std::uint32_t buttons, unsigned modifiers);
    void HandleDrop(std::uint32_t type, char* file);
    bool Dispatch(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    void ApplyPendingChanges();
    void SwitchRasteriser();
    bool ReopenDevice(bool softwareRasteriser);
    void SetVsync(bool on);
    void Pace(double frameStart);
    void Notice(const std::string& text) const;
    void LoadFonts();

    Callbacks callbacks;
    HostFlags flags;
    std::string programName;
    std::string title = "Korvale";
    SDL_Window* window = nullptr;
    void* context = nullptr;
    bool videoStarted = false;
    bool imguiStarted = false;
    bool backendsStarted = false;
    bool deviceCreated = false;
    bool deviceReset = false;
    BackBuffer backBuffer;
    DeviceSettings settings;
    std::string renderer;
    bool software = false;
    bool hardwareMissing = false;  // a try for the hardware rasteriser got software
    ImFont* overlayFont = nullptr;

    bool running = false;
    int exitCode = 0;
    bool dropping = false;
    std::vector<std::string> droppedFiles;
    bool fullScreenTogglePending = false;
    bool rasteriserTogglePending = false;
    bool settingsPending = false;
    DeviceSettings pendingSettings;

    std::uint64_t clockStart = 0;
    double clockFrequency = 1.0;
    double time = 0.0;
    double lastWallTime = 0.0;
    long frameCount = 0;
    FrameStats frameStats;
};

}

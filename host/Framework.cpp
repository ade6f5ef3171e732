#include "host/Framework.h"

#include "host/FontFinder.h"
#include "host/KeyTranslation.h"
#include "base/WindowMessages.h"
#include "host/VideoRestart.h"

#include <SDL.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace Host {
namespace {

constexpr const char* SoftwareVariable = "LIBGL_ALWAYS_SOFTWARE";

bool IsSoftwareRenderer(const std::string& name)
{
    for (const char* marker : {"llvmpipe", "softpipe", "Software", "swrast"})
        if (name.find(marker) != std::string::npos)
            return true;
    return false;
}

std::uintptr_t MouseButtons(std::uint32_t buttons, unsigned modifiers)
{
    std::uintptr_t param = 0;
    if (buttons & SDL_BUTTON_LMASK)
        param |= Tarn::MouseParam::LeftButton;
    if (buttons & SDL_BUTTON_RMASK)
        param |= Tarn::MouseParam::RightButton;
    if (buttons & SDL_BUTTON_MMASK)
        param |= Tarn::MouseParam::MiddleButton;
    if (modifiers & KMOD_SHIFT)
        param |= Tarn::MouseParam::Shift;
    if (modifiers & KMOD_CTRL)
        param |= Tarn::MouseParam::Control;
    return param;
}

}

Framework::Framework() = default;

Framework::~Framework()
{
    DestroyDevice();
    if (imguiStarted)
        ImGui::DestroyContext();
    if (videoStarted)
        SDL_Quit();
}

int Framework::Init(const std::vector<std::string>& arguments, const std::string& name)
{
    programName = name;
    const FlagParseResult parsed = ParseHostFlags(arguments);
    if (!parsed.Ok()) {
        std::fprintf(stderr, "Unrecognized flag: %s\n", parsed.unrecognized.c_str());
        return 2;
    }
    flags = parsed.flags;
    settings.fullScreen = flags.fullScreen && !flags.windowed;
    if (flags.forceVsync)
        settings.vsync = *flags.forceVsync;
    if (flags.forceSoftware)
        setenv(SoftwareVariable, "1", 1);

    // The first click on a window that has just taken the focus still counts.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Without a display SDL would fall back to drawing off screen, unseen;
    // that only happens when asked for by name (SDL_VIDEODRIVER).
    const bool driverNamed = std::getenv("SDL_VIDEODRIVER") != nullptr;
    const bool displayNamed = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    // With only an X display named, SDL need not try Wayland first (whose
    // library complains on standard error when it finds nothing).
    if (!driverNamed && std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    std::string reason;
    if (!driverNamed && !displayNamed) {
        reason = "DISPLAY is not set";
    } else if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        reason = SDL_GetError();
    } else {
        videoStarted = true;
        const std::string driver = SDL_GetCurrentVideoDriver();
        if (!driverNamed && (driver == "offscreen" || driver == "dummy"))
            reason = "no X11 or Wayland display could be opened";
    }
    if (!reason.empty()) {
        std::fprintf(stderr,
                     "%s: no display to open the window on (%s); to run without a screen use Xvfb: "
                     "xvfb-run -a -s '-screen 0 1024x768x24' %s\n",
                     programName.c_str(), reason.c_str(), programName.c_str());
        return 1;
    }

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    imguiStarted = true;
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    // The desktop's usual double-click time (Dear ImGui's own 0.3 s is short
    // for many hands, and for a window that draws few frames a second).
    io.MouseDoubleClickTime = 0.5f;
    ImGui::StyleColorsDark();
    LoadFonts();

    clockStart = SDL_GetPerformanceCounter();
    clockFrequency = static_cast<double>(SDL_GetPerformanceFrequency());
    return 0;
}

void Framework::LoadFonts()
{
    // Widgets use the regular face at 13 pixels so that the labels fit their
    // buttons; the overlay text uses the bold face at 15 pixels.
    ImGuiIO& io = ImGui::GetIO();
    const std::string regular = FindFontFile("DejaVu Sans");
    const std::string bold = FindFontFile("DejaVu Sans:bold");
    ImFont* widgetFont = regular.empty() ? nullptr : io.Fonts->AddFontFromFileTTF(regular.c_str(), 13.0f);
    if (!bold.empty())
        overlayFont = io.Fonts->AddFontFromFileTTF(bold.c_str(), 15.0f);
    if (!overlayFont || !widgetFont) {
        std::fprintf(stderr, "%s: warning: DejaVu Sans not found through fontconfig; using the built-in font\n",
                     programName.c_str());
        io.Fonts->Clear();
        overlayFont = io.Fonts->AddFontDefault();
        widgetFont = overlayFont;
    }
    io.FontDefault = widgetFont;
}

int Framework::CreateWindowAndDevice(const std::string& windowTitle, int width, int height)
{
    title = windowTitle;
    settings.windowWidth = flags.width.value_or(width);
    settings.windowHeight = flags.height.value_or(height);
    if (!CreateDevice()) {
        std::fprintf(stderr, "%s: the window or its OpenGL 3.3 device could not be created (%s)\n",
                     programName.c_str(), SDL_GetError());
        return 1;
    }
    return 0;
}

bool Framework::CreateDevice()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);

    const int display = flags.adapter.value_or(0);
    const int x = flags.startX.value_or(static_cast<int>(SDL_WINDOWPOS_UNDEFINED_DISPLAY(display)));
    const int y = flags.startY.value_or(static_cast<int>(SDL_WINDOWPOS_UNDEFINED_DISPLAY(display)));
    std::uint32_t windowFlags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE;
    if (settings.fullScreen)
        windowFlags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    window = SDL_CreateWindow(title.c_str(), x, y, settings.windowWidth, settings.windowHeight, windowFlags);
    if (!window)
        return false;
    context = SDL_GL_CreateContext(window);
    if (!context || SDL_GL_MakeCurrent(window, context) != 0)
        return false;
    SetVsync(settings.vsync);

    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    renderer = name ? name : "unknown renderer";
    software = IsSoftwareRenderer(renderer);

    ImGui_ImplSDL2_InitForOpenGL(window, context);
    ImGui_ImplOpenGL3_Init("#version 330 core");
    backendsStarted = true;

    if (callbacks.deviceCreated && Tarn::Failed(callbacks.deviceCreated()))
        return false;
    deviceCreated = true;
    return ResetDevice();
}

bool Framework::ResetDevice()
{
    if (deviceReset && callbacks.deviceLost)
        callbacks.deviceLost();
    deviceReset = false;
    SDL_GL_GetDrawableSize(window, &backBuffer.width, &backBuffer.height);
    if (callbacks.deviceReset && Tarn::Failed(callbacks.deviceReset(backBuffer))) {
        std::fprintf(stderr, "%s: the device could not be reset to %dx%d\n", programName.c_str(), backBuffer.width,
                     backBuffer.height);
        exitCode = 1;
        running = false;
        return false;
    }
    deviceReset = true;
    return true;
}

void Framework::DestroyDevice()
{
    if (deviceReset && callbacks.deviceLost)
        callbacks.deviceLost();
    deviceReset = false;
    if (deviceCreated && callbacks.deviceDestroyed)
        callbacks.deviceDestroyed();
    deviceCreated = false;
    if (backendsStarted) {
        ImGui_ImplOpenGL3_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        backendsStarted = false;
    }
    if (context) {
        SDL_GL_DeleteContext(context);
        context = nullptr;
    }
    if (window) {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
}

void Framework::SetVsync(bool on)
{
    settings.vsync = on;
    // Xvfb refuses a swap interval; Pace keeps the rate then.
    SDL_GL_SetSwapInterval(on ? 1 : 0);
}

void Framework::Notice(const std::string& text) const
{
    if (callbacks.notice)
        callbacks.notice(text);
}

void Framework::ApplySettings(const DeviceSettings& wanted)
{
    pendingSettings = wanted;
    settingsPending = true;
}

DeviceSettings Framework::CurrentSettings() const
{
    return settings;
}

std::string Framework::FrameStatsText() const
{
    if (flags.noStats)
        return {};
    return frameStats.Text(settings.vsync);
}

std::string Framework::DeviceStatsText() const
{
    if (flags.noStats)
        return {};
    return (software ? "Software: " : "Hardware: ") + renderer + ", " + std::to_string(backBuffer.width) + "x"
        + std::to_string(backBuffer.height) + (settings.fullScreen ? " full screen" : " windowed");
}

bool Framework::Dispatch(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    return callbacks.msgProc && callbacks.msgProc(window, message, wParam, lParam);
}

void Framework::HandleKey(bool down, int sdlKey, bool repeated, unsigned modifiers)
{
    const std::uint8_t key = VirtualKeyFromSdl(sdlKey);
    if (key == 0)
        return;
    const bool alt = (modifiers & KMOD_ALT) != 0;
    if (Dispatch(down ? Tarn::WindowMessage::KeyDown : Tarn::WindowMessage::KeyUp, key,
                 Tarn::PackKeyParam(down, repeated, alt)))
        return;
    if (repeated)
        return;
    if (callbacks.keyboard)
        callbacks.keyboard(key, down, alt);
    if (!down)
        return;
    if (key == Tarn::VirtualKey::Escape)
        RequestQuit();
    else if (key == Tarn::VirtualKey::F3)
        ToggleSoftwareRasteriser();
    else if (key == Tarn::VirtualKey::Return && alt)
        ToggleFullScreen();
}

void Framework::HandleMouse(std::uint32_t message, int x, int y, std::uint32_t buttons, unsigned modifiers)
{
    Dispatch(message, MouseButtons(buttons, modifiers), Tarn::PackPointParam(x, y));
}

void Framework::HandleDrop(std::uint32_t type, char* file)
{
    if (file) {
        if (type == SDL_DROPFILE)
            droppedFiles.emplace_back(file);
        SDL_free(file);
    }
    // A drop comes as begin, its files, complete; a desktop that sends no
    // begin gets each file on its own.
    if (type == SDL_DROPBEGIN) {
        dropping = true;
        droppedFiles.clear();
        return;
    }
    if ((type == SDL_DROPFILE && dropping) || type == SDL_DROPTEXT)
        return;
    dropping = false;
    std::vector<std::string> files = std::move(droppedFiles);
    droppedFiles.clear();
    if (!files.empty() && callbacks.filesDropped)
        callbacks.filesDropped(files);
}

void Framework::PumpEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        ImGui_ImplSDL2_ProcessEvent(&event);
        switch (event.type) {
        case SDL_QUIT:
            RequestQuit();
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            HandleKey(event.type == SDL_KEYDOWN, event.key.keysym.sym, event.key.repeat != 0, event.key.keysym.mod);
            break;
        case SDL_MOUSEMOTION:
            HandleMouse(Tarn::WindowMessage::MouseMove, event.motion.x, event.motion.y, event.motion.state,
                        SDL_GetModState());
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const bool down = event.type == SDL_MOUSEBUTTONDOWN;
            std::uint32_t message = 0;
            if (event.button.button == SDL_BUTTON_LEFT)
                message = down ? Tarn::WindowMessage::LeftButtonDown : Tarn::WindowMessage::LeftButtonUp;
            else if (event.button.button == SDL_BUTTON_RIGHT)
                message = down ? Tarn::WindowMessage::RightButtonDown : Tarn::WindowMessage::RightButtonUp;
            else if (event.button.button == SDL_BUTTON_MIDDLE)
                message = down ? Tarn::WindowMessage::MiddleButtonDown : Tarn::WindowMessage::MiddleButtonUp;
            if (message != 0)
                HandleMouse(message, event.button.x, event.button.y, SDL_GetMouseState(nullptr, nullptr),
                            SDL_GetModState());
            break;
        }
        case SDL_MOUSEWHEEL: {
            int x = 0;
            int y = 0;
            SDL_GetMouseState(&x, &y);
            const int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
            Dispatch(Tarn::WindowMessage::MouseWheel, Tarn::PackWheelParam(notches), Tarn::PackPointParam(x, y));
            break;
        }
        case SDL_DROPBEGIN:
        case SDL_DROPFILE:
        case SDL_DROPTEXT:
        case SDL_DROPCOMPLETE: HandleDrop(event.type, event.drop.file); break;
        default:
            break;
        }
    }
}

void Framework::SwitchRasteriser()
{
    const bool requestedSoftware = std::getenv(SoftwareVariable) != nullptr;
    if (software && (!requestedSoftware || hardwareMissing)) {
        Notice("Only the software rasteriser exists here (" + renderer + ")");
        return;
    }
    const bool wasSoftware = software;
    const bool wantSoftware = !software;
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(window, &x, &y);
    if (!settings.fullScreen) {
        flags.startX = x;
        flags.startY = y;
        SDL_GetWindowSize(window, &settings.windowWidth, &settings.windowHeight);
    }
    DestroyDevice();
    if (ReopenDevice(wantSoftware)) {
        if (!wantSoftware && software) {
            hardwareMissing = true;
            Notice("No hardware rasteriser here; the software one stays (" + renderer + ")");
            return;
        }
        Notice(std::string(software ? "Software rasteriser: " : "Hardware rasteriser: ") + renderer);
        return;
    }
    // The other rasteriser cannot be had: the one the window had stays.
    const std::string reason = SDL_GetError();
    DestroyDevice();
    if (ReopenDevice(wasSoftware)) {
        Notice(std::string("The ") + (wantSoftware ? "software" : "hardware") + " rasteriser could not be started ("
               + reason + "); the " + (wasSoftware ? "software" : "hardware") + " one stays");
        return;
    }
    std::fprintf(stderr, "%s: the device could not be created again (%s)\n", programName.c_str(), SDL_GetError());
    exitCode = 1;
    running = false;
}

bool Framework::ReopenDevice(bool softwareRasteriser)
{
    // The rasteriser is chosen when the display connection opens.
    const int starts = RestartVideo([softwareRasteriser] {
        if (softwareRasteriser)
            setenv(SoftwareVariable, "1", 1);
        else
            unsetenv(SoftwareVariable);
    });
    return starts != 0 && CreateDevice();
}

void Framework::ApplyPendingChanges()
{
    bool reset = false;
    if (rasteriserTogglePending) {
        rasteriserTogglePending = false;
        SwitchRasteriser();
        if (!running)
            return;
    }
    if (settingsPending) {
        settingsPending = false;
        if (pendingSettings.vsync != settings.vsync)
            SetVsync(pendingSettings.vsync);
        const bool sizeChanged = pendingSettings.windowWidth != settings.windowWidth
            || pendingSettings.windowHeight != settings.windowHeight;
        settings.windowWidth = pendingSettings.windowWidth;
        settings.windowHeight = pendingSettings.windowHeight;
        if (pendingSettings.fullScreen != settings.fullScreen)
            fullScreenTogglePending = true;
        else if (sizeChanged && !settings.fullScreen)
            SDL_SetWindowSize(window, settings.windowWidth, settings.windowHeight);
    }
    if (fullScreenTogglePending) {
        fullScreenTogglePending = false;
        settings.fullScreen = !settings.fullScreen;
        SDL_SetWindowFullscreen(window, settings.fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        if (!settings.fullScreen)
            SDL_SetWindowSize(window, settings.windowWidth, settings.windowHeight);
        reset = true;
    }
    BackBuffer now;
    SDL_GL_GetDrawableSize(window, &now.width, &now.height);
    // A minimised window may report no area at all; the device keeps its
    // size until the window has one again.
    if (now.width <= 0 || now.height <= 0)
        return;
    if (now.width != backBuffer.width || now.height != backBuffer.height)
        reset = true;
    if (reset) {
        if (!settings.fullScreen)
            SDL_GetWindowSize(window, &settings.windowWidth, &settings.windowHeight);
        ResetDevice();
    }
}

double Framework::FramePeriod() const
{
    SDL_DisplayMode mode{};
    int refresh = 60;
    if (window && SDL_GetWindowDisplayMode(window, &mode) == 0 && mode.refresh_rate > 0)
        refresh = mode.refresh_rate;
    return 1.0 / refresh;
}

void Framework::Pace(double frameStart)
{
    // Some drivers accept a swap interval and still return at once (Xvfb,
    // off-screen surfaces); with vsync on the loop never runs faster than the
    // display's refresh rate, which costs nothing where the swap waits.
    if (!settings.vsync)
        return;
    const double period = FramePeriod();
    const double now = (SDL_GetPerformanceCounter() - clockStart) / clockFrequency;
    const double rest = frameStart + period - now;
    if (rest > 0.0)
        std::this_thread::sleep_for(std::chrono::duration<double>(rest));
}

int Framework::MainLoop()
{
    running = window != nullptr;
    while (running) {
        const double wall = (SDL_GetPerformanceCounter() - clockStart) / clockFrequency;
        PumpEvents();
        if (running)
            ApplyPendingChanges();
        if (!running)
            break;

        float elapsed = 0.0f;
        if (flags.constantFrameTime) {
            elapsed = *flags.constantFrameTime;
            time += elapsed;
        } else {
            elapsed = frameCount == 0 ? 0.0f : static_cast<float>(wall - lastWallTime);
            time = wall;
        }
        lastWallTime = wall;

        if (callbacks.frameMove)
            callbacks.frameMove(time, elapsed);

        ImGui_ImplOpenGL3_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        glViewport(0, 0, backBuffer.width, backBuffer.height);
        glDisable(GL_SCISSOR_TEST);
        if (callbacks.frameRender)
            callbacks.frameRender(time, elapsed);
        ImGui::Render();
        glViewport(0, 0, backBuffer.width, backBuffer.height);
        ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
        if (callbacks.frameDrawn)
            callbacks.frameDrawn();
        SDL_GL_SwapWindow(window);

        ++frameCount;
        frameStats.Frame((SDL_GetPerformanceCounter() - clockStart) / clockFrequency);
        if (flags.quitAfterFrame && frameCount >= *flags.quitAfterFrame)
            running = false;
        if (running)
            Pace(wall);
    }
    DestroyDevice();
    return exitCode;
}

}

// DeviceSim's emulator: the SDL2 window. Everything the person does becomes
// a HostEvent for Emulator; this file only knows SDL.
#include "emulator/EmulatorWindow.h"

#include "device/Device.h"
#include "emulator/Emulator.h"
#include "gdi/Gdi.h"

#include <SDL.h>

#include <cstdlib>
#include <ostream>

namespace sim {

namespace {

constexpr int kExitNoDisplay = 4;

HostKey KeyOf(SDL_Keycode key) {
    switch (key) {
    case SDLK_UP: return HostKey::Up;
    case SDLK_DOWN: return HostKey::Down;
    case SDLK_LEFT: return HostKey::Left;
    case SDLK_RIGHT: return HostKey::Right;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return HostKey::Enter;
    case SDLK_F6: return HostKey::F6;
    case SDLK_F7: return HostKey::F7;
    case SDLK_1: return HostKey::App1;
    case SDLK_2: return HostKey::App2;
    case SDLK_3: return HostKey::App3;
    case SDLK_4: return HostKey::App4;
    case SDLK_5: return HostKey::App5;
    case SDLK_6: return HostKey::App6;
    case SDLK_r: return HostKey::Rotate;
    case SDLK_s: return HostKey::Screenshot;
    case SDLK_F12: return HostKey::Reset;
    case SDLK_ESCAPE: return HostKey::Quit;
    default: return HostKey::Other;
    }
}

// The window's picture is redrawn only when the device's screen or the
// status changed, so an idle device costs almost nothing.
struct Shown {
    std::vector<uint8_t> screen;
    std::string status;
    uint64_t seconds = 0;
};

// Whether a person can see a window here. Without a display SDL falls back
// on drivers that draw nowhere (offscreen, the console's frame buffer), and
// the emulator would run unseen until killed.
bool HaveDisplay() {
    if (std::getenv("SDL_VIDEODRIVER"))
        return true; // the person chose a driver
    const char *x11 = std::getenv("DISPLAY"), *wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

} // namespace

int RunEmulatorWindow(Device &device, std::ostream &log) {
    if (!HaveDisplay() || SDL_Init(SDL_INIT_VIDEO) != 0) {
        log << "devicesim show: no display here ("
            << (HaveDisplay() ? SDL_GetError() : "DISPLAY is not set")
            << "); ./devicesim tour films the device without one\n";
        return kExitNoDisplay;
    }
    SDL_DisplayMode mode;
    int scale = 2;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 &&
        LayoutFrame(device.Config().width, device.Config().height, 2).height > mode.h - 60)
        scale = 1;
    Emulator emulator(device, scale);
    const FrameLayout *layout = &emulator.Layout();
    SDL_Window *window = SDL_CreateWindow("DeviceSim: Pocket PC", SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, layout->width, layout->height, 0);
    SDL_Renderer *renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    if (!renderer) {
        log << "devicesim show: cannot open a window (" << SDL_GetError()
            << "); ./devicesim tour films the device without one\n";
        if (window)
            SDL_DestroyWindow(window);
        SDL_Quit();
        return kExitNoDisplay;
    }
    SDL_Texture *texture = nullptr;
    int textureWidth = 0, textureHeight = 0;
    Pacer pacer;
    Shown shown;
    bool running = true, dirty = true;
    while (running) {
        SDL_Event e;
        // Sleeps until input comes or the next frame is due (about 60 a second).
        if (SDL_WaitEventTimeout(&e, 16)) {
            do {
                HostEvent event{HostEvent::KeyDown};
                switch (e.type) {
                case SDL_QUIT: running = false; continue;
                case SDL_KEYDOWN:
                case SDL_KEYUP:
                    if (e.key.repeat)
                        continue; // the device repeats held keys itself
                    event.kind = e.type == SDL_KEYDOWN ? HostEvent::KeyDown : HostEvent::KeyUp;
                    event.key = KeyOf(e.key.keysym.sym);
                    break;
                case SDL_MOUSEBUTTONDOWN:
                case SDL_MOUSEBUTTONUP:
                    if (e.button.button != SDL_BUTTON_LEFT)
                        continue;
                    event.kind =
                        e.type == SDL_MOUSEBUTTONDOWN ? HostEvent::MouseDown : HostEvent::MouseUp;
                    event.x = e.button.x, event.y = e.button.y;
                    break;
                case SDL_MOUSEMOTION:
                    event.kind = HostEvent::MouseMove;
                    event.x = e.motion.x, event.y = e.motion.y;
                    break;
                default: continue;
                }
                running = emulator.Handle(event) && running;
                dirty = true;
            } while (running && SDL_PollEvent(&e));
        }
        emulator.Advance(pacer.Due(SDL_GetTicks64()));
        const Bitmap &screen = device.gdi().Screen();
        uint64_t seconds = device.Now() / 1000;
        if (!dirty && seconds == shown.seconds && screen.bits == shown.screen)
            continue;
        shown.screen = screen.bits, shown.seconds = seconds, dirty = false;
        const Bitmap &picture = emulator.Picture();
        if (picture.width != textureWidth || picture.height != textureHeight) {
            if (texture)
                SDL_DestroyTexture(texture);
            texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                        SDL_TEXTUREACCESS_STREAMING, picture.width, picture.height);
            textureWidth = picture.width, textureHeight = picture.height;
            SDL_SetWindowSize(window, picture.width, picture.height);
        }
        SDL_UpdateTexture(texture, nullptr, picture.bits.data(), int(picture.stride));
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    }
    if (texture)
        SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}

} // namespace sim

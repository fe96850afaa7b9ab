#include "VornelPlatform/PlatformPump.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <vector>

#include "PlatformSdl.h"
#include "VornelPlatform/PlatformInstance.h"
#include "VornelPlatform/PlatformTime.h"
#include "VornelPlatform/PlatformWindow.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
    PlatformWindow* window;
    uintptr_t id;
    uint32_t periodMs;
    Clock::time_point due;
};

constexpr uint32_t kMinimumTimerPeriod = 10;

std::deque<PlatformMessage> g_posted;      // Platform_PostMessage
std::deque<PlatformMessage> g_translated;  // the rest of one window event's messages
std::vector<Timer> g_timers;
bool g_quitRequested = false;
int32_t g_quitCode = 0;
uint32_t g_buttons = 0;  // MK_ button bits as the pump has reported them

PlatformMessage Make(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    PlatformMessage m{};
    m.window = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    return m;
}

uintptr_t ModifierBits()
{
    SDL_Keymod mod = SDL_GetModState();
    uintptr_t bits = 0;
    if (mod & KMOD_SHIFT)
        bits |= MK_SHIFT;
    if (mod & KMOD_CTRL)
        bits |= MK_CONTROL;
    return bits;
}

uint32_t ButtonBit(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return MK_LBUTTON;
    case SDL_BUTTON_RIGHT: return MK_RBUTTON;
    case SDL_BUTTON_MIDDLE: return MK_MBUTTON;
    case SDL_BUTTON_X1: return MK_XBUTTON1;
    case SDL_BUTTON_X2: return MK_XBUTTON2;
    default: return 0;
    }
}

uint32_t ButtonBitsFromState(Uint32 state)
{
    uint32_t bits = 0;
    if (state & SDL_BUTTON_LMASK)
        bits |= MK_LBUTTON;
    if (state & SDL_BUTTON_RMASK)
        bits |= MK_RBUTTON;
    if (state & SDL_BUTTON_MMASK)
        bits |= MK_MBUTTON;
    if (state & SDL_BUTTON_X1MASK)
        bits |= MK_XBUTTON1;
    if (state & SDL_BUTTON_X2MASK)
        bits |= MK_XBUTTON2;
    return bits;
}

bool IsExtendedKey(SDL_Scancode scancode)
{
    switch (scancode) {
    case SDL_SCANCODE_RCTRL: case SDL_SCANCODE_RALT: case SDL_SCANCODE_LGUI:
    case SDL_SCANCODE_RGUI: case SDL_SCANCODE_APPLICATION: case SDL_SCANCODE_INSERT:
    case SDL_SCANCODE_DELETE: case SDL_SCANCODE_HOME: case SDL_SCANCODE_END:
    case SDL_SCANCODE_PAGEUP: case SDL_SCANCODE_PAGEDOWN: case SDL_SCANCODE_LEFT:
    case SDL_SCANCODE_RIGHT: case SDL_SCANCODE_UP: case SDL_SCANCODE_DOWN:
    case SDL_SCANCODE_KP_DIVIDE: case SDL_SCANCODE_KP_ENTER: case SDL_SCANCODE_NUMLOCKCLEAR:
    case SDL_SCANCODE_PRINTSCREEN:
        return true;
    default:
        return false;
    }
}

// Characters that the keyboard types without a text event: Return, Backspace, Tab, Escape.
uint16_t ControlCharacter(uint32_t virtualKey, bool control)
{
    switch (virtualKey) {
    case VK_RETURN: return control ? 10 : 13;
    case VK_BACK: return control ? 0x7F : 8;
    case VK_TAB: return 9;
    case VK_ESCAPE: return 27;
    default: return 0;
    }
}

void TranslateKey(const SDL_KeyboardEvent& key, PlatformWindow* window,
                  std::vector<PlatformMessage>& out)
{
    const SDL_Keymod mod = static_cast<SDL_Keymod>(key.keysym.mod);
    const uint32_t vk = Platform_VirtualKeyFromScancode(key.keysym.scancode, (mod & KMOD_NUM) != 0);
    if (vk == 0)
        return;
    const bool down = key.type == SDL_KEYDOWN;
    const bool alt = (mod & KMOD_ALT) != 0 || vk == VK_MENU;
    const bool control = (mod & KMOD_CTRL) != 0;
    // Alt combinations (and F10) are system keys, which the window handles apart.
    const bool system = (alt && !control) || vk == VK_F10;

    uint32_t lParam = 1u | ((static_cast<uint32_t>(key.keysym.scancode) & 0xFFu) << 16);
    if (IsExtendedKey(key.keysym.scancode))
        lParam |= KF_EXTENDED_BIT;
    if (alt)
        lParam |= KF_ALTDOWN_BIT;
    if (!down || key.repeat)
        lParam |= KF_PREVIOUS_DOWN_BIT;
    if (!down)
        lParam |= KF_UP_BIT;

    uint32_t message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    out.push_back(Make(window, message, vk, static_cast<intptr_t>(lParam)));

    if (down && !system) {
        if (uint16_t c = ControlCharacter(vk, control))
            out.push_back(Make(window, WM_CHAR, c, 1));
    }
}

// One WM_CHAR per UTF-16 unit of the typed text.
void TranslateText(const char* text, PlatformWindow* window, std::vector<PlatformMessage>& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* end = p + SDL_strlen(text);
    while (p < end) {
        uint32_t c = *p;
        int extra = 0;
        if (c < 0x80) {
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            c &= 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            c &= 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            c &= 0x07;
            extra = 3;
        } else {
            ++p;  // a stray byte: skipped
            continue;
        }
        if (end - p <= extra) {
            break;  // cut short
        }
        bool valid = true;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            c = (c << 6) | (p[i] & 0x3F);
        }
        p += valid ? extra + 1 : 1;
        if (!valid || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            continue;
        if (c < 0x20 || c == 0x7F)
            continue;  // control characters come with their keys
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(Make(window, WM_CHAR, 0xD800 + (c >> 10), 1));
            out.push_back(Make(window, WM_CHAR, 0xDC00 + (c & 0x3FF), 1));
        } else {
            out.push_back(Make(window, WM_CHAR, c, 1));
        }
    }
}

void TranslateWindowEvent(const SDL_WindowEvent& event, PlatformWindow* window,
                          std::vector<PlatformMessage>& out)
{
    SDL_Window* sdl = window->sdl;
    const bool minimised = (SDL_GetWindowFlags(sdl) & SDL_WINDOW_MINIMIZED) != 0;
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        uintptr_t kind = (SDL_GetWindowFlags(sdl) & SDL_WINDOW_MAXIMIZED) ? SIZE_MAXIMIZED : SIZE_RESTORED;
        out.push_back(Make(window, WM_SIZE, kind, Platform_MakeLParam(event.data1, event.data2)));
        break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
        out.push_back(Make(window, WM_SIZE, SIZE_MINIMIZED, 0));
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED: {
        int w = 0, h = 0;
        SDL_GetWindowSize(sdl, &w, &h);
        uintptr_t kind = event.event == SDL_WINDOWEVENT_MAXIMIZED ? SIZE_MAXIMIZED : SIZE_RESTORED;
        out.push_back(Make(window, WM_SIZE, kind, Platform_MakeLParam(w, h)));
        break;
    }
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back(Make(window, WM_ACTIVATE, WA_ACTIVE | (minimised ? 0x10000u : 0u), 0));
        out.push_back(Make(window, WM_SETFOCUS, 0, 0));
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        out.push_back(Make(window, WM_ACTIVATE, WA_INACTIVE | (minimised ? 0x10000u : 0u), 0));
        out.push_back(Make(window, WM_KILLFOCUS, 0, 0));
        break;
    case SDL_WINDOWEVENT_ENTER:
        out.push_back(Make(window, WM_SETCURSOR, reinterpret_cast<uintptr_t>(window),
                           Platform_MakeLParam(HTCLIENT, WM_MOUSEMOVE)));
        break;
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back(Make(window, WM_CLOSE, 0, 0));
        break;
    default:
        break;
    }
}

// The messages of one SDL event (often none).
void Translate(const SDL_Event& event, std::vector<PlatformMessage>& out)
{
    switch (event.type) {
    case SDL_QUIT:
        // A signal to end (Ctrl+C): the loop ends as on a quit request.
        out.push_back(Make(nullptr, WM_QUIT, 0, 0));
        return;
    case SDL_WINDOWEVENT:
        if (PlatformWindow* window = PlatformSdl::FromWindowId(event.window.windowID))
            TranslateWindowEvent(event.window, window, out);
        return;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (PlatformWindow* window = PlatformSdl::FromWindowId(event.key.windowID))
            TranslateKey(event.key, window, out);
        return;
    case SDL_TEXTINPUT: {
        PlatformWindow* window = PlatformSdl::FromWindowId(event.text.windowID);
        SDL_Keymod mod = SDL_GetModState();
        // Left Alt combinations are commands, not typing (AltGr stays typing).
        if (window && !((mod & KMOD_LALT) && !(mod & KMOD_CTRL)))
            TranslateText(event.text.text, window, out);
        return;
    }
    case SDL_MOUSEMOTION: {
        PlatformWindow* window = PlatformSdl::FromWindowId(event.motion.windowID);
        if (!window)
            return;
        out.push_back(Make(window, WM_MOUSEMOVE, ButtonBitsFromState(event.motion.state) | ModifierBits(),
                           Platform_MakeLParam(event.motion.x, event.motion.y)));
        return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        PlatformWindow* window = PlatformSdl::FromWindowId(event.button.windowID);
        const uint32_t bit = ButtonBit(event.button.button);
        if (!window || bit == 0)
            return;
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        if (down)
            g_buttons |= bit;
        else
            g_buttons &= ~bit;
        uint32_t message = 0;
        uintptr_t high = 0;
        switch (bit) {
        case MK_LBUTTON: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case MK_RBUTTON: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        case MK_MBUTTON: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        case MK_XBUTTON1: message = down ? WM_XBUTTONDOWN : WM_XBUTTONUP; high = 1; break;
        default: message = down ? WM_XBUTTONDOWN : WM_XBUTTONUP; high = 2; break;
        }
        out.push_back(Make(window, message, (g_buttons | ModifierBits()) | (high << 16),
                           Platform_MakeLParam(event.button.x, event.button.y)));
        return;
    }
    case SDL_MOUSEWHEEL: {
        PlatformWindow* window = PlatformSdl::FromWindowId(event.wheel.windowID);
        if (!window)
            return;
        const float sign = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
        // The wheel message carries the pointer in desktop coordinates.
        int wx = 0, wy = 0;
        SDL_GetWindowPosition(window->sdl, &wx, &wy);
        const intptr_t where = Platform_MakeLParam(wx + event.wheel.mouseX, wy + event.wheel.mouseY);
        const long vertical = std::lround(event.wheel.preciseY * sign * WHEEL_DELTA);
        const long horizontal = std::lround(event.wheel.preciseX * sign * WHEEL_DELTA);
        auto pack = [](long delta) {
            delta = std::clamp(delta, -32768L, 32767L);
            return (g_buttons | ModifierBits()) |
                   (static_cast<uintptr_t>(static_cast<uint16_t>(static_cast<int16_t>(delta))) << 16);
        };
        if (vertical != 0)
            out.push_back(Make(window, WM_MOUSEWHEEL, pack(vertical), where));
        if (horizontal != 0)
            out.push_back(Make(window, WM_MOUSEHWHEEL, pack(horizontal), where));
        return;
    }
    default:
        return;
    }
}

void RaiseAllWindows()
{
    for (PlatformWindow* window : PlatformSdl::Windows())
        Platform_RaiseWindow(window);
}

bool TakeTranslated(PlatformMessage* message)
{
    if (g_translated.empty())
        return false;
    *message = g_translated.front();
    g_translated.pop_front();
    return true;
}

bool ReadWindowEvents(PlatformMessage* message)
{
    if (!PlatformSdl::VideoStarted())
        return false;
    std::vector<PlatformMessage> produced;
    SDL_Event event;
    for (;;) {
        if (!SDL_PollEvent(&event)) {
            // SDL ends each poll cycle at a marker of its own; events queued behind the
            // marker (pushed meanwhile) are still waiting and must not be reported as none.
            if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0 ||
                !SDL_PollEvent(&event))
                return false;
        }
        produced.clear();
        Translate(event, produced);
        if (produced.empty())
            continue;
        g_translated.insert(g_translated.end(), produced.begin(), produced.end());
        return TakeTranslated(message);
    }
    return false;
}

bool TakeDueTimer(PlatformMessage* message, Clock::time_point now)
{
    Timer* earliest = nullptr;
    for (Timer& timer : g_timers)
        if (timer.due <= now && (!earliest || timer.due < earliest->due))
            earliest = &timer;
    if (!earliest)
        return false;
    earliest->due = now + std::chrono::milliseconds(earliest->periodMs);
    *message = Make(earliest->window, WM_TIMER, earliest->id, 0);
    return true;
}

bool AnythingQueued()
{
    return !g_posted.empty() || !g_translated.empty() || g_quitRequested;
}

}  // namespace

namespace PlatformSdl {

void PumpForgetWindow(PlatformWindow* window)
{
    auto addressed = [window](const PlatformMessage& m) { return m.window == window; };
    g_posted.erase(std::remove_if(g_posted.begin(), g_posted.end(), addressed), g_posted.end());
    g_translated.erase(std::remove_if(g_translated.begin(), g_translated.end(), addressed),
                       g_translated.end());
    g_timers.erase(std::remove_if(g_timers.begin(), g_timers.end(),
                                  [window](const Timer& t) { return t.window == window; }),
                   g_timers.end());
}

}  // namespace PlatformSdl

bool Platform_PeekMessage(PlatformMessage* message)
{
    if (!message)
        return false;
    if (Platform_TakeRaiseRequest())
        RaiseAllWindows();
    if (!g_posted.empty()) {
        *message = g_posted.front();
        g_posted.pop_front();
        return true;
    }
    if (TakeTranslated(message) || ReadWindowEvents(message))
        return true;
    if (g_quitRequested) {
        g_quitRequested = false;
        *message = Make(nullptr, WM_QUIT, static_cast<uintptr_t>(static_cast<uint32_t>(g_quitCode)), 0);
        return true;
    }
    return TakeDueTimer(message, Clock::now());
}

bool Platform_WaitMessage(uint32_t timeoutMs)
{
    if (AnythingQueued())
        return true;
    const Clock::time_point now = Clock::now();
    Clock::time_point until = now + std::chrono::milliseconds(timeoutMs);
    for (const Timer& timer : g_timers)
        until = std::min(until, timer.due);
    if (until <= now)
        return true;
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
    const int waitMs = static_cast<int>(std::min<long long>(wait + 1, INT32_MAX));
    if (PlatformSdl::VideoStarted()) {
        if (SDL_WaitEventTimeout(nullptr, waitMs) == 1)
            return true;
    } else {
        Platform_Sleep(static_cast<uint32_t>(waitMs));
    }
    const Clock::time_point after = Clock::now();
    for (const Timer& timer : g_timers)
        if (timer.due <= after)
            return true;
    return AnythingQueued();
}

bool Platform_PostMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (window && !PlatformSdl::IsLive(window))
        return false;
    g_posted.push_back(Make(window, message, wParam, lParam));
    return true;
}

void Platform_PostQuitMessage(int32_t exitCode)
{
    g_quitRequested = true;
    g_quitCode = exitCode;
}

bool Platform_SetTimer(PlatformWindow* window, uintptr_t id, uint32_t periodMs)
{
    if (!PlatformSdl::IsLive(window))
        return false;
    const uint32_t period = std::max(periodMs, kMinimumTimerPeriod);
    const Clock::time_point due = Clock::now() + std::chrono::milliseconds(period);
    for (Timer& timer : g_timers) {
        if (timer.window == window && timer.id == id) {
            timer.periodMs = period;
            timer.due = due;
            return true;
        }
    }
    g_timers.push_back(Timer{window, id, period, due});
    return true;
}

bool Platform_KillTimer(PlatformWindow* window, uintptr_t id)
{
    auto it = std::find_if(g_timers.begin(), g_timers.end(), [&](const Timer& t) {
        return t.window == window && t.id == id;
    });
    if (it == g_timers.end())
        return false;
    g_timers.erase(it);
    return true;
}

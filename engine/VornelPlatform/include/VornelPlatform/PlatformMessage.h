#pragma once
// The window message record that the pump hands to the engine, and the message numbers,
// virtual-key codes and flag values it carries. The numbers are those of the Windows
// interfaces the engine was written against, so the engine's tables keep their values.
#include <cstdint>

struct PlatformWindow;

// Seven words: window, message, wParam, lParam and three words that are always 0.
struct PlatformMessage {
    PlatformWindow* window;  // null for WM_QUIT
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    uintptr_t extra[3];
};

// Message numbers.
constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_CANCELMODE = 0x001F;
constexpr uint32_t WM_SETCURSOR = 0x0020;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr uint32_t WM_XBUTTONDOWN = 0x020B;
constexpr uint32_t WM_XBUTTONUP = 0x020C;
constexpr uint32_t WM_MOUSEHWHEEL = 0x020E;
constexpr uint32_t WM_SIZING = 0x0214;
constexpr uint32_t WM_USER = 0x0400;

// WM_SYSCOMMAND wParam: the window menu asked for by a key (Alt alone).
constexpr uintptr_t SC_KEYMENU = 0xF100;

// WM_SIZE wParam.
constexpr uintptr_t SIZE_RESTORED = 0;
constexpr uintptr_t SIZE_MINIMIZED = 1;
constexpr uintptr_t SIZE_MAXIMIZED = 2;

// WM_ACTIVATE low word of wParam (the high word is 1 when the window is minimised).
constexpr uintptr_t WA_INACTIVE = 0;
constexpr uintptr_t WA_ACTIVE = 1;

// WM_SETCURSOR low word of lParam.
constexpr uint16_t HTNOWHERE = 0;
constexpr uint16_t HTCLIENT = 1;

// Mouse message wParam: buttons and modifiers held.
constexpr uintptr_t MK_LBUTTON = 0x0001;
constexpr uintptr_t MK_RBUTTON = 0x0002;
constexpr uintptr_t MK_SHIFT = 0x0004;
constexpr uintptr_t MK_CONTROL = 0x0008;
constexpr uintptr_t MK_MBUTTON = 0x0010;
constexpr uintptr_t MK_XBUTTON1 = 0x0020;
constexpr uintptr_t MK_XBUTTON2 = 0x0040;

// One notch of the wheel.
constexpr int32_t WHEEL_DELTA = 120;

// Key message lParam bits beside the repeat count (bits 0-15) and scan code (bits 16-23).
constexpr uint32_t KF_EXTENDED_BIT = 1u << 24;
constexpr uint32_t KF_ALTDOWN_BIT = 1u << 29;
constexpr uint32_t KF_PREVIOUS_DOWN_BIT = 1u << 30;
constexpr uint32_t KF_UP_BIT = 1u << 31;

// Virtual-key codes. Letters and digits are their upper-case ASCII codes ('A', '0').
constexpr uint32_t VK_LBUTTON = 0x01;
constexpr uint32_t VK_RBUTTON = 0x02;
constexpr uint32_t VK_MBUTTON = 0x04;
constexpr uint32_t VK_BACK = 0x08;
constexpr uint32_t VK_TAB = 0x09;
constexpr uint32_t VK_CLEAR = 0x0C;
constexpr uint32_t VK_RETURN = 0x0D;
constexpr uint32_t VK_SHIFT = 0x10;
constexpr uint32_t VK_CONTROL = 0x11;
constexpr uint32_t VK_MENU = 0x12;
constexpr uint32_t VK_PAUSE = 0x13;
constexpr uint32_t VK_CAPITAL = 0x14;
constexpr uint32_t VK_ESCAPE = 0x1B;
constexpr uint32_t VK_SPACE = 0x20;
constexpr uint32_t VK_PRIOR = 0x21;
constexpr uint32_t VK_NEXT = 0x22;
constexpr uint32_t VK_END = 0x23;
constexpr uint32_t VK_HOME = 0x24;
constexpr uint32_t VK_LEFT = 0x25;
constexpr uint32_t VK_UP = 0x26;
constexpr uint32_t VK_RIGHT = 0x27;
constexpr uint32_t VK_DOWN = 0x28;
constexpr uint32_t VK_SNAPSHOT = 0x2C;
constexpr uint32_t VK_INSERT = 0x2D;
constexpr uint32_t VK_DELETE = 0x2E;
constexpr uint32_t VK_LWIN = 0x5B;
constexpr uint32_t VK_RWIN = 0x5C;
constexpr uint32_t VK_APPS = 0x5D;
constexpr uint32_t VK_NUMPAD0 = 0x60;
constexpr uint32_t VK_NUMPAD9 = 0x69;
constexpr uint32_t VK_MULTIPLY = 0x6A;
constexpr uint32_t VK_ADD = 0x6B;
constexpr uint32_t VK_SUBTRACT = 0x6D;
constexpr uint32_t VK_DECIMAL = 0x6E;
constexpr uint32_t VK_DIVIDE = 0x6F;
constexpr uint32_t VK_F1 = 0x70;
constexpr uint32_t VK_F10 = 0x79;
constexpr uint32_t VK_F12 = 0x7B;
constexpr uint32_t VK_F24 = 0x87;
constexpr uint32_t VK_NUMLOCK = 0x90;
constexpr uint32_t VK_SCROLL = 0x91;
constexpr uint32_t VK_LSHIFT = 0xA0;
constexpr uint32_t VK_RSHIFT = 0xA1;
constexpr uint32_t VK_LCONTROL = 0xA2;
constexpr uint32_t VK_RCONTROL = 0xA3;
constexpr uint32_t VK_LMENU = 0xA4;
constexpr uint32_t VK_RMENU = 0xA5;
constexpr uint32_t VK_OEM_1 = 0xBA;       // ;:
constexpr uint32_t VK_OEM_PLUS = 0xBB;    // =+
constexpr uint32_t VK_OEM_COMMA = 0xBC;
constexpr uint32_t VK_OEM_MINUS = 0xBD;
constexpr uint32_t VK_OEM_PERIOD = 0xBE;
constexpr uint32_t VK_OEM_2 = 0xBF;       // /?
constexpr uint32_t VK_OEM_3 = 0xC0;       // `~
constexpr uint32_t VK_OEM_4 = 0xDB;       // [{
constexpr uint32_t VK_OEM_5 = 0xDC;       // \|
constexpr uint32_t VK_OEM_6 = 0xDD;       // ]}
constexpr uint32_t VK_OEM_7 = 0xDE;       // '"
constexpr uint32_t VK_OEM_8 = 0xDF;
constexpr uint32_t VK_OEM_102 = 0xE2;     // the extra key of 102-key keyboards

// Packing of two 16-bit values into an lParam (x in the low word, y in the high word).
// Values outside the 16-bit signed range are clamped, so a negative position stays negative.
inline intptr_t Platform_MakeLParam(int32_t low, int32_t high)
{
    auto clamp16 = [](int32_t v) -> uint32_t {
        if (v < -32768)
            v = -32768;
        if (v > 32767)
            v = 32767;
        return static_cast<uint16_t>(static_cast<int16_t>(v));
    };
    return static_cast<intptr_t>(clamp16(low) | (clamp16(high) << 16));
}

inline uint16_t Platform_LowWord(uintptr_t value) { return static_cast<uint16_t>(value & 0xFFFF); }
inline uint16_t Platform_HighWord(uintptr_t value) { return static_cast<uint16_t>((value >> 16) & 0xFFFF); }

// The low and high words read as signed values: pointer positions, wheel deltas.
inline int16_t Platform_SignedLowWord(uintptr_t value) { return static_cast<int16_t>(Platform_LowWord(value)); }
inline int16_t Platform_SignedHighWord(uintptr_t value) { return static_cast<int16_t>(Platform_HighWord(value)); }

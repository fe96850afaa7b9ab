// Keyboard positions to virtual-key codes (US layout), as the engine's key tables expect.
// Positions are USB usage ids (the numbers SDL gives its scancodes), so no system header is
// needed and both builds share the table.
#include "VornelPlatform/PlatformMessage.h"
#include "VornelPlatform/PlatformPump.h"

namespace {

// USB keyboard usage ids of the keys that have a virtual key.
enum Usage : uint32_t {
    kA = 4, kZ = 29, k1 = 30, k9 = 38, k0 = 39,
    kReturn = 40, kEscape = 41, kBackspace = 42, kTab = 43, kSpace = 44,
    kMinus = 45, kEquals = 46, kLeftBracket = 47, kRightBracket = 48, kBackslash = 49,
    kNonUsHash = 50, kSemicolon = 51, kApostrophe = 52, kGrave = 53, kComma = 54,
    kPeriod = 55, kSlash = 56, kCapsLock = 57, kF1 = 58, kF12 = 69,
    kPrintScreen = 70, kScrollLock = 71, kPause = 72, kInsert = 73, kHome = 74,
    kPageUp = 75, kDelete = 76, kEnd = 77, kPageDown = 78, kRight = 79,
    kLeft = 80, kDown = 81, kUp = 82, kNumLock = 83, kKpDivide = 84,
    kKpMultiply = 85, kKpMinus = 86, kKpPlus = 87, kKpEnter = 88, kKp1 = 89,
    kKp9 = 97, kKp0 = 98, kKpPeriod = 99, kNonUsBackslash = 100, kApplication = 101,
    kF13 = 104, kF24 = 115,
    kLeftControl = 224, kLeftShift = 225, kLeftAlt = 226, kLeftGui = 227,
    kRightControl = 228, kRightShift = 229, kRightAlt = 230, kRightGui = 231,
};

}  // namespace

uint32_t Platform_VirtualKeyFromScancode(uint32_t scancode, bool numLock)
{
    if (scancode >= kA && scancode <= kZ)
        return 'A' + (scancode - kA);
    if (scancode >= k1 && scancode <= k9)
        return '1' + (scancode - k1);
    if (scancode >= kF1 && scancode <= kF12)
        return VK_F1 + (scancode - kF1);
    if (scancode >= kF13 && scancode <= kF24)
        return VK_F12 + 1 + (scancode - kF13);
    if (scancode >= kKp1 && scancode <= kKp9) {
        if (numLock)
            return VK_NUMPAD0 + 1 + (scancode - kKp1);
        // Num Lock off: the keypad is the navigation block.
        static const uint32_t kNavigation[9] = {VK_END,  VK_DOWN, VK_NEXT,  VK_LEFT, VK_CLEAR,
                                                VK_RIGHT, VK_HOME, VK_UP,   VK_PRIOR};
        return kNavigation[scancode - kKp1];
    }

    switch (scancode) {
    case k0: return '0';
    case kReturn: return VK_RETURN;
    case kEscape: return VK_ESCAPE;
    case kBackspace: return VK_BACK;
    case kTab: return VK_TAB;
    case kSpace: return VK_SPACE;
    case kMinus: return VK_OEM_MINUS;
    case kEquals: return VK_OEM_PLUS;
    case kLeftBracket: return VK_OEM_4;
    case kRightBracket: return VK_OEM_6;
    case kBackslash: return VK_OEM_5;
    case kNonUsHash: return VK_OEM_5;
    case kSemicolon: return VK_OEM_1;
    case kApostrophe: return VK_OEM_7;
    case kGrave: return VK_OEM_3;
    case kComma: return VK_OEM_COMMA;
    case kPeriod: return VK_OEM_PERIOD;
    case kSlash: return VK_OEM_2;
    case kNonUsBackslash: return VK_OEM_102;
    case kCapsLock: return VK_CAPITAL;
    case kPrintScreen: return VK_SNAPSHOT;
    case kScrollLock: return VK_SCROLL;
    case kPause: return VK_PAUSE;
    case kInsert: return VK_INSERT;
    case kHome: return VK_HOME;
    case kPageUp: return VK_PRIOR;
    case kDelete: return VK_DELETE;
    case kEnd: return VK_END;
    case kPageDown: return VK_NEXT;
    case kRight: return VK_RIGHT;
    case kLeft: return VK_LEFT;
    case kDown: return VK_DOWN;
    case kUp: return VK_UP;
    case kNumLock: return VK_NUMLOCK;
    case kKpDivide: return VK_DIVIDE;
    case kKpMultiply: return VK_MULTIPLY;
    case kKpMinus: return VK_SUBTRACT;
    case kKpPlus: return VK_ADD;
    case kKpEnter: return VK_RETURN;
    case kKp0: return numLock ? VK_NUMPAD0 : VK_INSERT;
    case kKpPeriod: return numLock ? VK_DECIMAL : VK_DELETE;
    case kApplication: return VK_APPS;
    case kLeftControl:
    case kRightControl: return VK_CONTROL;
    case kLeftShift:
    case kRightShift: return VK_SHIFT;
    case kLeftAlt:
    case kRightAlt: return VK_MENU;
    case kLeftGui: return VK_LWIN;
    case kRightGui: return VK_RWIN;
    default: return 0;
    }
}

#pragma once
// Message codes of the window layer. Numbers follow the classic desktop message set so that
// raw codes handed to the application keep their familiar meaning (0x200 is a mouse move).
#include <cstdint>

namespace platform {

enum message_code : unsigned {
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_CLOSE = 0x0010,
    WM_ERASEBKGND = 0x0014,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_COMMAND = 0x0111,
    WM_HSCROLL = 0x0114,
    WM_VSCROLL = 0x0115,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    // Private: a control reports an event; wparam = gadget number, lparam = event type.
    MSG_CONTROL_EVENT = 13103,
};

// wparam of WM_SIZE.
enum size_kind : intptr_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
// wparam of WM_ACTIVATE.
enum activation : intptr_t { WA_INACTIVE = 0, WA_ACTIVE = 1 };

// Notification codes carried in the high word of a WM_COMMAND wparam.
enum notification : int {
    BN_CLICKED = 0,
    STN_CLICKED = 0,
    EN_SETFOCUS = 0x0100,
    EN_KILLFOCUS = 0x0200,
    EN_CHANGE = 0x0300,
    EN_UPDATE = 0x0400,
};

// WM_COMMAND wparam: low word the control identifier or command number, high word the code.
constexpr intptr_t make_wparam(int low, int high) {
    return static_cast<intptr_t>((static_cast<uint32_t>(low) & 0xFFFFu) |
                                 ((static_cast<uint32_t>(high) & 0xFFFFu) << 16));
}
constexpr int low_word(intptr_t value) { return static_cast<int>(static_cast<uint32_t>(value) & 0xFFFFu); }
constexpr int high_word(intptr_t value) {
    return static_cast<int>((static_cast<uint32_t>(value) >> 16) & 0xFFFFu);
}

}  // namespace platform

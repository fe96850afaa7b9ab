#pragma once
// Helpers of the platform tests: a display check and pumping with a deadline.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "VornelPlatform/PlatformPump.h"
#include "VornelPlatform/PlatformWindow.h"

// True when a display can be opened (under xvfb-run); tests that need one skip otherwise.
inline bool HaveDisplay()
{
    const char* display = std::getenv("DISPLAY");
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if ((!display || !*display) && (!driver || !*driver))
        return false;
    return Platform_HasDisplay();
}

#define REQUIRE_DISPLAY()                                                  \
    do {                                                                   \
        if (!HaveDisplay())                                                \
            GTEST_SKIP() << "needs a display (run under xvfb-run)";       \
    } while (0)

// Every message that arrives until nothing more comes for quietMs.
inline std::vector<PlatformMessage> DrainMessages(uint32_t quietMs = 100)
{
    std::vector<PlatformMessage> messages;
    PlatformMessage m{};
    while (Platform_WaitMessage(quietMs)) {
        while (Platform_PeekMessage(&m))
            messages.push_back(m);
    }
    return messages;
}

// Pumps until a message with this number arrives (kept in *found) or timeoutMs passes; every
// message taken on the way is appended to seen when given.
inline bool PumpUntil(uint32_t message, PlatformMessage* found, uint32_t timeoutMs,
                      std::vector<PlatformMessage>* seen = nullptr)
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    PlatformMessage m{};
    while (Clock::now() < end) {
        Platform_WaitMessage(20);
        while (Platform_PeekMessage(&m)) {
            if (seen)
                seen->push_back(m);
            if (m.message == message) {
                if (found)
                    *found = m;
                return true;
            }
        }
    }
    return false;
}

// The messages among these numbers, in order of arrival.
inline std::vector<PlatformMessage> OnlyMessages(const std::vector<PlatformMessage>& all,
                                                 std::initializer_list<uint32_t> numbers)
{
    std::vector<PlatformMessage> kept;
    for (const PlatformMessage& m : all)
        for (uint32_t n : numbers)
            if (m.message == n)
                kept.push_back(m);
    return kept;
}

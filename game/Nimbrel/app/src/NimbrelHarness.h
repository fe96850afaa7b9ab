#pragma once
// The real game in the calling process, for tests and benchmarks: started on the data folder
// of the working directory, stepped frame by frame, fed with input through the world's
// message path, its state and its picture read back.
//
//   NimbrelHarness game;                 // a window, frames only when asked
//   ASSERT_EQ(game.Start(), 0);
//   game.Step(60);
//   game.PostKey(VK_RETURN);
//   game.Step();
//   EXPECT_EQ(game.State(), kGameStateIdle);
//   EXPECT_EQ(game.Stop(), 0);           // the program's exit status
#include <cstdint>

#include "NimbrelApp.h"
#include "NimbrelWorld/CNimbrelWorld.h"

class NimbrelHarness {
public:
    // Any argument given (no single-instance check), a window, manual frames.
    static NimbrelStartOptions DefaultOptions();

    explicit NimbrelHarness(const NimbrelStartOptions& options = DefaultOptions());
    ~NimbrelHarness();
    NimbrelHarness(const NimbrelHarness&) = delete;
    NimbrelHarness& operator=(const NimbrelHarness&) = delete;

    // The program's start-up: 0 when the game runs, else the exit status it gave. Unless the
    // splash sequence is to be played, it is skipped as the developer key does: the world load
    // is then the first state.
    int Start();
    void PlaySplash(bool play) { m_playSplash = play; }
    // Runs frames (the waiting messages first, each time); false once the loop has ended.
    bool Step(uint32_t frames = 1);
    // The program's shutdown: its exit status. Nothing more runs afterwards.
    int Stop();

    // Posted to the window like the platform's own messages; they arrive with the next step.
    void PostKey(uint32_t virtualKey);
    void PostCharacter(char16_t character);
    // A left click at a point of the window's client area (real pixels).
    void PostClick(int32_t x, int32_t y);
    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam);

    bool Running() const { return m_started && !m_session.ended; }
    CNimbrelWorld* World() const { return m_session.world; }
    GameData* Game() const { return m_session.world ? m_session.world->GetGameData() : nullptr; }
    int32_t State() const { return m_session.world ? m_session.world->GetGameState() : -1; }
    NimbrelSession& Session() { return m_session; }

    // The colour of a pixel of the last frame drawn (x, y from the top left of the client
    // area), as 0xAARRGGBB; false without a picture or outside it.
    bool ReadPixel(int32_t x, int32_t y, uint32_t* pColor);

private:
    NimbrelStartOptions m_options;
    NimbrelSession m_session;
    bool m_started = false;
    bool m_stopped = false;
    bool m_playSplash = false;
};

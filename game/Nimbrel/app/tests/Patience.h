#pragma once
// How much longer than on a quiet machine a test's wait for the game may last before it counts
// as a hang. On a machine loaded past its cores the game's frames, and the looks that read them,
// come several times slower; a wait ends as soon as what it waits for shows, so only a hang
// pays for the margin.
constexpr int kPatience = 6;

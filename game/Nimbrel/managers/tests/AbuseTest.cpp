// The abuse overlay's counting window, threshold and penalty, stepped one frame unit at a time.
#include "NimbrelManagers/CAbuse.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

namespace {

// An overlay in a level of the test's kind, counting its abuse clicks.
class TestAbuse : public CAbuse {
public:
    using CAbuse::CAbuse;
    uint32_t kind = kObjectKindExploration;
    int abuseClicks = 0;

protected:
    uint32_t CurrentLevelKind() override { return kind; }
    void PlayAbuseClick() override { ++abuseClicks; }
    float FadeSpeed() override { return 0.075f; }
};

struct AbuseCase {
    const char* what;
    const char* settings;
    uint32_t kind;
    std::vector<float> clicks;  // seconds since the start
    // Checked after the last click.
    std::function<void(TestAbuse&)> check;
};

// Units of 1/30 s run one update each; a click is given at its time.
void Play(TestAbuse& abuse, const std::vector<float>& clicks, std::vector<Status>* results)
{
    float now = 0.0f;
    for (float at : clicks) {
        while (now + 1e-4f < at * 30.0f) {
            abuse.Update();
            now += 1.0f;
        }
        results->push_back(abuse.OnClick());
    }
}

TEST(Abuse, CountingWindowThresholdAndPenalty)
{
    const AbuseCase cases[] = {
        {"two clicks never start it", "", kObjectKindExploration, {0.0f, 0.5f},
         [](TestAbuse& a) { EXPECT_FALSE(a.IsShowing()); }},
        {"the third within two seconds does", "", kObjectKindExploration, {0.0f, 0.5f, 1.9f},
         [](TestAbuse& a) {
             EXPECT_TRUE(a.IsShowing());
             EXPECT_EQ(a.GetState(), kAbuseFadingIn);
             EXPECT_EQ(a.abuseClicks, 1);
         }},
        {"ABUSE_OVER_CLICK 0 acts as 2", "ABUSE_OVER_CLICK = 0\n", kObjectKindExploration, {0.0f, 0.5f},
         [](TestAbuse& a) { EXPECT_EQ(a.GetThreshold(), 2); EXPECT_FALSE(a.IsShowing()); }},
        {"ABUSE_OVER_CLICK 1 acts as 2", "ABUSE_OVER_CLICK = 1\n", kObjectKindExploration, {0.0f, 0.5f, 1.0f},
         [](TestAbuse& a) { EXPECT_EQ(a.GetThreshold(), 2); EXPECT_TRUE(a.IsShowing()); }},
        {"a higher threshold waits longer", "ABUSE_OVER_CLICK = 3\n", kObjectKindExploration, {0.0f, 0.2f, 0.4f},
         [](TestAbuse& a) { EXPECT_FALSE(a.IsShowing()); }},
        {"clicks outside exploration levels never count", "", kObjectKindEmpty, {0.0f, 0.1f, 0.2f, 0.3f},
         [](TestAbuse& a) { EXPECT_FALSE(a.IsShowing()); EXPECT_EQ(a.GetClickCount(), 1); }},
        {"a click after the window opens a new one", "", kObjectKindExploration, {0.0f, 0.5f, 2.6f, 3.0f},
         [](TestAbuse& a) { EXPECT_FALSE(a.IsShowing()); EXPECT_EQ(a.GetClickCount(), 2); }},
        {"a third click in the new window starts it", "", kObjectKindExploration, {0.0f, 0.5f, 2.6f, 3.0f, 3.2f},
         [](TestAbuse& a) { EXPECT_TRUE(a.IsShowing()); }},
    };
    for (const AbuseCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = std::string("[ABUSE]\n") + c.settings;
        UtilsParameters_Text settings(text.data(), uint32_t(text.size()));
        WorldData world{};
        world.frameTime = 1.0;
        world.pAppSettings = &settings;
        TestAbuse abuse(&world);
        abuse.kind = c.kind;
        ASSERT_EQ(abuse.Load(), kStatusOk);
        std::vector<Status> results;
        Play(abuse, c.clicks, &results);
        // The first click of a window is ordinary; a click counts as abuse only with the overlay.
        EXPECT_EQ(results.front(), kStatusFailed);
        EXPECT_EQ(results.back() == kStatusOk, abuse.IsShowing());
        c.check(abuse);
    }
}

// The whole penalty: in over 1/0.075 units, a hold of whole seconds, out, and idle again.
TEST(Abuse, ThePenaltyFadesInHoldsWholeSecondsAndFadesOut)
{
    const std::string text = "[ABUSE]\nABUSE_SECONDS_SHOWED = 2.9\nIS_ABUSING_UNDER_SECONDS = 2.5\n";
    UtilsParameters_Text settings(text.data(), uint32_t(text.size()));
    WorldData world{};
    world.frameTime = 1.0;
    world.pAppSettings = &settings;
    TestAbuse abuse(&world);
    ASSERT_EQ(abuse.Load(), kStatusOk);
    EXPECT_FLOAT_EQ(abuse.GetPenalty(), 2.0f);
    EXPECT_FLOAT_EQ(abuse.GetWindow(), 2.0f);
    for (int i = 0; i < 3; ++i)
        abuse.OnClick();
    ASSERT_EQ(abuse.GetState(), kAbuseFadingIn);
    int units = 0;
    uint8_t opacity = 0;
    while (abuse.GetState() == kAbuseFadingIn) {
        abuse.Update();
        ++units;
        if (abuse.GetState() == kAbuseFadingIn) {
            EXPECT_GT(abuse.GetOpacity(), opacity);
            opacity = abuse.GetOpacity();
        }
    }
    EXPECT_EQ(units, 14);  // 0.075 a unit passes 1.0 at the 14th
    EXPECT_EQ(abuse.GetState(), kAbuseHolding);
    EXPECT_FLOAT_EQ(abuse.GetLevel(), 60.0f);
    EXPECT_EQ(abuse.GetOpacity(), 255);

    // A click during the hold starts it again; the count keeps rising up to its top.
    for (int i = 0; i < 30; ++i)
        abuse.Update();
    EXPECT_EQ(abuse.OnClick(), kStatusOk);
    EXPECT_FLOAT_EQ(abuse.GetLevel(), 60.0f);
    for (int i = 0; i < 300; ++i)
        abuse.OnClick();
    EXPECT_EQ(abuse.GetClickCount(), 255);
    EXPECT_EQ(abuse.OnClick(), kStatusOk);
    EXPECT_FLOAT_EQ(abuse.GetLevel(), 60.0f);
    units = 0;
    while (abuse.GetState() == kAbuseHolding) {
        abuse.Update();
        ++units;
    }
    EXPECT_EQ(units, 61);
    EXPECT_EQ(abuse.GetState(), kAbuseFadingOut);

    // A click while it fades out brings it back from where it stands.
    abuse.Update();
    abuse.Update();
    const float level = abuse.GetLevel();
    const int clicks = abuse.abuseClicks;
    EXPECT_EQ(abuse.OnClick(), kStatusOk);
    EXPECT_EQ(abuse.GetState(), kAbuseFadingIn);
    EXPECT_FLOAT_EQ(abuse.GetLevel(), level);
    EXPECT_EQ(abuse.abuseClicks, clicks + 1);
    while (abuse.GetState() != kAbuseIdle && units < 1000) {
        abuse.Update();
        ++units;
    }
    EXPECT_FALSE(abuse.IsShowing());
    EXPECT_EQ(abuse.GetClickCount(), 1);

    // After a penalty two more counted clicks within the window start it again.
    abuse.Update();
    EXPECT_EQ(abuse.OnClick(), kStatusFailed);
    EXPECT_EQ(abuse.OnClick(), kStatusOk);
    EXPECT_TRUE(abuse.IsShowing());
    // The level's activation returns it to idle at once.
    abuse.Reset();
    EXPECT_FALSE(abuse.IsShowing());
}

}  // namespace

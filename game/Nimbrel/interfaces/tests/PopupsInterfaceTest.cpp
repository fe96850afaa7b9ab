// The popups object: its parameter words, the check of its elements, the button under a click
// and the button states.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "NamedElementsObject.h"
#include "NimbrelInterfaces/CObjectsInterfacePopups.h"
#include "NimbrelObjects/ElementRecord.h"
#include "NimbrelWorld/CScriptManager.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

const std::vector<const char*> kNames = {"back", "prev", "next", "up", "down", "close", "box", "frame1", "frame2"};

using TestPopupsObject = NamedElementsObject<CObjectsInterfacePopups>;

class PopupsInterfaceTest : public ::testing::Test {
protected:
    void BindAll()
    {
        const char* words[][2] = {{"popup_background", "back"},        {"popup_click_prev", "prev"},
                                  {"popup_click_next", "next"},        {"popup_band_up", "up"},
                                  {"popup_band_down", "down"},         {"popup_message_close_button", "close"},
                                  {"popup_message_item_ref", "box"}};
        for (auto& w : words)
            ASSERT_EQ(popups.Set(w[0], w[1]), kStatusDoneStoreResult) << w[0];
    }
    std::unique_ptr<WorldData> world = std::make_unique<WorldData>();
    TestPopupsObject popups{world.get(), kNames};
};

TEST_F(PopupsInterfaceTest, SevenSingleElementsAndTheFrameAreRequired)
{
    EXPECT_EQ(popups.GetTypeCode(), 259u);
    EXPECT_EQ(popups.CheckSetup(), kStatusFailed);
    BindAll();
    EXPECT_EQ(popups.CheckSetup(), kStatusFailed);   // no frame yet
    ASSERT_EQ(popups.Set("popup_message_items", "frame2,nowhere,frame1"), kStatusDoneStoreResult);
    ASSERT_EQ(popups.GetFrameCount(), 2u);
    EXPECT_EQ(popups.GetFrame()[0], 8);
    EXPECT_EQ(popups.GetFrame()[1], 7);
    EXPECT_EQ(popups.CheckSetup(), kStatusOk);
    for (uint32_t role = 0; role < kPopupsRoleCount; ++role)
        EXPECT_EQ(popups.GetRole(role), int32_t(role)) << role;
    // A name that is no element unbinds its role.
    ASSERT_EQ(popups.Set("popup_band_up", "nowhere"), kStatusDoneStoreResult);
    EXPECT_EQ(popups.GetRole(kPopupsBandUp), -1);
    EXPECT_EQ(popups.CheckSetup(), kStatusFailed);
    ASSERT_EQ(popups.Set("popup_message_items", "nowhere"), kStatusDoneStoreResult);
    EXPECT_EQ(popups.GetFrameCount(), 0u);
}

TEST_F(PopupsInterfaceTest, ButtonsShowAndHideAndAnUnboundOneIsSkipped)
{
    BindAll();
    popups.SetButtonsState(0, 1, 0);
    const ElementRecord* prev = popups.GetRoleElement(kPopupsPrevious);
    const ElementRecord* next = popups.GetRoleElement(kPopupsNext);
    ASSERT_TRUE(prev && next);
    EXPECT_EQ(prev->alpha, 0.0f);
    EXPECT_EQ(prev->flags & (kElementHidden | kElementRollOverDisabled | kElementFound),
              kElementHidden | kElementRollOverDisabled | kElementFound);
    EXPECT_EQ(next->alpha, 1.0f);
    EXPECT_TRUE(next->flags & kElementClickable);
    EXPECT_FALSE(next->flags & (kElementHidden | kElementFound));
    popups.SetButtonsState(1, 1, 1);
    EXPECT_EQ(prev->alpha, 1.0f);
    EXPECT_FALSE(prev->flags & kElementFound);

    // Unbound: nothing is written, no element -1.
    ASSERT_EQ(popups.Set("popup_click_prev", "nowhere"), kStatusDoneStoreResult);
    popups.SetButtonsState(0, 0, 0);
    EXPECT_EQ(prev->alpha, 1.0f);
}

// The button under a click: next 1, previous 2, close 3 (whether or not an object popup is open:
// the popup manager decides), any other element 4, nothing under the point 4 too, a failed test 0.
TEST_F(PopupsInterfaceTest, TheButtonUnderAClickIsNamed)
{
    BindAll();
    const struct {
        const char* element;
        uint32_t answer;
    } cases[] = {{"next", kPopupsHitNext}, {"prev", kPopupsHitPrevious}, {"close", kPopupsHitClose},
                 {"back", kPopupsHitOther}, {"frame1", kPopupsHitOther}, {nullptr, kPopupsHitNone}};
    for (const auto& c : cases) {
        popups.hit = c.element ? popups.Find(c.element) : -2;
        EXPECT_EQ(popups.HitTestButtons(1.0f, 1.0f, 0), c.answer) << (c.element ? c.element : "failed test");
    }
}

}  // namespace

// The popups object: its parameter words, the check of its elements and the button states.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "NimbrelInterfaces/CObjectsInterfacePopups.h"
#include "NimbrelObjects/ElementRecord.h"
#include "NimbrelWorld/CScriptManager.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

const std::vector<const char*> kNames = {"back", "prev", "next", "up", "down", "close", "box", "frame1", "frame2"};

class TestPopupsObject : public CObjectsInterfacePopups {
public:
    explicit TestPopupsObject(WorldData* w) : CObjectsInterfacePopups(w, 0, 0)
    {
        const uint32_t count = uint32_t(kNames.size());
        m_pElements = AllocElements(count);
        m_elementCount = count;
        m_pNameIndex = static_cast<uint32_t*>(UTILS_CALLOC(count, sizeof(uint32_t)));
        std::vector<uint32_t> order;
        for (uint32_t i = 0; i < count; ++i) {
            ElementRecord* e = GetItemRecord(i);
            ResetElement(e);
            e->index = i;
            e->pName = UtilsString_DupA(kNames[i]);
            order.push_back(i);
        }
        std::sort(order.begin(), order.end(), [](uint32_t a, uint32_t b) { return std::strcmp(kNames[a], kNames[b]) < 0; });
        std::copy(order.begin(), order.end(), m_pNameIndex);
    }
    ~TestPopupsObject() override { Release(); }

    Status Set(const char* word, const char* value)
    {
        ScriptBuiltinCall call{};
        call.arguments[0] = reinterpret_cast<uintptr_t>(word);
        call.arguments[1] = reinterpret_cast<uintptr_t>(value);
        call.argumentCount = 2;
        return setObjectParameters(call);
    }
};

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
    TestPopupsObject popups{world.get()};
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

}  // namespace

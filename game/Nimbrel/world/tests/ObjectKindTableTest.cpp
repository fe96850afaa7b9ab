#include "NimbrelWorld/ObjectKindTable.h"

#include <gtest/gtest.h>

#include <string>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"

TEST(ObjectKindTable, RowsInOrderWithTheirCodesAndFlags)
{
    const struct {
        uint32_t typeCode;
        const char16_t* code;
        const char16_t* name;
        uint32_t count;
        uint8_t flags[5];  // A, resident, own visibility, D, E
    } expected[kObjectKindCount] = {
        {257, u"MENU      ", u"INTERFACES_MENU", 1, {1, 0, 0, 0, 0}},
        {258, u"LABELS    ", u"INTERFACES_LABELS", 1, {1, 1, 0, 0, 0}},
        {259, u"POPUPS    ", u"INTERFACES_POPUPS", 1, {0, 0, 1, 0, 0}},
        {260, u"TOOLBOX   ", u"INTERFACES_TOOLBOX", 1, {0, 0, 1, 0, 0}},
        {261, u"MONITOR   ", u"INTERFACES_MONITOR", 1, {0, 0, 0, 0, 0}},
        {262, u"EFFECTS   ", u"INTERFACES_EFFECTS", 1, {1, 0, 0, 0, 0}},
        {263, u"HINT      ", u"INTERFACES_HINT", 1, {1, 0, 0, 0, 0}},
        {264, u"TUTO      ", u"INTERFACES_TUTO", 1, {1, 1, 0, 0, 0}},
        {265, u"BUTTONS   ", u"INTERFACES_BUTTONS", 1, {0, 0, 0, 0, 0}},
        {267, u"ITEMS_LIST", u"INTERFACES_ITEMS_LIST", 1, {0, 0, 0, 0, 0}},
        {268, u"INVENTORY ", u"INTERFACES_INVENTORY", 1, {0, 0, 0, 0, 0}},
        {513, u"EXPLO     ", u"LEVELS_EXPLORATION", 1, {0, 0, 0, 0, 1}},
        {514, u"JIGSAW    ", u"LEVELS_JIGSAW", 1, {0, 0, 0, 0, 1}},
        {515, u"EMPTY     ", u"LEVELS_EMPTY", 1, {0, 0, 0, 0, 1}},
        {516, u"SLIDING   ", u"LEVELS_SLIDING", 2, {0, 0, 0, 0, 1}},
        {517, u"MATCH3    ", u"LEVELS_MATCH3", 3, {0, 0, 0, 0, 1}},
        {518, u"MIXTURE   ", u"LEVELS_MIXTURE", 1, {0, 0, 0, 0, 1}},
        {519, u"SPIDER    ", u"LEVELS_SPIDER", 1, {0, 0, 0, 0, 1}},
        {520, u"PUZZLE    ", u"LEVELS_PUZZLE", 1, {0, 0, 0, 0, 1}},
        {521, u"SWITCH    ", u"LEVELS_SWITCH", 2, {0, 0, 0, 0, 1}},
        {522, u"WHEELS    ", u"LEVELS_WHEELS", 2, {0, 0, 0, 1, 1}},
        {523, u"WHEEL_STK ", u"LEVELS_WHEEL_STACK", 4, {0, 0, 0, 0, 1}},
        {524, u"LABYRINTHE", u"LEVELS_LABYRINTHE", 4, {0, 0, 0, 0, 1}},
        {525, u"TUBING    ", u"LEVELS_TUBING", 5, {0, 0, 0, 1, 1}},
        {526, u"BLACK_JACK", u"LEVELS_BLACK_JACK", 1, {0, 0, 0, 0, 1}},
        {527, u"CIRCLES   ", u"LEVELS_CIRCLES", 1, {0, 0, 0, 0, 1}},
    };
    const ObjectsTypeInfo* rows = ObjectKindTable();
    for (int i = 0; i < kObjectKindCount; ++i) {
        SCOPED_TRACE(i);
        const ObjectsTypeInfo& row = rows[i];
        EXPECT_EQ(row.typeCode, expected[i].typeCode);
        EXPECT_EQ(std::u16string(row.code), expected[i].code);
        EXPECT_EQ(std::u16string(row.code).size(), size_t(kObjectKindCodeLength));
        EXPECT_EQ(std::u16string(row.name), expected[i].name);
        EXPECT_EQ(std::u16string(row.category), IsLevelKind(row.typeCode) ? u"LVL" : u"ITF");
        EXPECT_EQ(row.count, expected[i].count);
        const uint8_t flags[5] = {row.flagA, row.resident, row.ownVisibility, row.flagD, row.flagE};
        for (int f = 0; f < 5; ++f)
            EXPECT_EQ(flags[f], expected[i].flags[f]) << "flag " << f;
        EXPECT_EQ(FindObjectKind(row.typeCode), &row);
    }
}

TEST(ObjectKindTable, BasesAndUnknownCodesHaveNoRow)
{
    for (uint32_t code : {0u, 256u, 266u, 269u, 512u, 528u, 0xFFFFFFFFu})
        EXPECT_EQ(FindObjectKind(code), nullptr) << code;
}

TEST(GameData, WorldHangsItsRecordWithTheStartingValues)
{
    CNimbrelWorld world;
    GameData* game = world.GetGameData();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(world.GetWorldData()->pGame, game);
    EXPECT_EQ(game->language, kLanguageNone);
    EXPECT_EQ(game->brightness, kBrightnessUnchanged);
    EXPECT_EQ(game->musicVolume, 1.0f);
    EXPECT_EQ(game->soundsVolume, 1.0f);
    EXPECT_EQ(game->screen.uniformScaleX, 1.0f);
    EXPECT_EQ(game->drawElement, -1);
    EXPECT_EQ(game->drawMaterial, -1);
    EXPECT_EQ(game->stop | game->busy | game->developerMode, 0);

    // The construction is named after the application, read from the pack in construct mode 0.
    world.SetDataFolder(u"Nimbrel", nullptr, 0, 0);
    EXPECT_STREQ(game->constructBaseName, "Nimbrel");
    EXPECT_EQ(GameConstructMode(*game), 0u);
    EXPECT_EQ(GameObjectSource(*game), 2u);
    // The scene objects' models and scripts take the same name.
    EXPECT_STREQ(world.GetWorldData()->game.view.dataNamePrefix, "Nimbrel");
}

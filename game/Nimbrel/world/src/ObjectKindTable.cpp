#include "NimbrelWorld/ObjectKindTable.h"

namespace {

struct KindTable {
    ObjectsTypeInfo rows[kObjectKindCount];

    KindTable()
    {
        ObjectsTypeInfo& menu = rows[0];
        menu.category = u"ITF";
        menu.code = u"MENU      ";
        menu.count = 1;
        menu.flagA = 1;
        menu.resident = 0;
        menu.ownVisibility = 0;
        menu.name = u"INTERFACES_MENU";
        menu.typeCode = kObjectKindMenu;
        menu.flagD = 0;
        menu.flagE = 0;
        rows[1].Set(kObjectKindLabels, u"ITF", 1, 1, 1, 0, u"LABELS    ", u"INTERFACES_LABELS", 0, 0);
        rows[2].Set(kObjectKindPopups, u"ITF", 1, 0, 0, 1, u"POPUPS    ", u"INTERFACES_POPUPS", 0, 0);
        rows[3].Set(kObjectKindToolbox, u"ITF", 1, 0, 0, 1, u"TOOLBOX   ", u"INTERFACES_TOOLBOX", 0, 0);
        rows[4].Set(kObjectKindMonitor, u"ITF", 1, 0, 0, 0, u"MONITOR   ", u"INTERFACES_MONITOR", 0, 0);
        rows[5].Set(kObjectKindEffects, u"ITF", 1, 1, 0, 0, u"EFFECTS   ", u"INTERFACES_EFFECTS", 0, 0);
        rows[6].Set(kObjectKindHint, u"ITF", 1, 1, 0, 0, u"HINT      ", u"INTERFACES_HINT", 0, 0);
        rows[7].Set(kObjectKindTuto, u"ITF", 1, 1, 1, 0, u"TUTO      ", u"INTERFACES_TUTO", 0, 0);
        rows[8].Set(kObjectKindButtons, u"ITF", 1, 0, 0, 0, u"BUTTONS   ", u"INTERFACES_BUTTONS", 0, 0);
        rows[9].Set(kObjectKindItemsList, u"ITF", 1, 0, 0, 0, u"ITEMS_LIST", u"INTERFACES_ITEMS_LIST", 0, 0);
        rows[10].Set(kObjectKindInventory, u"ITF", 1, 0, 0, 0, u"INVENTORY ", u"INTERFACES_INVENTORY", 0, 0);
        rows[11].Set(kObjectKindExploration, u"LVL", 1, 0, 0, 0, u"EXPLO     ", u"LEVELS_EXPLORATION", 0, 1);
        rows[12].Set(kObjectKindJigsaw, u"LVL", 1, 0, 0, 0, u"JIGSAW    ", u"LEVELS_JIGSAW", 0, 1);
        rows[13].Set(kObjectKindEmpty, u"LVL", 1, 0, 0, 0, u"EMPTY     ", u"LEVELS_EMPTY", 0, 1);
        rows[14].Set(kObjectKindSliding, u"LVL", 2, 0, 0, 0, u"SLIDING   ", u"LEVELS_SLIDING", 0, 1);
        rows[15].Set(kObjectKindMatch3, u"LVL", 3, 0, 0, 0, u"MATCH3    ", u"LEVELS_MATCH3", 0, 1);
        rows[16].Set(kObjectKindMixture, u"LVL", 1, 0, 0, 0, u"MIXTURE   ", u"LEVELS_MIXTURE", 0, 1);
        rows[17].Set(kObjectKindSpider, u"LVL", 1, 0, 0, 0, u"SPIDER    ", u"LEVELS_SPIDER", 0, 1);
        rows[18].Set(kObjectKindPuzzle, u"LVL", 1, 0, 0, 0, u"PUZZLE    ", u"LEVELS_PUZZLE", 0, 1);
        rows[19].Set(kObjectKindSwitch, u"LVL", 2, 0, 0, 0, u"SWITCH    ", u"LEVELS_SWITCH", 0, 1);
        rows[20].Set(kObjectKindWheels, u"LVL", 2, 0, 0, 0, u"WHEELS    ", u"LEVELS_WHEELS", 1, 1);
        rows[21].Set(kObjectKindWheelStack, u"LVL", 4, 0, 0, 0, u"WHEEL_STK ", u"LEVELS_WHEEL_STACK", 0, 1);
        rows[22].Set(kObjectKindLabyrinthe, u"LVL", 4, 0, 0, 0, u"LABYRINTHE", u"LEVELS_LABYRINTHE", 0, 1);
        rows[23].Set(kObjectKindTubing, u"LVL", 5, 0, 0, 0, u"TUBING    ", u"LEVELS_TUBING", 1, 1);
        rows[24].Set(kObjectKindBlackJack, u"LVL", 1, 0, 0, 0, u"BLACK_JACK", u"LEVELS_BLACK_JACK", 0, 1);
        rows[25].Set(kObjectKindCircles, u"LVL", 1, 0, 0, 0, u"CIRCLES   ", u"LEVELS_CIRCLES", 0, 1);
    }
};

const KindTable& Table()
{
    static const KindTable table;
    return table;
}

}  // namespace

ObjectsTypeInfo& ObjectsTypeInfo::Set(uint32_t typeCode_, const char16_t* category_, uint32_t count_, uint8_t flagA_,
                                      uint8_t resident_, uint8_t ownVisibility_, const char16_t* code_,
                                      const char16_t* name_, uint8_t flagD_, uint8_t flagE_)
{
    typeCode = typeCode_;
    category = category_;
    count = count_;
    flagA = flagA_;
    resident = resident_;
    ownVisibility = ownVisibility_;
    code = code_;
    name = name_;
    flagD = flagD_;
    flagE = flagE_;
    return *this;
}

const ObjectsTypeInfo* ObjectKindTable()
{
    return Table().rows;
}

const ObjectsTypeInfo* FindObjectKind(uint32_t typeCode)
{
    for (const ObjectsTypeInfo& row : Table().rows)
        if (row.typeCode == typeCode)
            return &row;
    return nullptr;
}

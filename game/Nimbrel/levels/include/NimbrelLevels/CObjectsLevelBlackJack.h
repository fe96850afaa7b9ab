#pragma once
// The black jack level (526): the table under the level. Its script names the twelve items
// (the table, the places of the bet, the coins, both hands and the deck, one coin, one card,
// the sheet of card pictures and the three buttons), the callback and the coins; the buttons'
// clicks send the actions. The table item is drawn with the coin piles, the hands and the card
// sliding in from the deck; the other items but the buttons are never drawn as themselves.
// "reset" changes nothing in the game.
#include "NimbrelLevels/BlackJackBoard.h"
#include "NimbrelLevels/CObjectsLevelBoard.h"

class C3DObject;

// The most coins a pile shows: a larger count is drawn as this many, its text says the rest.
// Twenty coins stand about two and a half coins high; a hundred would make a column across half
// the table.
constexpr uint32_t kBlackJackMostPileCoins = 20;

class CObjectsLevelBlackJack : public CObjectsLevelBoard<BlackJackBoard> {
public:
    CObjectsLevelBlackJack(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsLevelBlackJack() override;

    // The level base's load, then the cards' mesh from the renderer.
    Status Load() override;
    // The mesh given back, then the level base's release.
    Status Release() override;
    // The mesh's device data first, then the base's release model.
    Status ReleaseModel(uint8_t force) override;

    Status OnAction(const char* name, char* value) override;
    // The twelve items and the callback; then the 54 card quads of the card picture's size,
    // kStatusFailed when the sheet item has no texture.
    Status CheckSetup() override;
    // "reset" only clears the finished mark (0).
    Status OnCommand(const char* command) override;
    // The table's step, then the buttons' states.
    Status UpdateState() override;

    Status PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force) override;
    Status DrawElement(ElementRecord* pElement) override;

    // The card quads were built on the sheet's texture.
    bool HasCards() const { return m_cardsBuilt; }
    C3DObject* CardMesh() const { return m_pMesh; }

protected:
    void StateFields(LevelState& state) override;
    bool StateFits() override;

private:
    // The table's host.
    void Settled(uint32_t result, uint32_t amount) override;
    void PlayDealSound() override;

    ElementRecord* ItemRecord(BlackJackItem item);
    bool IsHidden(uint32_t element) const;
    Status BuildMesh();
    void ReleaseMesh();
    void SetButton(BlackJackItem item, bool enabled);
    // `count` copies of the coin piled on `place`, and "x count" beside them.
    void DrawPile(ElementRecord* coin, ElementRecord* place, uint32_t count);
    void DrawHand(bool bank, ElementRecord* place, ElementRecord* deck, const ElementRecord& table);
    void DrawCard(uint32_t cell, float x, float y, const ElementRecord& table);

    C3DObject* m_pMesh = nullptr;
    bool m_cardsBuilt = false;
    bool m_drawingTable = false;
};

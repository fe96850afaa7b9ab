// The black jack level: the table's items and callback, the buttons' states, and the table
// drawn with its coin piles and the cards from the mesh of sheet cells.
#include "NimbrelLevels/CObjectsLevelBlackJack.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kMeshFlags = 0x8010;
constexpr uint32_t kMeshCreation = 0x8C29;
constexpr uint32_t kQuadFaceMode = 1;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kButtonEnabledClears = kElementDraggable | kElementHasDropRecord | kElementRotatable | kElementFound;
constexpr float kDisabledAlpha = 0.75f;
// How far a hand spreads, in card widths.
constexpr float kHandSpread = 0.44f;
// Each coin of a pile stands this share of the coin's height above the one below it.
constexpr float kPileStep = 0.08f;
// The text beside a pile is this share of the coin's width high.
constexpr float kPileTextSize = 0.65f;

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

float Width(const ElementRecord& e) { return e.bounds[2] - e.bounds[0]; }
float Height(const ElementRecord& e) { return e.bounds[3] - e.bounds[1]; }

}  // namespace

CObjectsLevelBlackJack::CObjectsLevelBlackJack(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevelBoard<BlackJackBoard>(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindBlackJack;
}

CObjectsLevelBlackJack::~CObjectsLevelBlackJack() { ReleaseMesh(); }

// ---- resources ----------------------------------------------------------------------------------

Status CObjectsLevelBlackJack::Load()
{
    if (Failed(CObjectsLevelBoard<BlackJackBoard>::Load()))
        return kStatusFailed;
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (!m_pMesh && engine)
        m_pMesh = engine->CreateObject(kMeshFlags, kMeshCreation);
    return m_pMesh ? kStatusOk : kStatusFailed;
}

Status CObjectsLevelBlackJack::Release()
{
    ReleaseMesh();
    return CObjectsLevelBoard<BlackJackBoard>::Release();
}

Status CObjectsLevelBlackJack::ReleaseModel(uint8_t force)
{
    // The quads go with the device data; the next draw builds them again.
    if (m_pMesh) {
        m_pMesh->SetTextureAllGroups(nullptr, 0);
        m_pMesh->Release();
    }
    m_cardsBuilt = false;
    return CObjectsLevelBoard<BlackJackBoard>::ReleaseModel(force);
}

void CObjectsLevelBlackJack::ReleaseMesh()
{
    m_cardsBuilt = false;
    if (!m_pMesh)
        return;
    // The sheet's texture is the render model's: the mesh only lends it while it draws.
    m_pMesh->SetTextureAllGroups(nullptr, 0);
    if (C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData))
        engine->ReleaseObject(m_pMesh);
    m_pMesh = nullptr;
}

// ---- setup, actions and commands ----------------------------------------------------------------

ElementRecord* CObjectsLevelBlackJack::ItemRecord(BlackJackItem item)
{
    const int32_t index = m_board.Item(item);
    return index >= 0 ? GetItemRecord(uint32_t(index)) : nullptr;
}

Status CObjectsLevelBlackJack::OnAction(const char* name, char* value) { return m_board.Action(name, value); }

Status CObjectsLevelBlackJack::CheckSetup()
{
    if (Failed(m_board.CheckSetup()))
        return kStatusFailed;
    return BuildMesh();
}

Status CObjectsLevelBlackJack::BuildMesh()
{
    m_cardsBuilt = false;
    const ElementRecord* card = ItemRecord(kBlackJackCard);
    const int32_t sheet = m_board.Item(kBlackJackSheet);
    if (!card || sheet < 0 || !m_pMesh || !m_pRenderModel || uint32_t(sheet) >= m_pRenderModel->GetGroupCount() ||
        !m_pRenderModel->GetTexture(uint32_t(sheet), 0))
        return kStatusFailed;
    const uint32_t quads = kBlackJackSheetCells;
    if (Failed(m_pMesh->Create(quads, 4 * quads, 4 * quads)))
        return kStatusFailed;
    // Cells in texture units of the whole sheet, within the part of the texture the sheet
    // item shows.
    C3DVector2 low = {0.0f, 0.0f}, high = {1.0f, 1.0f};
    m_pRenderModel->GetGroupUVBounds0(uint32_t(sheet), &low, &high);
    const float cellU = kBlackJackCellWidth * (high.x - low.x);
    const float cellV = kBlackJackCellHeight * (high.y - low.y);
    const float halfW = Width(*card) * 0.5f, halfH = Height(*card) * 0.5f;
    m_pMesh->Lock(0, 2);
    for (uint32_t q = 0; q < quads; ++q) {
        const uint32_t v = 4 * q;
        const float u0 = low.x + float(q % kBlackJackSheetColumns) * cellU;
        const float v0 = low.y + float(q / kBlackJackSheetColumns) * cellV;
        m_pMesh->SetVertex(v, -halfW, -halfH, 0.0f, kWhite, u0, v0, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 1, halfW, -halfH, 0.0f, kWhite, u0 + cellU, v0, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 2, -halfW, halfH, 0.0f, kWhite, u0, v0 + cellV, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 3, halfW, halfH, 0.0f, kWhite, u0 + cellU, v0 + cellV, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetIndexRange(v, 4);
        m_pMesh->SetGroup(q, v, 4, v, 4, 2, kPrimitiveTriangleStrip, kQuadFaceMode, q);
    }
    m_pMesh->Unlock(1);
    m_cardsBuilt = true;
    return kStatusOk;
}

Status CObjectsLevelBlackJack::OnCommand(const char* command)
{
    if (Is(command, "reset")) {
        // The base clears the finished mark, so that the level can finish again.
        CObjectsLevel::OnCommand(command);
        return kStatusOk;
    }
    return CObjectsLevelBoard<BlackJackBoard>::OnCommand(command);
}

Status CObjectsLevelBlackJack::UpdateState()
{
    const Status status = CObjectsLevelBoard<BlackJackBoard>::UpdateState();
    SetButton(kBlackJackBetButton, m_board.BetEnabled());
    SetButton(kBlackJackHitButton, m_board.HitEnabled());
    SetButton(kBlackJackStandButton, m_board.StandEnabled());
    return status;
}

void CObjectsLevelBlackJack::SetButton(BlackJackItem item, bool enabled)
{
    ElementRecord* button = ItemRecord(item);
    if (!button)
        return;
    if (enabled) {
        button->flags = (button->flags | kElementClickable) & ~kButtonEnabledClears;
        button->alpha = 1.0f;
    } else {
        button->flags |= kElementFound;
        button->alpha = kDisabledAlpha;
    }
}

void CObjectsLevelBlackJack::StateFields(LevelState& state) { m_board.StateFields(state, m_paused, m_solved); }

bool CObjectsLevelBlackJack::StateFits() { return m_board.Fits(m_elementCount) && m_paused <= 1 && m_solved <= 1; }

// ---- the table's host ---------------------------------------------------------------------------

void CObjectsLevelBlackJack::Settled(uint32_t result, uint32_t amount)
{
    CallFunction(m_board.Callback().c_str(),
                 {LevelArgument::Int(int32_t(result)), LevelArgument::Int(int32_t(amount))});
}

void CObjectsLevelBlackJack::PlayDealSound()
{
    const ElementRecord* card = ItemRecord(kBlackJackCard);
    if (card && card->clickSound != 0)
        PlayElementSound(card->clickSound);
    else
        PlayDefaultClick();
}

// ---- drawing ------------------------------------------------------------------------------------

bool CObjectsLevelBlackJack::IsHidden(uint32_t element) const
{
    for (uint32_t item = kBlackJackBetPlace; item <= kBlackJackSheet; ++item)
        if (m_board.Item(BlackJackItem(item)) == int32_t(element))
            return true;
    return false;
}

Status CObjectsLevelBlackJack::PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force)
{
    if (pElement && !m_drawingTable && IsHidden(pElement->index))
        return kStatusFailed;
    return CObjectsLevel::PrepareElementDraw(pElement, alpha, force);
}

Status CObjectsLevelBlackJack::DrawElement(ElementRecord* pElement)
{
    if (!pElement)
        return kStatusFailed;
    if (!m_drawingTable && IsHidden(pElement->index))
        return kStatusOk;
    const Status status = ObjectsWrap_DrawElement<CObjectsLevel>(*this, pElement);
    if (m_drawingTable || int32_t(pElement->index) != m_board.Item(kBlackJackPlay) || !m_pMesh || !m_pRenderModel ||
        !m_pWorldData->pMath)
        return status;
    if (!m_cardsBuilt && Failed(BuildMesh()))
        return status;
    ElementRecord* coin = ItemRecord(kBlackJackCoin);
    ElementRecord* coins = ItemRecord(kBlackJackCoinsPlace);
    ElementRecord* bet = ItemRecord(kBlackJackBetPlace);
    ElementRecord* user = ItemRecord(kBlackJackUserCards);
    ElementRecord* bank = ItemRecord(kBlackJackBankCards);
    ElementRecord* deck = ItemRecord(kBlackJackDeck);
    if (!coin || !coins || !bet || !user || !bank || !deck)
        return status;
    m_drawingTable = true;
    DrawPile(coin, coins, m_board.Coins());
    if (m_board.GameState() != kBlackJackWaiting)
        DrawPile(coin, bet, m_board.Bet());
    C3DTexture* sheet = m_pRenderModel->GetTexture(uint32_t(m_board.Item(kBlackJackSheet)), 0);
    m_pMesh->SetTextureAllGroups(sheet, 0);
    m_pMesh->SetColor(kWhite);
    DrawHand(false, user, deck, *pElement);
    DrawHand(true, bank, deck, *pElement);
    m_pMesh->SetTextureAllGroups(nullptr, 0);
    m_drawingTable = false;
    return status;
}

void CObjectsLevelBlackJack::DrawPile(ElementRecord* coin, ElementRecord* place, uint32_t count)
{
    if (count == 0)
        return;
    const uint32_t shown = count < kBlackJackMostPileCoins ? count : kBlackJackMostPileCoins;
    MoveElementOnto(coin, place);
    float base[3];
    GetElementPosition(base, coin);
    float at[3] = {base[0], base[1], base[2]};
    for (uint32_t i = 0; i < shown; ++i) {
        // Each copy onto the one below it.
        at[1] = base[1] - float(i) * kPileStep * Height(*coin);
        SetElementPosition(coin, at);
        CObjectsLevel::PrepareElementDraw(coin, 1.0f, 1);
        ObjectsWrap_DrawElement<CObjectsLevel>(*this, coin);
    }
    // "x count" to the right of the pile, level with its lowest coin.
    CNimbrelWorld* world = dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld);
    CVornelFont* font = world ? world->GetMainFont() : nullptr;
    if (!font)
        return;
    const GameData* game = m_pWorldData->pGame;
    const float textScale = game && game->screen.textScale > 0.0f ? game->screen.textScale : 1.0f;
    const float size = kPileTextSize * Width(*coin) * textScale;
    char text[32];
    std::snprintf(text, sizeof text, "x %u", unsigned(count));
    char16_t wide[32];
    size_t n = 0;
    for (; text[n] && n + 1 < sizeof wide / sizeof wide[0]; ++n)
        wide[n] = char16_t(text[n]);
    wide[n] = u'\0';
    C3DVector3 screen;
    m_pWorldData->pMath->Vec3TransformCoord(&screen, base[0] + coin->bounds[2], base[1] - size * 0.5f, 0.0f,
                                            GetElementViewMatrix(coin));
    font->DrawText(wide, screen.x, screen.y, 0.0f, 0, kWhite, size, size, nullptr, nullptr, 0);
}

void CObjectsLevelBlackJack::DrawHand(bool bank, ElementRecord* place, ElementRecord* deck, const ElementRecord& table)
{
    const std::vector<BlackJackCard>& hand = m_board.Hand(bank);
    const ElementRecord* card = ItemRecord(kBlackJackCard);
    if (hand.empty() || !card)
        return;
    float from[3], to[3];
    GetElementPosition(from, deck);
    GetElementPosition(to, place);
    const float progress = m_board.Progress();
    bool sliding = false;
    for (const BlackJackCard& c : hand)
        sliding = sliding || c.dealtNow;
    const float n = float(hand.size()) - (sliding ? 1.0f - progress : 0.0f);
    for (size_t k = 0; k < hand.size(); ++k) {
        const BlackJackCard& c = hand[k];
        float x = to[0] + float(k + 1) / n * kHandSpread * Width(*card);
        float y = to[1];
        if (c.dealtNow) {
            x += (1.0f - progress) * (from[0] - x);
            y += (1.0f - progress) * (from[1] - y);
        }
        const bool shown = c.faceUp && !c.dealtNow;
        DrawCard(shown ? BlackJackBoard::CardCell(c) : kBlackJackBackCell, x, y, table);
    }
}

void CObjectsLevelBlackJack::DrawCard(uint32_t cell, float x, float y, const ElementRecord& table)
{
    // The table item's world matrix less its own place: the object's frame, moved to (x, y).
    float tablePoint[3];
    GetElementPosition(tablePoint, &table);
    const float place[16] = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f,
                             x - tablePoint[0], y - tablePoint[1], 0.0f, 1.0f};
    float matrix[16];
    m_pWorldData->pMath->Multiply(matrix, place, table.worldMatrix);
    m_pMesh->SetMatrix(matrix);
    m_pMesh->DrawEx(cell);
}

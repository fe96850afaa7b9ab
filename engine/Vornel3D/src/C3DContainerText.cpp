#include <cstring>
#include <new>

#include "Vornel3D/C3DContainer.h"

C3DContainerText::C3DContainerText(WorldData* pWorldData, uint32_t flags, uint32_t second)
    : C3DContainer(pWorldData, flags, second) {
    m_nFlags = (m_nFlags & kContainerFlagsMask) | kContainerKindText;
}

C3DContainerText::~C3DContainerText() { FreeText(); }

void C3DContainerText::FreeText() {
    if (m_bOwnsText) delete[] m_pText;
    m_pText = nullptr;
    m_bOwnsText = false;
}

void C3DContainerText::DrawText(const C3DVector3* position) {
    if (!m_pfnDraw) return;
    C3DVector3 scale;
    Maths().GetScale(&scale, m_worldMatrix);
    m_pfnDraw(position, m_nColor, scale.x * m_textScaleX, scale.y * m_textScaleY, m_nTextSize, m_pText, m_nContext);
}

void C3DContainerText::Draw(uint32_t value) {
    DrawText(&m_position);
    DrawChildren(value);
}

void C3DContainerText::DrawSecondPass(float* matrix) {
    C3DVector3 position = m_position;
    if (matrix) Maths().GetTranslation(&position, matrix);
    DrawText(&position);
    DrawChildrenSecondPass(matrix);
}

void C3DContainerText::SetDrawFunction(C3DTextDrawFunction function) { m_pfnDraw = function; }

void C3DContainerText::SetDrawContext(uintptr_t context) { m_nContext = context; }

void C3DContainerText::SetTextScale(float x, float y) {
    m_textScaleX = x;
    m_textScaleY = y;
}

void C3DContainerText::SetTextSize(uint16_t size) { m_nTextSize = size; }

void C3DContainerText::SetTextParameter(uint16_t value) { m_nTextParameter = value; }

void C3DContainerText::SetTextPointer(const char16_t* text) {
    FreeText();
    m_pText = text;
}

Status C3DContainerText::SetText(const char16_t* text) {
    char16_t* copy = nullptr;
    if (text) {
        size_t length = 0;
        while (text[length]) ++length;
        copy = new (std::nothrow) char16_t[length + 1];
        if (!copy) {
            FreeText();
            return kStatusOutOfMemory;
        }
        std::memcpy(copy, text, (length + 1) * sizeof(char16_t));
    }
    FreeText();
    m_pText = copy;
    m_bOwnsText = copy != nullptr;
    return kStatusOk;
}

uint16_t C3DContainerText::GetTextParameter() { return m_nTextParameter; }

const char16_t* C3DContainerText::GetText() { return m_pText; }

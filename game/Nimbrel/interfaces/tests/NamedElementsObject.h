#pragma once
// An interface object of the kind under test with named elements and no model: its hit test
// answers the element a test chooses (-1 nothing under the point, -2 a failed test).
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ElementRecord.h"
#include "NimbrelWorld/CScriptManager.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

template <class Base>
class NamedElementsObject : public Base {
public:
    NamedElementsObject(WorldData* w, std::vector<const char*> names) : Base(w, 0, 0), m_names(std::move(names))
    {
        const uint32_t count = uint32_t(m_names.size());
        this->m_pElements = this->AllocElements(count);
        this->m_elementCount = count;
        this->m_pNameIndex = static_cast<uint32_t*>(UTILS_CALLOC(count, sizeof(uint32_t)));
        std::vector<uint32_t> order;
        for (uint32_t i = 0; i < count; ++i) {
            ElementRecord* e = this->GetItemRecord(i);
            this->ResetElement(e);
            e->index = i;
            e->pName = UtilsString_DupA(m_names[i]);
            order.push_back(i);
        }
        std::sort(order.begin(), order.end(),
                  [this](uint32_t a, uint32_t b) { return std::strcmp(m_names[a], m_names[b]) < 0; });
        std::copy(order.begin(), order.end(), this->m_pNameIndex);
    }
    ~NamedElementsObject() override { this->Release(); }

    Status Set(const char* word, const char* value)
    {
        ScriptBuiltinCall call{};
        call.arguments[0] = reinterpret_cast<uintptr_t>(word);
        call.arguments[1] = reinterpret_cast<uintptr_t>(value);
        call.argumentCount = 2;
        return this->setObjectParameters(call);
    }
    int32_t Find(const char* name) { return this->FindElementByName(name); }
    Status FindElementAt(float, float, HitRecord* pRecord, float, int32_t, float*, float*) override
    {
        if (hit == -2)
            return kStatusFailed;
        pRecord->element = hit;
        return kStatusOk;
    }

    int32_t hit = -1;

private:
    std::vector<const char*> m_names;
};

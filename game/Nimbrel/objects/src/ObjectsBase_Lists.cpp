// Item lists as scripts write them: element names of the calling object, "*" for all of them,
// "@GP@group", "@OBJnnn@element" (an object by its 1-based number) and "@object@element".
#include <cstring>

#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"

namespace {

// "@OBJ" and three digits, then '@': the object's 1-based number.
constexpr size_t kNumberedPrefixLength = 8;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

void CObjectsBase::ItemListStart(ItemListIterator& it, const char* list, const BuiltinReport& report, bool quiet)
{
    it.caller = m_objectNumber;
    it.group = it.member = it.object = it.element = -1;
    it.all = 0;
    it.done = 1;
    if (!list)
        return;
    if (list[0] == '*' && (list[1] == '\0' || list[1] == ',' || list[1] == ' ')) {
        it.all = 1;
        if (m_elementCount) {
            it.done = 0;
            it.object = static_cast<int32_t>(m_objectNumber);
            it.element = 0;
        }
        return;
    }
    if (!it.text.Start(list))
        return;
    it.done = 0;
    ResolveNextItemToken(it, report, quiet);
}

void CObjectsBase::NextListItem(ItemListIterator& it, const BuiltinReport& report, bool quiet)
{
    if (it.done)
        return;
    if (it.all) {
        if (static_cast<uint32_t>(++it.element) >= m_elementCount) {
            it.done = 1;
            it.object = it.element = -1;
        }
        return;
    }
    if (it.group >= 0 && NextGroupMember(it))
        return;
    ResolveNextItemToken(it, report, quiet);
}

void CObjectsBase::ResolveNextItemToken(ItemListIterator& it, const BuiltinReport& report, bool quiet)
{
    it.object = it.element = -1;
    while (char* token = it.text.NextToken(&it.prefix)) {
        if (std::strncmp(token, "@GP@", 4) == 0) {
            const int32_t group = FindItemGroup(token + 4);
            if (group < 0) {
                if (!quiet)
                    TraceBuiltin(m_pWorldData, {this, report.builtin, report.fileIndex, report.line, kTraceError},
                                 "unrecognized group \"%s\"", token + 4);
                continue;
            }
            // A group without members ends the list.
            if (ItemGroupSize(group) == 0)
                break;
            it.group = group;
            it.member = -1;
            if (NextGroupMember(it))
                return;
            continue;
        }
        int32_t object = -1, element = -1;
        if (ResolveItemToken(token, &object, &element)) {
            it.object = object;
            it.element = element;
            return;
        }
        if (!quiet) {
            const uint32_t severity = std::strcmp(token, "none") == 0 ? kTraceWarning : kTraceError;
            TraceBuiltin(m_pWorldData, {this, report.builtin, report.fileIndex, report.line, severity},
                         "unrecognized element \"%s\"", token);
        }
    }
    it.done = 1;
}

bool CObjectsBase::ResolveItemToken(char* token, int32_t* pObject, int32_t* pElement)
{
    CObjectsBase* owner = this;
    const char* name = token;
    if (token[0] == '@') {
        owner = nullptr;
        if (std::strncmp(token, "@OBJ", 4) == 0 && std::strlen(token) >= kNumberedPrefixLength &&
            IsDigit(token[4]) && IsDigit(token[5]) && IsDigit(token[6]) && token[7] == '@') {
            // A number from 1 to the object count names the object one below it.
            const uint32_t number = uint32_t(token[4] - '0') * 100 + uint32_t(token[5] - '0') * 10 + uint32_t(token[6] - '0');
            if (number >= 1 && number <= SceneObjectCount())
                owner = SceneObject(number - 1);
            name = token + kNumberedPrefixLength;
        } else if (char* second = std::strchr(token + 1, '@')) {
            *second = '\0';
            const int32_t index = FindSceneObject(token + 1);
            *second = '@';
            owner = index >= 0 ? SceneObject(static_cast<uint32_t>(index)) : nullptr;
            name = second + 1;
        }
    }
    const int32_t element = owner ? owner->FindElementByName(name) : -1;
    if (element < 0)
        return false;
    *pObject = static_cast<int32_t>(owner->GetObjectNumber());
    *pElement = element;
    return true;
}

bool CObjectsBase::NextGroupMember(ItemListIterator& it)
{
    const uint32_t size = ItemGroupSize(it.group);
    while (static_cast<uint32_t>(++it.member) < size) {
        int32_t object = -1, element = -1;
        if (ItemGroupMember(it.group, static_cast<uint32_t>(it.member), &object, &element)) {
            it.object = object;
            it.element = element;
            return true;
        }
    }
    it.group = it.member = -1;
    return false;
}

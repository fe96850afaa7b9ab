// The list splitter and the text the list iterators walk.
#include "NimbrelObjects/ObjectLists.h"

#include <cstring>

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

namespace {

char* SkipBlanks(char* text)
{
    while (*text == ' ')
        ++text;
    return text;
}

}  // namespace

char* NextListToken(char* cursor, char** pSaved)
{
    if (*pSaved) {
        **pSaved = ',';
        *pSaved = nullptr;
    }
    if (!cursor)
        return nullptr;
    char* comma = std::strchr(cursor, ',');
    if (!comma)
        return nullptr;
    *comma = '\0';
    *pSaved = comma;
    return SkipBlanks(comma + 1);
}

ListCursor::~ListCursor()
{
    UTILS_FREE(m_pText);
}

bool ListCursor::Start(const char* text)
{
    UTILS_FREE(m_pText);
    m_pSaved = nullptr;
    m_pText = UtilsString_DupA(text ? text : "");
    m_pCursor = m_pText ? SkipBlanks(m_pText) : nullptr;
    return m_pText != nullptr;
}

char* ListCursor::NextToken(uint32_t* pPrefix)
{
    while (m_pCursor) {
        char* token = m_pCursor;
        m_pCursor = NextListToken(m_pCursor, &m_pSaved);
        *pPrefix = kListPrefixNone;
        if (*token == '*') {
            *pPrefix = kListPrefixStar;
            ++token;
        }
        // "a,,b" and a list ending in a comma hold empty tokens: nothing to name.
        if (*token)
            return token;
    }
    NextListToken(nullptr, &m_pSaved);
    return nullptr;
}

#pragma once
// The lists by which scripts name objects and items: comma-separated 8-bit texts. Objects are
// named by name, "this" or "parent"; items by element name, "*" (every element of the calling
// object), "@GP@group", "@OBJnnn@element" (an object by its 1-based number) or
// "@object@element". A leading '*' on a token is a mark the caller may read (prefix 1).
//
// An iterator works on its own copy of the text, split in place by NextListToken; names that
// resolve to nothing are reported to the trace sink (unless quiet) and skipped.
#include <cstdint>

// The caller's words that travel with every report of a list: the builtin's script name and
// the calling statement's file index and line.
struct BuiltinReport {
    const char* builtin;
    uint32_t fileIndex;
    uint32_t line;
};

// Splits a list in place. `cursor` is the start of the current token: the comma after it
// becomes a terminator, remembered in *pSaved, and the start of the next token is returned
// (blanks skipped), or null when the current token is the last one. The comma written over
// before is put back first, so a call with a null cursor only restores the text.
char* NextListToken(char* cursor, char** pSaved);

// Prefix marks of a token: none, or a leading '*' (removed from the name).
constexpr uint32_t kListPrefixNone = 0;
constexpr uint32_t kListPrefixStar = 1;

// What the two iterators share: the owned copy and the splitter's state.
class ListCursor {
public:
    ListCursor() = default;
    ListCursor(const ListCursor&) = delete;
    ListCursor& operator=(const ListCursor&) = delete;
    ~ListCursor();

    // A copy of the text to walk; false when it cannot be made (the walk is then empty).
    bool Start(const char* text);
    // The next non-empty token with its prefix taken off (into *pPrefix); null when none is
    // left, the text then restored.
    char* NextToken(uint32_t* pPrefix);
    // The copy as it reads between tokens (every comma back once the walk is over).
    const char* Text() const { return m_pText; }

private:
    char* m_pText = nullptr;   // owned
    char* m_pCursor = nullptr; // the next token; null when none is left
    char* m_pSaved = nullptr;  // the comma written over
};

// Walks an object list: CScriptManager::ResolveObjectList, then ResolveObjectListNext.
struct ObjectListIterator {
    ListCursor text;
    uint32_t caller = 0;  // calling object index
    uint8_t quiet = 0;    // names of nothing are not reported
    uint8_t done = 1;
    int32_t object = -1;  // current object index
    uint32_t prefix = kListPrefixNone;
};

// Walks an item list: CObjectsBase::ItemListStart, then CObjectsBase::NextListItem.
struct ItemListIterator {
    ListCursor text;
    uint32_t caller = 0;   // calling object index
    int32_t member = -1;   // group member cursor
    uint8_t done = 1;
    uint8_t all = 0;       // a "*" list: every element of the calling object
    int32_t group = -1;
    int32_t object = -1;   // current object and element index
    int32_t element = -1;
    uint32_t prefix = kListPrefixNone;
};

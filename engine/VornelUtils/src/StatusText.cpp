#include "VornelUtils/StatusText.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace {

struct StatusRow {
    uint32_t code;
    const char* text;
};

// Sorted by code. Some codes serve several libraries; their text covers each use.
constexpr StatusRow kStatusRows[] = {
    {0x80000001u, "bad or unsupported data"},
    {0x80000002u, "out of memory"},
    {0x80000003u, "the values do not match"},
    {0x80000004u, "internal error of the script compiler"},
    {0x80000006u, "a module is not registered, or the script stack ran short"},
    {0x80000007u, "the system refused: no compatible device, or a window could not be made"},
    {0x80000009u, "a file is missing"},
    {0x8000000Cu, "the video size is not a power of two"},
    {0x8000000Fu, "a compiled script image, not a source"},
    {0x80000010u, "the file cannot be opened"},
    {0x80000011u, "the file cannot be read or written"},
    {0x80000012u, "a variable is declared twice"},
    {0x80000013u, "a variable is missing"},
    {0x80000014u, "a variable has another type"},
    {0x80000015u, "the function already has a body"},
    {0x80000016u, "a function is missing"},
    {0x80000017u, "the wrong number of arguments"},
    {0x80000018u, "syntax error"},
    {0x80000019u, "not supported"},
    {0x8000001Au, "script control: return"},
    {0x8000001Bu, "script control: leave a block"},
    {0x8000001Cu, "script control: break"},
    {0x8000001Du, "script control: continue"},
    {0x8000001Fu, "script control: moved"},
    {0x80000020u, "waiting"},
    {0x80000021u, "done, with a result"},
    {0x80000022u, "done, without a result"},
    {0x80000023u, "the caller was stopped"},
    {0x8001000Au, "this kind of object is not handled"},
    {0x8001000Bu, "the file cannot be opened"},
    {0x8001000Cu, "the image size is not a power of two"},
    {0x8003000Cu, "the texture size is not a power of two"},
    {0x8004000Bu, "the pack is missing"},
    {0x8005000Bu, "the image file cannot be created"},
};

constexpr bool SortedByCode()
{
    for (size_t i = 1; i < sizeof(kStatusRows) / sizeof(kStatusRows[0]); ++i)
        if (kStatusRows[i - 1].code >= kStatusRows[i].code)
            return false;
    return true;
}
static_assert(SortedByCode(), "the status rows must stay sorted by code, each code once");

} // namespace

const char* StatusText(Status status)
{
    if (Succeeded(status))
        return "success";
    const uint32_t code = static_cast<uint32_t>(status);
    const StatusRow* end = std::end(kStatusRows);
    const StatusRow* row =
        std::lower_bound(std::begin(kStatusRows), end, code, [](const StatusRow& r, uint32_t c) { return r.code < c; });
    return row != end && row->code == code ? row->text : "unknown status";
}

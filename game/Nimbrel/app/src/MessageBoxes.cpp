// The program's message boxes: the only boxes the program shows.
#include <string>

#include "NimbrelApp.h"
#include "VornelPlatform/PlatformDialog.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr int kVersionMajor = 3;
constexpr int kVersionBuild = 115;
constexpr int kBoxTextSize = 1024;

std::string Caption(const char16_t* format)
{
    char16_t caption[64];
    UtilsString_Format(caption, 64, format, kVersionMajor, kVersionBuild);
    return UtilsString_ToUtf8(caption);
}

}  // namespace

void ShowWarningBox(const char16_t* text)
{
    Platform_MessageBox(PlatformMessageBoxKind::kWarning, Caption(u"Warning (v%d,%03d)").c_str(),
                        UtilsString_ToUtf8(text ? text : u"").c_str());
}

void ShowErrorBox(const char16_t* errorText)
{
    const bool detail = errorText && errorText[0];
    char16_t text[kBoxTextSize];
    UtilsString_Format(text, kBoxTextSize, u"%s%s%s%s",
                       u"An error occurred while loading.\n\nThe application will now exit.", detail ? u"\n\n(" : u"",
                       detail ? errorText : u"", detail ? u")" : u"");
    Platform_MessageBox(PlatformMessageBoxKind::kError, Caption(u"Error (v%d,%03d)").c_str(),
                        UtilsString_ToUtf8(text).c_str());
}

#include "platform/DisplaySystem.h"

#include <string_view>

namespace
{
bool IsSet(const char* pValue)
{
    return pValue && *pValue;
}
} // namespace

bool IsPlatformOption(const char* pArgument)
{
    const std::string_view argument = pArgument ? pArgument : "";
    return argument == "-platform" || argument == "--platform";
}

std::optional<std::string> ChooseDisplaySystem(const char* pDisplay, const char* pPlatform,
                                               int argc, const char* const* argv)
{
    if (IsSet(pPlatform))
        return std::nullopt;
    for (int k = 1; k < argc; ++k)
    {
        if (IsPlatformOption(argv[k]))
            return std::nullopt;
    }
    if (IsSet(pDisplay))
        return "xcb;wayland";
    return std::nullopt;
}

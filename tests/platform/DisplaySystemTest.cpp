#include "platform/DisplaySystem.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
std::optional<std::string> Choose(const char* pDisplay, const char* pPlatform,
                                  std::vector<const char*> arguments = {})
{
    arguments.insert(arguments.begin(), "quindle");
    return ChooseDisplaySystem(pDisplay, pPlatform, int(arguments.size()), arguments.data());
}
} // namespace

TEST(DisplaySystem, AnXDisplayComesFirstWithWaylandAsTheFallback)
{
    EXPECT_EQ(Choose(":0", nullptr), "xcb;wayland");
    EXPECT_EQ(Choose(":1", "", {"file.txt"}), "xcb;wayland");
    // Wayland alone, or nothing: the toolkit's own choice.
    EXPECT_EQ(Choose(nullptr, nullptr), std::nullopt);
    EXPECT_EQ(Choose("", ""), std::nullopt);
}

TEST(DisplaySystem, ThePlatformTheUserChoseStays)
{
    EXPECT_EQ(Choose(":0", "wayland"), std::nullopt);
    EXPECT_EQ(Choose(":0", "offscreen"), std::nullopt);
    EXPECT_EQ(Choose(":0", nullptr, {"-platform", "wayland"}), std::nullopt);
    EXPECT_EQ(Choose(":0", nullptr, {"a.txt", "--platform", "wayland"}), std::nullopt);
    // A file of that name is no choice; only the option is.
    EXPECT_EQ(Choose(":0", nullptr, {"platform"}), "xcb;wayland");
}

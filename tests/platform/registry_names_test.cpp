#include "platform/registry.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

TEST(PredefinedKeys, NamesAndHandlesRoundTrip)
{
    EXPECT_EQ(predefinedKeyName(HKEY_CLASSES_ROOT), "HKEY_CLASSES_ROOT");
    EXPECT_EQ(predefinedKeyName(HKEY_DYN_DATA), "HKEY_DYN_DATA");
    EXPECT_EQ(predefinedKeyName(0x1234), "");
    EXPECT_EQ(predefinedKeyFromName("hkey_local_machine"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(predefinedKeyFromName("HKCU"), HKEY_CURRENT_USER);
    EXPECT_EQ(predefinedKeyFromName("HKEY_LOCAL"), 0u);
}

} // namespace
} // namespace tessivar

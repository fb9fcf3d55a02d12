// Texts whose exact spelling matters: blanks in them are part of the name or the message.
#include "resources/strings.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"

TEST(Strings, TextsKeepTheirBlanksAsWritten) {
    // A registry value name and list text that ends in a blank.
    EXPECT_EQ(std::string(res::StringResource(kStrSyncWaveFile)), "Synchronized with Wave File ");
    // Two blanks before "more".
    EXPECT_EQ(std::string(res::StringResource(kStrOutOfMemory)),
              "Memory is not enough !\nPlease close some applications to get  more memory space.");
}

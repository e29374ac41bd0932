#include "platform/LibraryLoader.h"

#include <gtest/gtest.h>

namespace vx {

// The bridge's tests load real libraries; here, the reason a load fails.
TEST(LibraryLoader, AFailedLoadSaysWhy) {
    LibraryLoader library;
    EXPECT_FALSE(library.load("/no-such-folder/libvx-none.so"));
    EXPECT_NE(library.lastError().find("libvx-none.so"), std::string::npos) << library.lastError();
}

}  // namespace vx

#include "RegPath.h"

#include <gtest/gtest.h>

TEST(RegPath, JoinsTheGivenComponentsWithinTheBuffer) {
    const std::string fits(regpathsize - 10, 'c'); // "Software\" + 250 + NUL = 260
    const std::string over = fits + "c", key = "Software\\" + fits;
    // Buffer size, prefix, components 1, 2 and 4, then the path (null: refused).
    const std::tuple<std::size_t, bool, const char*, const char*, const char*, const char*>
        cases[] = {
            {regpathsize, true, "Norvex", "Conv", "1.0", "Software\\Norvex\\Conv\\1.0"},
            {regpathsize, true, "Norvex", "", "", "Software\\Norvex"}, // empty ones are skipped
            {regpathsize, true, "", "Conv", nullptr, "Software\\\\Conv"},
            {regpathsize, false, "A", nullptr, "D", "A\\D"},
            {regpathsize, true, nullptr, "Conv", nullptr, nullptr},
            {0, true, nullptr, nullptr, nullptr, nullptr},
            {regpathsize, true, fits.c_str(), nullptr, nullptr, key.c_str()},
            {regpathsize, true, over.c_str(), nullptr, nullptr, nullptr},
            {regpathsize, true, "a", nullptr, fits.c_str(), nullptr},
        };
    for (const auto& [size, prefix, c1, c2, c4, path] : cases) {
        std::string buf(size + 4, '#');
        EXPECT_EQ(makeregpath(buf.data(), size, prefix, c1, c2, nullptr, c4), path != nullptr);
        EXPECT_STREQ(size > 0 ? buf.c_str() : "", path != nullptr ? path : "");
        EXPECT_EQ(buf.substr(size), "####"); // nothing written beyond the buffer
    }
}

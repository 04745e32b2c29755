#include <gtest/gtest.h>

#include <string>

#include "core/PathTokens.h"

namespace {

struct TokenCase {
    const char* what;
    std::string path;
    std::string dir;
    std::string expected;
};

}  // namespace

TEST(PathTokens, ToTestsToken) {
    const TokenCase cases[] = {
        {"below the directory", "C:\\Tests\\a.qor", "C:\\Tests", "<Tests>:\\a.qor"},
        {"directory with a trailing backslash", "C:\\Tests\\a.qor", "C:\\Tests\\", "<Tests>:a.qor"},
        {"the directory itself", "C:\\Tests", "C:\\Tests", "<Tests>:"},
        {"plain prefix, no separator check", "C:\\Tests2\\b.qor", "C:\\Tests", "<Tests>:2\\b.qor"},
        {"letter case differs", "c:\\tests\\a.qor", "C:\\Tests", "c:\\tests\\a.qor"},
        {"directory inside, not at the start", "D:\\C:\\Tests\\a.qor", "C:\\Tests", "D:\\C:\\Tests\\a.qor"},
        {"empty directory", "C:\\Tests\\a.qor", "", "C:\\Tests\\a.qor"},
        {"empty path", "", "C:\\Tests", ""},
        {"path shorter than the directory", "C:\\Te", "C:\\Tests", "C:\\Te"},
        {"already in token form", "<Tests>:\\a.qor", "C:\\Tests", "<Tests>:\\a.qor"},
        {"Windows-1251 folder", "D:\\\xD2\xE5\xF1\xF2\\\xCE\xD3\\x.qor", "D:\\\xD2\xE5\xF1\xF2",
         "<Tests>:\\\xCE\xD3\\x.qor"},
        {"Cyrillic case differs", "D:\\\xF2\xE5\xF1\xF2\\x.qor", "D:\\\xD2\xE5\xF1\xF2",
         "D:\\\xF2\xE5\xF1\xF2\\x.qor"},
    };
    for (const TokenCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ToTestsToken(c.path, c.dir), c.expected);
    }
}

TEST(PathTokens, ToDescToken) {
    const TokenCase cases[] = {
        {"below the directory", "C:\\Desc\\la3.pdf", "C:\\Desc", "<Desc>:\\la3.pdf"},
        {"the directory itself", "C:\\Desc", "C:\\Desc", "<Desc>:"},
        {"already in token form: converting twice is harmless", "<Desc>:\\la3.pdf", "C:\\Desc",
         "<Desc>:\\la3.pdf"},
        {"other folder", "D:\\Datasheets\\ua741.pdf", "C:\\Desc", "D:\\Datasheets\\ua741.pdf"},
        {"empty directory", "C:\\Desc\\la3.pdf", "", "C:\\Desc\\la3.pdf"},
        {"empty path", "", "C:\\Desc", ""},
        {"the tests token is not the description token", "C:\\Tests\\x", "C:\\Tests", "<Desc>:\\x"},
    };
    for (const TokenCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ToDescToken(c.path, c.dir), c.expected);
    }
}

TEST(PathTokens, FromTestsToken) {
    const TokenCase cases[] = {
        {"token and rest", "<Tests>:\\a.qor", "C:\\Tests", "C:\\Tests\\a.qor"},
        {"token alone", "<Tests>:", "C:\\Tests", "C:\\Tests"},
        {"empty directory keeps the token", "<Tests>:\\a.qor", "", "<Tests>:\\a.qor"},
        {"nothing is inserted", "<Tests>:a.qor", "C:\\Tests", "C:\\Testsa.qor"},
        {"lower-case token", "<tests>:\\a.qor", "C:\\Tests", "<tests>:\\a.qor"},
        {"token not at the start", "x<Tests>:\\a.qor", "C:\\Tests", "x<Tests>:\\a.qor"},
        {"token without its colon", "<Tests>\\a.qor", "C:\\Tests", "<Tests>\\a.qor"},
        {"the description token", "<Desc>:\\a.pdf", "C:\\Tests", "<Desc>:\\a.pdf"},
        {"full path", "D:\\misc\\x.wsk", "C:\\Tests", "D:\\misc\\x.wsk"},
        {"empty path", "", "C:\\Tests", ""},
    };
    for (const TokenCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FromTestsToken(c.path, c.dir), c.expected);
        // The two pieces are the same path, the directory first and whole where it stands in.
        const TExpandedPath pieces = ExpandToken(c.path, c.dir, kTestsToken);
        EXPECT_EQ(std::string(pieces.Dir) + std::string(pieces.Rest), c.expected);
        EXPECT_EQ(pieces.Size(), c.expected.size());
        EXPECT_TRUE(pieces.Dir.empty() || pieces.Dir == c.dir);
    }
}

TEST(PathTokens, FromDescToken) {
    const TokenCase cases[] = {
        {"token and rest", "<Desc>:\\TTL\\k155la3.pdf", "C:\\Desc", "C:\\Desc\\TTL\\k155la3.pdf"},
        {"token alone", "<Desc>:", "C:\\Desc", "C:\\Desc"},
        {"empty directory keeps the token", "<Desc>:\\a.pdf", "", "<Desc>:\\a.pdf"},
        {"lower-case token", "<desc>:\\a.pdf", "C:\\Desc", "<desc>:\\a.pdf"},
        {"the tests token", "<Tests>:\\a.qor", "C:\\Desc", "<Tests>:\\a.qor"},
    };
    for (const TokenCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FromDescToken(c.path, c.dir), c.expected);
    }
}

// Expanding and converting back gives the token form again while the directory stays as it was.
TEST(PathTokens, ExpandThenConvertBackIsTheIdentity) {
    const std::string dirs[] = {"C:\\Tests", "C:\\Tests\\", "/home/u/tests", "D:\\\xD2\xE5\xF1\xF2"};
    const std::string rests[] = {"", "\\a.qor", "a.qor", "2\\b.qor", "\\\xCE\xD3\\x y.wsk"};
    for (const std::string& dir : dirs) {
        for (const std::string& rest : rests) {
            const std::string tests = std::string(kTestsToken) + rest;
            EXPECT_EQ(ToTestsToken(FromTestsToken(tests, dir), dir), tests) << dir << " " << rest;
            const std::string desc = std::string(kDescToken) + rest;
            EXPECT_EQ(ToDescToken(FromDescToken(desc, dir), dir), desc) << dir << " " << rest;
        }
    }
}

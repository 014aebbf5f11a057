#include "sources/http_browser_engine.h"

#include <gtest/gtest.h>

namespace zelvon {
namespace {

TEST(BodyInnerHtml, TakesWhatABrowserGivesAsTheBodysInnerHtml)
{
    EXPECT_EQ(BodyInnerHtml("<html><head><title>x</title></head><BODY onload=\"f()\">\r\nKurs</BODY></html>"), "\r\nKurs");
    EXPECT_EQ(BodyInnerHtml("<html><head><title>x</title></head>Kurs ohne body"), "Kurs ohne body");
    EXPECT_EQ(BodyInnerHtml("nur Text"), "nur Text");
    EXPECT_EQ(BodyInnerHtml("<body>abgeschnitten"), "abgeschnitten");
    EXPECT_EQ(BodyInnerHtml("<body>a</body>b</body>"), "a</body>b");
    EXPECT_EQ(BodyInnerHtml("<body"), "");
}

}  // namespace
}  // namespace zelvon

#include "import/svg_scanner.h"

#include <gtest/gtest.h>

#include <string>

using namespace importer;

TEST(SvgScanner, TagNamesSkipCommentsCdataAndProcessingInstructions)
{
    std::string text = "<!-- <rect/> --><g>";
    size_t pos = 0;
    EXPECT_EQ(GetNextTag(text, pos), "g");
    EXPECT_EQ(text[pos], '>');

    text = "<![CDATA[ <rect/> ]]><?pi <path/> ?><line x1=\"1\"/>";
    pos = 0;
    EXPECT_EQ(GetNextTag(text, pos), "line");

    text = "</g><br/>";
    pos = 0;
    EXPECT_EQ(GetNextTag(text, pos), "/g");
    EXPECT_EQ(GetNextTag(text, pos), "br");
    EXPECT_EQ(text[pos], '/');
}

TEST(SvgScanner, SkipElementPassesContentAndReportsMissingEnd)
{
    std::string text = "<g><rect/><g/><!-- </g> --></g><after/>";
    size_t pos = 0;
    ASSERT_EQ(GetNextTag(text, pos), "g");
    EXPECT_TRUE(SkipElement(text, pos, "g"));
    EXPECT_EQ(text.substr(pos), "<after/>");

    text = "<g><rect/><g/>";
    pos = 0;
    ASSERT_EQ(GetNextTag(text, pos), "g");
    EXPECT_FALSE(SkipElement(text, pos, "g"));
}

TEST(SvgScanner, SkipElementHandlesDeepNestingWithoutRecursion)
{
    std::string text;
    for (int i = 0; i < 200000; ++i) {
        text += "<g>";
    }
    size_t pos = 0;
    ASSERT_EQ(GetNextTag(text, pos), "g");
    EXPECT_FALSE(SkipElement(text, pos, "g"));
    for (int i = 0; i < 200000; ++i) {
        text += "</g>";
    }
    pos = 0;
    ASSERT_EQ(GetNextTag(text, pos), "g");
    EXPECT_TRUE(SkipElement(text, pos, "g"));
    EXPECT_EQ(pos, text.size());
}

TEST(SvgScanner, UnquotedAndUnterminatedValuesStopAtTheTagEnd)
{
    std::string text = "<rect x='5' y=\"6\"/>";
    size_t pos = 5;
    std::string value;
    EXPECT_EQ(GetNextAttribute(text, pos, value), "x");
    EXPECT_EQ(value, "6");  // single quotes do not delimit values: the next double-quoted text does
    EXPECT_EQ(GetNextAttribute(text, pos, value), "/>");

    text = "<rect x=\"5/>\n<g>";
    pos = 5;
    EXPECT_EQ(GetNextAttribute(text, pos, value), "x");
    EXPECT_EQ(value, "5");
    EXPECT_EQ(GetNextAttribute(text, pos, value), "/>");

    text = "<rect x=";
    pos = 5;
    EXPECT_EQ(GetNextAttribute(text, pos, value), "x");
    EXPECT_EQ(GetNextAttribute(text, pos, value), "");
}

// Hostile documents with one huge tag or style: each call reads one declaration or attribute and
// moves past it, so the calls are as many as the items.
TEST(SvgScanner, LongTagsAndStylesAreReadOneItemPerCall)
{
    std::string style;
    for (int i = 0; i < 200000; ++i) {
        style += "a;";
    }
    style += "fill:red";
    size_t pos = 0;
    std::string value;
    std::string last;
    int calls = 0;
    while (pos < style.size() && calls <= 200001) {
        ++calls;
        std::string name = GetNextStyleDecl(style, pos, value);
        if (!name.empty()) {
            last = name + "=" + value;
        }
    }
    EXPECT_EQ(last, "fill=red");
    EXPECT_EQ(calls, 200001);

    std::string tag = "<g";
    for (int i = 0; i < 200000; ++i) {
        tag += " a=\"1\"";
    }
    tag += ">";
    pos = 2;
    int attributes = 0;
    while (attributes <= 200000 && !IsTagEndMarker(GetNextAttribute(tag, pos, value))) {
        ++attributes;
    }
    EXPECT_EQ(attributes, 200000);
}

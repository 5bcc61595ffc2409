#include "import/svg_scanner.h"

#include <gtest/gtest.h>

#include <chrono>
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

TEST(SvgScanner, TagNamesEndWithTheText)
{
    std::string text = "<svg><!-- never closed";
    size_t pos = 0;
    EXPECT_EQ(GetNextTag(text, pos), "svg");
    size_t before = pos;
    EXPECT_EQ(GetNextTag(text, pos), "");
    EXPECT_EQ(pos, before);

    text = "<path";
    pos = 0;
    EXPECT_EQ(GetNextTag(text, pos), "");
    EXPECT_EQ(pos, text.size());
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

    text = "<br/><next/>";
    pos = 0;
    ASSERT_EQ(GetNextTag(text, pos), "br");
    EXPECT_TRUE(SkipElement(text, pos, "br"));
    EXPECT_EQ(text.substr(pos), "<next/>");
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

TEST(SvgScanner, AttributesAndTagEndMarkers)
{
    std::string text = "<line x1 = \"10\"\ty2=\"5\" xlink:href=\"#a\"/>";
    size_t pos = 5;
    std::string value;
    EXPECT_EQ(GetNextAttribute(text, pos, value), "x1");
    EXPECT_EQ(value, "10");
    EXPECT_EQ(GetNextAttribute(text, pos, value), "y2");
    EXPECT_EQ(value, "5");
    EXPECT_EQ(GetNextAttribute(text, pos, value), "xlink:href");
    EXPECT_EQ(value, "#a");
    EXPECT_EQ(GetNextAttribute(text, pos, value), "/>");
    EXPECT_EQ(value, "");
    EXPECT_EQ(pos, text.size());
    StepBackOverMarker(pos, "/>");
    EXPECT_EQ(text[pos], '/');

    // A tag end directly followed by content is still the tag's end.
    text = "<g id=\"x\">text";
    pos = 2;
    EXPECT_EQ(GetNextAttribute(text, pos, value), "id");
    EXPECT_EQ(GetNextAttribute(text, pos, value), ">");
    EXPECT_EQ(text.substr(pos), "text");
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

TEST(SvgScanner, IdAttributeDoesNotMoveThePosition)
{
    std::string text = "<g fill=\"red\" id=\"layer\" opacity=\".5\">";
    EXPECT_EQ(GetIdAttribute(text, 2), "layer");
    EXPECT_EQ(GetIdAttribute("<g fill=\"red\"/>", 2), "");
}

TEST(SvgScanner, BlanksIncludeTheIdeographicSpace)
{
    std::string text = "\xE3\x80\x80 x";
    EXPECT_EQ(SkipBlanks(text, 0), 4u);
    EXPECT_EQ(FindDelimiter("ab\xE3\x80\x80", 0), 2u);
    EXPECT_EQ(SkipBlanks("  ;x", 0, ';'), 3u);
    EXPECT_EQ(FindDelimiter("abc", 0, ',', ')'), 3u);
}

TEST(SvgScanner, StyleDeclarations)
{
    std::string text = "fill : red ;stroke:blue";
    size_t pos = 0;
    std::string value;
    EXPECT_EQ(GetNextStyleDecl(text, pos, value), "fill");
    EXPECT_EQ(value, "red");
    EXPECT_EQ(GetNextStyleDecl(text, pos, value), "stroke");
    EXPECT_EQ(value, "blue");
    EXPECT_GE(pos, text.size());

    // A declaration without ":" is skipped; it does not take the next one's value.
    text = "bogus; fill:#fff";
    pos = 0;
    EXPECT_EQ(GetNextStyleDecl(text, pos, value), "");
    EXPECT_EQ(GetNextStyleDecl(text, pos, value), "fill");
    EXPECT_EQ(value, "#fff");
}

// Hostile documents with one huge tag or style: each value is found without searching the rest of
// the text again, so reading them takes linear time.
TEST(SvgScanner, LongTagsAndStylesAreReadInLinearTime)
{
    const auto started = std::chrono::steady_clock::now();
    std::string style;
    for (int i = 0; i < 200000; ++i) {
        style += "a;";
    }
    style += "fill:red";
    size_t pos = 0;
    std::string value;
    std::string last;
    while (pos < style.size()) {
        std::string name = GetNextStyleDecl(style, pos, value);
        if (!name.empty()) {
            last = name + "=" + value;
        }
    }
    EXPECT_EQ(last, "fill=red");

    std::string tag = "<g";
    for (int i = 0; i < 200000; ++i) {
        tag += " a=\"1\"";
    }
    tag += ">";
    pos = 2;
    int attributes = 0;
    while (!IsTagEndMarker(GetNextAttribute(tag, pos, value))) {
        ++attributes;
    }
    EXPECT_EQ(attributes, 200000);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}

TEST(SvgScanner, UrlIdsAndArgumentLists)
{
    EXPECT_EQ(GetUrlId("url(#grad1)"), "grad1");
    EXPECT_EQ(GetUrlId("url( #grad1 )"), "grad1");
    EXPECT_EQ(GetUrlId("url(grad1)"), "");

    std::string text = "(1e2)";
    size_t pos = 0;
    auto args = ParseArgList(text, pos);
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(args[0], "1e2");
    EXPECT_EQ(text[pos], ')');

    text = "( 1 , 2 )";
    pos = 0;
    args = ParseArgList(text, pos);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[0], "1");
    EXPECT_EQ(args[1], "2");

    text = "(10-5)";
    pos = 0;
    args = ParseArgList(text, pos);
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(args[0], "10-5");

    text = "()";
    pos = 0;
    EXPECT_TRUE(ParseArgList(text, pos).empty());
}

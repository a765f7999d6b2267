#include "net/HeaderList.h"

#include <gtest/gtest.h>

namespace {

THeaderList Lines(std::initializer_list<const char*> lines)
{
    THeaderList list;
    for (const char* line : lines)
        list.Add(line);
    return list;
}

std::vector<std::string> All(const THeaderList& list)
{
    return list.Lines();
}

} // namespace

TEST(HeaderList, ReadingValues)
{
    const THeaderList list = Lines({
        "HTTP-like line without colon",
        "Content-Type:   text/plain  ",
        "X-Folded: first part",
        "\tsecond part  ",
        "  third",
        "Content-type: second one",
        "Empty:",
        "X-Colon: a: b",
    });
    struct Case {
        const char* name;
        const char* value;
    };
    const Case cases[] = {
        {"content-type", "text/plain"},   // case-blind, first match, trimmed
        {"CONTENT-TYPE", "text/plain"},
        {"X-Folded", "first part second part third"},
        {"Empty", ""},
        {"X-Colon", "a: b"},              // only the first colon separates
        {"Missing", ""},
        {"", ""},                         // a line without a colon is never found
        {"HTTP-like line without colon", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value, list.ValueOf(c.name)) << c.name;
    EXPECT_EQ(-1, list.IndexOfName(""));
    EXPECT_EQ("", list.NameAt(0));
    EXPECT_EQ("X-Folded", list.NameAt(2));
}

TEST(HeaderList, ContinuationLinesStayApartWhenNotUnfolding)
{
    THeaderList list = Lines({"X-Folded: first", " second"});
    list.JoinContinuationLines = false;
    EXPECT_EQ("first", list.ValueOf("x-folded"));
}

TEST(HeaderList, CaseSensitiveNames)
{
    THeaderList list = Lines({"host: a", "Host: b"});
    list.CaseSensitive = true;
    EXPECT_EQ("b", list.ValueOf("Host"));
    EXPECT_EQ("", list.ValueOf("HOST"));
}

TEST(HeaderList, SettingReplacesInPlaceAppendsOrRemoves)
{
    THeaderList list = Lines({"Accept: */*", "content-type: text/html", " continued", "Host: h"});
    list.SetValue("Content-Type", "multipart/form-data");
    EXPECT_EQ((std::vector<std::string>{"Accept: */*", "Content-Type: multipart/form-data", "Host: h"}), All(list));

    list.SetValue("User-Agent", "agent");
    EXPECT_EQ("User-Agent: agent", list[3]);

    list.SetValue("ACCEPT", "");
    list.SetValue("Not-There", "");
    EXPECT_EQ((std::vector<std::string>{"Content-Type: multipart/form-data", "Host: h", "User-Agent: agent"}), All(list));
}

TEST(HeaderList, RemovingTakesTheContinuationLines)
{
    THeaderList list = Lines({"A: 1", "X: long", " more", "\tand more", "B: 2"});
    list.SetValue("x", "");
    EXPECT_EQ((std::vector<std::string>{"A: 1", "B: 2"}), All(list));
}

TEST(HeaderList, LongValuesAreFoldedAndReadBackWhole)
{
    const std::string words = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron pi "
                              "rho sigma tau upsilon phi chi psi omega alpha beta gamma delta epsilon zeta eta theta iota "
                              "kappa lambda mu nu xi omicron pi rho sigma tau upsilon phi chi psi omega";
    THeaderList list = Lines({"Before: 1", "After: 2"});
    list.SetValue("Before", words);
    ASSERT_GT(list.Count(), 3);
    EXPECT_EQ("After: 2", list[list.Count() - 1]);
    for (int i = 0; i + 1 < list.Count(); ++i) {
        EXPECT_LE(list[i].size(), 78u) << list[i];
        EXPECT_NE(' ', list[i].back()) << "trailing blank in " << list[i];
        if (i > 0) {
            EXPECT_EQ(' ', list[i][0]) << list[i];
        }
    }
    EXPECT_EQ(words, list.ValueOf("before"));

    // Setting again replaces every piece of the folded value.
    list.SetValue("Before", "short");
    EXPECT_EQ((std::vector<std::string>{"Before: short", "After: 2"}), All(list));
}

TEST(HeaderList, FoldingAtCommasAndLimits)
{
    THeaderList list;
    list.FoldLength = 20;
    list.SetValue("Accept", "text/html,text/plain,image/png");
    EXPECT_EQ((std::vector<std::string>{"Accept: text/html,", " text/plain,", " image/png"}), All(list));
    EXPECT_EQ("text/html, text/plain, image/png", list.ValueOf("Accept"));

    // Nothing to break at: the line stays whole.
    list.Clear();
    list.SetValue("X", std::string(40, 'z'));
    EXPECT_EQ(1, list.Count());
    list.SetValue("X", std::string(30, 'z') + " tail");
    EXPECT_EQ((std::vector<std::string>{"X: " + std::string(30, 'z'), " tail"}), All(list));

    // The client's lists use 1,024, so a long Content-Type stays on one line.
    list.Clear();
    list.FoldLength = 1024;
    list.SetValue("Content-Type", "multipart/form-data; boundary=--------120726093105042 " + std::string(100, 'q'));
    EXPECT_EQ(1, list.Count());

    list.Clear();
    list.FoldLongLines = false;
    list.FoldLength = 10;
    list.SetValue("X", "a b c d e f g h i j");
    EXPECT_EQ(1, list.Count());
}

TEST(HeaderList, ExtractCollectsEveryMatchingValueInOrder)
{
    const THeaderList list = Lines({"Set-Cookie: a=1", "Server: s", "set-cookie: b=2;", " path=/", "SET-COOKIE: c=3"});
    TStringList values;
    values.Add("kept");
    list.Extract("Set-cookie", values);
    EXPECT_EQ((std::vector<std::string>{"kept", "a=1", "b=2; path=/", "c=3"}), values.Lines());
}

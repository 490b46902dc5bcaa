#include "transport/ex_string_list.h"

#include <gtest/gtest.h>

using namespace kestrix;

TEST(TExStringList, HeaderIndexFindsTheFirstLineOfANameIgnoringCase)
{
    TExStringList list;
    EXPECT_EQ(list.HeaderIndex("Subject"), -1);
    list.Add("HTTP/1.0 200 OK");
    list.Add("content-type: text/html");
    list.Add("Location: a");
    list.Add("LOCATION: b");
    EXPECT_EQ(list.HeaderIndex("Content-Type"), 1);
    EXPECT_EQ(list.HeaderIndex("location"), 2);
    EXPECT_EQ(list.HeaderIndex("HTTP/1.0 200 OK"), -1);  // a line without a colon has no name
    EXPECT_EQ(list.HeaderIndex("Missing"), -1);
}

TEST(TExStringList, SortedListsAreSearchedByHalving)
{
    TExStringList list;
    list.Sorted = true;
    for (const char *line : {"Server: x", "Date: d", "allow: GET", "Content-Length: 3", "Via: y"})
        list.Add(line);
    EXPECT_EQ(list[0], "allow: GET");
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const std::string name = list[i].substr(0, list[i].find(':'));
        EXPECT_EQ(list.HeaderIndex(name), int(i)) << name;
    }
    EXPECT_EQ(list.HeaderIndex("content-length"), 1);
    EXPECT_EQ(list.HeaderIndex("Expires"), -1);
}

TEST(TExStringList, SetHeaderReplacesAppendsAndDeletes)
{
    TExStringList list;
    list.Add("Host: a");
    list.SetHeader("host", "b");
    EXPECT_EQ(list[0], "host: b");
    list.SetHeader("Accept", "*/*");
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list[1], "Accept: */*");
    list.SetHeader("HOST", "");
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list[0], "Accept: */*");
    list.SetHeader("Missing", "");
    EXPECT_EQ(list.Count(), 1u);
}

#include "app/ContactChecks.h"

#include <gtest/gtest.h>

TEST(ContactChecks, NameNeedsMoreThanThreeCharactersOfAnyKind)
{
    struct Case {
        const char* name;
        bool valid;
    };
    const Case cases[] = {
        {"", false},
        {"Jo", false},
        {"Bob", false},
        {"Anne", true},
        {"    ", true},
        {"Zo\xEB \x80 ?", true},
        // A pasted line break would move the other contact lines and could forge a disk block.
        {"Jo Smith\r\n===| Disk 7 |", false},
        {"Jo Smith\n", false},
        {"Jo Smith\r", false},
        {"Jo\tSmith", false},
        {"Jo Smith\x7F", false},
        {"Jo Smith\x81", false},
        {"Jo Smith\x9D", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidName(c.name), c.valid) << c.name;
}

TEST(ContactChecks, TelephoneIsA32BitIntegerAfterBlanksGo)
{
    struct Case {
        const char* typed;
        bool valid;
    };
    const Case cases[] = {
        {"0412 555 019", true},     {"2147483647", true},   {"2147483648", false},
        {"-2147483648", true},      {"-2147483649", false}, {"+2147483647", true},
        {"+2147483648", false},     {"+61 412 555 019", false}, {"61412555019", false},
        {"00000000000000000042", true}, {"$1F", true},     {"x1f", true},
        {"X1F", true},              {"0x1F", true},         {"0XFFFFFFFF", true},
        {"$123456789", false},      {"-$1F", true},         {"$", false},
        {"0x", false},              {"$1G", false},         {"(02) 5555 0190", false},
        {"0412-555-019", false},    {"", false},            {"+", false},
        {"-", false},               {"1 2\t3", false},      {"12e3", false},
        {"0412555019\r\n", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidPhone(RemoveBlanks(c.typed)), c.valid) << c.typed;
    EXPECT_EQ(RemoveBlanks(" 0412 555  019 "), "0412555019");
}

TEST(ContactChecks, EmailPartsFollowTheirRules)
{
    struct Case {
        const char* email;
        bool valid;
    };
    const Case cases[] = {
        {"a@bc.de", true},          {"jo@b.cd", false},           {"jo@abcd", false},
        {"jo@a.bcd", true},         {"jo@ab.c", false},           {"jo@abc.d", false},
        {"jo@ab.cd.e", true},       {"jo@mail.example.c", true},  {"@example.com", false},
        {"jo@ex@ample.com", false}, {"jo smith@example.com", false}, {"jo@exam ple.com", false},
        {"jo.smith_1-x@example.com", true}, {"jo+tag@example.com", false}, {"joexample.com", false},
        {"", false},                {"j\xE9@example.com", false},  {"jo@example.com\r\n", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidEmail(c.email), c.valid) << c.email;
    EXPECT_TRUE(IsEmailPartValid(""));
    EXPECT_TRUE(IsEmailPartValid("Az09-._"));
    EXPECT_FALSE(IsEmailPartValid("a,b"));
}

TEST(ContactChecks, OnlyTheFirstEntryAllowsContact)
{
    EXPECT_TRUE(IsContactAllowed(0));
    EXPECT_FALSE(IsContactAllowed(1));
    EXPECT_FALSE(IsContactAllowed(-1));
}

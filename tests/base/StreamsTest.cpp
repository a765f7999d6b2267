#include "base/Exception.h"
#include "base/Streams.h"

#include <gtest/gtest.h>

TEST(StringStream, WritesGrowAndReadBackAsOneText)
{
    TStringStream stream;
    stream.WriteBuffer("Hello", 5);
    stream.WriteBuffer(", world", 7);
    EXPECT_EQ(stream.DataString(), "Hello, world");
    EXPECT_EQ(stream.Size(), 12);
    EXPECT_EQ(stream.Position(), 12) << "size must not move the position";

    stream.Seek(-5, TSeekOrigin::soEnd);
    char tail[8] = {};
    EXPECT_EQ(stream.Read(tail, 8), 5);
    EXPECT_STREQ(tail, "world");
    EXPECT_EQ(stream.Read(tail, 8), 0);
}

TEST(StringStream, OverwriteInsideKeepsTheRest)
{
    TStringStream stream("abcdef");
    stream.Seek(2, TSeekOrigin::soBeginning);
    stream.WriteBuffer("XY", 2);
    EXPECT_EQ(stream.DataString(), "abXYef");
    stream.Seek(-1, TSeekOrigin::soCurrent);
    stream.WriteBuffer("0123", 4);
    EXPECT_EQ(stream.DataString(), "abX0123");
}

TEST(MemoryStream, SeeksFromEachOriginAndClampsBeforeStart)
{
    TMemoryStream stream;
    const unsigned char bytes[] = {0, 1, 2, 255};
    stream.WriteBuffer(bytes, 4);
    EXPECT_EQ(stream.Seek(1, TSeekOrigin::soBeginning), 1);
    EXPECT_EQ(stream.Seek(2, TSeekOrigin::soCurrent), 3);
    EXPECT_EQ(stream.Seek(-4, TSeekOrigin::soEnd), 0);
    EXPECT_EQ(stream.Seek(-9, TSeekOrigin::soCurrent), 0);
    unsigned char out[4];
    stream.ReadBuffer(out, 4);
    EXPECT_EQ(out[3], 255);
    EXPECT_THROW(stream.ReadBuffer(out, 1), EStreamError);
}

TEST(MemoryStream, CopyFromWholeSourceStartsAtItsBeginning)
{
    TStringStream source(std::string(70000, 'x') + "end");
    source.Seek(0, TSeekOrigin::soEnd);
    TStringStream target;
    EXPECT_EQ(target.CopyFrom(source, 0), 70003);
    EXPECT_EQ(target.DataString(), source.DataString());
}

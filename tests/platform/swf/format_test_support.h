// Writing a record through the format layer and reading it back through it.
#pragma once

#include "platform/swf/basic_records.h"

#include <string>
#include <string_view>

namespace swftest {

using platform::swf::BitBuffer;
using platform::swf::BitReader;
using platform::swf::Bytes;

template <typename Write>
Bytes Written(const Write &write)
{
    return platform::swf::RecordBytes(write);
}

inline std::string AsString(const Bytes &bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Reads back what write wrote: read(reader) on a reader over the bytes. The reader must have
// consumed exactly the written bytes without overrun.
template <typename Write, typename Read>
auto RoundTrip(const Write &write, const Read &read)
{
    const std::string bytes = AsString(Written(write));
    BitReader in{std::string_view(bytes)};
    auto value = read(in);
    in.Align();
    EXPECT_FALSE(in.Overrun());
    EXPECT_EQ(in.BytePos(), bytes.size());
    return value;
}

}  // namespace swftest

#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/CFenIOStruct.h"

// Opens inline XML and makes the node at `path` (child indices from the root)
// the current one, as an enclosing reader would before calling a sub-reader.
inline Tarn::CFenIOStruct OpenAtNode(const std::string& xml, const std::vector<std::size_t>& path)
{
    Tarn::CFenIOStruct io = Tarn::CFenIOStruct::FromText(xml);
    EXPECT_TRUE(io.IsOk()) << io.GetErrorText();
    Tarn::CXmlNode node = io.GetNode();
    for (const std::size_t index : path)
        node = node.GetChildNodes().GetItem(index);
    io.SetNode(node);
    return io;
}

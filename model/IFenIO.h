#pragma once

namespace Tarn {

class CFenIOStruct;

// A reader that fills one framework adapter from a document. Each adapter
// owns one, made with a pointer back to the adapter. Read reports faults into
// io and returns nothing: callers judge success by io.IsOk() afterwards.
class IFenIO {
public:
    virtual ~IFenIO() = default;
    virtual void Read(CFenIOStruct& io) = 0;
};

} // namespace Tarn

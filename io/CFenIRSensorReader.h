#pragma once

namespace Fen {
class IRSensor;
}

namespace Tarn {

class CFenIOStruct;

// Reads an "irsensor" element and sets the sensor up from it. Nothing is
// stored into the sensor unless the whole element is good.
class CFenIRSensorReader {
public:
    virtual ~CFenIRSensorReader() = default;
    virtual void Read(CFenIOStruct& io, Fen::IRSensor& sensor);
};

} // namespace Tarn

#pragma once
#include <string>
#include <string_view>

#include "io/ModelFileKind.h"

namespace Tarn {

class CFenIOStruct;

// "Scene", "Robot" or "Network": the kind as the file line names it.
std::string_view KindWord(ModelFileKind kind);

// What is wrong with a model file whose reading failed, in words: why it gave
// no document ("no such file"), a root element of another kind ("this is a
// robot file (root element "neuralrobot"), not a scene"), or else the
// innermost fault of the report in plain words ("mass out of range",
// "x must be greater than 0").
std::string ModelFaultWords(const CFenIOStruct& io, ModelFileKind kind);

// The line that closes a failed load's report: "Scene file 'NAME': WORDS".
std::string ModelFileFaultLine(const CFenIOStruct& io, ModelFileKind kind, std::string_view fileName);

} // namespace Tarn

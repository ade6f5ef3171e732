#include "io/CFenPhysicalObjectIO.h"

#include "io/CFenIOStruct.h"
#include "io/ReportFault.h"
#include "model/CFenPhysicalObject.h"

namespace Tarn {

void CFenPhysicalObjectIO::Read(CFenIOStruct& io)
{
    object->Clear();
    reader.Read(io, object->GetPhysicalObject());
    if (!io.IsOk())
        ReportFault(io, "CFenPhysicalObjectIO", "unable to read object");
}

} // namespace Tarn

#include "base/CReportError.h"

namespace Tarn {

bool CReportError::IsOk() const { return ok; }

void CReportError::ReportError(std::string message)
{
    text += message;
    text += '\n';
    ok = false;
}

void CReportError::ClearErrors()
{
    text.clear();
    ok = true;
}

std::string CReportError::GetErrorText() const { return text; }

} // namespace Tarn

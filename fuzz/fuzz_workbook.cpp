// The workbook readers (.xls, .xlsx, .ods, told apart by content): every worksheet read whole, then
// the import of every CANopen table kind from the same file.

#include "FuzzProject.h"
#include "FuzzWorkbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace velmaro;
    const ProjectPaths& p = fuzz::Project();
    const QString path = p.ProjectDir + QStringLiteral("\\input.xls");
    fuzz::Place(path, data, size);
    return fuzz::ReadWholeWorkbook(path);
}

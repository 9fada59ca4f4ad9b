// The .xlsx and .ods readers, in process: every worksheet read whole, then the import of every CANopen
// table kind. Inputs with the .xls signature are passed over: that reader starts a child process per
// input and has fuzz_workbook to itself.

#include "FuzzProject.h"
#include "FuzzWorkbook.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace velmaro;
    static const char compound[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    if (size >= 8 && std::memcmp(data, compound, 8) == 0)
        return 0;
    const ProjectPaths& p = fuzz::Project();
    const QString path = p.ProjectDir + QStringLiteral("\\input.xlsx");
    fuzz::Place(path, data, size);
    return fuzz::ReadWholeWorkbook(path);
}

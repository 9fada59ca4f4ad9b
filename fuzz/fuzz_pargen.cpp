// The project's pargen.xml as every reader of it takes it: the settings record, the editor's reading
// rules and checks, the parameter image, the GSD sizes and the mapping editor's limits.

#include "FuzzProject.h"
#include "device/GsdFile.h"
#include "device/ParameterImage.h"
#include "mapping/MappingDocument.h"
#include "settings/CommEditorRules.h"
#include "settings/CommSettings.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace velmaro;
    const ProjectPaths& p = fuzz::Project();
    fuzz::Place(p.PargenXmlPath, data, size);

    const auto settings = LoadCommSettings(p.PargenXmlPath);
    if (!settings.ok() && settings.error().isEmpty())
        std::abort(); // a refusal always says why
    const CommEditorLoad load = LoadCommEditorValues(p.PargenXmlPath);
    ValidateCommEditorValues(load.values);
    const auto image = BuildParameterImage(p.PargenXmlPath);
    if (image.ok() && image->bytes.size() != 24 && image->bytes.size() != 4)
        std::abort();
    const auto sizes = ReadGsdSizes(p.PargenXmlPath);
    if (sizes.ok()) {
        if (sizes->nbIn < 0 || sizes->nbIn > kMaxGsdBytes || sizes->nbOut < 0 || sizes->nbOut > kMaxGsdBytes)
            std::abort();
        GsdText(*sizes);
    }
    LoadMappingLimits(p.PargenXmlPath);
    return 0;
}

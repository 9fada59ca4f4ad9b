#include "base/ProjectPaths.h"

namespace velmaro {

void SetDocumentPaths(ProjectPaths& p)
{
    p.PargenXmlPath = p.ProjectDir + QStringLiteral("\\pargen.xml");
    p.SdoXmlPath = p.ProjectDir + QStringLiteral("\\sdo.xml");
    p.EmcyDefXmlPath = p.ProjectDir + QStringLiteral("\\emcydef.xml");
    p.EmcyWordXmlPath = p.ProjectDir + QStringLiteral("\\emcyword.xml");
    p.RpdoDefXmlPath = p.ProjectDir + QStringLiteral("\\rpdodef.xml");
    p.SdoPdoXmlPath = p.ProjectDir + QStringLiteral("\\sdopdo.xml");
    p.PdoXmlPath = p.ProjectDir + QStringLiteral("\\pdo.xml");
}

} // namespace velmaro

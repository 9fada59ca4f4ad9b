#pragma once

#include "base/ProjectPaths.h"
#include "cli/Cli.h"

namespace velmaro::cli {

// One check of `velmaro-cli check`, of a document or of an output made from the documents. It prints one
// summary line on io.out and returns true when it passes, or prints the reason on io.err and returns false.
struct ProjectCheck
{
    const char* document;
    bool (*run)(const ProjectPaths& paths, Io& io);
};

// The checks in the order they run; every one runs, and the verb fails when any failed. Add a check here.
const QList<ProjectCheck>& ProjectChecks();

// pargen.xml, loaded and validated as the communication settings editor does.
bool CheckCommSettings(const ProjectPaths& paths, Io& io);

// sdo.xml, when present, loaded and validated as the mapping editor does on OK; silent without it.
bool CheckMapping(const ProjectPaths& paths, Io& io);

// bank.bin: whether "Update Device" could build it from pargen.xml, or the builder's message.
bool CheckParameterImage(const ProjectPaths& paths, Io& io);

// The GSD file: the input and output lengths "GSD File" would write, or its refusal.
bool CheckGsdSizes(const ProjectPaths& paths, Io& io);

// The CANopen table documents that exist, each with its editor's verdict: a document the editor could not
// read whole fails; one holding records the editor neither shows nor exports gives a warning.
bool CheckTableDocuments(const ProjectPaths& paths, Io& io);
// check --strict: false, with the reason on io.err, when sdo.xml has a collision or a row past the data
// length.
bool CheckByteMapStrict(const ProjectPaths& paths, Io& io);

// check PROJECT_DIR
Verb CheckVerb();

} // namespace velmaro::cli

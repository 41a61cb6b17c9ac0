#include "ModelTranslator.h"

#include <maya/MFnPlugin.h>

MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "Velmora2 Translator for Maya", "1.94", "Any");
    MStatus status = plugin.registerFileTranslator("vlm", "vl2Translator.rgb", vl2::ModelTranslator::creator,
                                                   "vl2TranslatorOpts", "", true);
    if (status != MStatus::kSuccess) status.perror("registerFileTranslator");
    return status;
}

MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "Unknown", "Unknown", "Any");
    MStatus status = plugin.deregisterFileTranslator("vlm");
    if (status != MStatus::kSuccess) status.perror("deregisterFileTranslator");
    return status;
}

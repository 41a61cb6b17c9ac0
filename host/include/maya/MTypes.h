#pragma once
// Basic host API definitions shared by every header.

// The API level the plug-ins are written against; file access modes follow it.
#ifndef MAYA_API_VERSION
#define MAYA_API_VERSION 500
#endif

#define OPENMAYA_EXPORT
#define OPENMAYA_MAJOR_NAMESPACE_OPEN
#define OPENMAYA_MAJOR_NAMESPACE_CLOSE

class MObject;
class MString;
class MStatus;

#pragma once

// How MFnNurbsSurface::tesselate samples a surface.
//   kStandardFitFormat: each span is cut until no chord strays more than the
//     fit tolerance from the surface (the default);
//   kGeneralFormat: uNumber / vNumber segments per span (kSpanEquiSpaced) or
//     over the whole parameter range (the surface isoparm types);
//   kTriangleCountFormat: segments spread over the spans to come close to
//     the requested triangle count.
class MTesselationParams {
public:
    enum TesselationFormat {
        kInvalidFormat = 0, kTriangleCountFormat, kStandardFitFormat, kGeneralFormat, kCurvatureBasedFormat,
        kLastFormat
    };
    enum OutputType { kInvalidType = 0, kTriangles, kQuads, kLastType };
    enum IsoparmType {
        kInvalidIsoparm = 0, kSurface3DEquiSpaced, kSurfaceEquiSpaced, kSpanEquiSpaced, kLastIsoparm
    };

    MTesselationParams(TesselationFormat format = kStandardFitFormat, OutputType output = kTriangles)
        : format_(format), output_(output) {}

    void setFormatType(TesselationFormat f) { format_ = f; }
    void setOutputType(OutputType t) { output_ = t; }
    void setTriangleCount(int n) { triangles_ = n; }
    void setUIsoparmType(IsoparmType t) { uIso_ = t; }
    void setVIsoparmType(IsoparmType t) { vIso_ = t; }
    void setUNumber(int n) { uNumber_ = n; }
    void setVNumber(int n) { vNumber_ = n; }
    void setFitTolerance(double t) { fitTolerance_ = t; }
    void setStdFractionalTolerance(double t) { fitTolerance_ = t; }
    void setChordHeightRatio(double r) { chordHeightRatio_ = r; }
    void setStdChordHeightRatio(double r) { chordHeightRatio_ = r; }
    void setStdMinEdgeLength(double l) { minEdgeLength_ = l; }
    void setMinEdgeLength(double l) { minEdgeLength_ = l; }
    void setSubdivisionFlag(int, bool) {}
    void setEdgeSmoothFactor(double) {}

    // Host-internal readers.
    TesselationFormat formatType() const { return format_; }
    OutputType outputType() const { return output_; }
    int triangleCount() const { return triangles_; }
    IsoparmType uIsoparmType() const { return uIso_; }
    IsoparmType vIsoparmType() const { return vIso_; }
    int uNumber() const { return uNumber_; }
    int vNumber() const { return vNumber_; }
    double fitTolerance() const { return fitTolerance_; }
    double chordHeightRatio() const { return chordHeightRatio_; }
    double minEdgeLength() const { return minEdgeLength_; }

    static const MTesselationParams fsDefaultTesselationParams;

private:
    TesselationFormat format_;
    OutputType output_;
    int triangles_ = 100;
    IsoparmType uIso_ = kSpanEquiSpaced, vIso_ = kSpanEquiSpaced;
    int uNumber_ = 1, vNumber_ = 1;
    double fitTolerance_ = 0.01;
    double chordHeightRatio_ = 0.1;
    double minEdgeLength_ = 0.0;
};

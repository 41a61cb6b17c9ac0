#include <maya/MAnimControl.h>
#include <maya/MTime.h>

#include "scene/core/scene.h"

using host::scene::scene;

// The playback range is kept in frames of the scene's time unit.
namespace {
MTime frames(double f) { return MTime(f * (1.0 / scene().fps()), MTime::kSeconds); }
double asFrames(const MTime& t) { return t.as(MTime::kSeconds) * scene().fps(); }
}  // namespace

MTime MAnimControl::minTime() { return frames(scene().playback().min); }
MTime MAnimControl::maxTime() { return frames(scene().playback().max); }
MTime MAnimControl::animationStartTime() { return frames(scene().playback().animStart); }
MTime MAnimControl::animationEndTime() { return frames(scene().playback().animEnd); }

MStatus MAnimControl::setMinTime(const MTime& t) {
    scene().playback().min = asFrames(t);
    return MStatus::kSuccess;
}
MStatus MAnimControl::setMaxTime(const MTime& t) {
    scene().playback().max = asFrames(t);
    return MStatus::kSuccess;
}
MStatus MAnimControl::setMinMaxTime(const MTime& min, const MTime& max) {
    if (asFrames(min) > asFrames(max)) return MStatus::kInvalidParameter;
    setMinTime(min);
    return setMaxTime(max);
}
MStatus MAnimControl::setAnimationStartTime(const MTime& t) {
    scene().playback().animStart = asFrames(t);
    return MStatus::kSuccess;
}
MStatus MAnimControl::setAnimationEndTime(const MTime& t) {
    scene().playback().animEnd = asFrames(t);
    return MStatus::kSuccess;
}
MStatus MAnimControl::setAnimationStartEndTime(const MTime& start, const MTime& end) {
    if (asFrames(start) > asFrames(end)) return MStatus::kInvalidParameter;
    setAnimationStartTime(start);
    return setAnimationEndTime(end);
}
MTime MAnimControl::currentTime() { return MTime(scene().currentTime(), MTime::kSeconds); }
MStatus MAnimControl::setCurrentTime(const MTime& t) {
    scene().setCurrentTime(t.as(MTime::kSeconds));
    return MStatus::kSuccess;
}
